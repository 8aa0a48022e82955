#include "host/graphics.h"

#include <gtest/gtest.h>

#include <cmath>

using host::IPoint2;
using host::Point3;

namespace {

TEST(HitRegionTest, PointAndRectangleRegions) {
    host::HitRegion r;
    const IPoint2 p[2] = {IPoint2(40, 10), IPoint2(5, 30)};
    host::MakeHitRegion(r, host::POINT_RGN, host::kHitCrossing, 4, p);
    EXPECT_EQ(r.type, host::POINT_RGN);
    EXPECT_EQ(r.point, IPoint2(40, 10));
    EXPECT_EQ(r.epsilon, 4);

    host::MakeHitRegion(r, host::RECT_RGN, host::kHitWindow, 0, p);
    EXPECT_EQ(r.type, host::RECT_RGN);
    EXPECT_EQ(r.crossing, host::kHitWindow);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.right, 40);
    EXPECT_EQ(r.top, 10);
    EXPECT_EQ(r.bottom, 30);

    host::MakeHitRegion(r, host::POINT_RGN, host::kHitCrossing, -3, p);
    EXPECT_EQ(r.epsilon, 0);
}

TEST(UIColorTest, DefaultsAndTheme) {
    EXPECT_EQ(host::GetUIColor(host::COLOR_SELECTION), Point3(1, 1, 1));
    EXPECT_EQ(host::GetUIColor(host::COLOR_FREEZE), Point3(0.55f, 0.55f, 0.6f));
    const Point3 grey = host::GetUIColor(host::COLOR_SUBSELECTION);
    EXPECT_EQ(grey.x, grey.y);
    EXPECT_EQ(grey.y, grey.z);
    EXPECT_EQ(host::GetUIColor(57), grey);

    host::SetUIColor(host::COLOR_SELECTION, Point3(2.0f, -1.0f, 0.25f));
    EXPECT_EQ(host::GetUIColor(host::COLOR_SELECTION), Point3(1.0f, 0.0f, 0.25f));
    host::SetUIColor(host::COLOR_SELECTION, Point3(NAN, 0, 0));
    EXPECT_EQ(host::GetUIColor(host::COLOR_SELECTION), Point3(1.0f, 0.0f, 0.25f));
    host::SetUIColor(host::COLOR_SELECTION, Point3(1, 1, 1));
}

}  // namespace
