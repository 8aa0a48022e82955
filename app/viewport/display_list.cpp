#include "app/viewport/display_list.h"

#include <algorithm>

namespace zg::viewport {

void DisplayList::BeginNode(const std::string& name) {
    if (name.empty()) {
        currentNode_ = -1;
        return;
    }
    const auto it = std::find(nodeNames_.begin(), nodeNames_.end(), name);
    if (it != nodeNames_.end()) {
        currentNode_ = static_cast<int>(it - nodeNames_.begin());
        return;
    }
    nodeNames_.push_back(name);
    currentNode_ = static_cast<int>(nodeNames_.size()) - 1;
}

const std::string& DisplayList::NodeName(const DisplayItem& item) const {
    static const std::string kHost;
    if (item.node < 0 || item.node >= static_cast<int>(nodeNames_.size())) return kHost;
    return nodeNames_[item.node];
}

std::size_t DisplayList::Count(const std::string& name, DisplayItemKind kind) const {
    return static_cast<std::size_t>(std::count_if(items_.begin(), items_.end(), [&](const DisplayItem& item) {
        return item.kind == kind && NodeName(item) == name;
    }));
}

void DisplayList::Polyline(const Rgb& color, std::span<const PixelPoint> points, bool closed, bool) {
    DisplayItem item;
    item.kind = DisplayItemKind::kPolyline;
    item.node = currentNode_;
    item.color = color;
    item.closed = closed;
    item.points.assign(points.begin(), points.end());
    items_.push_back(std::move(item));
}

void DisplayList::BeginSegments(const Rgb& color) {
    DisplayItem item;
    item.kind = DisplayItemKind::kSegments;
    item.node = currentNode_;
    item.color = color;
    items_.push_back(std::move(item));
    inBatch_ = true;
}

void DisplayList::Segment(const PixelPoint& a, const PixelPoint& b, bool) {
    if (!inBatch_) return;
    items_.back().points.push_back(a);
    items_.back().points.push_back(b);
}

void DisplayList::EndSegments() { inBatch_ = false; }

void DisplayList::Marker(const Rgb& color, const PixelPoint& at, int code) {
    DisplayItem item;
    item.kind = DisplayItemKind::kMarker;
    item.node = currentNode_;
    item.color = color;
    item.markerCode = code;
    item.points.push_back(at);
    items_.push_back(std::move(item));
}

}  // namespace zg::viewport
