// The viewport graphics window: projection, near-plane cutting, non-finite points, and
// the sinks it sends to.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "app/viewport/display_list.h"
#include "app/viewport/hit_tester.h"
#include "app/viewport/viewport_window.h"
#include "host/graphics.h"
#include "tests/app/test_cameras.h"

namespace {

using namespace zg::viewport;
using namespace viewporttest;
using zg::Vec3d;
using host::Point3;

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

}  // namespace
