// HitTester: the sink a graphics window draws into while picking. It tests every
// projected primitive against one hit region and remembers whether any touched it.
//
// A point region is touched by a line passing within `epsilon` pixels of its centre
// and by a marker whose drawn shape comes that close. A rectangle region (inclusive
// pixel bounds) in crossing mode is touched by anything that overlaps it; in window
// mode only by an element lying wholly inside it, so a line the window had to cut
// (behind the near plane, at a non-finite point) never counts.
#pragma once

#include "app/viewport/primitive_sink.h"
#include "host/graphics.h"

namespace zg::viewport {

// The pixel distance from `p` to the nearest point of the segment a-b.
double DistanceToSegment(const PixelPoint& p, const PixelPoint& a, const PixelPoint& b);

class HitTester final : public PrimitiveSink {
public:
    void SetRegion(const host::HitRegion& region) { region_ = region; }
    const host::HitRegion& Region() const { return region_; }
    void Clear() { hit_ = false; }
    bool Hit() const { return hit_; }
    // Primitives received (polylines, segments, markers) since the last ResetCount:
    // shows how far an object's picking went before it stopped.
    long Received() const { return received_; }
    void ResetCount() { received_ = 0; }

    // Single tests against the region, also used by the host's own picking.
    bool TouchesLine(const PixelPoint& a, const PixelPoint& b, bool partial) const;
    bool TouchesMarker(const PixelPoint& at, int code) const;

    void Polyline(const Rgb& color, std::span<const PixelPoint> points, bool closed, bool partial) override;
    void BeginSegments(const Rgb&) override {}
    void Segment(const PixelPoint& a, const PixelPoint& b, bool partial) override;
    void EndSegments() override {}
    void Marker(const Rgb& color, const PixelPoint& at, int code) override;

private:
    host::HitRegion region_;
    bool hit_ = false;
    long received_ = 0;
};

}  // namespace zg::viewport
