#include "app/render/display_list_json.h"

#include "app/text/float_text.h"

namespace zg::render {

namespace {

using text::Json;
using viewport::DisplayItem;
using viewport::DisplayItemKind;
using viewport::PixelPoint;

Json Pixel(double v) { return text::JsonFloat(static_cast<float>(v)); }

Json SegmentJson(const PixelPoint& a, const PixelPoint& b) {
    return Json::array({Pixel(a.x), Pixel(a.y), Pixel(b.x), Pixel(b.y)});
}

Json Header(const viewport::DisplayList& list, const std::string& viewName, double frame) {
    Json doc = Json::object();
    doc["width"] = list.Width();
    doc["height"] = list.Height();
    doc["view"] = viewName;
    doc["frame"] = text::FrameJson(frame);
    return doc;
}

// The members every item has, and its kind's own; segments are written one by one
// after them, so that a large batch is never held whole.
void WriteItem(const viewport::DisplayList& list, const DisplayItem& item, files::ByteSink& out) {
    Json head = Json::object();
    head["node"] = item.node < 0 ? Json(nullptr) : Json(list.NodeName(item));
    head["color"] = Json::array({text::JsonFloat(item.color.r), text::JsonFloat(item.color.g), text::JsonFloat(item.color.b)});
    switch (item.kind) {
        case DisplayItemKind::kPolyline: {
            Json points = Json::array();
            for (const PixelPoint& p : item.points) points.push_back(Json::array({Pixel(p.x), Pixel(p.y)}));
            head["polyline"] = Json{{"closed", item.closed}, {"points", std::move(points)}};
            break;
        }
        case DisplayItemKind::kMarker: {
            const PixelPoint at = item.points.empty() ? PixelPoint() : item.points.front();
            head["marker"] = Json{{"code", item.markerCode}, {"at", Json::array({Pixel(at.x), Pixel(at.y)})}};
            break;
        }
        case DisplayItemKind::kSegments: {
            out.Write(text::DumpOpenedJson(head));
            out.Write(",\"segments\":[");
            for (std::size_t i = 0; i + 1 < item.points.size(); i += 2) {
                if (i > 0) out.Write(",");
                out.Write(text::DumpJson(SegmentJson(item.points[i], item.points[i + 1])));
            }
            out.Write("]}");
            return;
        }
    }
    out.Write(text::DumpJson(head));
}

}  // namespace

std::string DisplayListToJson(const viewport::DisplayList& list, const std::string& viewName, double frame) {
    files::StringSink text;
    WriteDisplayListJson(list, viewName, frame, text);
    return text.Text();
}

void WriteDisplayListJson(const viewport::DisplayList& list, const std::string& viewName, double frame,
                          files::ByteSink& out) {
    out.Write(text::DumpOpenedJson(Header(list, viewName, frame)));
    out.Write(",\"items\":[");
    for (std::size_t i = 0; i < list.Items().size(); ++i) {
        if (i > 0) out.Write(",");
        WriteItem(list, list.Items()[i], out);
    }
    out.Write("]}\n");
}

}  // namespace zg::render
