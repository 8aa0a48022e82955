#include "app/render/display_list_json.h"

#include "app/render/float_text.h"

namespace zg::render {

namespace {

using viewport::DisplayItem;
using viewport::DisplayItemKind;
using viewport::PixelPoint;

Json Pixel(double v) { return JsonFloat(static_cast<float>(v)); }

Json ItemJson(const viewport::DisplayList& list, const DisplayItem& item) {
    Json out = Json::object();
    out["node"] = item.node < 0 ? Json(nullptr) : Json(list.NodeName(item));
    out["color"] = Json::array({JsonFloat(item.color.r), JsonFloat(item.color.g), JsonFloat(item.color.b)});
    switch (item.kind) {
        case DisplayItemKind::kPolyline: {
            Json points = Json::array();
            for (const PixelPoint& p : item.points) points.push_back(Json::array({Pixel(p.x), Pixel(p.y)}));
            out["polyline"] = Json{{"closed", item.closed}, {"points", std::move(points)}};
            break;
        }
        case DisplayItemKind::kSegments: {
            Json segments = Json::array();
            for (std::size_t i = 0; i + 1 < item.points.size(); i += 2) {
                const PixelPoint& a = item.points[i];
                const PixelPoint& b = item.points[i + 1];
                segments.push_back(Json::array({Pixel(a.x), Pixel(a.y), Pixel(b.x), Pixel(b.y)}));
            }
            out["segments"] = std::move(segments);
            break;
        }
        case DisplayItemKind::kMarker: {
            const PixelPoint at = item.points.empty() ? PixelPoint() : item.points.front();
            out["marker"] = Json{{"code", item.markerCode}, {"at", Json::array({Pixel(at.x), Pixel(at.y)})}};
            break;
        }
    }
    return out;
}

}  // namespace

Json DisplayListJson(const viewport::DisplayList& list, const std::string& viewName, double frame) {
    Json items = Json::array();
    for (const DisplayItem& item : list.Items()) items.push_back(ItemJson(list, item));
    Json doc = Json::object();
    doc["width"] = list.Width();
    doc["height"] = list.Height();
    doc["view"] = viewName;
    doc["frame"] = FrameJson(frame);
    doc["items"] = std::move(items);
    return doc;
}

std::string DisplayListToJson(const viewport::DisplayList& list, const std::string& viewName, double frame) {
    return DumpJson(DisplayListJson(list, viewName, frame)) + "\n";
}

}  // namespace zg::render
