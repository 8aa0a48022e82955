// Recording in world space: polylines arrive as world edges cut at points that are not
// finite, and records carry their node's colour, style and code.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "app/viewport/world_viewport.h"

namespace pagedrawingtest {
namespace {

using zg::viewport::WorldDrawing;
using zg::viewport::WorldGraphicsWindow;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct Edge {
    float ax, bx;
    uint32_t flags;
};

std::vector<Edge> Edges(const WorldDrawing& d) {
    std::vector<Edge> edges;
    for (const auto& l : d.Lines()) edges.push_back({l.a[0], l.b[0], l.node >> 24});
    return edges;
}

TEST(WorldWindowTest, PolylinesArriveAsWorldEdgesCutAtPointsThatAreNotFinite) {
    using zg::viewport::kPolylineClosed;
    using zg::viewport::kPolylineStart;
    const host::Point3 square[] = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}};
    const host::Point3 holed[] = {{0, 0, 0}, {kNaN, 0, 0}, {2, 0, 0}, {3, 0, 0}};
    struct Case {
        const char* what;
        const host::Point3* points;
        int closed;
        std::vector<std::tuple<float, float, uint32_t>> edges;  // a.x, b.x, flags (world x is 10 + 2x)
    };
    const Case cases[] = {
        {"open", square, 0, {{10, 12, kPolylineStart}, {12, 14, 0}, {14, 16, 0}}},
        {"closed", square, 1,
         {{10, 12, kPolylineStart | kPolylineClosed}, {12, 14, 0}, {14, 16, 0}, {16, 10, 0}}},
        {"open with a hole", holed, 0, {{14, 16, kPolylineStart}}},
        // The piece through the first point stays one piece.
        {"closed with a hole", holed, 1, {{14, 16, kPolylineStart}, {16, 10, 0}}},
    };
    for (const Case& c : cases) {
        WorldDrawing drawing;
        WorldGraphicsWindow gw;
        gw.Begin(&drawing, nullptr, 3, {1, 1, 1});
        host::Matrix3 tm;
        tm.SetRow(0, {2, 0, 0});
        tm.SetRow(3, {10, 0, 0});
        gw.setTransform(tm);
        gw.polyline(4, c.points, c.closed);
        const std::vector<Edge> got = Edges(drawing);
        ASSERT_EQ(got.size(), c.edges.size()) << c.what;
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].ax, std::get<0>(c.edges[i])) << c.what << " edge " << i;
            EXPECT_EQ(got[i].bx, std::get<1>(c.edges[i])) << c.what << " edge " << i;
            EXPECT_EQ(got[i].flags & ~zg::viewport::kDrawnInNodeColor, std::get<2>(c.edges[i])) << c.what;
        }
    }
}

TEST(WorldWindowTest, RecordsCarryNodeColourStyleAndCodeAndLookingAtTheViewSplitsThem) {
    WorldDrawing shared;
    WorldDrawing view;
    zg::viewport::WorldViewport viewport("Top", zg::viewport::Camera());
    WorldGraphicsWindow& gw = viewport.Window();
    gw.Begin(&shared, &view, 7, {1, 0, 0});
    const host::Point3 seg[] = {{0, 0, 0}, {1, 0, 0}};
    gw.segment(seg, 1);
    gw.segment(seg, 0);  // an invisible edge
    gw.setColor(host::LINE_COLOR, 0, 1, 0);
    gw.marker(&seg[1], host::kMarkerRing);
    host::Matrix3 m;
    viewport.GetAffineTM(m);
    gw.marker(&seg[0], static_cast<host::MarkerType>(300));
    gw.setRndLimits(gw.getRndLimits() | host::kRndPicking);
    gw.marker(&seg[0], host::kMarkerRing);  // picking records nothing

    ASSERT_EQ(shared.Lines().size(), 1u);
    const auto& line = shared.Lines()[0];
    EXPECT_EQ(line.style, zg::viewport::LineStyle::kForceSegment);
    EXPECT_EQ(line.node, 7u | zg::viewport::kDrawnInNodeColor << 24);
    EXPECT_EQ(line.rgb[0], 255);
    ASSERT_EQ(shared.Markers().size(), 1u);
    EXPECT_EQ(shared.Markers()[0].code, host::kMarkerRing);
    EXPECT_EQ(shared.Markers()[0].node, 7u);  // green: not the node's colour
    EXPECT_TRUE(gw.ViewDependent());
    ASSERT_EQ(view.Markers().size(), 1u);
    EXPECT_EQ(view.Markers()[0].code, zg::viewport::kUnknownMarkerCode);
}

}  // namespace
}  // namespace pagedrawingtest
