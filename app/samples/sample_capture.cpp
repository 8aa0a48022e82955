#include "app/samples/sample_capture.h"

#include <fmt/format.h>

#include <utility>

#include "app/samples/segment_window.h"
#include "app/viewport/call_recording.h"
#include "host/paramblock.h"

namespace zg::samples {

namespace {

// Reads one parameter of block 0 by internal name; false when the block has none.
bool ReadFloat(host::ParamBlock& block, const char* name, host::TimeValue t, float& out) {
    const host::ParamDef* def = block.FindParamByName(name);
    if (def == nullptr) return false;
    out = block.GetFloat(def->id, t);
    return true;
}

bool ReadInt(host::ParamBlock& block, const char* name, host::TimeValue t, int& out) {
    const host::ParamDef* def = block.FindParamByName(name);
    if (def == nullptr) return false;
    out = block.GetInt(def->id, t);
    return true;
}

}  // namespace

std::optional<SampleSet> CaptureSamples(scene::Scene& scene, const std::string& nodeName, double frame,
                                        std::string& error) {
    scene::Node* node = scene.FindNode(nodeName);
    if (node == nullptr) {
        error = fmt::format("no node named \"{}\" in the scene", nodeName);
        return std::nullopt;
    }
    const auto t = scene.Rate().FrameToTicks(frame, error);
    if (!t) return std::nullopt;
    host::Object* object = node->GetObjectRef();
    host::ParamBlock* block = object != nullptr ? object->GetParamBlock(0) : nullptr;
    SampleSet set;
    set.object = nodeName;
    set.frame = frame;
    const bool isViewer = block != nullptr && ReadFloat(*block, "sizeX", *t, set.size.x) &&
                          ReadFloat(*block, "sizeY", *t, set.size.y) && ReadFloat(*block, "sizeZ", *t, set.size.z) &&
                          ReadInt(*block, "resolutionX", *t, set.resolution[0]) &&
                          ReadInt(*block, "resolutionY", *t, set.resolution[1]) &&
                          ReadInt(*block, "resolutionZ", *t, set.resolution[2]) &&
                          ReadFloat(*block, "vectorScale", *t, set.vectorScale);
    if (!isViewer) {
        error = fmt::format("node \"{}\" is not a field viewer: its object has no sizeX, resolutionX and "
                            "vectorScale parameters",
                            nodeName);
        return std::nullopt;
    }

    SegmentWindow window;
    viewport::RecordingViewport viewport(window);
    const std::size_t refused = host::GetHeapStats().refusedReservations;
    object->Display(*t, node, &viewport, 0);
    const auto& batches = window.Batches();
    const std::size_t count = batches.empty() ? 0 : batches.front().size();
    const bool granted = host::GetHeapStats().refusedReservations == refused && !window.Refused() &&
                         host::GrowWithin(set.budget, set.positions, count) &&
                         host::GrowWithin(set.budget, set.vectors, count);
    if (!granted) {
        const long long lattice = static_cast<long long>(set.resolution[0]) * set.resolution[1] * set.resolution[2];
        error = fmt::format(
            "node \"{}\": the memory budget of {} MiB has no room for its lattice of {} samples (set "
            "ZENTROGRAPH_MEMORY_BUDGET to allow more)",
            nodeName, host::MemoryBudget() >> 20, lattice);
        return std::nullopt;
    }
    if (batches.empty()) {
        error = fmt::format("node \"{}\" drew no samples", nodeName);
        return std::nullopt;
    }
    for (const RecordedSegment& s : batches.front()) {
        set.positions.push_back(s.start);
        set.vectors.push_back(s.end - s.start);
    }
    object->GetLocalBoundBox(*t, node, &viewport, set.localBox);
    object->GetWorldBoundBox(*t, node, &viewport, set.worldBox);
    set.objectTM = node->GetObjectTM(*t);
    return set;
}

std::vector<std::string> SampleWarnings(const SampleSet& set) {
    std::vector<std::string> warnings;
    std::size_t bad = 0;
    for (std::size_t i = 0; i < set.positions.size(); ++i)
        bad += host::IsFinite(set.positions[i]) && host::IsFinite(set.vectors[i]) ? 0 : 1;
    if (bad > 0) {
        warnings.push_back(fmt::format("node \"{}\": {} of {} samples hold numbers that are not finite (the "
                                       "object's parameters may be too large)",
                                       set.object, bad, set.positions.size()));
    }
    for (const auto& [name, box] : {std::pair{"local", &set.localBox}, std::pair{"world", &set.worldBox}}) {
        if (box->IsEmpty() || !host::IsFinite(box->pmin) || !host::IsFinite(box->pmax))
            warnings.push_back(fmt::format("node \"{}\": its {} box is empty or not finite", set.object, name));
    }
    return warnings;
}

}  // namespace zg::samples
