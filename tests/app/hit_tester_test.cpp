// The hit tester: point regions reach epsilon pixels, rectangles cross or enclose.
#include <gtest/gtest.h>

#include "app/viewport/hit_tester.h"
#include "host/graphics.h"

namespace {

using namespace zg::viewport;

TEST(HitTesterTest, PointRegionsReachEpsilonPixelsFromLinesAndMarkers) {
    HitTester tester;
    host::HitRegion region;
    const host::IPoint2 at{10, 10};
    host::MakeHitRegion(region, host::POINT_RGN, host::kHitCrossing, 4, &at);
    tester.SetRegion(region);
    EXPECT_TRUE(tester.TouchesLine({0, 14}, {20, 14}, false));
    EXPECT_FALSE(tester.TouchesLine({0, 14.01}, {20, 14.01}, false));
    EXPECT_TRUE(tester.TouchesLine({14, 10}, {30, 10}, false));   // the end is 4 away
    EXPECT_FALSE(tester.TouchesLine({15, 10}, {30, 10}, false));
    EXPECT_TRUE(tester.TouchesMarker({16.5, 10}, host::kMarkerFilledDot));  // 4 + its 2.5 radius
    EXPECT_FALSE(tester.TouchesMarker({16.6, 10}, host::kMarkerRing));
}

TEST(HitTesterTest, RectanglesCrossOrEnclose) {
    HitTester tester;
    host::HitRegion region;
    const host::IPoint2 corners[2] = {{30, 30}, {10, 10}};
    host::MakeHitRegion(region, host::RECT_RGN, host::kHitCrossing, 0, corners);
    tester.SetRegion(region);
    EXPECT_TRUE(tester.TouchesLine({0, 20}, {40, 20}, false));  // passes through
    EXPECT_FALSE(tester.TouchesLine({0, 0}, {40, 5}, false));
    EXPECT_TRUE(tester.TouchesLine({0, 20}, {40, 20}, true));

    host::MakeHitRegion(region, host::RECT_RGN, host::kHitWindow, 0, corners);
    tester.SetRegion(region);
    EXPECT_FALSE(tester.TouchesLine({0, 20}, {40, 20}, false));
    EXPECT_TRUE(tester.TouchesLine({12, 20}, {28, 20}, false));
    EXPECT_FALSE(tester.TouchesLine({12, 20}, {28, 20}, true));  // part of it was cut away

    // A polyline counts in window mode only when all of it is inside.
    const PixelPoint inside[3] = {{12, 12}, {20, 20}, {28, 12}};
    const PixelPoint straddling[3] = {{12, 12}, {20, 20}, {40, 12}};
    tester.Clear();
    tester.Polyline({}, straddling, false, false);
    EXPECT_FALSE(tester.Hit());
    tester.Polyline({}, inside, true, false);
    EXPECT_TRUE(tester.Hit());
}

}  // namespace
