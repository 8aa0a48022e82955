// PrimitiveSink: where a viewport's graphics window sends what it drew, already
// projected to pixels and cut at the near plane: a display list, or a hit tester.
#pragma once

#include <span>

#include "app/viewport/camera.h"

namespace zg::viewport {

// A colour, red, green and blue from 0 to 1.
struct Rgb {
    float r = 1.0f, g = 1.0f, b = 1.0f;
    constexpr bool operator==(const Rgb&) const = default;
};

class PrimitiveSink {
public:
    virtual ~PrimitiveSink() = default;

    // A connected line through `points` (two or more); `closed` joins the last point to
    // the first. `partial` is set when the window cut part of the drawn line away.
    virtual void Polyline(const Rgb& color, std::span<const PixelPoint> points, bool closed, bool partial) = 0;
    // A batch of segments: BeginSegments, any number of Segment calls, EndSegments.
    virtual void BeginSegments(const Rgb& color) = 0;
    virtual void Segment(const PixelPoint& a, const PixelPoint& b, bool partial) = 0;
    virtual void EndSegments() = 0;
    // A marker of one of the host's marker codes (host/graphics.h).
    virtual void Marker(const Rgb& color, const PixelPoint& at, int code) = 0;
};

}  // namespace zg::viewport
