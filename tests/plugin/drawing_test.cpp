// What Display draws in object space: the box, one segment per sample, the markers and
// the lattice grid.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "tests/plugin/plugin_fixture.h"

namespace zgtest {
namespace {

using DrawingTest = ZentrographTest;
using P = host::Point3;

std::vector<GwCall> LatticeLines(const RecordingGraphicsWindow& gw) {
    std::vector<GwCall> lines = gw.Of(GwOp::Polyline);
    lines.erase(lines.begin(), lines.begin() + std::min<std::size_t>(6, lines.size()));
    return lines;
}

TEST_F(DrawingTest, BoxIsTwoLoopsAndFourEdges) {
    SetSizes(2.0f, 4.0f, 6.0f);
    Draw();
    const std::vector<GwCall> lines = gw.Of(GwOp::Polyline);
    ASSERT_EQ(lines.size(), 6u);
    const std::vector<std::vector<P>> points = {
        {{-1, -2, -3}, {1, -2, -3}, {1, 2, -3}, {-1, 2, -3}},
        {{-1, -2, 3}, {1, -2, 3}, {1, 2, 3}, {-1, 2, 3}},
        {{-1, -2, -3}, {-1, -2, 3}},
        {{1, -2, -3}, {1, -2, 3}},
        {{-1, 2, -3}, {-1, 2, 3}},
        {{1, 2, -3}, {1, 2, 3}},
    };
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(lines[i].points, points[i]) << "polyline " << i;
        EXPECT_EQ(lines[i].flag, i < 2 ? 1 : 0) << "polyline " << i;
    }
}

TEST_F(DrawingTest, CollapsedBoxIsStillDrawn) {
    SetSizes(2.0f, 2.0f, 0.0f);
    ASSERT_TRUE(block->SetInt(pid::displayLattice, 0, 1));
    SetResolutions(2, 2, 2);
    Draw();
    const std::vector<GwCall> lines = gw.Of(GwOp::Polyline);
    ASSERT_EQ(lines.size(), 6u + 3u * 6u + 9u);
    EXPECT_EQ(lines[2].points[0], lines[2].points[1]);
    // The vertical grid lines have no length and are drawn all the same.
    for (std::size_t i = lines.size() - 9; i < lines.size(); ++i) EXPECT_EQ(lines[i].points[0], lines[i].points[1]);
}

TEST_F(DrawingTest, DefaultsDrawEverySampleAndTheGrid) {
    ASSERT_TRUE(block->SetInt(pid::displayLattice, 0, 1));
    Draw();
    EXPECT_EQ(gw.Count(GwOp::Polyline), 6 + 2912);
    EXPECT_EQ(gw.Count(GwOp::StartSegments), 1);
    EXPECT_EQ(gw.Count(GwOp::Segment), 2601);
    EXPECT_EQ(gw.Count(GwOp::EndSegments), 1);
    EXPECT_EQ(gw.Count(GwOp::Marker), 0);
    for (const GwCall& s : Segments()) EXPECT_EQ(s.flag, 1);

    ASSERT_TRUE(block->SetInt(pid::displayVectorBases, 0, 1));
    Draw();
    EXPECT_EQ(gw.Count(GwOp::Marker), 2601);
    EXPECT_EQ(viewport.AffineRequests(), 1);
}

TEST_F(DrawingTest, GridLinesAdvanceByTheirSpacing) {
    ASSERT_TRUE(block->SetInt(pid::displayLattice, 0, 1));
    SetSizes(2.0f, 1.0f, 1.0f);
    SetResolutions(4, 51, 1);
    Draw();
    const std::vector<GwCall> lines = LatticeLines(gw);
    ASSERT_EQ(lines.size(), 2u * (5u + 52u) + 52u * 5u);
    for (const GwCall& line : lines) {
        ASSERT_EQ(line.points.size(), 2u);
        EXPECT_EQ(line.flag, 0);
    }

    // First layer: lines along Y stepped along X, then lines along X stepped along Y.
    const float xs[] = {-1.0f, -0.5f, 0.0f, 0.5f, 1.0f};
    for (int j = 0; j < 5; ++j) {
        EXPECT_EQ(lines[j].points[0], P(xs[j], -0.5f, -0.5f));
        EXPECT_EQ(lines[j].points[1], P(xs[j], 0.5f, -0.5f));
    }
    EXPECT_EQ(lines[5].points[0], P(-1.0f, -0.5f, -0.5f));
    EXPECT_EQ(lines[5].points[1], P(1.0f, -0.5f, -0.5f));
    EXPECT_EQ(lines[6].points[0].y, 0.019607844f - 0.5f);
    // The 52nd line lies at 0.49999997, short of the box face at 0.5.
    EXPECT_EQ(lines[56].points[0].y, 0.49999997f);
    EXPECT_EQ(lines[56].points[1], P(1.0f, 0.49999997f, -0.5f));
    // Second layer at the top face.
    EXPECT_EQ(lines[57].points[0], P(-1.0f, -0.5f, 0.5f));
    // Vertical lines: rows along Y, X within a row.
    EXPECT_EQ(lines[114].points[0], P(-1.0f, -0.5f, -0.5f));
    EXPECT_EQ(lines[114].points[1], P(-1.0f, -0.5f, 0.5f));
    EXPECT_EQ(lines[115].points[0], P(-0.5f, -0.5f, -0.5f));
    EXPECT_EQ(lines[119].points[0], P(-1.0f, 0.019607844f - 0.5f, -0.5f));
    EXPECT_EQ(lines.back().points[0], P(1.0f, 0.49999997f, -0.5f));
}

TEST_F(DrawingTest, EveryFamilyEndsShortOfTheFaceAtDefaults) {
    ASSERT_TRUE(block->SetInt(pid::displayLattice, 0, 1));
    Draw();
    const std::vector<GwCall> lines = LatticeLines(gw);
    ASSERT_EQ(lines.size(), 2912u);
    // Layer 0: 52 lines stepped along X, then 52 along Y.
    EXPECT_EQ(lines[51].points[0], P(0.49999997f, -0.5f, -0.5f));
    EXPECT_EQ(lines[103].points[1], P(0.5f, 0.49999997f, -0.5f));
    // Layer 1 at z = -0.5 + 1.
    EXPECT_EQ(lines[104].points[0], P(-0.5f, -0.5f, 0.5f));
    // Vertical lines, last row, last column.
    EXPECT_EQ(lines.back().points[0], P(0.49999997f, 0.49999997f, -0.5f));
    EXPECT_EQ(lines.back().points[1], P(0.49999997f, 0.49999997f, 0.5f));
}

TEST_F(DrawingTest, ResolutionsBelowOneDoNotFault) {
    InstallProbeBlock();
    ASSERT_TRUE(block->SetInt(pid::displayLattice, 0, 1));
    SetSizes(2.0f, 2.0f, 2.0f);
    struct Case {
        int x, y, z;
        std::size_t lines;
    };
    const Case cases[] = {
        {0, 2, 1, 2 * (1 + 3) + 3 * 1},  // every range over X runs once
        {0, 0, 0, 1 * (1 + 1) + 1 * 1},
        {-1, 2, 1, 2 * (0 + 3) + 3 * 0},  // an empty range draws nothing
        {2, 2, -1, 0 + 3 * 3},            // no layers: phase 1 is empty
        {2, -4, 2, 3 * (3 + 0) + 0},      // no rows: phase 2 is empty
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << " x " << c.y << " x " << c.z);
        SetResolutions(c.x, c.y, c.z);
        Draw();
        const std::vector<GwCall> lines = LatticeLines(gw);
        ASSERT_EQ(lines.size(), c.lines);
        if (c.x == 0 && c.y > 0) {
            for (std::size_t i = 0; i < lines.size(); ++i) {
                if (lines[i].points[0].x != lines[i].points[1].x) continue;  // lines along X
                EXPECT_EQ(lines[i].points[0].x, -1.0f) << "line " << i;
            }
        }
    }
}

// Markers: 14 when the world force points along the view's Z axis or across it, 10
// when its component along that axis is below -1e-6.
TEST_F(DrawingTest, VectorsThatAreNotFiniteDrawAsNoForce) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Per sample: NaN, infinity, a force whose scaled sum overflows, and a plain one.
    AddForceWarp([&](const P&, int k) {
        const P forces[] = {{nan, 0, 0}, {0, -inf, 0}, {1e37f, 0, 0}, {host::kForceUnit, 0, 0}};
        return forces[k];
    });
    SetResolutions(4, 1, 1);
    Draw();
    const std::vector<GwCall> segments = Segments();
    ASSERT_EQ(segments.size(), 4u);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(segments[k].points[1], segments[k].points[0]) << "sample " << k;
    EXPECT_NEAR(segments[3].points[1].x - segments[3].points[0].x, 1.0f, 1e-5f);
}

class MarkerTest : public ZentrographTest {
protected:
    void DrawMarkers(std::vector<P> vectors) {
        const float perUnit = 1.0f / 160000.0f;
        AddForceWarp([vectors, perUnit](const P&, int k) { return vectors[static_cast<std::size_t>(k)] * perUnit; });
        SetResolutions(static_cast<int>(vectors.size()), 1, 1);
        ASSERT_TRUE(block->SetFloat(pid::vectorScale, 0, 1.0f));
        ASSERT_TRUE(block->SetInt(pid::displayVectorBases, 0, 1));
        Draw();
    }
    std::vector<int> Codes() const {
        std::vector<int> codes;
        for (const GwCall& m : gw.Of(GwOp::Marker)) codes.push_back(m.flag);
        return codes;
    }
};

TEST_F(MarkerTest, CodeFollowsTheSignAlongTheViewAxis) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    DrawMarkers({{0, 0, 1}, {0, 0, -1}, {1, 0, 0}, {0, 0, 0}, {0, 0, -0.5e-6f}, {0, 0, -2e-6f}, {nan, 0, 0}});
    EXPECT_EQ(Codes(), (std::vector<int>{14, 10, 14, 14, 14, 10, 10}));
    // Each marker sits on its sample point.
    const std::vector<GwCall> markers = gw.Of(GwOp::Marker);
    const std::vector<GwCall> segments = Segments();
    ASSERT_EQ(markers.size(), segments.size());
    for (std::size_t i = 0; i < markers.size(); ++i) EXPECT_EQ(markers[i].points[0], segments[i].points[0]);
}

TEST_F(MarkerTest, ViewAxisComesFromTheInverseViewTransform) {
    // World to view mirrors Z and doubles it: the view's Z axis in world space is
    // (0, 0, -0.5). A force of 1.5e-6 along world Z gives d = -0.75e-6: still 14.
    viewport.SetAffineTM(host::Matrix3::Scale({1.0f, 1.0f, -2.0f}) *
                         host::Matrix3::Translation({3.0f, 4.0f, 5.0f}));
    DrawMarkers({{0, 0, 1}, {0, 0, -1}, {0, 0, 1.5e-6f}, {0, 0, 3e-6f}});
    EXPECT_EQ(Codes(), (std::vector<int>{10, 14, 14, 10}));
    EXPECT_EQ(viewport.AffineRequests(), 1);
}

TEST_F(MarkerTest, ForcesAreJudgedInWorldSpace) {
    // A mirrored node: the object-space vectors point the other way along Z, the
    // world forces do not.
    node.SetTM(host::Matrix3::Scale({1.0f, 1.0f, -1.0f}));
    DrawMarkers({{0, 0, 1}, {0, 0, -1}});
    EXPECT_EQ(Codes(), (std::vector<int>{14, 10}));
    const std::vector<GwCall> segments = Segments();
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_LT(segments[0].points[1].z, segments[0].points[0].z);
}

}  // namespace
}  // namespace zgtest
