// Transforms from position, rotation and scale, and rotation degrees read back from them.
#include <gtest/gtest.h>

#include <cmath>

#include "app/scene/transform.h"

namespace {

using host::Point3;

void ExpectNear(const Point3& actual, const Point3& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST(TransformTest, RotationDegreesUndoComposeTransform) {
    const host::Point3 cases[] = {{0, 0, 0}, {90, 0, 0}, {0, 0, -90}, {30, -45, 120}, {-170, 60, 10}, {12, 90, 0}};
    for (const host::Point3& angles : cases) {
        const host::Matrix3 m = zg::scene::ComposeTransform({}, angles, {1, 1, 1});
        const host::Matrix3 back = zg::scene::ComposeTransform({}, zg::scene::RotationDegrees(m), {1, 1, 1});
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(back.GetRow(r)[c], m.GetRow(r)[c], 1e-6) << angles.x << " " << angles.y << " " << angles.z;
    }
    EXPECT_EQ(zg::scene::RotationDegrees(zg::scene::ComposeTransform({}, {90, 0, 0}, {1, 1, 1})), host::Point3(90, 0, 0));
}
TEST(TransformTest, ScaleThenRotateXYZThenTranslate) {
    // Quarter turns are exact: X by 90 takes Y to Z, then Z by 90 takes X to Y.
    const host::Matrix3 rx = zg::scene::ComposeTransform({}, {90.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 1.0f});
    EXPECT_EQ(rx.VectorTransform({0.0f, 1.0f, 0.0f}), Point3(0.0f, 0.0f, 1.0f));
    const host::Matrix3 rz = zg::scene::ComposeTransform({}, {0.0f, 0.0f, 90.0f}, {1.0f, 1.0f, 1.0f});
    EXPECT_EQ(rz.VectorTransform({1.0f, 0.0f, 0.0f}), Point3(0.0f, 1.0f, 0.0f));

    // The order: scale (2 on X), then X, then Y, then Z, then translate.
    const host::Matrix3 m = zg::scene::ComposeTransform({10.0f, 20.0f, 30.0f}, {90.0f, 90.0f, 0.0f}, {2.0f, 1.0f, 1.0f});
    // (1,0,0) -> scale (2,0,0) -> X stays -> Y by 90 takes X to -Z -> (0,0,-2) -> +t.
    EXPECT_EQ(m.PointTransform({1.0f, 0.0f, 0.0f}), Point3(10.0f, 20.0f, 28.0f));
    // (0,1,0) -> X by 90 -> (0,0,1) -> Y by 90 takes Z to X -> (1,0,0) -> +t.
    EXPECT_EQ(m.PointTransform({0.0f, 1.0f, 0.0f}), Point3(11.0f, 20.0f, 30.0f));

    // Agrees with the host's own rotation matrices at arbitrary angles.
    const host::Matrix3 composed = zg::scene::ComposeTransform({1.0f, 2.0f, 3.0f}, {30.0f, -45.0f, 200.0f},
                                                               {1.0f, 2.0f, 3.0f});
    const float d = static_cast<float>(M_PI / 180.0);
    const host::Matrix3 reference = host::Matrix3::Scale({1.0f, 2.0f, 3.0f}) * host::Matrix3::RotateX(30.0f * d) *
                                    host::Matrix3::RotateY(-45.0f * d) * host::Matrix3::RotateZ(200.0f * d) *
                                    host::Matrix3::Translation({1.0f, 2.0f, 3.0f});
    for (int row = 0; row < 4; ++row) ExpectNear(composed.GetRow(row), reference.GetRow(row));
}

}  // namespace
