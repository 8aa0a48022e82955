#include "app/viewport/construction_grid.h"

#include <algorithm>
#include <cmath>

namespace zg::viewport {

namespace {

// The orthographic grid aims at this many pixels between lines.
constexpr double kOrthoPixelsPerLine = 48.0;
// The perspective grid spans about this many cells across.
constexpr double kPerspectiveCells = 24.0;
// Never more lines than this along one direction, whatever the input.
constexpr long kMaxLines = 400;
constexpr long kMajorEvery = 5;
// Line indices stay below this, so that they count exactly in a long and a double.
constexpr double kFarthestLine = 1e15;

struct PlaneGrid {
    Vec3d u, v;       // the plane's axes in world space, unit length
    double u0, u1;    // the extent along u, in scene units
    double v0, v1;
    double spacing;
    Rgb uAxisColor;   // the world axis along u, drawn where v = 0
    Rgb vAxisColor;
};

void Line(host::GraphicsWindow& gw, const Vec3d& a, const Vec3d& b) {
    const host::Point3 points[3] = {a.ToPoint3(), b.ToPoint3(), {}};
    gw.polyline(2, points, 0);
}

Rgb AxisColor(const Vec3d& axis) {
    if (std::fabs(axis.x) > 0.99) return kAxisXColor;
    if (std::fabs(axis.y) > 0.99) return kAxisYColor;
    if (std::fabs(axis.z) > 0.99) return kAxisZColor;
    return kGridMajorColor;
}

void Draw(host::GraphicsWindow& gw, const PlaneGrid& g) {
    // Line indices along each direction; a range that is not finite, too long, or too
    // far from the origin to count in whole numbers draws no grid.
    const double du0 = std::ceil(g.u0 / g.spacing);
    const double du1 = std::floor(g.u1 / g.spacing);
    const double dv0 = std::ceil(g.v0 / g.spacing);
    const double dv1 = std::floor(g.v1 / g.spacing);
    for (double d : {du0, du1, dv0, dv1}) {
        if (!(std::fabs(d) < kFarthestLine)) return;
    }
    if (du1 - du0 > kMaxLines || dv1 - dv0 > kMaxLines) return;
    const long iu0 = static_cast<long>(du0);
    const long iu1 = static_cast<long>(du1);
    const long iv0 = static_cast<long>(dv0);
    const long iv1 = static_cast<long>(dv1);
    auto uLine = [&](long i) {
        const double u = i * g.spacing;
        Line(gw, g.u * u + g.v * g.v0, g.u * u + g.v * g.v1);
    };
    auto vLine = [&](long i) {
        const double v = i * g.spacing;
        Line(gw, g.u * g.u0 + g.v * v, g.u * g.u1 + g.v * v);
    };
    // Minor lines, then major ones over them, then the axes over everything.
    for (int pass = 0; pass < 2; ++pass) {
        const Rgb c = pass == 0 ? kGridMinorColor : kGridMajorColor;
        gw.setColor(host::LINE_COLOR, c.r, c.g, c.b);
        for (long i = iu0; i <= iu1; ++i) {
            if (i != 0 && ((i % kMajorEvery) == 0) == (pass == 1)) uLine(i);
        }
        for (long i = iv0; i <= iv1; ++i) {
            if (i != 0 && ((i % kMajorEvery) == 0) == (pass == 1)) vLine(i);
        }
    }
    if (iv0 <= 0 && iv1 >= 0) {
        gw.setColor(host::LINE_COLOR, g.uAxisColor.r, g.uAxisColor.g, g.uAxisColor.b);
        vLine(0);
    }
    if (iu0 <= 0 && iu1 >= 0) {
        gw.setColor(host::LINE_COLOR, g.vAxisColor.r, g.vAxisColor.g, g.vAxisColor.b);
        uLine(0);
    }
}

}  // namespace

double RoundGridSpacing(double spacing) {
    if (!(spacing > 0.0) || !std::isfinite(spacing)) return 1.0;
    const double power = std::pow(10.0, std::floor(std::log10(spacing)));
    for (double step : {1.0, 2.0, 5.0, 10.0}) {
        if (power * step >= spacing * (1.0 - 1e-9)) return power * step;
    }
    return power * 10.0;
}

namespace {

// The perspective grid covers the scene's footprint on the XY plane: its lower and
// upper corners there, at least a unit square.
void PerspectiveExtent(const host::Box3& sceneBounds, Vec3d& lo, Vec3d& hi) {
    lo = {-1, -1, 0};
    hi = {1, 1, 0};
    if (!sceneBounds.IsEmpty() && IsFinite(Vec3d(sceneBounds.pmin)) && IsFinite(Vec3d(sceneBounds.pmax))) {
        lo = Vec3d(sceneBounds.pmin);
        hi = Vec3d(sceneBounds.pmax);
    }
}

double PerspectiveSpan(const Vec3d& lo, const Vec3d& hi) { return std::max({hi.x - lo.x, hi.y - lo.y, 1.0}); }

}  // namespace

double GridSpacing(const Camera& camera, const host::Box3& sceneBounds) {
    if (camera.GetProjection() == Projection::kOrthographic)
        return RoundGridSpacing(kOrthoPixelsPerLine / camera.Scale());
    Vec3d lo, hi;
    PerspectiveExtent(sceneBounds, lo, hi);
    return RoundGridSpacing(1.6 * PerspectiveSpan(lo, hi) / kPerspectiveCells);
}

void DrawConstructionGrid(host::GraphicsWindow& gw, const Camera& camera, const host::Box3& sceneBounds) {
    gw.setTransform(host::Matrix3());
    PlaneGrid g;
    g.spacing = GridSpacing(camera, sceneBounds);
    if (camera.GetProjection() == Projection::kOrthographic) {
        const Affine& axes = camera.ViewToWorld();
        g.u = axes.rows[0];
        g.v = axes.rows[1];
        const Vec3d center = axes.rows[3];
        const double halfU = camera.Width() * 0.5 / camera.Scale();
        const double halfV = camera.Height() * 0.5 / camera.Scale();
        const double cu = Dot(center, g.u);
        const double cv = Dot(center, g.v);
        g.u0 = cu - halfU;
        g.u1 = cu + halfU;
        g.v0 = cv - halfV;
        g.v1 = cv + halfV;
    } else {
        g.u = {1, 0, 0};
        g.v = {0, 1, 0};
        Vec3d lo, hi;
        PerspectiveExtent(sceneBounds, lo, hi);
        const double extent = PerspectiveSpan(lo, hi);
        const double half = std::ceil(0.8 * extent / g.spacing) * g.spacing;
        const double cu = std::round((lo.x + hi.x) * 0.5 / g.spacing) * g.spacing;
        const double cv = std::round((lo.y + hi.y) * 0.5 / g.spacing) * g.spacing;
        g.u0 = cu - half;
        g.u1 = cu + half;
        g.v0 = cv - half;
        g.v1 = cv + half;
    }
    g.uAxisColor = AxisColor(g.u);
    g.vAxisColor = AxisColor(g.v);
    Draw(gw, g);
}

}  // namespace zg::viewport
