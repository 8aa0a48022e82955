// The arithmetic of the built-in force fields. Formulas work in double precision
// (zg::Vec3d), so that distances and directions of far-apart points neither overflow
// nor lose their direction, and round to single precision once, at the end.
#pragma once

#include <cmath>

#include "app/geometry/vec3d.h"
#include "host/geometry.h"
#include "host/time.h"

namespace zg::warps {

// Rounded to single precision; a vector with any component that is not finite there
// (NaN, or beyond the float range) becomes zero, so no force is ever NaN or infinite.
inline host::Point3 ToForce(const Vec3d& v) {
    const host::Point3 p = v.ToPoint3();
    return host::IsFinite(p) ? p : host::Point3();
}

// The world origin and unit Z axis of a node's transform. The axis is zero when the
// transform flattens Z (a scale of 0 on Z): formulas along the axis then give no force.
struct NodeFrame {
    Vec3d origin;
    Vec3d zAxis;
};

inline NodeFrame FrameOf(const host::Matrix3& tm) {
    return {Vec3d(tm.GetTrans()), Normalized(Vec3d(tm.GetRow(2)))};
}

// The falloff exp(-decay x distance): 1 without decay, 0 where the product overflows.
// Decay is never negative (its range starts at 0).
inline double DecayFactor(double decay, double distance) {
    if (!(decay > 0.0)) return 1.0;
    const double f = std::exp(-decay * distance);
    return std::isfinite(f) ? f : 0.0;
}

// Seconds since time zero: 4800 ticks to the second.
inline double Seconds(host::TimeValue t) { return static_cast<double>(t) / host::kTicksPerSecond; }

}  // namespace zg::warps
