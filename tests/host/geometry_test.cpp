#include "host/geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using host::Box3;
using host::Matrix3;
using host::Point3;

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

void ExpectNear(const Point3& a, const Point3& b, float eps = 1e-5f) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

bool AllFinite(const Matrix3& m) {
    for (int i = 0; i < 4; ++i)
        if (!host::IsFinite(m.GetRow(i))) return false;
    return true;
}

TEST(Point3Test, VectorHelpers) {
    EXPECT_FLOAT_EQ(host::Length(Point3(3.0f, 4.0f, 12.0f)), 13.0f);
    EXPECT_EQ(host::CrossProd(Point3::XAxis, Point3::YAxis), Point3::ZAxis);
    EXPECT_EQ(Point3::ZAxis, Point3(0.0f, 0.0f, 1.0f));
    EXPECT_EQ(host::Normalize(Point3()), Point3());
    ExpectNear(host::Normalize(Point3(0.0f, 3e30f, 4e30f)), Point3(0.0f, 0.6f, 0.8f));
    EXPECT_FALSE(host::IsFinite(Point3(0.0f, NAN, 0.0f)));
    EXPECT_FALSE(host::IsFinite(Point3(INFINITY, 0.0f, 0.0f)));
}

TEST(Matrix3Test, RowVectorsAndTranslation) {
    Matrix3 m = Matrix3::Scale(Point3(2.0f, 3.0f, 4.0f));
    m.SetTrans(Point3(10.0f, 20.0f, 30.0f));
    ExpectNear(m.PointTransform(Point3(1.0f, 1.0f, 1.0f)), Point3(12.0f, 23.0f, 34.0f));
    ExpectNear(m.VectorTransform(Point3(1.0f, 1.0f, 1.0f)), Point3(2.0f, 3.0f, 4.0f));
    // Row i is the image of axis i.
    const Matrix3 r(Point3(0, 1, 0), Point3(-1, 0, 0), Point3(0, 0, 1), Point3(5, 0, 0));
    ExpectNear(r.PointTransform(Point3(1, 0, 0)), Point3(5, 1, 0));
}

TEST(Matrix3Test, RotationsAreRightHanded) {
    ExpectNear(Matrix3::RotateX(kPi / 2).VectorTransform(Point3::YAxis), Point3::ZAxis);
    ExpectNear(Matrix3::RotateY(kPi / 2).VectorTransform(Point3::ZAxis), Point3::XAxis);
    ExpectNear(Matrix3::RotateZ(kPi / 2).VectorTransform(Point3::XAxis), Point3::YAxis);
}

TEST(Matrix3Test, ProductAppliesLeftOperandFirst) {
    const Matrix3 move = Matrix3::Translation(Point3(1, 0, 0));
    const Matrix3 turn = Matrix3::RotateZ(kPi / 2);
    ExpectNear((move * turn).PointTransform(Point3()), Point3(0, 1, 0));
    ExpectNear((turn * move).PointTransform(Point3()), Point3(1, 0, 0));
    const Point3 p(0.3f, -2.0f, 5.0f);
    ExpectNear((move * turn).PointTransform(p), turn.PointTransform(move.PointTransform(p)));
}

TEST(Matrix3Test, FlagBits) {
    Matrix3 m;
    EXPECT_EQ(m.GetFlags(), uint32_t{host::kMatrixIdentity});
    m.SetTrans(Point3(1, 2, 3));
    EXPECT_EQ(m.GetFlags(), uint32_t{host::kMatrixIdentityRot | host::kMatrixIdentityScl});
    Matrix3 a;
    a.SetRow(1, Point3(0, 2, 0));
    EXPECT_EQ(a.GetFlags(), uint32_t{host::kMatrixIdentityPos});
    Matrix3 b;
    b.SetRow(3, Point3(0, 0, 1));
    EXPECT_EQ(b.GetFlags() & host::kMatrixIdentityPos, 0u);
    EXPECT_EQ(b.GetTrans(), Point3(0, 0, 1));
}

TEST(Matrix3Test, InverseUndoesRotationScaleAndTranslation) {
    const Matrix3 m = Matrix3::Scale(Point3(2.0f, 0.5f, 3.0f)) * Matrix3::RotateX(0.3f) * Matrix3::RotateZ(1.1f) *
                      Matrix3::Translation(Point3(4.0f, -5.0f, 6.0f));
    const Matrix3 product = m * host::Inverse(m);
    for (int i = 0; i < 4; ++i) ExpectNear(product.GetRow(i), Matrix3().GetRow(i), 1e-5f);
    const Point3 p(1.5f, -7.0f, 0.25f);
    ExpectNear(host::Inverse(m).PointTransform(m.PointTransform(p)), p, 1e-4f);
}

TEST(Matrix3Test, InverseOfSingularOrNonFiniteMatrixStaysFinite) {
    Matrix3 flat = Matrix3::Scale(Point3(1.0f, 0.0f, 1.0f));
    flat.SetTrans(Point3(1, 2, 3));
    const Matrix3 inv = host::Inverse(flat);
    EXPECT_TRUE(AllFinite(inv));
    EXPECT_EQ(inv.GetRow(0), Point3::XAxis);
    EXPECT_EQ(inv.GetRow(1), Point3::YAxis);
    EXPECT_EQ(inv.GetRow(2), Point3::ZAxis);
    EXPECT_EQ(inv.GetTrans(), Point3(-1, -2, -3));

    const Matrix3 nanAxis(Point3(NAN, 0, 0), Point3::YAxis, Point3::ZAxis, Point3(1, 1, 1));
    EXPECT_TRUE(AllFinite(host::Inverse(nanAxis)));

    const Matrix3 tiny = Matrix3::Scale(Point3(1e-30f, 1e-30f, 1e-30f));
    EXPECT_TRUE(AllFinite(host::Inverse(tiny)));

    // A translation at infinity is negated, never turned into NaN.
    Matrix3 far = Matrix3::RotateZ(0.5f);
    far.SetTrans(Point3(INFINITY, 0, 0));
    const Point3 t = host::Inverse(far).GetTrans();
    EXPECT_FALSE(std::isnan(t.x) || std::isnan(t.y) || std::isnan(t.z));
}

TEST(Box3Test, EmptyBoxAndGrowth) {
    Box3 b;
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_FALSE(b.Contains(Point3()));
    b += Point3(1, 2, 3);
    EXPECT_FALSE(b.IsEmpty());
    EXPECT_EQ(b.pmin, b.pmax);
    b += Point3(-1, 5, 0);
    EXPECT_EQ(b.pmin, Point3(-1, 2, 0));
    EXPECT_EQ(b.pmax, Point3(1, 5, 3));
    b += Point3(NAN, 100, 100);  // ignored
    EXPECT_EQ(b.pmax, Point3(1, 5, 3));
    EXPECT_EQ(b.Center(), Point3(0, 3.5f, 1.5f));
    EXPECT_EQ(b.Width(), Point3(2, 3, 3));
    Box3 grown;
    grown += Box3();
    EXPECT_TRUE(grown.IsEmpty());
    grown += b;
    EXPECT_EQ(grown.pmin, b.pmin);
    b.Init();
    EXPECT_TRUE(b.IsEmpty());
}

TEST(Box3Test, CornerNumbering) {
    const Box3 b(Point3(0, 0, 0), Point3(1, 2, 3));
    EXPECT_EQ(b[0], Point3(0, 0, 0));
    EXPECT_EQ(b[1], Point3(1, 0, 0));
    EXPECT_EQ(b[2], Point3(0, 2, 0));
    EXPECT_EQ(b[3], Point3(1, 2, 0));
    EXPECT_EQ(b[4], Point3(0, 0, 3));
    EXPECT_EQ(b[6], Point3(0, 2, 3));
    EXPECT_EQ(b[7], Point3(1, 2, 3));
}

TEST(Box3Test, TransformedBoxHoldsAllEightCorners) {
    Matrix3 m = Matrix3::RotateZ(kPi / 4);
    m.SetTrans(Point3(10, 0, 0));
    const Box3 out = Box3(Point3(-1, -1, -1), Point3(1, 1, 1)) * m;
    const float r = std::sqrt(2.0f);
    ExpectNear(out.pmin, Point3(10 - r, -r, -1));
    ExpectNear(out.pmax, Point3(10 + r, r, 1));
    EXPECT_TRUE((Box3() * m).IsEmpty());
}

}  // namespace
