#include "app/samples/sample_formats.h"

#include "app/render/float_text.h"

namespace zg::samples {

namespace {

using render::AppendFloat;
using render::Json;
using render::JsonFloat;

Json PointJson(const host::Point3& p) { return Json::array({JsonFloat(p.x), JsonFloat(p.y), JsonFloat(p.z)}); }

Json BoxJson(const host::Box3& box) { return Json{{"min", PointJson(box.pmin)}, {"max", PointJson(box.pmax)}}; }

Json PointsJson(const std::vector<host::Point3>& points) {
    Json list = Json::array();
    for (const host::Point3& p : points) list.push_back(PointJson(p));
    return list;
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

}  // namespace

std::optional<SampleFormat> ParseSampleFormat(std::string_view name) {
    if (name == "json") return SampleFormat::kJson;
    if (name == "csv") return SampleFormat::kCsv;
    if (name == "vtk") return SampleFormat::kVtk;
    return std::nullopt;
}

std::string SamplesToJson(const SampleSet& set) {
    Json doc = Json::object();
    doc["object"] = set.object;
    doc["frame"] = render::FrameJson(set.frame);
    doc["size"] = PointJson(set.size);
    doc["resolution"] = Json::array({set.resolution[0], set.resolution[1], set.resolution[2]});
    doc["vectorScale"] = JsonFloat(set.vectorScale);
    doc["localBox"] = BoxJson(set.localBox);
    doc["worldBox"] = BoxJson(set.worldBox);
    doc["positions"] = PointsJson(set.positions);
    doc["vectors"] = PointsJson(set.vectors);
    return render::DumpJson(doc) + "\n";
}

std::string SamplesToCsv(const SampleSet& set) {
    std::string out = "index,ix,iy,iz,px,py,pz,vx,vy,vz\n";
    out.reserve(out.size() + set.positions.size() * 96);
    for (std::size_t i = 0; i < set.positions.size(); ++i) {
        long long ix = 0, iy = 0, iz = 0;
        LatticeIndex(set, i, ix, iy, iz);
        out += std::to_string(i) + ',' + std::to_string(ix) + ',' + std::to_string(iy) + ',' + std::to_string(iz);
        for (const host::Point3* p : {&set.positions[i], &set.vectors[i]}) {
            for (int k = 0; k < 3; ++k) {
                out += ',';
                AppendFloat(out, (*p)[k]);
            }
        }
        out += '\n';
    }
    return out;
}

std::string SamplesToVtk(const SampleSet& set) {
    const std::size_t n = set.positions.size();
    std::string out;
    out.reserve(256 + n * 96);
    out += "# vtk DataFile Version 3.0\n";
    // The title line is one line of at most 255 characters.
    std::string title = "Zentrograph samples of " + set.object + " at frame " + render::FrameText(set.frame);
    for (char& c : title) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    out += title.substr(0, 255) + "\nASCII\nDATASET POLYDATA\n";
    out += "POINTS " + std::to_string(n) + " float\n";
    for (const host::Point3& p : set.positions) AppendSpaced(out, set.objectTM.PointTransform(p));
    out += "VERTICES " + std::to_string(n) + ' ' + std::to_string(2 * n) + '\n';
    for (std::size_t i = 0; i < n; ++i) out += "1 " + std::to_string(i) + '\n';
    out += "POINT_DATA " + std::to_string(n) + '\n';
    out += "VECTORS force float\n";
    std::vector<float> magnitudes;
    magnitudes.reserve(n);
    for (const host::Point3& v : set.vectors) {
        const host::Point3 w = set.objectTM.VectorTransform(v);
        AppendSpaced(out, w);
        magnitudes.push_back(host::Length(w));
    }
    out += "SCALARS magnitude float 1\nLOOKUP_TABLE default\n";
    for (float m : magnitudes) {
        AppendFloat(out, m);
        out += '\n';
    }
    return out;
}

std::string FormatSamples(const SampleSet& set, SampleFormat format) {
    switch (format) {
        case SampleFormat::kJson: return SamplesToJson(set);
        case SampleFormat::kCsv: return SamplesToCsv(set);
        case SampleFormat::kVtk: return SamplesToVtk(set);
    }
    return {};
}

}  // namespace zg::samples
