// The host's construction grid: the lines a viewport draws under the scene so that
// positions and sizes read at a glance.
//
// An orthographic view draws the grid of its own plane through the world origin (top:
// XY, front: XZ, left: YZ) across the whole image; a perspective view draws the world
// XY plane around the scene. Spacing is a round 1, 2 or 5 times a power of ten, every
// fifth line is brighter, and the world axes lying in the plane are drawn in their
// axis colours (X red, Y green, Z blue).
#pragma once

#include "app/viewport/camera.h"
#include "app/viewport/primitive_sink.h"
#include "host/geometry.h"
#include "host/graphics.h"

namespace zg::viewport {

inline constexpr Rgb kGridMinorColor{0.205f, 0.225f, 0.255f};
inline constexpr Rgb kGridMajorColor{0.285f, 0.31f, 0.35f};
inline constexpr Rgb kAxisXColor{0.62f, 0.27f, 0.27f};
inline constexpr Rgb kAxisYColor{0.28f, 0.56f, 0.32f};
inline constexpr Rgb kAxisZColor{0.30f, 0.42f, 0.70f};

// The smallest of 1, 2 or 5 times a power of ten that is at least `spacing`; 1 for
// input that is not a positive finite number.
double RoundGridSpacing(double spacing);

// The spacing of the grid that `camera` shows, in scene units: what grid snapping
// snaps to. `sceneBounds` as for DrawConstructionGrid.
double GridSpacing(const Camera& camera, const host::Box3& sceneBounds);

// Draws the grid into `gw` (whose camera is `camera`) as two-point polylines, with the
// window's transform set to the identity. `sceneBounds` (world, possibly empty)
// places the perspective grid.
void DrawConstructionGrid(host::GraphicsWindow& gw, const Camera& camera, const host::Box3& sceneBounds);

}  // namespace zg::viewport
