#include "app/scene/view_definition.h"

#include <cmath>

namespace zg::scene {

const char* ProjectionName(ViewKind kind) {
    switch (kind) {
        case ViewKind::kPerspective: return "perspective";
        case ViewKind::kTop: return "top";
        case ViewKind::kFront: return "front";
        case ViewKind::kLeft: return "left";
        case ViewKind::kBottom: return "bottom";
        case ViewKind::kBack: return "back";
        case ViewKind::kRight: return "right";
    }
    return "perspective";
}

const char* ProjectionTitle(ViewKind kind) {
    switch (kind) {
        case ViewKind::kPerspective: return "Perspective";
        case ViewKind::kTop: return "Top";
        case ViewKind::kFront: return "Front";
        case ViewKind::kLeft: return "Left";
        case ViewKind::kBottom: return "Bottom";
        case ViewKind::kBack: return "Back";
        case ViewKind::kRight: return "Right";
    }
    return "Perspective";
}

std::optional<ViewKind> ViewKindNamed(std::string_view projection) {
    for (ViewKind kind : kViewKinds)
        if (projection == ProjectionName(kind)) return kind;
    return std::nullopt;
}

std::optional<ViewProblem> FindViewProblem(const ViewDefinition& view) {
    if (view.name.empty()) return ViewProblem{"name", "a view name cannot be empty"};
    if (view.kind == ViewKind::kPerspective) {
        if (!IsFinite(view.eye)) return ViewProblem{"eye", "expected three finite numbers"};
        if (!IsFinite(view.target)) return ViewProblem{"target", "expected three finite numbers"};
        if (!IsFinite(view.up)) return ViewProblem{"up", "expected three finite numbers"};
        const double distance = Length(view.eye - view.target);
        if (!(distance > 0.0) || !std::isfinite(distance)) return ViewProblem{"target", "must differ from eye"};
        const double up = Length(view.up);
        if (!(up > 0.0) || !std::isfinite(up)) return ViewProblem{"up", "must not be the zero vector"};
        if (!(view.fov > 0.0 && view.fov < 180.0)) return ViewProblem{"fov", "must lie strictly between 0 and 180 degrees"};
        return std::nullopt;
    }
    if (!IsFinite(view.center)) return ViewProblem{"center", "expected three finite numbers"};
    if (!(view.width > 0.0) || !std::isfinite(view.width)) return ViewProblem{"width", "must be a finite number above 0"};
    return std::nullopt;
}

}  // namespace zg::scene
