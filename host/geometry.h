// Single-precision geometry of the host: points, matrices and boxes.
//
// Conventions, stated once: vectors are rows and multiply matrices from the left
// (p' = p * M). A Matrix3 holds four rows: the images of the X, Y and Z axes, then
// the translation. All arithmetic is IEEE binary32; every stored result is rounded to
// single precision.
//
// Plain values and functions without shared state: any thread may use them, and
// whoever holds a value owns it.
#pragma once

#include <cmath>
#include <cstdint>

namespace host {

// A point or vector of three floats.
struct Point3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;

    constexpr Point3() = default;
    constexpr Point3(float px, float py, float pz) : x(px), y(py), z(pz) {}

    constexpr float& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
    constexpr float operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }

    constexpr Point3 operator+(const Point3& b) const { return {x + b.x, y + b.y, z + b.z}; }
    constexpr Point3 operator-(const Point3& b) const { return {x - b.x, y - b.y, z - b.z}; }
    constexpr Point3 operator-() const { return {-x, -y, -z}; }
    constexpr Point3 operator*(float s) const { return {x * s, y * s, z * s}; }
    constexpr Point3 operator/(float s) const { return {x / s, y / s, z / s}; }
    constexpr Point3& operator+=(const Point3& b) { x += b.x; y += b.y; z += b.z; return *this; }
    constexpr Point3& operator-=(const Point3& b) { x -= b.x; y -= b.y; z -= b.z; return *this; }
    constexpr Point3& operator*=(float s) { x *= s; y *= s; z *= s; return *this; }
    constexpr bool operator==(const Point3&) const = default;

    static const Point3 Origin;
    static const Point3 XAxis;
    static const Point3 YAxis;
    static const Point3 ZAxis;  // the constant Z axis (0, 0, 1)
};

inline constexpr Point3 operator*(float s, const Point3& p) { return p * s; }

// The small vector functions are inline: plug-ins call them once per sample.
inline float LengthSquared(const Point3& p) { return p.x * p.x + p.y * p.y + p.z * p.z; }
// Euclidean length, computed in single precision.
inline float Length(const Point3& p) { return std::sqrt(LengthSquared(p)); }
inline float DotProd(const Point3& a, const Point3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Point3 CrossProd(const Point3& a, const Point3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
// The unit vector along p; the zero vector stays zero.
Point3 Normalize(const Point3& p);
inline bool IsFinite(const Point3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

// A point on the screen in whole pixels: x to the right, y down.
struct IPoint2 {
    int x = 0, y = 0;

    constexpr IPoint2() = default;
    constexpr IPoint2(int px, int py) : x(px), y(py) {}
    constexpr IPoint2 operator+(const IPoint2& b) const { return {x + b.x, y + b.y}; }
    constexpr IPoint2 operator-(const IPoint2& b) const { return {x - b.x, y - b.y}; }
    constexpr bool operator==(const IPoint2&) const = default;
};

// Flag word bits of a Matrix3. Setting a translation clears kMatrixIdentityPos.
enum MatrixFlags : uint32_t {
    kMatrixIdentityPos = 0x1,  // the translation row is known to be zero
    kMatrixIdentityRot = 0x2,  // the axis rows are known to be the identity
    kMatrixIdentityScl = 0x4,
    kMatrixIdentity = kMatrixIdentityPos | kMatrixIdentityRot | kMatrixIdentityScl,
};

// An affine transform: three axis rows and a translation row, row-vector convention.
class Matrix3 {
public:
    // The identity, with every identity flag set.
    Matrix3();
    Matrix3(const Point3& xAxis, const Point3& yAxis, const Point3& zAxis, const Point3& trans);

    static Matrix3 Identity() { return Matrix3(); }
    static Matrix3 Translation(const Point3& t);
    // Rotation about one axis by an angle in radians, right-handed.
    static Matrix3 RotateX(float radians);
    static Matrix3 RotateY(float radians);
    static Matrix3 RotateZ(float radians);
    static Matrix3 Scale(const Point3& s);

    const Point3& GetRow(int i) const { return rows_[i]; }
    void SetRow(int i, const Point3& p);
    Point3 GetTrans() const { return rows_[3]; }
    // Sets the translation row and clears flag bit 0 (kMatrixIdentityPos).
    void SetTrans(const Point3& p);

    uint32_t GetFlags() const { return flags_; }
    void SetFlags(uint32_t f) { flags_ = f; }

    // p * M, the translation included. Inline, like VectorTransform: samplers call
    // both once per point.
    Point3 PointTransform(const Point3& p) const { return VectorTransform(p) + rows_[3]; }
    // v * M using the three axis rows only.
    Point3 VectorTransform(const Point3& v) const {
        return {v.x * rows_[0].x + v.y * rows_[1].x + v.z * rows_[2].x,
                v.x * rows_[0].y + v.y * rows_[1].y + v.z * rows_[2].y,
                v.x * rows_[0].z + v.y * rows_[1].z + v.z * rows_[2].z};
    }

    // Composition: (A * B) applies A first, then B.
    Matrix3 operator*(const Matrix3& b) const;
    bool operator==(const Matrix3& b) const;

private:
    Point3 rows_[4];
    uint32_t flags_ = kMatrixIdentity;
};

// The inverse of an affine matrix. A singular matrix (determinant zero or not finite)
// gives the identity axes with the negated translation, so callers never see NaN
// produced by the inversion itself.
Matrix3 Inverse(const Matrix3& m);

// An axis-aligned box. A default box is empty (min above max on every axis).
class Box3 {
public:
    Point3 pmin;
    Point3 pmax;

    Box3();
    Box3(const Point3& lo, const Point3& hi) : pmin(lo), pmax(hi) {}

    bool IsEmpty() const;
    void Init();
    // Grows the box to hold p.
    Box3& operator+=(const Point3& p);
    Box3& operator+=(const Box3& b);
    bool Contains(const Point3& p) const;
    Point3 Center() const;
    Point3 Width() const;

    // Corner i takes x from pmax when bit 0 of i is set, y for bit 1, z for bit 2.
    Point3 operator[](int i) const;
};

// The axis-aligned box around the eight corners of b transformed by m. An empty box
// stays empty.
Box3 operator*(const Box3& b, const Matrix3& m);

}  // namespace host
