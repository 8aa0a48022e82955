// Vec3d: the double-precision maths of the application, rounded to the host's single
// precision at the edges.
#pragma once

#include <cmath>

#include "host/geometry.h"

namespace zg {

// A point or vector in double precision, so that large scene coordinates still land on
// the right pixel and distances between far-apart points neither overflow nor lose
// their direction.
struct Vec3d {
    double x = 0.0, y = 0.0, z = 0.0;

    constexpr Vec3d() = default;
    constexpr Vec3d(double px, double py, double pz) : x(px), y(py), z(pz) {}
    constexpr explicit Vec3d(const host::Point3& p) : x(p.x), y(p.y), z(p.z) {}

    constexpr Vec3d operator+(const Vec3d& b) const { return {x + b.x, y + b.y, z + b.z}; }
    constexpr Vec3d operator-(const Vec3d& b) const { return {x - b.x, y - b.y, z - b.z}; }
    constexpr Vec3d operator-() const { return {-x, -y, -z}; }
    constexpr Vec3d operator*(double s) const { return {x * s, y * s, z * s}; }
    constexpr bool operator==(const Vec3d&) const = default;

    // Rounded to single precision, as it is: components beyond the float range become
    // infinite.
    host::Point3 ToPoint3() const {
        return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
    }
};

constexpr double Dot(const Vec3d& a, const Vec3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
constexpr Vec3d Cross(const Vec3d& a, const Vec3d& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Length(const Vec3d& v) { return std::sqrt(Dot(v, v)); }
inline bool IsFinite(const Vec3d& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// The unit vector along v; zero when v has no direction (zero, infinite or NaN).
inline Vec3d Normalized(const Vec3d& v) {
    const double len = Length(v);
    if (!(len > 0.0) || !std::isfinite(len)) return {};
    return {v.x / len, v.y / len, v.z / len};
}

}  // namespace zg
