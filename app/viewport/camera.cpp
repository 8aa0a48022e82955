#include "app/viewport/camera.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zg::viewport {

namespace {

// The near plane sits this fraction of the eye-to-target distance in front of the eye:
// close enough that nothing the user frames is cut, far enough to keep the projection
// well conditioned.
constexpr double kNearFraction = 1e-3;
constexpr double kMinNear = 1e-6;

}  // namespace

Camera::Camera() { SetAxes({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}); }

void Camera::SetAxes(const Vec3d& right, const Vec3d& up, const Vec3d& back, const Vec3d& origin) {
    // View-to-world: the view axes as rows, the origin as translation.
    viewToWorld_.rows[0] = right;
    viewToWorld_.rows[1] = up;
    viewToWorld_.rows[2] = back;
    viewToWorld_.rows[3] = origin;
    // Its inverse: the transpose of the rotation, then the rotated, negated origin.
    worldToView_.rows[0] = {right.x, up.x, back.x};
    worldToView_.rows[1] = {right.y, up.y, back.y};
    worldToView_.rows[2] = {right.z, up.z, back.z};
    worldToView_.rows[3] = {-Dot(right, origin), -Dot(up, origin), -Dot(back, origin)};
}

Camera Camera::Perspective(const Vec3d& eye, const Vec3d& target, const Vec3d& up, double fovDegrees,
                           int width, int height) {
    Camera c;
    c.projection_ = Projection::kPerspective;
    c.width_ = std::max(width, 1);
    c.height_ = std::max(height, 1);
    const Vec3d back = Normalized(eye - target);
    Vec3d right = Normalized(Cross(up, back));
    if (Length(right) == 0.0) right = Normalized(Cross({0, 1, 0}, back));
    if (Length(right) == 0.0) right = Normalized(Cross({1, 0, 0}, back));
    const Vec3d trueUp = Cross(back, right);
    c.SetAxes(right, trueUp, back, eye);
    const double halfAngle = fovDegrees * std::numbers::pi / 360.0;
    c.scale_ = (c.width_ * 0.5) / std::tan(halfAngle);
    c.near_ = std::max(kMinNear, kNearFraction * Length(eye - target));
    return c;
}

Camera Camera::Orthographic(const Vec3d& right, const Vec3d& up, const Vec3d& center, double viewWidth,
                            int width, int height) {
    Camera c;
    c.projection_ = Projection::kOrthographic;
    c.width_ = std::max(width, 1);
    c.height_ = std::max(height, 1);
    c.SetAxes(right, up, Cross(right, up), center);
    c.scale_ = c.width_ / viewWidth;
    c.near_ = 0.0;
    return c;
}

PixelPoint Camera::ViewToPixel(const Vec3d& view) const {
    double x = view.x;
    double y = view.y;
    if (projection_ == Projection::kPerspective) {
        const double depth = -view.z;
        x /= depth;
        y /= depth;
    }
    return {width_ * 0.5 + x * scale_, height_ * 0.5 - y * scale_};
}

bool Camera::WorldToPixel(const Vec3d& world, PixelPoint& pixel) const {
    const Vec3d view = worldToView_.PointTransform(world);
    if (!IsFinite(view) || !InFront(view)) return false;
    pixel = ViewToPixel(view);
    return std::isfinite(pixel.x) && std::isfinite(pixel.y);
}

Ray Camera::PixelRay(const PixelPoint& pixel) const {
    const double vx = (pixel.x - width_ * 0.5) / scale_;
    const double vy = (height_ * 0.5 - pixel.y) / scale_;
    Ray ray;
    if (projection_ == Projection::kPerspective) {
        ray.origin = viewToWorld_.rows[3];
        ray.direction = Normalized(viewToWorld_.VectorTransform({vx, vy, -1.0}));
        ray.forwardOnly = true;
    } else {
        ray.origin = viewToWorld_.PointTransform({vx, vy, 0.0});
        ray.direction = -viewToWorld_.rows[2];
        ray.forwardOnly = false;
    }
    return ray;
}

}  // namespace zg::viewport
