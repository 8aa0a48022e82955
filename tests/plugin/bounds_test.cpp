// Local and world bounding boxes: the lattice box widened by the force vectors.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "tests/plugin/plugin_fixture.h"

namespace zgtest {
namespace {

using BoundsTest = ZentrographTest;

TEST_F(BoundsTest, WithoutForcesTheBoxIsTheLattice) {
    SetSizes(2.0f, 4.0f, 6.0f);
    host::Box3 box = LocalBox();
    EXPECT_EQ(box.pmin, host::Point3(-1.0f, -2.0f, -3.0f));
    EXPECT_EQ(box.pmax, host::Point3(1.0f, 2.0f, 3.0f));
    // A resolution of 1 puts every sample at 0 but keeps the box.
    SetResolutions(1, 1, 1);
    box = LocalBox();
    EXPECT_EQ(box.pmin, host::Point3(-1.0f, -2.0f, -3.0f));
    EXPECT_EQ(box.pmax, host::Point3(1.0f, 2.0f, 3.0f));
    SetSizes(0.0f, 0.0f, 0.0f);
    box = LocalBox();
    EXPECT_EQ(box.pmin, host::Point3());
    EXPECT_EQ(box.pmax, host::Point3());
}

TEST_F(BoundsTest, OneVectorWidensItsSidesOnly) {
    // (3, -2, 0) at sample 0, zero vectors elsewhere; vectorScale 1.
    const float perUnit = 1.0f / 160000.0f;
    AddForceWarp([&](const host::Point3&, int k) {
        return k == 0 ? host::Point3(3.0f * perUnit, -2.0f * perUnit, 0.0f) : host::Point3();
    });
    SetSizes(10.0f, 10.0f, 10.0f);
    SetResolutions(2, 2, 1);
    ASSERT_TRUE(block->SetFloat(pid::vectorScale, 0, 1.0f));
    const host::Box3 box = LocalBox();
    EXPECT_FLOAT_EQ(box.pmin.x, -5.0f);
    EXPECT_FLOAT_EQ(box.pmin.y, -7.0f);
    EXPECT_EQ(box.pmin.z, -5.0f);
    EXPECT_FLOAT_EQ(box.pmax.x, 8.0f);
    EXPECT_EQ(box.pmax.y, 5.0f);
    EXPECT_EQ(box.pmax.z, 5.0f);
}

TEST_F(BoundsTest, TheMostNegativeAndMostPositiveComponentsCount) {
    AddForceWarp([](const host::Point3&, int k) {
        const float u = host::kForceUnit;
        switch (k) {
            case 0: return host::Point3(u, -3 * u, 0.0f);
            case 1: return host::Point3(4 * u, 2 * u, 0.0f);
            case 2: return host::Point3(2 * u, -u, -5 * u);
            default: return host::Point3(3 * u, 0.0f, u);
        }
    });
    SetResolutions(2, 2, 1);
    const host::Box3 box = LocalBox();
    // Every X is positive: the minimum X stays at -size/2. At scale 10, u draws 1.
    EXPECT_EQ(box.pmin.x, -0.5f);
    EXPECT_NEAR(box.pmax.x, 0.5f + 4.0f, 1e-5f);
    EXPECT_NEAR(box.pmin.y, -0.5f - 3.0f, 1e-5f);
    EXPECT_NEAR(box.pmax.y, 0.5f + 2.0f, 1e-5f);
    EXPECT_NEAR(box.pmin.z, -0.5f - 5.0f, 1e-5f);
    EXPECT_NEAR(box.pmax.z, 0.5f + 1.0f, 1e-5f);
}

TEST_F(BoundsTest, ComponentsThatAreNotNumbersAreIgnored) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    AddForceWarp([nan](const host::Point3&, int k) {
        return k == 0 ? host::Point3(nan, nan, nan) : host::Point3(0.0f, host::kForceUnit, 0.0f);
    });
    SetResolutions(2, 1, 1);
    const host::Box3 box = LocalBox();
    EXPECT_EQ(box.pmin, host::Point3(-0.5f, -0.5f, -0.5f));
    EXPECT_EQ(box.pmax.x, 0.5f);
    EXPECT_NEAR(box.pmax.y, 1.5f, 1e-5f);
    EXPECT_EQ(box.pmax.z, 0.5f);
}

TEST_F(BoundsTest, InfiniteComponentsAreIgnored) {
    const float inf = std::numeric_limits<float>::infinity();
    AddForceWarp([inf](const host::Point3&, int k) {
        return k == 0 ? host::Point3(inf, -inf, 0.0f) : host::Point3(0.0f, host::kForceUnit, 0.0f);
    });
    SetResolutions(2, 1, 1);
    const host::Box3 box = WorldBox();
    EXPECT_EQ(box.pmin, host::Point3(-0.5f, -0.5f, -0.5f));
    EXPECT_EQ(box.pmax.x, 0.5f);
    EXPECT_NEAR(box.pmax.y, 1.5f, 1e-5f);
}

TEST_F(BoundsTest, WorldBoxSurroundsTheTransformedCorners) {
    SetSizes(10.0f, 10.0f, 2.0f);
    host::Box3 box = WorldBox();
    EXPECT_EQ(box.pmin, host::Point3(-5.0f, -5.0f, -1.0f));
    EXPECT_EQ(box.pmax, host::Point3(5.0f, 5.0f, 1.0f));

    // Bounds take the transform of the call's time from the node.
    node.SetTM(host::Matrix3::RotateZ(std::numbers::pi_v<float> / 4) *
               host::Matrix3::Translation({100.0f, 0.0f, 0.0f}));
    box = WorldBox(480);
    const float r = 5.0f * std::numbers::sqrt2_v<float>;
    EXPECT_NEAR(box.pmin.x, 100.0f - r, 1e-4f);
    EXPECT_NEAR(box.pmax.x, 100.0f + r, 1e-4f);
    EXPECT_NEAR(box.pmin.y, -r, 1e-4f);
    EXPECT_NEAR(box.pmax.y, r, 1e-4f);
    EXPECT_NEAR(box.pmin.z, -1.0f, 1e-6f);
    EXPECT_NEAR(box.pmax.z, 1.0f, 1e-6f);
    EXPECT_EQ(node.TransformTimes().back(), 480);
}

}  // namespace
}  // namespace zgtest
