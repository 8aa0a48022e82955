// Cutting lines in pixel space to a rectangle: the painter keeps what it draws within
// reach of its image, and the hit tester asks whether a line crosses a pick rectangle.
#pragma once

#include "app/viewport/camera.h"

namespace zg::viewport {

// A rectangle of the image, in pixels, edges included; left <= right, top <= bottom.
struct PixelRect {
    double left = 0.0, top = 0.0, right = 0.0, bottom = 0.0;
};

// Cuts the segment a-b to the part of it inside `rect` (Liang-Barsky); false, leaving
// a and b as they were, when no part of it is inside.
bool ClipSegment(PixelPoint& a, PixelPoint& b, const PixelRect& rect);

}  // namespace zg::viewport
