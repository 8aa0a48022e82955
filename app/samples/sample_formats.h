// A field viewer's samples as files: JSON and CSV in object space, legacy VTK
// (ASCII POLYDATA, opens in ParaView) in world space. Numbers are the shortest text
// that reads back as the same single-precision value.
//
// JSON: {"object", "frame", "size": [x, y, z], "resolution": [x, y, z], "vectorScale",
//        "localBox": {"min", "max"}, "worldBox": {"min", "max"},
//        "positions": [[x, y, z], ...], "vectors": [[x, y, z], ...]}
//       (a number that is not finite is null, and so is a box that is empty)
// CSV:  index,ix,iy,iz,px,py,pz,vx,vy,vz   one row per sample, index = ix + resX *
//       (iy + resY * iz)
// VTK:  the sample points as vertices, the vectors as point data "force" and their
//       lengths as "magnitude".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/files/byte_sink.h"
#include "app/samples/sample_capture.h"

namespace zg::samples {

enum class SampleFormat { kJson, kCsv, kVtk };

// "json", "csv" or "vtk"; none for anything else.
std::optional<SampleFormat> ParseSampleFormat(std::string_view name);

// Each format is written to `out` as it is made, one sample at a time, so that a large
// set never stands whole in memory a second time.
void WriteSamples(const SampleSet& set, SampleFormat format, files::ByteSink& out);

// A ParaView file series: the files of a time series (names relative to the series
// file) with the time of each, here its frame. ParaView opens NAME.vtk.series as one
// data set with a time slider.
//   {"file-series-version": "1.0", "files": [{"name": "field_0000.vtk", "time": 0}, ...]}
struct SeriesEntry {
    std::string name;
    double time = 0.0;
};
std::string SeriesJson(const std::vector<SeriesEntry>& files);

// The same, as text.
std::string SamplesToJson(const SampleSet& set);
std::string SamplesToCsv(const SampleSet& set);
std::string SamplesToVtk(const SampleSet& set);

}  // namespace zg::samples
