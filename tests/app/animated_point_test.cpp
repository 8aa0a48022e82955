// Animated points: interpolation between keys, held ends, and the keys accepted.
#include <gtest/gtest.h>

#include <cmath>

#include "app/scene/animated_point.h"

namespace {

using host::Point3;
using zg::scene::AnimatedPoint;
using zg::scene::PointKey;

void ExpectNear(const Point3& actual, const Point3& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST(AnimatedPointTest, InterpolatesBetweenKeysAndHoldsOutside) {
    const AnimatedPoint value({PointKey{0, {0.0f, 0.0f, 0.0f}}, PointKey{100, {10.0f, -20.0f, 4.0f}},
                               PointKey{200, {10.0f, 0.0f, 0.0f}}});
    EXPECT_TRUE(value.IsAnimated());
    EXPECT_EQ(value.At(0), Point3(0.0f, 0.0f, 0.0f));
    ExpectNear(value.At(25), {2.5f, -5.0f, 1.0f});
    EXPECT_EQ(value.At(100), Point3(10.0f, -20.0f, 4.0f));
    ExpectNear(value.At(150), {10.0f, -10.0f, 2.0f});
    // Before the first key and after the last the end values hold.
    EXPECT_EQ(value.At(-1000), Point3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(value.At(host::kTimePosInfinity), Point3(10.0f, 0.0f, 0.0f));
    EXPECT_EQ(value.At(host::kTimeNegInfinity), Point3(0.0f, 0.0f, 0.0f));
}

TEST(AnimatedPointTest, ConstantAndSingleKey) {
    const AnimatedPoint constant(Point3(1.0f, 2.0f, 3.0f));
    EXPECT_FALSE(constant.IsAnimated());
    EXPECT_EQ(constant.At(-5000), Point3(1.0f, 2.0f, 3.0f));
    const AnimatedPoint oneKey({PointKey{960, {4.0f, 5.0f, 6.0f}}});
    EXPECT_TRUE(oneKey.IsAnimated());
    EXPECT_EQ(oneKey.At(0), Point3(4.0f, 5.0f, 6.0f));
}

TEST(AnimatedPointTest, KeyValidityAndRepair) {
    EXPECT_TRUE(AnimatedPoint::KeysAreValid({PointKey{0, {}}, PointKey{1, {}}}));
    EXPECT_FALSE(AnimatedPoint::KeysAreValid({}));
    EXPECT_FALSE(AnimatedPoint::KeysAreValid({PointKey{5, {}}, PointKey{5, {}}}));
    EXPECT_FALSE(AnimatedPoint::KeysAreValid({PointKey{5, {}}, PointKey{1, {}}}));
    EXPECT_FALSE(AnimatedPoint::KeysAreValid({PointKey{0, {NAN, 0.0f, 0.0f}}}));
    // Keys out of order are sorted; of two at one time the later one counts.
    const AnimatedPoint repaired({PointKey{100, {1.0f, 0.0f, 0.0f}}, PointKey{0, {}}, PointKey{100, {2.0f, 0.0f, 0.0f}}});
    ASSERT_EQ(repaired.Keys().size(), 2u);
    EXPECT_EQ(repaired.At(100).x, 2.0f);
}

}  // namespace
