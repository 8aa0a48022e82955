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

}  // namespace zg::viewport
