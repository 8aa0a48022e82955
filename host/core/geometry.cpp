#include "host/geometry.h"

#include <algorithm>
#include <limits>

namespace host {

const Point3 Point3::Origin{0.0f, 0.0f, 0.0f};
const Point3 Point3::XAxis{1.0f, 0.0f, 0.0f};
const Point3 Point3::YAxis{0.0f, 1.0f, 0.0f};
const Point3 Point3::ZAxis{0.0f, 0.0f, 1.0f};

Point3 Normalize(const Point3& p) {
    // Measured in double so that components near the float limit do not overflow the
    // squared length; a vector that has no direction (zero, infinite, NaN) is returned
    // as it came.
    const double x = p.x, y = p.y, z = p.z;
    const double len = std::sqrt(x * x + y * y + z * z);
    if (!(len > 0.0) || !std::isfinite(len)) return p;
    return {static_cast<float>(x / len), static_cast<float>(y / len), static_cast<float>(z / len)};
}

// ---- Matrix3 -------------------------------------------------------------------------

Matrix3::Matrix3() : rows_{Point3::XAxis, Point3::YAxis, Point3::ZAxis, Point3::Origin} {}

Matrix3::Matrix3(const Point3& xAxis, const Point3& yAxis, const Point3& zAxis, const Point3& trans)
    : rows_{xAxis, yAxis, zAxis, trans}, flags_(0) {}

Matrix3 Matrix3::Translation(const Point3& t) {
    Matrix3 m;
    m.SetTrans(t);
    return m;
}

Matrix3 Matrix3::RotateX(float radians) {
    const float c = std::cos(radians), s = std::sin(radians);
    Matrix3 m({1.0f, 0.0f, 0.0f}, {0.0f, c, s}, {0.0f, -s, c}, Point3::Origin);
    m.flags_ = kMatrixIdentityPos | kMatrixIdentityScl;
    return m;
}

Matrix3 Matrix3::RotateY(float radians) {
    const float c = std::cos(radians), s = std::sin(radians);
    Matrix3 m({c, 0.0f, -s}, {0.0f, 1.0f, 0.0f}, {s, 0.0f, c}, Point3::Origin);
    m.flags_ = kMatrixIdentityPos | kMatrixIdentityScl;
    return m;
}

Matrix3 Matrix3::RotateZ(float radians) {
    const float c = std::cos(radians), s = std::sin(radians);
    Matrix3 m({c, s, 0.0f}, {-s, c, 0.0f}, {0.0f, 0.0f, 1.0f}, Point3::Origin);
    m.flags_ = kMatrixIdentityPos | kMatrixIdentityScl;
    return m;
}

Matrix3 Matrix3::Scale(const Point3& s) {
    Matrix3 m({s.x, 0.0f, 0.0f}, {0.0f, s.y, 0.0f}, {0.0f, 0.0f, s.z}, Point3::Origin);
    m.flags_ = kMatrixIdentityPos | kMatrixIdentityRot;
    return m;
}

void Matrix3::SetRow(int i, const Point3& p) {
    if (i < 0 || i > 3) return;
    rows_[i] = p;
    flags_ &= i == 3 ? ~uint32_t{kMatrixIdentityPos} : ~uint32_t{kMatrixIdentityRot | kMatrixIdentityScl};
}

void Matrix3::SetTrans(const Point3& p) {
    rows_[3] = p;
    flags_ &= ~uint32_t{kMatrixIdentityPos};
}

Matrix3 Matrix3::operator*(const Matrix3& b) const {
    Matrix3 r(b.VectorTransform(rows_[0]), b.VectorTransform(rows_[1]), b.VectorTransform(rows_[2]),
              b.PointTransform(rows_[3]));
    r.flags_ = flags_ & b.flags_;
    return r;
}

bool Matrix3::operator==(const Matrix3& b) const {
    return rows_[0] == b.rows_[0] && rows_[1] == b.rows_[1] && rows_[2] == b.rows_[2] && rows_[3] == b.rows_[3];
}

Matrix3 Inverse(const Matrix3& m) {
    const Point3 t = m.GetTrans();
    Matrix3 fallback(Point3::XAxis, Point3::YAxis, Point3::ZAxis, -t);
    fallback.SetFlags((m.GetFlags() & kMatrixIdentityPos) | kMatrixIdentityRot | kMatrixIdentityScl);

    // Computed in double: the columns of the inverse are the cross products of the
    // axis rows divided by the determinant.
    double r[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r[i][j] = m.GetRow(i)[j];
    const double c0[3] = {r[1][1] * r[2][2] - r[1][2] * r[2][1], r[1][2] * r[2][0] - r[1][0] * r[2][2],
                          r[1][0] * r[2][1] - r[1][1] * r[2][0]};
    const double c1[3] = {r[2][1] * r[0][2] - r[2][2] * r[0][1], r[2][2] * r[0][0] - r[2][0] * r[0][2],
                          r[2][0] * r[0][1] - r[2][1] * r[0][0]};
    const double c2[3] = {r[0][1] * r[1][2] - r[0][2] * r[1][1], r[0][2] * r[1][0] - r[0][0] * r[1][2],
                          r[0][0] * r[1][1] - r[0][1] * r[1][0]};
    const double det = r[0][0] * c0[0] + r[0][1] * c0[1] + r[0][2] * c0[2];
    if (det == 0.0 || !std::isfinite(det) || !IsFinite(t)) return fallback;

    Point3 rows[3];
    for (int k = 0; k < 3; ++k) {
        rows[k] = {static_cast<float>(c0[k] / det), static_cast<float>(c1[k] / det),
                   static_cast<float>(c2[k] / det)};
        if (!IsFinite(rows[k])) return fallback;
    }
    const double tx = t.x, ty = t.y, tz = t.z;
    Point3 trans;
    for (int k = 0; k < 3; ++k) trans[k] = static_cast<float>(-(tx * rows[0][k] + ty * rows[1][k] + tz * rows[2][k]));
    if (!IsFinite(trans)) return fallback;

    Matrix3 inv(rows[0], rows[1], rows[2], trans);
    inv.SetFlags(m.GetFlags());
    return inv;
}

// ---- Box3 ----------------------------------------------------------------------------

Box3::Box3() { Init(); }

bool Box3::IsEmpty() const { return pmin.x > pmax.x || pmin.y > pmax.y || pmin.z > pmax.z; }

void Box3::Init() {
    constexpr float big = std::numeric_limits<float>::max();
    pmin = {big, big, big};
    pmax = {-big, -big, -big};
}

Box3& Box3::operator+=(const Point3& p) {
    // A point with a NaN coordinate has no place in space; it leaves the box unchanged.
    if (std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z)) return *this;
    if (IsEmpty()) {
        pmin = pmax = p;
        return *this;
    }
    for (int i = 0; i < 3; ++i) {
        pmin[i] = std::min(pmin[i], p[i]);
        pmax[i] = std::max(pmax[i], p[i]);
    }
    return *this;
}

Box3& Box3::operator+=(const Box3& b) {
    if (b.IsEmpty()) return *this;
    *this += b.pmin;
    *this += b.pmax;
    return *this;
}

bool Box3::Contains(const Point3& p) const {
    if (IsEmpty()) return false;
    return p.x >= pmin.x && p.x <= pmax.x && p.y >= pmin.y && p.y <= pmax.y && p.z >= pmin.z && p.z <= pmax.z;
}

Point3 Box3::Center() const {
    if (IsEmpty()) return Point3::Origin;
    return (pmin + pmax) * 0.5f;
}

Point3 Box3::Width() const {
    if (IsEmpty()) return Point3::Origin;
    return pmax - pmin;
}

Point3 Box3::operator[](int i) const {
    return {(i & 1) ? pmax.x : pmin.x, (i & 2) ? pmax.y : pmin.y, (i & 4) ? pmax.z : pmin.z};
}

Box3 operator*(const Box3& b, const Matrix3& m) {
    Box3 out;
    if (b.IsEmpty()) return out;
    for (int i = 0; i < 8; ++i) out += m.PointTransform(b[i]);
    return out;
}

}  // namespace host
