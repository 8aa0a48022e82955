// Viewports: the pointer's ray snapped onto each view's construction plane.
#include <gtest/gtest.h>


#include "app/viewport/viewport.h"
#include "tests/app/test_cameras.h"

namespace {

using namespace zg::viewport;
using namespace viewporttest;
using host::Point3;

TEST(SnapTest, ThePointerRayMeetsTheConstructionPlane) {
    Viewport top("Top", Top());
    host::IPoint2 out;
    Point3 p = top.SnapPoint({230, 90}, out);
    EXPECT_FLOAT_EQ(p.x, 1.5f);
    EXPECT_FLOAT_EQ(p.y, 0.5f);
    EXPECT_FLOAT_EQ(p.z, 0.0f);
    EXPECT_EQ(out, (host::IPoint2{230, 90}));

    top.SetGridSnap(true, 1.0);
    host::IPoint2 in{233, 93};
    p = top.SnapPoint(in, in);  // in and out may be the same
    EXPECT_EQ(p, Point3(2, 0, 0));
    EXPECT_EQ(in, (host::IPoint2{240, 100}));
    EXPECT_FALSE(top.PreviewPoint().has_value());
    top.SnapPreview({233, 93}, out);
    EXPECT_EQ(top.PreviewPoint(), Point3(2, 0, 0));

    // The front view builds on its own plane, XZ.
    Viewport front("Front", Front());
    p = front.SnapPoint({220, 60}, out);
    EXPECT_NEAR(p.x, 1.0f, 1e-6);
    EXPECT_NEAR(p.y, 0.0f, 1e-6);
    EXPECT_NEAR(p.z, 2.0f, 1e-6);

    // A perspective view builds on the world XY plane.
    Viewport persp("Persp", Camera::Perspective({0, -10, 10}, {0, 0, 0}, {0, 0, 1}, 60.0, kW, kH));
    p = persp.SnapPoint({200, 100}, out);
    EXPECT_NEAR(p.x, 0.0f, 1e-5);
    EXPECT_NEAR(p.y, 0.0f, 1e-5);
    EXPECT_EQ(p.z, 0.0f);
    // Above the horizon the ray never meets the plane; the answer stays on the plane.
    p = persp.SnapPoint({200, -1000}, out);
    EXPECT_EQ(p.z, 0.0f);
    EXPECT_TRUE(host::IsFinite(p));
}

}  // namespace
