// What the host's built-in object classes draw and pick: icon, box, colours and the
// window's hit verdict.
#include <gtest/gtest.h>

#include "tests/app/warp_scene.h"
#include "tests/support/plugin_fakes.h"

namespace {

using host::Point3;
using warptest::ExpectNear;
using zg::scene::Node;

using WarpDisplayTest = warptest::WarpScene;

// ---- Display ----------------------------------------------------------------------------------

TEST_F(WarpDisplayTest, DisplayDrawsTheIconInTheWireColourInsideTheWorldBox) {
    zgtest::RecordingGraphicsWindow gw(host::kRndZBuffer | host::kRndBoxOnly);
    zgtest::FakeViewport viewport(&gw);
    for (host::ClassDesc2* desc : zg::warps::BuiltinClasses()) {
        Node* node = Add(desc->ClassName(), {3.0f, -2.0f, 1.0f}, {20.0f, 40.0f, 60.0f}, {2.0f, 1.0f, 0.5f});
        node->SetWireColor(0x00FF8000);  // blue 255, green 128, red 0
        gw.Clear();
        EXPECT_EQ(node->GetObjectRef()->Display(0, node, &viewport, 0), 0);
        const std::string name = desc->ClassName();
        ASSERT_EQ(gw.Count(zgtest::GwOp::SetColor), 1) << name;
        const Point3 color = gw.Of(zgtest::GwOp::SetColor).front().color;
        ExpectNear(color, {0.0f, 128.0f / 255.0f, 1.0f}, 1e-6f);
        EXPECT_GT(gw.Count(zgtest::GwOp::Polyline), 0) << name;
        EXPECT_EQ(gw.Limits(), host::kRndZBuffer | host::kRndBoxOnly) << name;

        host::Box3 box;
        node->GetObjectRef()->GetWorldBoundBox(0, node, &viewport, box);
        ASSERT_FALSE(box.IsEmpty()) << name;
        host::Box3 grown = box;
        grown += box.pmin - Point3(1e-4f, 1e-4f, 1e-4f);
        grown += box.pmax + Point3(1e-4f, 1e-4f, 1e-4f);
        const host::Matrix3 tm = gw.Of(zgtest::GwOp::SetTransform).back().transform;
        for (const zgtest::GwCall& line : gw.Of(zgtest::GwOp::Polyline))
            for (const Point3& p : line.points) EXPECT_TRUE(grown.Contains(tm.PointTransform(p))) << name;
    }
}

TEST_F(WarpDisplayTest, TheBoxOnlyStateDrawsAndPicksTheBoxAroundTheIcon) {
    zgtest::RecordingGraphicsWindow gw(host::kRndBoxOnly);
    zgtest::FakeViewport viewport(&gw);
    for (host::ClassDesc2* desc : zg::warps::BuiltinClasses()) {
        Node* node = Add(desc->ClassName(), {1.0f, 2.0f, 3.0f}, {0.0f, 0.0f, 30.0f}, {1.0f, 1.0f, 1.0f});
        const std::string name = desc->ClassName();
        gw.Clear();
        node->GetObjectRef()->Display(0, node, &viewport, 0);
        const auto lines = gw.Of(zgtest::GwOp::Polyline);
        ASSERT_EQ(lines.size(), 6u) << name;
        // Two closed faces of four corners, then the four edges between them.
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].points.size(), i < 2 ? 4u : 2u) << name;
            EXPECT_EQ(lines[i].flag, i < 2 ? 1 : 0) << name;
        }
        // Every point is a corner of the box around the icon, in the icon's space.
        host::Box3 world;
        node->GetObjectRef()->GetWorldBoundBox(0, node, &viewport, world);
        const host::Matrix3 tm = gw.Of(zgtest::GwOp::SetTransform).back().transform;
        host::Box3 drawn;
        for (const zgtest::GwCall& line : lines)
            for (const Point3& p : line.points) drawn += tm.PointTransform(p);
        ExpectNear(drawn.pmin, world.pmin, 1e-4f);
        ExpectNear(drawn.pmax, world.pmax, 1e-4f);
        EXPECT_EQ(gw.Limits(), host::kRndBoxOnly) << name;

        // Picking tests the same box: a window that hits any polyline sees six at most.
        gw.Clear();
        gw.HitWhen([](const zgtest::GwCall& call) { return call.op == zgtest::GwOp::Polyline; });
        host::IPoint2 p{0, 0};
        EXPECT_EQ(node->GetObjectRef()->HitTest(0, node, host::POINT_RGN, host::kHitCrossing, 0, &p, &viewport), 1)
            << name;
        EXPECT_EQ(gw.Count(zgtest::GwOp::Polyline), 6) << name;
        gw.HitWhen(nullptr);
    }
}

TEST_F(WarpDisplayTest, SelectedAndFrozenNodesUseTheInterfaceColours) {
    zgtest::RecordingGraphicsWindow gw;
    zgtest::FakeViewport viewport(&gw);
    Node* node = Add("Gravity");
    node->SetSelected(true);
    node->SetFrozen(true);
    node->GetObjectRef()->Display(0, node, &viewport, 0);
    EXPECT_EQ(gw.Of(zgtest::GwOp::SetColor).back().color, host::GetUIColor(host::COLOR_SELECTION));
    node->SetSelected(false);
    node->GetObjectRef()->Display(0, node, &viewport, 0);
    EXPECT_EQ(gw.Of(zgtest::GwOp::SetColor).back().color, host::GetUIColor(host::COLOR_FREEZE));
}

TEST_F(WarpDisplayTest, HitTestAnswersTheWindowsVerdictAndRestoresLimits) {
    zgtest::RecordingGraphicsWindow gw(host::kRndIllum | host::kRndZBuffer);
    zgtest::FakeViewport viewport(&gw);
    Node* node = Add("Vortex");
    host::IPoint2 p{10, 10};
    EXPECT_EQ(node->GetObjectRef()->HitTest(0, node, host::POINT_RGN, host::kHitCrossing, 0, &p, &viewport), 0);
    gw.HitWhen([](const zgtest::GwCall& call) { return call.op == zgtest::GwOp::Polyline; });
    EXPECT_EQ(node->GetObjectRef()->HitTest(0, node, host::POINT_RGN, host::kHitCrossing, 0, &p, &viewport), 1);
    EXPECT_EQ(gw.Limits(), host::kRndIllum | host::kRndZBuffer);
    // Drawing for the hit test was done with picking on and shading off.
    const auto limits = gw.Of(zgtest::GwOp::SetRndLimits);
    ASSERT_GE(limits.size(), 2u);
    EXPECT_EQ(limits[limits.size() - 2].limits & (host::kRndPicking | host::kRndIllum), host::kRndPicking);
    EXPECT_EQ(gw.Of(zgtest::GwOp::SetHitRegion).back().region.epsilon, 4);
}

}  // namespace
