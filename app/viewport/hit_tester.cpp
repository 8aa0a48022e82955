#include "app/viewport/hit_tester.h"

#include <algorithm>
#include <cmath>

#include "app/viewport/marker_shape.h"
#include "app/viewport/pixel_clip.h"

namespace zg::viewport {

namespace {

PixelRect RegionRect(const host::HitRegion& r) {
    return {static_cast<double>(std::min(r.left, r.right)), static_cast<double>(std::min(r.top, r.bottom)),
            static_cast<double>(std::max(r.left, r.right)), static_cast<double>(std::max(r.top, r.bottom))};
}

bool Inside(const PixelRect& r, const PixelPoint& p) {
    return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom;
}


// Whether any part of the segment a-b lies in the rectangle.
bool SegmentCrossesRect(PixelPoint a, PixelPoint b, const PixelRect& r) { return ClipSegment(a, b, r); }

}  // namespace

double DistanceToSegment(const PixelPoint& p, const PixelPoint& a, const PixelPoint& b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = 0.0;
    if (len2 > 0.0) t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / len2, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

bool HitTester::TouchesLine(const PixelPoint& a, const PixelPoint& b, bool partial) const {
    if (region_.type == host::RECT_RGN) {
        const PixelRect r = RegionRect(region_);
        if (region_.crossing == host::kHitWindow) return !partial && Inside(r, a) && Inside(r, b);
        return SegmentCrossesRect(a, b, r);
    }
    const PixelPoint centre{static_cast<double>(region_.point.x), static_cast<double>(region_.point.y)};
    return DistanceToSegment(centre, a, b) <= region_.epsilon;
}

bool HitTester::TouchesMarker(const PixelPoint& at, int code) const {
    const double radius = MarkerRadius(code);
    if (region_.type == host::RECT_RGN) {
        const PixelRect r = RegionRect(region_);
        if (region_.crossing == host::kHitWindow) {
            return Inside({r.left + radius, r.top + radius, r.right - radius, r.bottom - radius}, at);
        }
        return Inside({r.left - radius, r.top - radius, r.right + radius, r.bottom + radius}, at);
    }
    return std::hypot(at.x - region_.point.x, at.y - region_.point.y) <= region_.epsilon + radius;
}

void HitTester::Polyline(const Rgb&, std::span<const PixelPoint> points, bool closed, bool partial) {
    ++received_;
    if (hit_ || points.size() < 2) return;
    if (region_.type == host::RECT_RGN && region_.crossing == host::kHitWindow) {
        // The whole line must lie inside: every point, and nothing cut away.
        const PixelRect r = RegionRect(region_);
        hit_ = !partial && std::all_of(points.begin(), points.end(), [&](const PixelPoint& p) { return Inside(r, p); });
        return;
    }
    for (std::size_t i = 0; i + 1 < points.size() && !hit_; ++i) hit_ = TouchesLine(points[i], points[i + 1], partial);
    if (closed && !hit_) hit_ = TouchesLine(points.back(), points.front(), partial);
}

void HitTester::Segment(const PixelPoint& a, const PixelPoint& b, bool partial) {
    ++received_;
    if (!hit_) hit_ = TouchesLine(a, b, partial);
}

void HitTester::Marker(const Rgb&, const PixelPoint& at, int code) {
    ++received_;
    if (!hit_) hit_ = TouchesMarker(at, code);
}

}  // namespace zg::viewport
