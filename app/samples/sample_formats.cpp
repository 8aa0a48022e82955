#include "app/samples/sample_formats.h"

#include <fmt/format.h>

#include "app/text/float_text.h"

namespace zg::samples {

namespace {

using text::AppendFloat;
using text::Json;
using text::JsonFloat;

Json PointJson(const host::Point3& p) { return Json::array({JsonFloat(p.x), JsonFloat(p.y), JsonFloat(p.z)}); }

Json BoxJson(const host::Box3& box) {
    if (box.IsEmpty()) return Json(nullptr);
    return Json{{"min", PointJson(box.pmin)}, {"max", PointJson(box.pmax)}};
}

// "name":[[x,y,z],...] written point by point.
void WritePointList(files::ByteSink& out, const char* name, const std::vector<host::Point3>& points) {
    out.Write(fmt::format("\"{}\":[", name));
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i > 0) out.Write(",");
        out.Write(text::DumpJson(PointJson(points[i])));
    }
    out.Write("]");
}

// The lattice indices of sample i; with a resolution that is not positive every
// index is i along X.
void LatticeIndex(const SampleSet& set, std::size_t i, long long& ix, long long& iy, long long& iz) {
    const long long rx = set.resolution[0];
    const long long ry = set.resolution[1];
    const long long n = static_cast<long long>(i);
    if (rx <= 0 || ry <= 0) {
        ix = n;
        iy = iz = 0;
        return;
    }
    ix = n % rx;
    iy = (n / rx) % ry;
    iz = n / (rx * ry);
}

void AppendSpaced(std::string& out, const host::Point3& p) {
    AppendFloat(out, p.x);
    out += ' ';
    AppendFloat(out, p.y);
    out += ' ';
    AppendFloat(out, p.z);
    out += '\n';
}

void WriteJson(const SampleSet& set, files::ByteSink& out) {
    Json head = Json::object();
    head["object"] = set.object;
    head["frame"] = text::FrameJson(set.frame);
    head["size"] = PointJson(set.size);
    head["resolution"] = Json::array({set.resolution[0], set.resolution[1], set.resolution[2]});
    head["vectorScale"] = JsonFloat(set.vectorScale);
    head["localBox"] = BoxJson(set.localBox);
    head["worldBox"] = BoxJson(set.worldBox);
    out.Write(text::DumpOpenedJson(head));
    out.Write(",");
    WritePointList(out, "positions", set.positions);
    out.Write(",");
    WritePointList(out, "vectors", set.vectors);
    out.Write("}\n");
}

void WriteCsv(const SampleSet& set, files::ByteSink& out) {
    out.Write("index,ix,iy,iz,px,py,pz,vx,vy,vz\n");
    std::string line;
    for (std::size_t i = 0; i < set.positions.size(); ++i) {
        long long ix = 0, iy = 0, iz = 0;
        LatticeIndex(set, i, ix, iy, iz);
        line = std::to_string(i) + ',' + std::to_string(ix) + ',' + std::to_string(iy) + ',' + std::to_string(iz);
        for (const host::Point3* p : {&set.positions[i], &set.vectors[i]}) {
            for (int k = 0; k < 3; ++k) {
                line += ',';
                AppendFloat(line, (*p)[k]);
            }
        }
        line += '\n';
        out.Write(line);
    }
}

void WriteVtk(const SampleSet& set, files::ByteSink& out) {
    const std::size_t n = set.positions.size();
    std::string text = "# vtk DataFile Version 3.0\n";
    // The title line is one line of at most 255 characters.
    std::string title = "Zentrograph samples of " + set.object + " at frame " + text::FrameText(set.frame);
    for (char& c : title) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    text += title.substr(0, 255) + "\nASCII\nDATASET POLYDATA\n";
    text += "POINTS " + std::to_string(n) + " float\n";
    out.Write(text);
    for (const host::Point3& p : set.positions) {
        text.clear();
        AppendSpaced(text, set.objectTM.PointTransform(p));
        out.Write(text);
    }
    out.Write("VERTICES " + std::to_string(n) + ' ' + std::to_string(2 * n) + '\n');
    for (std::size_t i = 0; i < n; ++i) out.Write("1 " + std::to_string(i) + '\n');
    out.Write("POINT_DATA " + std::to_string(n) + "\nVECTORS force float\n");
    for (const host::Point3& v : set.vectors) {
        text.clear();
        AppendSpaced(text, set.objectTM.VectorTransform(v));
        out.Write(text);
    }
    out.Write("SCALARS magnitude float 1\nLOOKUP_TABLE default\n");
    for (const host::Point3& v : set.vectors) {
        text.clear();
        AppendFloat(text, host::Length(set.objectTM.VectorTransform(v)));
        text += '\n';
        out.Write(text);
    }
}

std::string ToText(const SampleSet& set, SampleFormat format) {
    files::StringSink text;
    WriteSamples(set, format, text);
    return text.Text();
}

}  // namespace

std::optional<SampleFormat> ParseSampleFormat(std::string_view name) {
    if (name == "json") return SampleFormat::kJson;
    if (name == "csv") return SampleFormat::kCsv;
    if (name == "vtk") return SampleFormat::kVtk;
    return std::nullopt;
}

void WriteSamples(const SampleSet& set, SampleFormat format, files::ByteSink& out) {
    switch (format) {
        case SampleFormat::kJson: WriteJson(set, out); break;
        case SampleFormat::kCsv: WriteCsv(set, out); break;
        case SampleFormat::kVtk: WriteVtk(set, out); break;
    }
}

std::string SeriesJson(const std::vector<SeriesEntry>& files) {
    Json list = Json::array();
    for (const SeriesEntry& entry : files) list.push_back(Json{{"name", entry.name}, {"time", text::FrameJson(entry.time)}});
    Json series = Json::object();
    series["file-series-version"] = "1.0";
    series["files"] = std::move(list);
    return text::DumpJson(series) + "\n";
}

std::string SamplesToJson(const SampleSet& set) { return ToText(set, SampleFormat::kJson); }
std::string SamplesToCsv(const SampleSet& set) { return ToText(set, SampleFormat::kCsv); }
std::string SamplesToVtk(const SampleSet& set) { return ToText(set, SampleFormat::kVtk); }

}  // namespace zg::samples
