// Display and HitTest: the graphics window set-up, the colour, the box-only state, the
// order of hit tests with their early returns, and limits restored on every path.
#include <gtest/gtest.h>

#include <vector>

#include "tests/plugin/plugin_fixture.h"

namespace zgtest {
namespace {

using DisplayTest = ZentrographTest;

host::Point3 DrawnColor(const RecordingGraphicsWindow& gw) {
    const std::vector<GwCall> colors = gw.Of(GwOp::SetColor);
    EXPECT_EQ(colors.size(), 1u);
    if (colors.empty()) return host::Point3(-1.0f, -1.0f, -1.0f);
    EXPECT_EQ(colors[0].colorType, host::LINE_COLOR);
    return colors[0].color;
}

TEST_F(DisplayTest, DrawsBoxVectorsMarkersAndGridInOrder) {
    const host::Matrix3 tm = host::Matrix3::Translation({1.0f, 2.0f, 3.0f});
    node.SetTM(tm);
    SetResolutions(2, 2, 1);
    ASSERT_TRUE(block->SetInt(pid::displayVectorBases, 0, 1));
    ASSERT_TRUE(block->SetInt(pid::displayLattice, 0, 1));
    gw.SetLimits(0x1F3F);
    Draw(160);

    const std::vector<GwOp> expected = {GwOp::SetTransform, GwOp::GetRndLimits, GwOp::SetRndLimits,
                                        GwOp::SetColor,     GwOp::Polyline,     GwOp::StartSegments,
                                        GwOp::Segment,      GwOp::EndSegments,  GwOp::Marker,
                                        GwOp::Polyline,     GwOp::SetRndLimits};
    EXPECT_EQ(gw.Sequence(), expected);
    EXPECT_EQ(gw.Calls().front().transform, tm);
    const std::vector<GwCall> limits = gw.Of(GwOp::SetRndLimits);
    ASSERT_EQ(limits.size(), 2u);
    EXPECT_EQ(limits[0].limits, 0x21u) << "only the z-buffer bit is kept, wireframe added";
    EXPECT_EQ(limits[1].limits, 0x1F3Fu);
    EXPECT_EQ(gw.Limits(), 0x1F3Fu);
    EXPECT_EQ(node.TransformTimes().back(), 160);

    gw.SetLimits(0x0);
    Draw(160);
    EXPECT_EQ(gw.Of(GwOp::SetRndLimits)[0].limits, 0x1u);
}

TEST_F(DisplayTest, FlagsChangeNothing) {
    ASSERT_TRUE(block->SetInt(pid::displayLattice, 0, 1));
    SetResolutions(3, 2, 2);
    Draw();
    const std::size_t calls = gw.Calls().size();
    gw.Clear();
    EXPECT_EQ(object->Display(0, &node, &viewport, 0x7FFFFFFF), 0);
    EXPECT_EQ(gw.Calls().size(), calls);
    gw.Clear();
    host::IPoint2 p(0, 0);
    object->HitTest(0, &node, host::POINT_RGN, host::kHitCrossing, 0, &p, &viewport);
    const std::size_t hitCalls = gw.Calls().size();
    gw.Clear();
    object->HitTest(0, &node, host::POINT_RGN, host::kHitCrossing, -1, &p, &viewport);
    EXPECT_EQ(gw.Calls().size(), hitCalls);
}

TEST_F(DisplayTest, ColourFollowsSelectionFrozenStateAndWireColour) {
    const host::Point3 selection = host::GetUIColor(host::COLOR_SELECTION);
    const host::Point3 frozen = host::GetUIColor(host::COLOR_FREEZE);
    ASSERT_NE(selection, frozen);

    node.SetWireColor(0x00FF8000);
    Draw();
    EXPECT_EQ(DrawnColor(gw), host::Point3(0.0f, 0.50196081f, 1.0f));
    node.SetWireColor(0xAAFF8000);
    Draw();
    EXPECT_EQ(DrawnColor(gw), host::Point3(0.0f, 0.50196081f, 1.0f));
    node.SetWireColor(0x000000FF);
    Draw();
    EXPECT_EQ(DrawnColor(gw), host::Point3(1.0f, 0.0f, 0.0f));

    node.SetFrozen(true);
    Draw();
    EXPECT_EQ(DrawnColor(gw), frozen);
    node.SetSelected(true);
    Draw();
    EXPECT_EQ(DrawnColor(gw), selection);
    node.SetFrozen(false);
    Draw();
    EXPECT_EQ(DrawnColor(gw), selection);
}

TEST_F(DisplayTest, BoxOnlyStateDrawsTheBoxAlone) {
    InstallProbeBlock();
    ASSERT_TRUE(block->SetInt(pid::displayVectorBases, 0, 1));
    ASSERT_TRUE(block->SetInt(pid::displayLattice, 0, 1));
    probeDesc.probe.ResetReads();
    gw.SetLimits(0x2000 | 0x20);
    Draw();
    EXPECT_EQ(gw.Count(GwOp::Polyline), 6);
    EXPECT_EQ(gw.Count(GwOp::StartSegments), 0);
    EXPECT_EQ(gw.Count(GwOp::Marker), 0);
    EXPECT_EQ(probeDesc.probe.Reads(pid::displayVectorBases), 0);
    EXPECT_EQ(probeDesc.probe.Reads(pid::displayLattice), 0);
    EXPECT_EQ(gw.Of(GwOp::SetRndLimits)[0].limits, 0x21u);
    EXPECT_EQ(gw.Limits(), 0x2020u);

    gw.SetLimits(0);
    probeDesc.probe.ResetReads();
    Draw();
    EXPECT_EQ(probeDesc.probe.Reads(pid::displayVectorBases), 1);
    EXPECT_EQ(probeDesc.probe.Reads(pid::displayLattice), 1);
}

// Hit testing: the window is told which drawing calls touch the region.
class HitTestTest : public ZentrographTest {
protected:
    static constexpr uint32_t kSavedLimits = 0x013E;

    void SetUp() override {
        ZentrographTest::SetUp();
        if (HasFatalFailure()) return;
        InstallProbeBlock();
        SetResolutions(2, 2, 1);
        gw.SetLimits(kSavedLimits);
    }
    int Hit(host::TimeValue t = 0) {
        gw.Clear();
        probeDesc.probe.ResetReads();
        host::IPoint2 p(12, 34);
        const int result = object->HitTest(t, &node, host::POINT_RGN, host::kHitCrossing, 0, &p, &viewport);
        // Every return path puts the limits back, as its last call.
        EXPECT_EQ(gw.Calls().back().op, GwOp::SetRndLimits);
        EXPECT_EQ(gw.Limits(), kSavedLimits);
        EXPECT_EQ(gw.Count(GwOp::SetColor), 0);
        return result;
    }
    int Reads(host::ParamID id) const { return probeDesc.probe.Reads(id); }
};

TEST_F(HitTestTest, MissTestsEveryElementInTurn) {
    ASSERT_TRUE(block->SetInt(pid::displayVectorBases, 0, 1));
    ASSERT_TRUE(block->SetInt(pid::displayLattice, 0, 1));
    EXPECT_EQ(Hit(), 0);

    const std::vector<GwOp> expected = {
        GwOp::SetTransform,  GwOp::GetRndLimits, GwOp::SetRndLimits, GwOp::SetHitRegion, GwOp::ClearHitCode,
        GwOp::Polyline,      GwOp::CheckHitCode, GwOp::ClearHitCode, GwOp::StartSegments, GwOp::Segment,
        GwOp::EndSegments,   GwOp::CheckHitCode, GwOp::ClearHitCode, GwOp::Marker,       GwOp::CheckHitCode,
        GwOp::ClearHitCode,  GwOp::Polyline,     GwOp::CheckHitCode, GwOp::SetRndLimits};
    EXPECT_EQ(gw.Sequence(), expected);
    // The shading bits are dropped, picking and wireframe added.
    EXPECT_EQ(gw.Of(GwOp::SetRndLimits)[0].limits, 0x1031u);
    const host::HitRegion region = gw.Of(GwOp::SetHitRegion)[0].region;
    EXPECT_EQ(region.type, host::POINT_RGN);
    EXPECT_EQ(region.crossing, host::kHitCrossing);
    EXPECT_EQ(region.epsilon, 4);
    EXPECT_EQ(region.point, host::IPoint2(12, 34));
    EXPECT_EQ(Reads(pid::displayVectorBases), 1);
    EXPECT_EQ(Reads(pid::displayLattice), 1);
}

TEST_F(HitTestTest, RectangleRegionIsPassedOn) {
    gw.Clear();
    host::IPoint2 corners[2] = {{40, 10}, {5, 30}};
    EXPECT_EQ(object->HitTest(0, &node, host::RECT_RGN, host::kHitWindow, 0, corners, &viewport), 0);
    const host::HitRegion region = gw.Of(GwOp::SetHitRegion)[0].region;
    EXPECT_EQ(region.type, host::RECT_RGN);
    EXPECT_EQ(region.crossing, host::kHitWindow);
    EXPECT_EQ(region.epsilon, 4);
    EXPECT_EQ(region.left, 5);
    EXPECT_EQ(region.bottom, 30);
}

TEST_F(HitTestTest, HitOnTheBoxStopsThere) {
    ASSERT_TRUE(block->SetInt(pid::displayVectorBases, 0, 1));
    ASSERT_TRUE(block->SetInt(pid::displayLattice, 0, 1));
    gw.HitWhen([](const GwCall& call) { return call.op == GwOp::Polyline; });
    EXPECT_EQ(Hit(), 1);
    EXPECT_EQ(gw.Count(GwOp::Polyline), 6);
    EXPECT_EQ(gw.Count(GwOp::StartSegments), 0);
    EXPECT_EQ(gw.Count(GwOp::CheckHitCode), 1);
    EXPECT_EQ(Reads(pid::displayVectorBases), 0);
    EXPECT_EQ(Reads(pid::displayLattice), 0);
}

TEST_F(HitTestTest, HitOnAVectorSkipsMarkersAndGrid) {
    ASSERT_TRUE(block->SetInt(pid::displayVectorBases, 0, 1));
    ASSERT_TRUE(block->SetInt(pid::displayLattice, 0, 1));
    gw.HitWhen([](const GwCall& call) { return call.op == GwOp::Segment; });
    EXPECT_EQ(Hit(), 1);
    // The whole batch is drawn before the check.
    EXPECT_EQ(gw.Count(GwOp::Segment), 4);
    EXPECT_EQ(gw.Count(GwOp::Marker), 0);
    EXPECT_EQ(gw.Count(GwOp::Polyline), 6);
    EXPECT_EQ(Reads(pid::displayVectorBases), 0);
    EXPECT_EQ(Reads(pid::displayLattice), 0);
}

TEST_F(HitTestTest, MarkersAreTestedOnlyWhenSwitchedOn) {
    ASSERT_TRUE(block->SetInt(pid::displayLattice, 0, 1));
    gw.HitWhen([](const GwCall& call) { return call.op == GwOp::Marker; });
    EXPECT_EQ(Hit(), 0);
    EXPECT_EQ(gw.Count(GwOp::Marker), 0);
    EXPECT_EQ(Reads(pid::displayVectorBases), 1);
    EXPECT_EQ(Reads(pid::displayLattice), 1);

    ASSERT_TRUE(block->SetInt(pid::displayVectorBases, 0, 1));
    EXPECT_EQ(Hit(), 1);
    EXPECT_EQ(gw.Count(GwOp::Marker), 4);
    EXPECT_EQ(gw.Count(GwOp::Polyline), 6) << "the grid is not reached";
    EXPECT_EQ(Reads(pid::displayLattice), 0);
}

TEST_F(HitTestTest, GridIsTestedLast) {
    bool segmentsDone = false;
    gw.HitWhen([&segmentsDone](const GwCall& call) {
        if (call.op == GwOp::EndSegments) segmentsDone = true;
        return segmentsDone && call.op == GwOp::Polyline;
    });
    EXPECT_EQ(Hit(), 0) << "grid off";
    EXPECT_EQ(Reads(pid::displayLattice), 1);

    segmentsDone = false;
    ASSERT_TRUE(block->SetInt(pid::displayLattice, 0, 1));
    EXPECT_EQ(Hit(), 1);
    EXPECT_EQ(gw.Count(GwOp::Polyline), 6 + 2 * (3 + 3) + 3 * 3);
    EXPECT_EQ(gw.Count(GwOp::Marker), 0);
}

TEST_F(HitTestTest, BoxOnlyStateTestsTheBoxAlone) {
    ASSERT_TRUE(block->SetInt(pid::displayVectorBases, 0, 1));
    ASSERT_TRUE(block->SetInt(pid::displayLattice, 0, 1));
    gw.SetLimits(kSavedLimits | 0x2000);
    gw.HitWhen([](const GwCall& call) { return call.op != GwOp::Polyline; });
    gw.Clear();
    probeDesc.probe.ResetReads();
    host::IPoint2 p(1, 2);
    EXPECT_EQ(object->HitTest(0, &node, host::POINT_RGN, host::kHitCrossing, 0, &p, &viewport), 0);
    EXPECT_EQ(gw.Count(GwOp::Polyline), 6);
    EXPECT_EQ(gw.Count(GwOp::StartSegments), 0);
    EXPECT_EQ(probeDesc.probe.Reads(pid::displayVectorBases), 0);
    EXPECT_EQ(gw.Calls().back().op, GwOp::SetRndLimits);
    EXPECT_EQ(gw.Limits(), kSavedLimits | 0x2000);
    EXPECT_EQ(gw.Of(GwOp::SetRndLimits)[0].limits, 0x3031u);
}

TEST_F(HitTestTest, HitTestSamplesLikeDisplay) {
    FakeForceWarp& warp = AddForceWarp();
    EXPECT_EQ(Hit(480), 0);
    EXPECT_EQ(warp.Calls().size(), 4u);
    EXPECT_EQ(warp.Calls().front().t, 480);
    EXPECT_EQ(gw.Calls().front().transform, node.GetObjectTM(480));
    Hit(480);
    EXPECT_EQ(warp.Calls().size(), 4u);
}

}  // namespace
}  // namespace zgtest
