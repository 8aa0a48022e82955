#include "app/viewport/display_list.h"

#include <fmt/format.h>

#include <algorithm>

namespace zg::viewport {

std::vector<std::string> ShortfallWarnings(const std::vector<DrawingShortfall>& shortfalls) {
    std::vector<DrawingShortfall> nodes;
    for (const DrawingShortfall& s : shortfalls) {
        auto it = std::find_if(nodes.begin(), nodes.end(), [&](const auto& n) { return n.node == s.node; });
        if (it == nodes.end()) it = nodes.insert(nodes.end(), {s.node, 0, false});
        it->nonFinitePoints += s.nonFinitePoints;
        it->memoryRefused = it->memoryRefused || s.memoryRefused;
    }
    std::vector<std::string> lines;
    for (const DrawingShortfall& n : nodes) {
        const std::string who = n.node.empty() ? std::string("the host's own drawing") : fmt::format("node \"{}\"", n.node);
        if (n.memoryRefused)
            lines.push_back(fmt::format("{}: the memory budget of {} MiB has no room for all it draws; it is drawn "
                                        "incomplete (set ZENTROGRAPH_MEMORY_BUDGET to allow more)",
                                        who, host::MemoryBudget() >> 20));
        if (n.nonFinitePoints > 0)
            lines.push_back(fmt::format("{}: drew points that are not finite numbers; they are left out", who));
    }
    return lines;
}

template <typename T>
bool DisplayList::Room(std::vector<T>& v, std::size_t extra) {
    if (host::GrowWithin(budget_, v, extra)) return true;
    static const std::string kHost;
    ShortfallOf(currentNode_ >= 0 ? nodeNames_[static_cast<std::size_t>(currentNode_)] : kHost).memoryRefused = true;
    return false;
}

DrawingShortfall& DisplayList::ShortfallOf(const std::string& name) {
    for (DrawingShortfall& s : shortfalls_)
        if (s.node == name) return s;
    shortfalls_.push_back({name, 0, false});
    return shortfalls_.back();
}

void DisplayList::NoteShortfall(const std::string& name, std::size_t nonFinitePoints, bool memoryRefused) {
    if (nonFinitePoints == 0 && !memoryRefused) return;
    DrawingShortfall& s = ShortfallOf(name);
    s.nonFinitePoints += nonFinitePoints;
    s.memoryRefused = s.memoryRefused || memoryRefused;
}

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
    if (!Room(items_, 1)) return;
    std::vector<PixelPoint> kept;
    if (!Room(kept, points.size())) return;
    DisplayItem item;
    item.kind = DisplayItemKind::kPolyline;
    item.node = currentNode_;
    item.color = color;
    item.closed = closed;
    kept.assign(points.begin(), points.end());
    item.points = std::move(kept);
    items_.push_back(std::move(item));
}

void DisplayList::BeginSegments(const Rgb& color) {
    batchRefused_ = !Room(items_, 1);
    inBatch_ = !batchRefused_;
    if (batchRefused_) return;
    DisplayItem item;
    item.kind = DisplayItemKind::kSegments;
    item.node = currentNode_;
    item.color = color;
    items_.push_back(std::move(item));
}

void DisplayList::Segment(const PixelPoint& a, const PixelPoint& b, bool) {
    if (!inBatch_ || batchRefused_) return;
    if (!Room(items_.back().points, 2)) {
        batchRefused_ = true;
        return;
    }
    items_.back().points.push_back(a);
    items_.back().points.push_back(b);
}

void DisplayList::EndSegments() { inBatch_ = false; }

void DisplayList::Marker(const Rgb& color, const PixelPoint& at, int code) {
    if (!Room(items_, 1)) return;
    std::vector<PixelPoint> kept;
    if (!Room(kept, 1)) return;
    DisplayItem item;
    item.kind = DisplayItemKind::kMarker;
    item.node = currentNode_;
    item.color = color;
    item.markerCode = code;
    kept.push_back(at);
    item.points = std::move(kept);
    items_.push_back(std::move(item));
}

}  // namespace zg::viewport
