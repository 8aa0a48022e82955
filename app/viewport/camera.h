// Camera: how one viewport maps world space to the pixels of its image.
//
// View space is the camera's own frame: +X to the right of the image, +Y up, +Z
// towards the viewer, so the camera looks down -Z. Pixels run x right, y down, with
// the origin at the image's top-left corner; coordinates are continuous (the image
// spans 0..width by 0..height).
#pragma once

#include "app/geometry/affine.h"
#include "app/geometry/vec3d.h"

namespace zg::viewport {

// A position in the image, in pixels.
struct PixelPoint {
    double x = 0.0, y = 0.0;
    constexpr bool operator==(const PixelPoint&) const = default;
};

enum class Projection { kPerspective, kOrthographic };

// A line through the scene under one pixel. For a perspective camera it starts at the
// eye and only its forward half (t >= 0) is seen; an orthographic camera sees the
// whole line.
struct Ray {
    Vec3d origin;
    Vec3d direction;  // unit length
    bool forwardOnly = true;
};

class Camera {
public:
    // An orthographic top view centred on the origin, one pixel per scene unit, on a
    // one-pixel image: the identity world-to-view transform.
    Camera();

    // A perspective camera at `eye` looking at `target`; `up` picks the roll and need not
    // be perpendicular to the view direction (a parallel one is replaced by world Y or
    // X). `fovDegrees` is the horizontal field of view. Degenerate input (eye on the
    // target, a field of view outside (0, 180)) is the caller's to refuse.
    static Camera Perspective(const Vec3d& eye, const Vec3d& target, const Vec3d& up, double fovDegrees,
                              int width, int height);
    // An orthographic camera whose image has `right` and `up` (unit, perpendicular world
    // directions) as its axes, `center` at the image centre and `viewWidth` scene
    // units across the image.
    static Camera Orthographic(const Vec3d& right, const Vec3d& up, const Vec3d& center, double viewWidth,
                               int width, int height);

    Projection GetProjection() const { return projection_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // World to view space.
    const Affine& WorldToView() const { return worldToView_; }
    // View to world space: its third row is the view's Z axis in world coordinates.
    const Affine& ViewToWorld() const { return viewToWorld_; }

    // Points with a view-space z above -NearDistance() lie behind the near plane and
    // are cut away. Orthographic cameras cut nothing.
    bool ClipsNear() const { return projection_ == Projection::kPerspective; }
    double NearDistance() const { return near_; }
    bool InFront(const Vec3d& view) const { return !ClipsNear() || view.z <= -near_; }

    // The pixel of a view-space point that lies in front (see InFront).
    PixelPoint ViewToPixel(const Vec3d& view) const;
    // The pixel of a world point; false when it is behind the near plane or not finite.
    bool WorldToPixel(const Vec3d& world, PixelPoint& pixel) const;
    // The world-space line under a pixel position.
    Ray PixelRay(const PixelPoint& pixel) const;
    // Pixels per scene unit: across the whole image for an orthographic camera, at unit
    // distance from the eye for a perspective one.
    double Scale() const { return scale_; }

private:
    void SetAxes(const Vec3d& right, const Vec3d& up, const Vec3d& back, const Vec3d& origin);

    Projection projection_ = Projection::kOrthographic;
    int width_ = 1;
    int height_ = 1;
    Affine worldToView_;
    Affine viewToWorld_;
    double scale_ = 1.0;
    double near_ = 0.0;
};

}  // namespace zg::viewport
