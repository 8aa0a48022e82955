// Cameras: where orthographic and perspective views put the world, and the rays back.
#include <gtest/gtest.h>

#include <cmath>

#include "app/viewport/camera.h"
#include "app/viewport/viewport.h"
#include "tests/app/test_cameras.h"

namespace {

using namespace zg::viewport;
using namespace viewporttest;
using zg::Vec3d;
using host::Point3;

TEST(CameraTest, OrthographicViewsPutTheirAxesWhereTheyBelong) {
    const Camera top = Top();  // 20 units across 400 pixels: 20 pixels per unit
    EXPECT_EQ(Project(top, {0, 0, 0}), (PixelPoint{200, 100}));
    EXPECT_EQ(Project(top, {1, 0, 0}), (PixelPoint{220, 100}));  // +X right
    EXPECT_EQ(Project(top, {0, 1, 0}), (PixelPoint{200, 80}));   // +Y up
    EXPECT_EQ(Project(top, {0, 0, 5}), (PixelPoint{200, 100}));  // Z is depth

    const Camera front = Front();
    EXPECT_EQ(Project(front, {1, 0, 0}), (PixelPoint{220, 100}));  // +X right
    EXPECT_EQ(Project(front, {0, 0, 1}), (PixelPoint{200, 80}));   // +Z up

    const Camera left = Camera::Orthographic({0, -1, 0}, {0, 0, 1}, {0, 0, 0}, 20.0, kW, kH);
    EXPECT_EQ(Project(left, {0, -1, 0}), (PixelPoint{220, 100}));  // -Y right
    EXPECT_EQ(Project(left, {0, 0, 1}), (PixelPoint{200, 80}));
}

TEST(CameraTest, ViewZAxisPointsTowardsTheViewer) {
    // The third row of the inverse world-to-view transform is the view's Z axis.
    struct Case {
        Camera camera;
        Point3 towardsViewer;
    };
    const Case cases[] = {{Top(), {0, 0, 1}}, {Front(), {0, -1, 0}},
                          {Camera::Orthographic({0, -1, 0}, {0, 0, 1}, {}, 20.0, kW, kH), {-1, 0, 0}},
                          {LookingAlongY(), {0, -1, 0}}};
    for (const Case& c : cases) {
        Viewport vp("v", c.camera);
        host::Matrix3 affine;
        vp.GetAffineTM(affine);
        const Point3 axis = host::Inverse(affine).GetRow(2);
        EXPECT_NEAR(axis.x, c.towardsViewer.x, 1e-6);
        EXPECT_NEAR(axis.y, c.towardsViewer.y, 1e-6);
        EXPECT_NEAR(axis.z, c.towardsViewer.z, 1e-6);
    }
}

TEST(CameraTest, PerspectiveMapsTheFieldOfViewToTheImageWidth) {
    const Camera c = LookingAlongY();  // 90 degrees across: x = depth reaches the right edge
    EXPECT_EQ(Project(c, {0, 0, 0}), (PixelPoint{200, 100}));
    const PixelPoint edge = Project(c, {10, 0, 0});
    EXPECT_NEAR(edge.x, 400.0, 1e-9);
    EXPECT_NEAR(Project(c, {0, 0, 5}).y, 0.0, 1e-9);  // up is up, same scale as x
    PixelPoint behind;
    EXPECT_FALSE(c.WorldToPixel({0, -20, 0}, behind));
    EXPECT_FALSE(c.WorldToPixel({std::nan(""), 0, 0}, behind));
}

TEST(CameraTest, PixelRayRunsThroughTheProjectedPoint) {
    for (const Camera& c : {Top(), LookingAlongY()}) {
        const Vec3d p{2.5, 1.0, 0.5};
        const Ray ray = c.PixelRay(Project(c, p));
        // The distance from p to the line is zero.
        const Vec3d d = p - ray.origin;
        const Vec3d off = d - ray.direction * Dot(d, ray.direction);
        EXPECT_LT(Length(off), 1e-9);
    }
}

}  // namespace
