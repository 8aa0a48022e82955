#include "app/viewport/view_navigation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/viewport/view_camera.h"

namespace zg::viewport {

namespace {

using scene::ViewDefinition;
using scene::ViewKind;

constexpr double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

// v turned by `angle` radians about the unit axis `k` (Rodrigues' formula).
Vec3d Rotate(const Vec3d& v, const Vec3d& k, double angle) {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    return v * c + Cross(k, v) * s + k * (Dot(k, v) * (1.0 - c));
}

// Takes `changed` when it is a usable view.
bool Accept(ViewDefinition& view, const ViewDefinition& changed) {
    if (scene::FindViewProblem(changed) || changed == view) return false;
    view = changed;
    return true;
}

}  // namespace

bool Orbit(ViewDefinition& view, double dx, double dy) {
    if (view.kind != ViewKind::kPerspective || !std::isfinite(dx) || !std::isfinite(dy)) return false;
    const Vec3d up = Normalized(view.up);
    const Vec3d offset = view.eye - view.target;
    const double distance = Length(offset);
    if (Length(up) == 0.0 || !(distance > 0.0)) return false;

    // Turn about the up axis, then tilt within the plane of the offset and the up
    // axis, keeping the line of sight away from the poles.
    Vec3d turned = Rotate(offset, up, Radians(-dx * kOrbitDegreesPerPixel));
    const double polar = std::acos(std::clamp(Dot(Normalized(turned), up), -1.0, 1.0));
    const double margin = Radians(kOrbitPoleMarginDegrees);
    const double wanted = std::clamp(polar - Radians(dy * kOrbitDegreesPerPixel), margin, std::numbers::pi - margin);
    const Vec3d side = Normalized(Cross(up, turned));
    if (Length(side) > 0.0) turned = Rotate(turned, side, wanted - polar);

    ViewDefinition changed = view;
    changed.eye = view.target + Normalized(turned) * distance;
    return Accept(view, changed);
}

bool Pan(ViewDefinition& view, int width, int height, double dx, double dy) {
    if (!std::isfinite(dx) || !std::isfinite(dy) || width < 1 || height < 1) return false;
    const Camera camera = MakeCamera(view, width, height);
    const Vec3d right = camera.ViewToWorld().rows[0];
    const Vec3d up = camera.ViewToWorld().rows[1];
    // World units per pixel where the pan is felt: the image plane for an orthographic
    // view, the target's depth for a perspective one.
    const double depth = view.kind == ViewKind::kPerspective ? Length(view.eye - view.target) : 1.0;
    const double unitsPerPixel = depth / camera.Scale();
    const Vec3d shift = (right * -dx + up * dy) * unitsPerPixel;

    ViewDefinition changed = view;
    if (view.kind == ViewKind::kPerspective) {
        changed.eye = view.eye + shift;
        changed.target = view.target + shift;
    } else {
        changed.center = view.center + shift;
    }
    return Accept(view, changed);
}

bool Zoom(ViewDefinition& view, int width, int height, double factor, const PixelPoint& at) {
    if (!(factor > 0.0) || !std::isfinite(factor) || width < 1 || height < 1) return false;
    ViewDefinition changed = view;
    if (view.kind == ViewKind::kPerspective) {
        const Vec3d offset = view.eye - view.target;
        const double distance = std::clamp(Length(offset) / factor, kMinViewExtent, kMaxViewExtent);
        changed.eye = view.target + Normalized(offset) * distance;
        return Accept(view, changed);
    }
    const double newWidth = std::clamp(view.width / factor, kMinViewExtent, kMaxViewExtent);
    // The world point under the pointer stays under it: the centre moves towards it by
    // the share of the view that the zoom takes away.
    const Camera camera = MakeCamera(view, width, height);
    const Ray ray = camera.PixelRay(at);
    const double kept = newWidth / view.width;
    changed.width = newWidth;
    changed.center = ray.origin + (view.center - ray.origin) * kept;
    return Accept(view, changed);
}

}  // namespace zg::viewport

namespace zg::viewport {

bool PlaceCamera(ViewDefinition& view, const ViewDefinition& camera) {
    ViewDefinition changed = view;
    if (view.kind == ViewKind::kPerspective) {
        const Vec3d offset = camera.eye - camera.target;
        const double distance = Length(offset);
        if (!std::isfinite(distance) || !(distance > 0.0)) return false;
        changed.target = camera.target;
        changed.eye = camera.target + offset * (std::clamp(distance, kMinViewExtent, kMaxViewExtent) / distance);
        changed.up = camera.up;
        changed.fov = camera.fov;
    } else {
        if (!std::isfinite(camera.width) || !(camera.width > 0.0)) return false;
        changed.center = camera.center;
        changed.width = std::clamp(camera.width, kMinViewExtent, kMaxViewExtent);
    }
    if (scene::FindViewProblem(changed)) return false;
    view = changed;
    return true;
}

}  // namespace zg::viewport
