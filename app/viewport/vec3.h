// Vec3: a double-precision point or vector for the viewport's own projection maths.
// The host's geometry is single precision; cameras and projection work in double so
// that large scene coordinates still land on the right pixel.
#pragma once

#include <cmath>

#include "host/geometry.h"

namespace zg::viewport {

struct Vec3 {
    double x = 0.0, y = 0.0, z = 0.0;

    constexpr Vec3() = default;
    constexpr Vec3(double px, double py, double pz) : x(px), y(py), z(pz) {}
    constexpr explicit Vec3(const host::Point3& p) : x(p.x), y(p.y), z(p.z) {}

    constexpr Vec3 operator+(const Vec3& b) const { return {x + b.x, y + b.y, z + b.z}; }
    constexpr Vec3 operator-(const Vec3& b) const { return {x - b.x, y - b.y, z - b.z}; }
    constexpr Vec3 operator-() const { return {-x, -y, -z}; }
    constexpr Vec3 operator*(double s) const { return {x * s, y * s, z * s}; }
    constexpr bool operator==(const Vec3&) const = default;

    host::Point3 ToPoint3() const {
        return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
    }
};

constexpr double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
constexpr Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Length(const Vec3& v) { return std::sqrt(Dot(v, v)); }
// The unit vector along v; the zero vector (or a non-finite one) gives zero.
inline Vec3 Normalized(const Vec3& v) {
    const double len = Length(v);
    if (!(len > 0.0) || !std::isfinite(len)) return {};
    return v * (1.0 / len);
}
inline bool IsFinite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// An affine transform in double precision, in the host's row-vector convention:
// p' = p * M, rows are the images of the X, Y and Z axes, then the translation.
struct Affine {
    Vec3 rows[4] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}};

    static Affine FromMatrix3(const host::Matrix3& m) {
        Affine a;
        for (int i = 0; i < 4; ++i) a.rows[i] = Vec3(m.GetRow(i));
        return a;
    }
    host::Matrix3 ToMatrix3() const {
        return host::Matrix3(rows[0].ToPoint3(), rows[1].ToPoint3(), rows[2].ToPoint3(), rows[3].ToPoint3());
    }
    Vec3 PointTransform(const Vec3& p) const {
        return rows[0] * p.x + rows[1] * p.y + rows[2] * p.z + rows[3];
    }
    Vec3 VectorTransform(const Vec3& v) const { return rows[0] * v.x + rows[1] * v.y + rows[2] * v.z; }
    // (A * B) applies A first, then B.
    Affine operator*(const Affine& b) const {
        Affine r;
        for (int i = 0; i < 3; ++i) r.rows[i] = b.VectorTransform(rows[i]);
        r.rows[3] = b.PointTransform(rows[3]);
        return r;
    }
};

}  // namespace zg::viewport
