#include "app/render/display_list_json.h"

#include <nlohmann/json.hpp>

#include "app/render/float_text.h"

namespace zg::render {

namespace {

using viewport::DisplayItem;
using viewport::DisplayItemKind;
using viewport::PixelPoint;

// A JSON string; bytes that are not UTF-8 become the replacement character.
std::string JsonString(const std::string& s) {
    return nlohmann::json(s).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void AppendPoint(std::string& out, const PixelPoint& p) {
    out += '[';
    AppendJsonFloat(out, static_cast<float>(p.x));
    out += ',';
    AppendJsonFloat(out, static_cast<float>(p.y));
    out += ']';
}

void AppendItem(std::string& out, const viewport::DisplayList& list, const DisplayItem& item) {
    out += "{\"node\":";
    out += item.node < 0 ? std::string("null") : JsonString(list.NodeName(item));
    out += ",\"color\":[";
    AppendJsonFloat(out, item.color.r);
    out += ',';
    AppendJsonFloat(out, item.color.g);
    out += ',';
    AppendJsonFloat(out, item.color.b);
    out += "],";
    switch (item.kind) {
        case DisplayItemKind::kPolyline:
            out += "\"polyline\":{\"closed\":";
            out += item.closed ? "true" : "false";
            out += ",\"points\":[";
            for (std::size_t i = 0; i < item.points.size(); ++i) {
                if (i > 0) out += ',';
                AppendPoint(out, item.points[i]);
            }
            out += "]}";
            break;
        case DisplayItemKind::kSegments:
            out += "\"segments\":[";
            for (std::size_t i = 0; i + 1 < item.points.size(); i += 2) {
                if (i > 0) out += ',';
                out += '[';
                AppendJsonFloat(out, static_cast<float>(item.points[i].x));
                out += ',';
                AppendJsonFloat(out, static_cast<float>(item.points[i].y));
                out += ',';
                AppendJsonFloat(out, static_cast<float>(item.points[i + 1].x));
                out += ',';
                AppendJsonFloat(out, static_cast<float>(item.points[i + 1].y));
                out += ']';
            }
            out += ']';
            break;
        case DisplayItemKind::kMarker:
            out += "\"marker\":{\"code\":";
            out += std::to_string(item.markerCode);
            out += ",\"at\":";
            AppendPoint(out, item.points.empty() ? PixelPoint() : item.points.front());
            out += '}';
            break;
    }
    out += '}';
}

}  // namespace

std::string DisplayListToJson(const viewport::DisplayList& list, const std::string& viewName, double frame) {
    std::string out;
    out.reserve(64 + list.Items().size() * 48);
    out += "{\"width\":" + std::to_string(list.Width());
    out += ",\"height\":" + std::to_string(list.Height());
    out += ",\"view\":" + JsonString(viewName);
    out += ",\"frame\":" + FrameText(frame);
    out += ",\"items\":[";
    bool first = true;
    for (const DisplayItem& item : list.Items()) {
        out += first ? "\n" : ",\n";
        first = false;
        AppendItem(out, list, item);
    }
    out += "\n]}\n";
    return out;
}

}  // namespace zg::render
