// ViewDefinition: a viewport as the scene file describes it, and the cameras made
// from it.
//
// A scene's "viewports" list holds entries of two forms:
//   {"name", "projection": "perspective", "eye": [x, y, z], "target": [x, y, z],
//    "up": [x, y, z], "fov": degrees}            up defaults to +Z, fov (horizontal,
//                                               strictly between 0 and 180) to 45
//   {"name", "projection": "top" | "front" | "left", "center": [x, y, z], "width": w}
//                                               orthographic, w scene units across
// Top looks down -Z with +X right and +Y up; front looks along +Y with +X right and +Z
// up; left looks along +X with -Y right and +Z up. Either form may add
// "boxOnly": true, the box-only display state (objects show their box alone).
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

#include "app/viewport/camera.h"
#include "host/geometry.h"

namespace zg::viewport {

enum class ViewKind { kPerspective, kTop, kFront, kLeft };

struct ViewDefinition {
    std::string name;
    ViewKind kind = ViewKind::kPerspective;
    // Perspective.
    Vec3d eye{10, -10, 10};
    Vec3d target;
    Vec3d up{0, 0, 1};
    double fov = 45.0;
    // Orthographic.
    Vec3d center;
    double width = 10.0;
    bool boxOnly = false;

    // The camera of this view on an image of width x height pixels.
    Camera MakeCamera(int imageWidth, int imageHeight) const;
    // "perspective", "top", "front" or "left".
    const char* ProjectionName() const;
};

// Reads a scene's viewports list (a JSON array). None, with a one-line error naming
// the JSON path ("viewports[1].fov: ..."), when an entry is malformed or two entries
// share a name.
std::optional<std::vector<ViewDefinition>> ParseViewDefinitions(const nlohmann::ordered_json& list,
                                                                std::string& error);

// The views of a scene that names none: "Perspective" and "Top", framed on `bounds`
// (the union of the scene's world boxes; an empty box frames the unit cube) for an
// image whose width is `aspect` times its height.
std::vector<ViewDefinition> DefaultViews(const host::Box3& bounds, double aspect);

}  // namespace zg::viewport
