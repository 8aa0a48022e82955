// Reading a field viewer's samples the way the host sees them: its Display drawn into
// a recording window (each segment of its batch is a sample point and the point plus
// its vector, in object space), its two bounding boxes, and its size, resolution and
// vector scale read from its parameter block by internal name.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/scene/scene.h"
#include "host/geometry.h"
#include "host/heap.h"

namespace zg::samples {

struct SampleSet {
    std::string object;  // the node's name
    double frame = 0.0;
    host::Point3 size;             // sizeX, sizeY, sizeZ
    int resolution[3] = {0, 0, 0};  // resolutionX, Y, Z
    float vectorScale = 0.0f;
    host::Box3 localBox;
    host::Box3 worldBox;
    host::Matrix3 objectTM;  // the node's object-to-world transform at the frame
    // One entry per sample, object space: the sample point and its drawn vector (the
    // segment's end minus its start, in single precision).
    std::vector<host::Point3> positions;
    std::vector<host::Point3> vectors;
    // The memory budget's share for the two lists (empty for a set made by hand).
    host::BudgetShare budget;
};

// The samples of node `nodeName` at `frame`. None, with a one-line error, when there
// is no such node, the frame lies outside the host's time range, the node's object
// is not a field viewer (no sizeX/resolutionX/vectorScale parameters, or it draws no
// segment batch), or the memory budget refused the object or the capture room for
// its lattice.
std::optional<SampleSet> CaptureSamples(scene::Scene& scene, const std::string& nodeName, double frame,
                                        std::string& error);

// One line for each thing in `set` that is not a finite number: samples whose
// position or vector is not finite, and boxes that are empty or not finite.
std::vector<std::string> SampleWarnings(const SampleSet& set);

}  // namespace zg::samples
