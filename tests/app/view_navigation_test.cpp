// Navigating views: orbit, pan and zoom, and cameras the page places, held to the zoom
// range.
#include <gtest/gtest.h>

#include <cmath>

#include "app/viewport/view_camera.h"
#include "app/viewport/view_navigation.h"

namespace {

TEST(ViewNavigationTest, OrbitPanAndZoomKeepWhatTheyPromise) {
    zg::scene::ViewDefinition persp;
    persp.name = "P";
    persp.eye = {10, -10, 10};
    const double distance = Length(persp.eye - persp.target);
    EXPECT_TRUE(zg::viewport::Orbit(persp, 90, 0));
    EXPECT_NEAR(Length(persp.eye - persp.target), distance, 1e-9);
    EXPECT_NEAR(persp.eye.z, 10, 1e-9);  // turning about the up axis keeps the height
    for (int i = 0; i < 50; ++i) zg::viewport::Orbit(persp, 0, 100);  // never over the pole
    EXPECT_GT(Length(zg::Cross(zg::Normalized(persp.eye - persp.target), {0, 0, 1})), 0.01);

    zg::scene::ViewDefinition top;
    top.name = "T";
    top.kind = zg::scene::ViewKind::kTop;
    top.width = 20;
    EXPECT_FALSE(zg::viewport::Orbit(top, 10, 10));
    EXPECT_TRUE(zg::viewport::Pan(top, 400, 400, 40, 0));  // the scene follows the pointer
    EXPECT_NEAR(top.center.x, -2, 1e-9);
    // Zooming about a pixel keeps the world point under it.
    const zg::viewport::PixelPoint at{300, 100};
    const zg::Vec3d before = zg::viewport::MakeCamera(top, 400, 400).PixelRay(at).origin;
    EXPECT_TRUE(zg::viewport::Zoom(top, 400, 400, 2.0, at));
    EXPECT_NEAR(top.width, 10, 1e-9);
    const zg::Vec3d after = zg::viewport::MakeCamera(top, 400, 400).PixelRay(at).origin;
    EXPECT_NEAR(after.x, before.x, 1e-9);
    EXPECT_NEAR(after.y, before.y, 1e-9);
    EXPECT_FALSE(zg::viewport::Zoom(top, 400, 400, std::nan(""), at));
}

TEST(ViewNavigationTest, ACameraFromThePageIsHeldToTheZoomRangeAndKeepsTheView) {
    using zg::viewport::kMaxViewExtent;
    using zg::viewport::kMinViewExtent;
    zg::scene::ViewDefinition persp;
    persp.name = "P";
    zg::scene::ViewDefinition moved;
    moved.kind = zg::scene::ViewKind::kTop;  // the kind and name of a camera are not taken
    moved.target = {1, 2, 3};
    moved.eye = {1, 2, 3 + 1e-9};
    moved.fov = 30;
    ASSERT_TRUE(zg::viewport::PlaceCamera(persp, moved));
    EXPECT_EQ(persp.name, "P");
    EXPECT_EQ(persp.kind, zg::scene::ViewKind::kPerspective);
    EXPECT_NEAR(Length(persp.eye - persp.target), kMinViewExtent, 1e-12);
    EXPECT_EQ(persp.fov, 30);
    moved.eye = moved.target;
    EXPECT_FALSE(zg::viewport::PlaceCamera(persp, moved));

    zg::scene::ViewDefinition top;
    top.name = "T";
    top.kind = zg::scene::ViewKind::kTop;
    moved.width = 1e12;
    ASSERT_TRUE(zg::viewport::PlaceCamera(top, moved));
    EXPECT_EQ(top.width, kMaxViewExtent);
    EXPECT_EQ(top.center, zg::Vec3d());
    moved.width = -1;
    EXPECT_FALSE(zg::viewport::PlaceCamera(top, moved));
}

}  // namespace
