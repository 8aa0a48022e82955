#include "app/session/transform_tools.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/viewport/hit_tester.h"

namespace zg::session {

namespace {

constexpr double kGizmoHitPixels = 6.0;   // how near a press takes an axis
constexpr double kGizmoFreePixels = 14.0; // around the pivot a press is the object's, not an axis's
constexpr double kDegreesPerPixel = 0.5;
constexpr double kScalePixels = 100.0;    // a drag this long doubles the size

Vec3d Unit(int axis) { return {axis == 0 ? 1.0 : 0.0, axis == 1 ? 1.0 : 0.0, axis == 2 ? 1.0 : 0.0}; }

// Scene units one pixel spans at `pivot`.
double UnitsPerPixel(const viewport::Camera& camera, const Vec3d& pivot) {
    if (!(camera.Scale() > 0.0)) return 0.0;
    if (camera.GetProjection() == viewport::Projection::kOrthographic) return 1.0 / camera.Scale();
    const double depth = -camera.WorldToView().PointTransform(pivot).z;
    return depth > 0.0 ? depth / camera.Scale() : 0.0;
}

}  // namespace

std::optional<int> Axes::Single() const {
    if (std::count(on.begin(), on.end(), true) != 1) return std::nullopt;
    return static_cast<int>(std::find(on.begin(), on.end(), true) - on.begin());
}

std::optional<Axes> ParseAxes(std::string_view text) {
    static constexpr std::pair<std::string_view, Axes> kNames[] = {
        {"", Axes{}}, {"x", Axes{{true, false, false}}}, {"y", Axes{{false, true, false}}},
        {"z", Axes{{false, false, true}}}, {"xy", Axes{{true, true, false}}}, {"yz", Axes{{false, true, true}}},
        {"zx", Axes{{true, false, true}}}};
    for (const auto& [name, axes] : kNames)
        if (name == text) return axes;
    return std::nullopt;
}

std::string AxesName(const Axes& axes) {
    if (axes.Free()) return "";
    if (axes.on[0] && axes.on[2] && !axes.on[1]) return "zx";
    std::string name;
    for (int i = 0; i < 3; ++i)
        if (axes.on[static_cast<std::size_t>(i)]) name += static_cast<char>('x' + i);
    return name;
}

std::optional<Tool> ParseTool(std::string_view text) {
    if (text == "move") return Tool::kMove;
    if (text == "rotate") return Tool::kRotate;
    if (text == "scale") return Tool::kScale;
    return std::nullopt;
}

const char* ToolName(Tool tool) {
    switch (tool) {
        case Tool::kMove: return "move";
        case Tool::kRotate: return "rotate";
        case Tool::kScale: return "scale";
    }
    return "move";
}

std::vector<GizmoLine> GizmoLines(Tool tool, const viewport::Camera& camera, const Vec3d& pivot) {
    const double length = kGizmoPixels * UnitsPerPixel(camera, pivot);
    std::vector<GizmoLine> lines;
    if (!(length > 0.0) || !std::isfinite(length) || !IsFinite(pivot)) return lines;
    for (int axis = 0; axis < 3; ++axis) {
        const Vec3d u = Unit(axis);
        if (tool == Tool::kRotate) {
            const Vec3d p = Unit((axis + 1) % 3) * length, q = Unit((axis + 2) % 3) * length;
            for (int i = 0; i < kGizmoCircleSegments; ++i) {
                const double a0 = 2 * std::numbers::pi * i / kGizmoCircleSegments;
                const double a1 = 2 * std::numbers::pi * (i + 1) / kGizmoCircleSegments;
                lines.push_back({pivot + p * std::cos(a0) + q * std::sin(a0), pivot + p * std::cos(a1) + q * std::sin(a1), axis});
            }
            continue;
        }
        const Vec3d end = pivot + u * length;
        lines.push_back({pivot, end, axis});
        if (tool == Tool::kScale) {
            const Vec3d across = Unit((axis + 1) % 3) * (length * kGizmoTick);
            lines.push_back({end - across, end + across, axis});
        }
    }
    return lines;
}

std::optional<int> GizmoAxisAt(Tool tool, const viewport::Camera& camera, const Vec3d& pivot,
                               const viewport::PixelPoint& at) {
    std::optional<int> nearest;
    viewport::PixelPoint centre;
    if (!camera.WorldToPixel(pivot, centre) || std::hypot(at.x - centre.x, at.y - centre.y) < kGizmoFreePixels)
        return nearest;
    double best = kGizmoHitPixels;
    for (const GizmoLine& line : GizmoLines(tool, camera, pivot)) {
        viewport::PixelPoint a, b;
        if (!camera.WorldToPixel(line.a, a) || !camera.WorldToPixel(line.b, b)) continue;
        const double d = viewport::DistanceToSegment(at, a, b);
        if (d <= best) {
            best = d;
            nearest = line.axis;
        }
    }
    return nearest;
}

double AlongAxis(const viewport::Camera& camera, const Vec3d& pivot, int axis, const viewport::PixelPoint& from,
                 const viewport::PixelPoint& to) {
    const double unit = UnitsPerPixel(camera, pivot);
    viewport::PixelPoint a, b;
    if (!(unit > 0.0) || !camera.WorldToPixel(pivot, a) || !camera.WorldToPixel(pivot + Unit(axis) * unit, b))
        return 0.0;
    // Pixels the axis's image runs for one pixel's worth of scene units.
    const double sx = b.x - a.x, sy = b.y - a.y;
    const double length2 = sx * sx + sy * sy;
    if (length2 < 0.01) return 0.0;
    return ((to.x - from.x) * sx + (to.y - from.y) * sy) / length2 * unit;
}

int ViewAxis(const viewport::Camera& camera) {
    const Vec3d back = camera.ViewToWorld().rows[2];
    const double c[3] = {std::fabs(back.x), std::fabs(back.y), std::fabs(back.z)};
    return static_cast<int>(std::max_element(c, c + 3) - c);
}

double RotationDegrees(double dx) { return dx * kDegreesPerPixel; }

double ScaleFactor(double dx) { return std::exp2(dx / kScalePixels); }

}  // namespace zg::session
