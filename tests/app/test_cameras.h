// Cameras the viewport tests look through, and where they project points.
#pragma once

#include <gtest/gtest.h>

#include "app/viewport/camera.h"

namespace viewporttest {

using zg::viewport::Camera;
using zg::viewport::PixelPoint;

// The image the cameras make: 400 x 200 pixels.
inline constexpr int kW = 400;
inline constexpr int kH = 200;

// A top view `width` units across, and a front view 20 across, centred on the origin.
inline Camera Top(double width = 20.0) { return Camera::Orthographic({1, 0, 0}, {0, 1, 0}, {0, 0, 0}, width, kW, kH); }
inline Camera Front() { return Camera::Orthographic({1, 0, 0}, {0, 0, 1}, {0, 0, 0}, 20.0, kW, kH); }
// A camera at (0, -10, 0) looking along +Y at the origin, Z up.
inline Camera LookingAlongY() { return Camera::Perspective({0, -10, 0}, {0, 0, 0}, {0, 0, 1}, 90.0, kW, kH); }

// Where `p` lands in `c`'s image; a point that lands nowhere fails the test.
inline PixelPoint Project(const Camera& c, const zg::Vec3d& p) {
    PixelPoint px;
    EXPECT_TRUE(c.WorldToPixel(p, px));
    return px;
}

}  // namespace viewporttest
