#include "app/viewport/view_camera.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/viewport/view_navigation.h"

namespace zg::viewport {

using scene::ViewDefinition;
using scene::ViewKind;

namespace {

// Room left around framed bounds, as a factor on their extent.
constexpr double kFrameMargin = 1.25;
// The smallest extent framed, so a scene of points still gets a usable view.
constexpr double kMinFramedExtent = 1.0;
// The default perspective looks at the bounds from the front right, from above.
constexpr Vec3d kDefaultViewDirection{1.0, -1.6, 1.1};

}  // namespace

Camera MakeCamera(const ViewDefinition& view, int imageWidth, int imageHeight) {
    switch (view.kind) {
        case ViewKind::kPerspective:
            return Camera::Perspective(view.eye, view.target, view.up, view.fov, imageWidth, imageHeight);
        case ViewKind::kTop:
            return Camera::Orthographic({1, 0, 0}, {0, 1, 0}, view.center, view.width, imageWidth, imageHeight);
        case ViewKind::kFront:
            return Camera::Orthographic({1, 0, 0}, {0, 0, 1}, view.center, view.width, imageWidth, imageHeight);
        case ViewKind::kLeft:
            return Camera::Orthographic({0, -1, 0}, {0, 0, 1}, view.center, view.width, imageWidth, imageHeight);
        case ViewKind::kBottom:
            return Camera::Orthographic({1, 0, 0}, {0, -1, 0}, view.center, view.width, imageWidth, imageHeight);
        case ViewKind::kBack:
            return Camera::Orthographic({-1, 0, 0}, {0, 0, 1}, view.center, view.width, imageWidth, imageHeight);
        case ViewKind::kRight:
            return Camera::Orthographic({0, 1, 0}, {0, 0, 1}, view.center, view.width, imageWidth, imageHeight);
    }
    return Camera();
}

namespace {

struct FramedBox {
    Vec3d lo{-0.5, -0.5, -0.5};
    Vec3d hi{0.5, 0.5, 0.5};
};

FramedBox Framed(const host::Box3& bounds) {
    FramedBox box;
    if (!bounds.IsEmpty() && IsFinite(Vec3d(bounds.pmin)) && IsFinite(Vec3d(bounds.pmax))) {
        box.lo = Vec3d(bounds.pmin);
        box.hi = Vec3d(bounds.pmax);
    }
    return box;
}

double SaneAspect(double aspect) { return aspect > 0.0 && std::isfinite(aspect) ? aspect : 1.0; }

}  // namespace

void FrameBounds(ViewDefinition& view, const host::Box3& bounds, double aspect) {
    const FramedBox box = Framed(bounds);
    aspect = SaneAspect(aspect);
    const Vec3d center = (box.lo + box.hi) * 0.5;
    const Vec3d extent{std::max(box.hi.x - box.lo.x, kMinFramedExtent), std::max(box.hi.y - box.lo.y, kMinFramedExtent),
                      std::max(box.hi.z - box.lo.z, kMinFramedExtent)};
    if (view.kind == ViewKind::kPerspective) {
        Vec3d direction = Normalized(view.eye - view.target);
        if (!IsFinite(direction) || !(Length(direction) > 0.0)) direction = Normalized(kDefaultViewDirection);
        const double fov = view.fov > 0.0 && view.fov < 180.0 ? view.fov : 45.0;
        // Back away until the sphere around the bounds fits the narrower field of view.
        const double radius = 0.5 * Length(extent);
        const double halfH = fov * std::numbers::pi / 360.0;
        const double halfV = std::atan(std::tan(halfH) / aspect);
        const double distance =
            std::clamp(kFrameMargin * radius / std::sin(std::min(halfH, halfV)), kMinViewExtent, kMaxViewExtent);
        view.target = center;
        view.eye = center + direction * distance;
        return;
    }
    // The box's extent along the image's axes.
    const Camera camera = MakeCamera(view, 1, 1);
    const Vec3d right = camera.ViewToWorld().rows[0];
    const Vec3d up = camera.ViewToWorld().rows[1];
    const auto across = [&](const Vec3d& axis) {
        return std::fabs(axis.x) * extent.x + std::fabs(axis.y) * extent.y + std::fabs(axis.z) * extent.z;
    };
    view.center = center;
    view.width = std::clamp(kFrameMargin * std::max(across(right), across(up) * aspect), kMinViewExtent, kMaxViewExtent);
}

void SetViewKind(ViewDefinition& view, ViewKind kind, const host::Box3& bounds, double aspect) {
    if (kind == ViewKind::kPerspective && view.kind != kind) {
        view.eye = view.target + Normalized(kDefaultViewDirection);
        view.up = {0, 0, 1};
    }
    view.kind = kind;
    FrameBounds(view, bounds, aspect);
}

std::vector<ViewDefinition> DefaultQuadViews(const host::Box3& bounds, double aspect) {
    std::vector<ViewDefinition> views;
    for (ViewKind kind : {ViewKind::kTop, ViewKind::kFront, ViewKind::kLeft, ViewKind::kPerspective}) {
        ViewDefinition view;
        view.name = scene::ProjectionTitle(kind);
        SetViewKind(view, kind, bounds, aspect);
        views.push_back(std::move(view));
    }
    return views;
}

std::vector<ViewDefinition> DefaultViews(const host::Box3& bounds, double aspect) {
    Vec3d lo{-0.5, -0.5, -0.5};
    Vec3d hi{0.5, 0.5, 0.5};
    if (!bounds.IsEmpty() && IsFinite(Vec3d(bounds.pmin)) && IsFinite(Vec3d(bounds.pmax))) {
        lo = Vec3d(bounds.pmin);
        hi = Vec3d(bounds.pmax);
    }
    if (!(aspect > 0.0) || !std::isfinite(aspect)) aspect = 1.0;
    const Vec3d center = (lo + hi) * 0.5;
    const Vec3d extent{std::max(hi.x - lo.x, kMinFramedExtent), std::max(hi.y - lo.y, kMinFramedExtent),
                      std::max(hi.z - lo.z, kMinFramedExtent)};

    ViewDefinition perspective;
    perspective.name = "Perspective";
    perspective.kind = ViewKind::kPerspective;
    perspective.target = center;
    perspective.fov = 45.0;
    // Back away until the sphere around the bounds fits the narrower field of view.
    const double radius = 0.5 * Length(extent);
    const double halfH = perspective.fov * std::numbers::pi / 360.0;
    const double halfV = std::atan(std::tan(halfH) / aspect);
    const double distance = kFrameMargin * radius / std::sin(std::min(halfH, halfV));
    perspective.eye = center + Normalized(kDefaultViewDirection) * distance;

    ViewDefinition top;
    top.name = "Top";
    top.kind = ViewKind::kTop;
    top.center = center;
    top.width = kFrameMargin * std::max(extent.x, extent.y * aspect);

    return {perspective, top};
}

}  // namespace zg::viewport
