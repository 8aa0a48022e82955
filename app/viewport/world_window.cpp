#include "app/viewport/world_window.h"

#include <algorithm>
#include <cmath>

namespace zg::viewport {

namespace {

float ChannelOf(float v) { return std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f); }

void Store(const Vec3d& p, float out[3]) {
    out[0] = static_cast<float>(p.x);
    out[1] = static_cast<float>(p.y);
    out[2] = static_cast<float>(p.z);
}

// Whether the single-precision form of `p` is finite: a double beyond float's range
// would reach the page as infinity.
bool FitsFloat(const Vec3d& p) {
    constexpr double kMax = 3.4e38;
    return std::fabs(p.x) < kMax && std::fabs(p.y) < kMax && std::fabs(p.z) < kMax;
}

}  // namespace

void WorldGraphicsWindow::Begin(WorldDrawing* shared, WorldDrawing* view, uint32_t node, const Rgb& nodeColor) {
    shared_ = shared;
    view_ = view;
    node_ = node & kNodeIdMask;
    nodeColor_ = nodeColor;
    lineColor_ = nodeColor;
    viewDependent_ = false;
}

WorldDrawing* WorldGraphicsWindow::Target() const { return viewDependent_ ? view_ : shared_; }

void WorldGraphicsWindow::setColor(host::ColorType type, float r, float g, float b) {
    if (type == host::LINE_COLOR) lineColor_ = {ChannelOf(r), ChannelOf(g), ChannelOf(b)};
}

bool WorldGraphicsWindow::ToWorld(const host::Point3& p, Vec3d& world) {
    world = toWorld_.PointTransform(Vec3d(p));
    if (IsFinite(world) && FitsFloat(world)) return true;
    ++nonFinitePoints_;
    return false;
}

uint32_t WorldGraphicsWindow::NodeWord(uint32_t flags) const {
    if (node_ != kHostNodeId && lineColor_ == nodeColor_) flags |= kDrawnInNodeColor;
    return node_ | (flags << 24);
}

void WorldGraphicsWindow::AddLine(const Vec3d& a, const Vec3d& b, LineStyle style, uint32_t flags) {
    WorldLine line{};
    Store(a, line.a);
    Store(b, line.b);
    ColorBytes(lineColor_, line.rgb);
    line.style = style;
    line.node = NodeWord(flags);
    Target()->AddLine(line);
}

void WorldGraphicsWindow::polyline(int count, const host::Point3* points, int closed) {
    if (count < 2 || points == nullptr) return;
    world_.resize(static_cast<std::size_t>(count));
    finite_.resize(static_cast<std::size_t>(count));
    bool whole = true;
    for (int i = 0; i < count; ++i) {
        finite_[i] = ToWorld(points[i], world_[i]);
        whole = whole && finite_[i];
    }
    if (!Recording()) return;
    const LineStyle style = node_ == kHostNodeId ? LineStyle::kHostLine : LineStyle::kObjectLine;
    const int edges = closed != 0 ? count : count - 1;
    // A cut closed line is walked from just after a missing edge, so that the piece
    // running through its first point stays one piece.
    int first = 0;
    if (closed != 0 && !whole) {
        for (int e = 0; e < edges; ++e) {
            if (!finite_[e] || !finite_[(e + 1) % count]) {
                first = e + 1;
                break;
            }
        }
    }
    bool open = false;
    for (int k = 0; k < edges; ++k) {
        const int e = (first + k) % edges;
        const int next = (e + 1) % count;
        if (!finite_[e] || !finite_[next]) {
            open = false;
            continue;
        }
        uint32_t flags = 0;
        if (!open) flags = kPolylineStart | (whole && closed != 0 ? kPolylineClosed : 0);
        AddLine(world_[e], world_[next], style, flags);
        open = true;
    }
}

void WorldGraphicsWindow::segment(const host::Point3* points, int visible) {
    if (points == nullptr || visible == 0) return;
    Vec3d a;
    Vec3d b;
    const bool aFinite = ToWorld(points[0], a);
    const bool bFinite = ToWorld(points[1], b);
    if (!aFinite || !bFinite || !Recording()) return;
    AddLine(a, b, node_ == kHostNodeId ? LineStyle::kHostSegment : LineStyle::kForceSegment, 0);
}

void WorldGraphicsWindow::marker(const host::Point3* point, host::MarkerType type) {
    if (point == nullptr) return;
    Vec3d at;
    if (!ToWorld(*point, at) || !Recording()) return;
    WorldMarker m{};
    Store(at, m.at);
    ColorBytes(lineColor_, m.rgb);
    const int code = static_cast<int>(type);
    m.code = code >= 0 && code < kUnknownMarkerCode ? static_cast<uint8_t>(code) : kUnknownMarkerCode;
    m.node = NodeWord(0);
    Target()->AddMarker(m);
}

}  // namespace zg::viewport
