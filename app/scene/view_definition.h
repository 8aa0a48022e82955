// ViewDefinition: one viewport a scene is looked at through, as the scene file keeps
// it. The scene reader checks every entry when the file loads, so every command and
// the interactive host accept and refuse the same files.
//
// A scene file's "viewports" list holds entries of two forms:
//   {"name", "projection": "perspective", "eye": [x, y, z], "target": [x, y, z],
//    "up": [x, y, z], "fov": degrees}            up defaults to +Z, fov (horizontal,
//                                               strictly between 0 and 180) to 45
//   {"name", "projection": "top" | "bottom" | "front" | "back" | "left" | "right",
//    "center": [x, y, z], "width": w}          orthographic, w scene units across
// Top looks down -Z with +X right and +Y up; bottom looks up +Z with +X right and -Y
// up; front looks along +Y with +X right and +Z up; back looks along -Y with -X right
// and +Z up; left looks along +X with -Y right and +Z up; right looks along -X with +Y
// right and +Z up. Either form may add
// "boxOnly": true, the box-only display state (objects show their box alone). Names
// are unique and never empty.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/geometry/vec3d.h"

namespace zg::scene {

enum class ViewKind { kPerspective, kTop, kFront, kLeft, kBottom, kBack, kRight };

// Every kind, in the order a menu offers them.
inline constexpr ViewKind kViewKinds[] = {ViewKind::kTop,  ViewKind::kBottom, ViewKind::kFront,      ViewKind::kBack,
                                          ViewKind::kLeft, ViewKind::kRight,  ViewKind::kPerspective};

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

    bool operator==(const ViewDefinition&) const = default;
};

// "perspective", "top", "bottom", "front", "back", "left" or "right".
const char* ProjectionName(ViewKind kind);
// The name a view of `kind` shows: "Perspective", "Top", ...
const char* ProjectionTitle(ViewKind kind);
// The kind a projection name stands for; none for any other text.
std::optional<ViewKind> ViewKindNamed(std::string_view projection);

// What makes a view unusable: the key at fault ("fov") and why.
struct ViewProblem {
    std::string key;
    std::string reason;
};

// Why `view` cannot be used, or none when it is sound. The reader and every editor of
// views apply the same rules.
std::optional<ViewProblem> FindViewProblem(const ViewDefinition& view);

}  // namespace zg::scene
