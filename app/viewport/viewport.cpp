#include "app/viewport/viewport.h"

#include <cmath>
#include <limits>

namespace zg::viewport {

Viewport::Viewport(std::string name, const Camera& camera, PrimitiveSink* drawSink, uint32_t limits)
    : name_(std::move(name)), camera_(camera), window_(camera_, drawSink, limits) {
    if (camera_.GetProjection() == Projection::kOrthographic) {
        const Affine& axes = camera_.ViewToWorld();
        plane_ = host::Matrix3(axes.rows[0].ToPoint3(), axes.rows[1].ToPoint3(), axes.rows[2].ToPoint3(),
                               host::Point3());
    }
}

void Viewport::SetGridSnap(bool on, double spacing) {
    const bool usable = std::isfinite(spacing) && spacing > 0.0;
    snap_ = on && usable;
    if (usable) spacing_ = spacing;
}

host::Point3 Viewport::SnapPoint(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3* plane,
                                 uint32_t) {
    const Affine planeToWorld = Affine::FromMatrix3(plane != nullptr ? *plane : plane_);
    const Affine worldToPlane = Affine::FromMatrix3(host::Inverse(planeToWorld.ToMatrix3()));
    const Ray ray = camera_.PixelRay({static_cast<double>(in.x), static_cast<double>(in.y)});

    // The line in the plane's coordinates, where the plane is z = 0.
    const Vec3d o = worldToPlane.PointTransform(ray.origin);
    const Vec3d d = worldToPlane.VectorTransform(ray.direction);
    Vec3d local;
    const double t = d.z != 0.0 ? -o.z / d.z : std::numeric_limits<double>::quiet_NaN();
    if (std::isfinite(t) && (t >= 0.0 || !ray.forwardOnly)) {
        local = o + d * t;
    } else {
        const double reach = Length(o);
        local = o + Normalized(d) * reach;
    }
    local.z = 0.0;
    if (snap_) {
        local.x = std::round(local.x / spacing_) * spacing_;
        local.y = std::round(local.y / spacing_) * spacing_;
    }
    const Vec3d world = planeToWorld.PointTransform(local);

    PixelPoint pixel;
    if (camera_.WorldToPixel(world, pixel) && std::fabs(pixel.x) < 1e9 && std::fabs(pixel.y) < 1e9) {
        out = host::IPoint2(static_cast<int>(std::lround(pixel.x)), static_cast<int>(std::lround(pixel.y)));
    } else {
        out = in;
    }
    return world.ToPoint3();
}

void Viewport::SnapPreview(const host::IPoint2& in, host::IPoint2& out, const host::Matrix3* plane, uint32_t flags) {
    preview_ = SnapPoint(in, out, plane, flags);
}

void Viewport::GetAffineTM(host::Matrix3& m) { m = camera_.WorldToView().ToMatrix3(); }

}  // namespace zg::viewport
