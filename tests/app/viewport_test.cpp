// Cameras, the viewport graphics window (projection, near-plane cutting, non-finite
// points, sinks), the hit tester and snapping.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/viewport/camera.h"
#include "app/viewport/display_list.h"
#include "app/viewport/hit_tester.h"
#include "app/viewport/viewport.h"
#include "app/viewport/viewport_window.h"
#include "host/graphics.h"

namespace {

using namespace zg::viewport;
using zg::Vec3d;
using host::Point3;

constexpr int kW = 400;
constexpr int kH = 200;

Camera Top(double width = 20.0) { return Camera::Orthographic({1, 0, 0}, {0, 1, 0}, {0, 0, 0}, width, kW, kH); }
Camera Front() { return Camera::Orthographic({1, 0, 0}, {0, 0, 1}, {0, 0, 0}, 20.0, kW, kH); }
// A camera at (0, -10, 0) looking along +Y at the origin, Z up.
Camera LookingAlongY() { return Camera::Perspective({0, -10, 0}, {0, 0, 0}, {0, 0, 1}, 90.0, kW, kH); }

PixelPoint Project(const Camera& c, const Vec3d& p) {
    PixelPoint px;
    EXPECT_TRUE(c.WorldToPixel(p, px));
    return px;
}

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

TEST(ViewportWindowTest, PolylinesGoThroughTheTransformAndCameraToPixels) {
    const Camera top = Top();
    DisplayList list(kW, kH);
    ViewportGraphicsWindow gw(top, &list);
    gw.setTransform(host::Matrix3::Translation({1, 2, 0}));
    gw.setColor(host::LINE_COLOR, 0.25f, 0.5f, 2.0f);
    const Point3 pts[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {}};
    gw.polyline(3, pts, 1);
    ASSERT_EQ(list.Items().size(), 1u);
    const DisplayItem& item = list.Items()[0];
    EXPECT_EQ(item.kind, DisplayItemKind::kPolyline);
    EXPECT_TRUE(item.closed);
    EXPECT_EQ(item.color, (Rgb{0.25f, 0.5f, 1.0f}));  // clamped to 0..1
    EXPECT_EQ(item.points, (std::vector<PixelPoint>{{220, 60}, {240, 60}, {240, 40}}));
    EXPECT_EQ(item.node, -1);
}

TEST(ViewportWindowTest, ALinePassingBehindTheCameraIsCutAtTheNearPlane) {
    const Camera c = LookingAlongY();
    DisplayList list(kW, kH);
    ViewportGraphicsWindow gw(c, &list);
    // From in front of the camera, through the eye's plane, to behind it.
    const Point3 line[2] = {{1, 0, 0}, {1, -30, 0}};
    gw.polyline(2, line, 0);
    ASSERT_EQ(list.Items().size(), 1u);
    const auto& pts = list.Items()[0].points;
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_EQ(pts[0], Project(c, {1, 0, 0}));
    // The cut end lies on the near plane, far out to the right but finite.
    EXPECT_GT(pts[1].x, 400.0);
    EXPECT_TRUE(std::isfinite(pts[1].x));
    EXPECT_DOUBLE_EQ(pts[1].y, 100.0);

    // Wholly behind: nothing at all.
    const Point3 behind[2] = {{1, -20, 0}, {-1, -25, 0}};
    gw.polyline(2, behind, 0);
    gw.startSegments();
    gw.segment(behind, 1);
    gw.endSegments();
    gw.marker(&behind[0], host::kMarkerFilledDot);
    ASSERT_EQ(list.Items().size(), 2u);  // the empty segment batch only
    EXPECT_EQ(list.Items()[1].kind, DisplayItemKind::kSegments);
    EXPECT_TRUE(list.Items()[1].points.empty());
}

TEST(ViewportWindowTest, AClosedLineCutByTheNearPlaneBecomesOneOpenPiece) {
    const Camera c = LookingAlongY();
    DisplayList list(kW, kH);
    ViewportGraphicsWindow gw(c, &list);
    // A square in the XY plane whose third corner is behind the camera.
    const Point3 square[4] = {{-1, 0, 0}, {1, 0, 0}, {1, -20, 0}, {-1, 0.5f, 0}};
    gw.polyline(4, square, 1);
    ASSERT_EQ(list.Items().size(), 1u);
    const DisplayItem& item = list.Items()[0];
    EXPECT_FALSE(item.closed);
    // Cut end, corner 3, corner 0, corner 1, cut end.
    ASSERT_EQ(item.points.size(), 5u);
    EXPECT_EQ(item.points[1], Project(c, {-1, 0.5, 0}));
    EXPECT_EQ(item.points[2], Project(c, {-1, 0, 0}));
    EXPECT_EQ(item.points[3], Project(c, {1, 0, 0}));
}

TEST(ViewportWindowTest, NonFinitePointsTakeTheirLinesAway) {
    const Camera top = Top();
    DisplayList list(kW, kH);
    ViewportGraphicsWindow gw(top, &list);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Point3 line[5] = {{0, 0, 0}, {1, 0, 0}, {nan, 0, 0}, {2, 0, 0}, {3, 0, 0}};
    gw.polyline(5, line, 0);
    ASSERT_EQ(list.Items().size(), 2u);
    EXPECT_EQ(list.Items()[0].points, (std::vector<PixelPoint>{{200, 100}, {220, 100}}));
    EXPECT_EQ(list.Items()[1].points, (std::vector<PixelPoint>{{240, 100}, {260, 100}}));

    const Point3 bad[2] = {{0, 0, 0}, {inf, 0, 0}};
    gw.startSegments();
    gw.segment(bad, 1);
    gw.segment(line, 1);
    gw.endSegments();
    gw.marker(&bad[1], host::kMarkerRing);
    ASSERT_EQ(list.Items().size(), 3u);
    EXPECT_EQ(list.Items()[2].points.size(), 2u);  // one segment survived

    // A transform that is not finite makes every point not finite.
    gw.setTransform(host::Matrix3(Point3(nan, 0, 0), Point3(0, 1, 0), Point3(0, 0, 1), Point3()));
    gw.polyline(2, line, 0);
    EXPECT_EQ(list.Items().size(), 3u);
}

TEST(ViewportWindowTest, SegmentsOutsideABatchOpenOneThatTheNextPrimitiveCloses) {
    const Camera top = Top();
    DisplayList list(kW, kH);
    ViewportGraphicsWindow gw(top, &list);
    const Point3 s[2] = {{0, 0, 0}, {1, 0, 0}};
    gw.segment(s, 1);
    gw.segment(s, 1);
    gw.segment(s, 0);  // an invisible edge is not drawn
    gw.marker(&s[0], host::kMarkerFilledDot);
    gw.segment(s, 1);
    ASSERT_EQ(list.Items().size(), 3u);
    EXPECT_EQ(list.Items()[0].points.size(), 4u);
    EXPECT_EQ(list.Items()[1].kind, DisplayItemKind::kMarker);
    EXPECT_EQ(list.Items()[1].markerCode, host::kMarkerFilledDot);
    EXPECT_EQ(list.Items()[2].points.size(), 2u);
}

TEST(ViewportWindowTest, ThePickingLimitSendsPrimitivesToTheHitTesterInstead) {
    const Camera top = Top();
    DisplayList list(kW, kH);
    ViewportGraphicsWindow gw(top, &list);
    EXPECT_EQ(gw.getRndLimits(), kDefaultRndLimits);
    const Point3 line[2] = {{-1, 0, 0}, {1, 0, 0}};  // pixels 180..220 on row 100

    host::HitRegion region;
    const host::IPoint2 at{200, 103};
    host::MakeHitRegion(region, host::POINT_RGN, host::kHitCrossing, 4, &at);
    gw.setHitRegion(&region);
    gw.setRndLimits(host::kRndWireframe | host::kRndPicking);
    gw.clearHitCode();
    EXPECT_EQ(gw.checkHitCode(), 0);
    gw.polyline(2, line, 0);
    EXPECT_EQ(gw.checkHitCode(), 1);
    EXPECT_TRUE(list.Items().empty());
    gw.clearHitCode();
    EXPECT_EQ(gw.checkHitCode(), 0);

    gw.setRndLimits(kDefaultRndLimits);
    gw.polyline(2, line, 0);
    EXPECT_EQ(gw.checkHitCode(), 0);  // drawn, not tested
    EXPECT_EQ(list.Items().size(), 1u);
}

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
