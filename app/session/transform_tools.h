// The transform tools of the views: move, rotate and scale, each constrained to the
// axes the user chose (one axis, a plane, or none: the view's plane), and the gizmo
// drawn at the selection's pivot, whose axes a drag can start on to constrain itself.
// Pure geometry over a camera; the edit session applies what it answers.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/geometry/vec3d.h"
#include "app/viewport/camera.h"

namespace zg::session {

enum class Tool { kMove, kRotate, kScale };

// The axes a tool works along: X, Y and Z on or off. All on is no constraint.
struct Axes {
    std::array<bool, 3> on{true, true, true};
    bool Free() const { return on[0] && on[1] && on[2]; }
    // The one axis on, if exactly one is.
    std::optional<int> Single() const;
    bool operator==(const Axes&) const = default;
};

// "", "x", "y", "z", "xy", "yz" or "zx" ("" is no constraint); none for anything else.
std::optional<Axes> ParseAxes(std::string_view text);
std::string AxesName(const Axes& axes);
std::optional<Tool> ParseTool(std::string_view text);
const char* ToolName(Tool tool);

// The gizmo's shape, which the page draws from these same figures: an axis's length on
// the image, the segments of a rotation circle, and a scale tick's half length as a
// share of the axis.
inline constexpr double kGizmoPixels = 70.0;
inline constexpr int kGizmoCircleSegments = 48;
inline constexpr double kGizmoTick = 0.08;

// The gizmo's lines at `pivot`, a fixed number of pixels long whatever the zoom: the
// three axes for move and scale (scale with a tick across each end), a circle about
// each axis for rotate. `axis` says which axis each line belongs to.
struct GizmoLine {
    Vec3d a, b;
    int axis = 0;
};
std::vector<GizmoLine> GizmoLines(Tool tool, const viewport::Camera& camera, const Vec3d& pivot);
// The axis of the gizmo drawn within a few pixels of `at`, if any.
std::optional<int> GizmoAxisAt(Tool tool, const viewport::Camera& camera, const Vec3d& pivot,
                               const viewport::PixelPoint& at);

// How far the pointer went from `from` to `to` along world axis `axis` through `pivot`,
// in scene units: the drag projected on the axis's image. 0 for an axis that points at
// the viewer.
double AlongAxis(const viewport::Camera& camera, const Vec3d& pivot, int axis, const viewport::PixelPoint& from,
                 const viewport::PixelPoint& to);
// The axis a rotation without a constraint turns about: the world axis nearest to the
// view's own, so a top view turns about Z.
int ViewAxis(const viewport::Camera& camera);

// Degrees a horizontal drag of `dx` pixels turns, and the factor it scales by.
double RotationDegrees(double dx);
double ScaleFactor(double dx);

}  // namespace zg::session
