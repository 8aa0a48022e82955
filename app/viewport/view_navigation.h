// Moving a view the way a 3D package does: orbiting a perspective view around what it
// looks at, panning so that the scene follows the pointer, and zooming towards the
// pointer. Each operation changes the view only when the result is a usable view, so
// no drag, however wild, leaves a view that cannot be drawn.
#pragma once

#include "app/scene/view_definition.h"
#include "app/viewport/camera.h"

namespace zg::viewport {

// Degrees an orbit turns per pixel of drag.
inline constexpr double kOrbitDegreesPerPixel = 0.4;
// How close an orbit may bring the line of sight to the up axis, in degrees.
inline constexpr double kOrbitPoleMarginDegrees = 1.0;
// Zoom keeps a perspective view's distance to its target, and an orthographic view's
// width, between these extents in scene units: far enough from the limits of single
// precision that every drawn point stays meaningful. A front end that moves cameras
// itself keeps to the same range.
inline constexpr double kMinViewExtent = 1e-4;
inline constexpr double kMaxViewExtent = 1e8;

// Turns a perspective view around its target: a drag of dx pixels to the right turns
// the eye about the view's up axis (the scene appears to turn with the pointer), dy
// pixels down tilts the eye up over the target. Orthographic views do not orbit. False
// when the view did not change.
bool Orbit(scene::ViewDefinition& view, double dx, double dy);

// Moves the view so that the scene follows a drag of (dx, dy) pixels on a width x
// height image: exactly under the pointer for orthographic views, at the target's
// depth for perspective ones.
bool Pan(scene::ViewDefinition& view, int width, int height, double dx, double dy);

// Zooms by `factor` (above 1 brings the scene closer). An orthographic view keeps the
// world point under `at` where it is; a perspective view moves its eye along the line
// to its target.
bool Zoom(scene::ViewDefinition& view, int width, int height, double factor, const PixelPoint& at);

// Puts the camera of `view` where `camera` has it, as a front end that moves cameras
// itself reports them: a perspective view takes the eye, target, up and field of view,
// its distance to the target held within the zoom range; an orthographic one takes the
// centre and the width, held within the range. The view keeps its name, kind and
// display state. False, changing nothing, when the result is not a usable view.
bool PlaceCamera(scene::ViewDefinition& view, const scene::ViewDefinition& camera);

}  // namespace zg::viewport
