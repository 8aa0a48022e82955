#include "app/render/display_list_json.h"

#include "app/render/float_text.h"

namespace zg::render {

namespace {

using viewport::DisplayItem;
using viewport::DisplayItemKind;
using viewport::PixelPoint;

Json Pixel(double v) { return JsonFloat(static_cast<float>(v)); }

Json SegmentJson(const PixelPoint& a, const PixelPoint& b) {
    return Json::array({Pixel(a.x), Pixel(a.y), Pixel(b.x), Pixel(b.y)});
}

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
            for (std::size_t i = 0; i + 1 < item.points.size(); i += 2)
                segments.push_back(SegmentJson(item.points[i], item.points[i + 1]));
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

Json Header(const viewport::DisplayList& list, const std::string& viewName, double frame) {
    Json doc = Json::object();
    doc["width"] = list.Width();
    doc["height"] = list.Height();
    doc["view"] = viewName;
    doc["frame"] = FrameJson(frame);
    return doc;
}

// The compact text of `doc` without its closing brace, for more members to follow.
std::string Opened(const Json& doc) {
    std::string text = DumpJson(doc);
    text.pop_back();
    return text;
}

void WriteItem(const viewport::DisplayList& list, const DisplayItem& item, files::ByteSink& out) {
    if (item.kind != DisplayItemKind::kSegments) {
        out.Write(DumpJson(ItemJson(list, item)));
        return;
    }
    Json head = Json::object();
    head["node"] = item.node < 0 ? Json(nullptr) : Json(list.NodeName(item));
    head["color"] = Json::array({JsonFloat(item.color.r), JsonFloat(item.color.g), JsonFloat(item.color.b)});
    out.Write(Opened(head));
    out.Write(",\"segments\":[");
    for (std::size_t i = 0; i + 1 < item.points.size(); i += 2) {
        if (i > 0) out.Write(",");
        out.Write(DumpJson(SegmentJson(item.points[i], item.points[i + 1])));
    }
    out.Write("]}");
}

}  // namespace

Json DisplayListJson(const viewport::DisplayList& list, const std::string& viewName, double frame) {
    Json items = Json::array();
    for (const DisplayItem& item : list.Items()) items.push_back(ItemJson(list, item));
    Json doc = Header(list, viewName, frame);
    doc["items"] = std::move(items);
    return doc;
}

std::string DisplayListToJson(const viewport::DisplayList& list, const std::string& viewName, double frame) {
    files::StringSink text;
    WriteDisplayListJson(list, viewName, frame, text);
    return text.Text();
}

void WriteDisplayListJson(const viewport::DisplayList& list, const std::string& viewName, double frame,
                          files::ByteSink& out) {
    out.Write(Opened(Header(list, viewName, frame)));
    out.Write(",\"items\":[");
    for (std::size_t i = 0; i < list.Items().size(); ++i) {
        if (i > 0) out.Write(",");
        WriteItem(list, list.Items()[i], out);
    }
    out.Write("]}\n");
}

}  // namespace zg::render
