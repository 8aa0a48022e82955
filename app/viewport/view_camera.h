// The cameras a scene's views make, and the views of a scene that names none.
#pragma once

#include <vector>

#include "app/scene/view_definition.h"
#include "app/viewport/camera.h"
#include "host/geometry.h"

namespace zg::viewport {

// The camera of `view` on an image of width x height pixels.
Camera MakeCamera(const scene::ViewDefinition& view, int imageWidth, int imageHeight);

// The views of a scene that names none: "Perspective" and "Top", framed on `bounds`
// (the union of the scene's world boxes; an empty box frames the unit cube) for an
// image whose width is `aspect` times its height.
std::vector<scene::ViewDefinition> DefaultViews(const host::Box3& bounds, double aspect);

// The four views an interactive host opens a scene that names none with: "Top",
// "Front", "Left" and "Perspective", framed as DefaultViews frames its views.
std::vector<scene::ViewDefinition> DefaultQuadViews(const host::Box3& bounds, double aspect);

// Moves the camera of `view` so that `bounds` fills it with a margin, on an image whose
// width is `aspect` times its height: a perspective view keeps its direction and field
// of view, an orthographic one its kind. An empty or not finite box frames the unit
// cube. The view's extent stays within [kMinViewExtent, kMaxViewExtent].
void FrameBounds(scene::ViewDefinition& view, const host::Box3& bounds, double aspect);

// `view` turned into a view of `kind` framed on `bounds` (FrameBounds); a perspective
// view made from an orthographic one looks from the front right, from above.
void SetViewKind(scene::ViewDefinition& view, scene::ViewKind kind, const host::Box3& bounds, double aspect);

}  // namespace zg::viewport
