// The arithmetic of the built-in force fields. Formulas work in double precision
// (Vec3d), so that distances and directions of far-apart points neither overflow nor
// lose their direction, and round to single precision once, at the end.
#pragma once

#include <cmath>

#include "host/geometry.h"
#include "host/time.h"

namespace zg::warps {

struct Vec3d {
    double x = 0.0, y = 0.0, z = 0.0;

    constexpr Vec3d() = default;
    constexpr Vec3d(double px, double py, double pz) : x(px), y(py), z(pz) {}
    explicit constexpr Vec3d(const host::Point3& p) : x(p.x), y(p.y), z(p.z) {}

    constexpr Vec3d operator+(const Vec3d& b) const { return {x + b.x, y + b.y, z + b.z}; }
    constexpr Vec3d operator-(const Vec3d& b) const { return {x - b.x, y - b.y, z - b.z}; }
    constexpr Vec3d operator-() const { return {-x, -y, -z}; }
    constexpr Vec3d operator*(double s) const { return {x * s, y * s, z * s}; }

    double Length() const { return std::sqrt(x * x + y * y + z * z); }
    bool IsFinite() const { return std::isfinite(x) && std::isfinite(y) && std::isfinite(z); }
};

inline constexpr double Dot(const Vec3d& a, const Vec3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

inline constexpr Vec3d Cross(const Vec3d& a, const Vec3d& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// The unit vector along v; zero when v has no direction (zero, infinite or NaN).
inline Vec3d Unit(const Vec3d& v) {
    const double len = v.Length();
    if (!(len > 0.0) || !std::isfinite(len)) return {};
    return {v.x / len, v.y / len, v.z / len};
}

// Rounded to single precision; a vector with any component that is not finite there
// (NaN, or beyond the float range) becomes zero, so no force is ever NaN or infinite.
inline host::Point3 ToForce(const Vec3d& v) {
    const host::Point3 p(static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z));
    return host::IsFinite(p) ? p : host::Point3();
}

// The world origin and unit Z axis of a node's transform. The axis is zero when the
// transform flattens Z (a scale of 0 on Z): formulas along the axis then give no force.
struct NodeFrame {
    Vec3d origin;
    Vec3d zAxis;
};

inline NodeFrame FrameOf(const host::Matrix3& tm) {
    return {Vec3d(tm.GetTrans()), Unit(Vec3d(tm.GetRow(2)))};
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
