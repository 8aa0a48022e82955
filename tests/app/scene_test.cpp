// The scene: frame rates, animated values, node transforms, notifications and node
// lifetime.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/scene/animated_point.h"
#include "app/scene/frame_rate.h"
#include "app/scene/scene.h"
#include "app/scene/transform.h"
#include "app/warps/gravity.h"
#include "host/heap.h"
#include "host/paramblock.h"
#include "tests/support/host_fakes.h"

namespace {

using host::Point3;
using zg::scene::AnimatedPoint;
using zg::scene::FrameRate;
using zg::scene::Node;
using zg::scene::PointKey;
using zg::scene::Scene;

void ExpectNear(const Point3& actual, const Point3& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// A world-space helper that counts the host's invalidation notices.
class WorldSpaceProbe : public host::HelperObject {
public:
    host::Class_ID ClassID() override { return host::Class_ID(0x7E5A0001, 0x7E5A0002); }
    int IsWorldSpaceObject() override { return 1; }
    void WSStateInvalidate() override { ++invalidations; }
    int invalidations = 0;
};

// ---- Frame rate ---------------------------------------------------------------------------

TEST(FrameRateTest, TicksPerFrameDivide4800) {
    std::string error;
    EXPECT_EQ(FrameRate().Fps(), 25);
    EXPECT_EQ(FrameRate().TicksPerFrame(), 192);
    for (const auto& [fps, ticks] : {std::pair{24, 200}, {30, 160}, {60, 80}, {1, 4800}, {4800, 1}}) {
        const auto rate = FrameRate::FromFps(fps, error);
        ASSERT_TRUE(rate) << fps;
        EXPECT_EQ(rate->TicksPerFrame(), ticks) << fps;
    }
}

TEST(FrameRateTest, RefusesRatesThatDoNotDivide4800) {
    for (long long fps : {0LL, -25LL, 7LL, 29LL, 4801LL, 9600LL}) {
        std::string error;
        EXPECT_FALSE(FrameRate::FromFps(fps, error)) << fps;
        EXPECT_NE(error.find("does not divide 4800"), std::string::npos) << error;
    }
}

TEST(FrameRateTest, FramesToTicksAndBack) {
    const FrameRate rate;
    EXPECT_EQ(rate.FrameToTicks(10), 1920);
    EXPECT_EQ(rate.FrameToTicks(-3), -576);
    EXPECT_EQ(rate.FrameToTicks(2.5), 480);
    EXPECT_DOUBLE_EQ(rate.TicksToFrame(480), 2.5);
    EXPECT_FALSE(rate.FrameToTicks(1e9));
    EXPECT_FALSE(rate.FrameToTicks(NAN));
    EXPECT_FALSE(rate.FrameToTicks(INFINITY));

    std::string error;
    EXPECT_FALSE(rate.FrameToTicks(NAN, error));
    EXPECT_EQ(error, "frame nan is not a number");
    EXPECT_FALSE(rate.FrameToTicks(1e9, error));
    EXPECT_EQ(error, "frame 1000000000 lies outside the time range at 25 fps");
}

// ---- Animated values ----------------------------------------------------------------------

TEST(AnimatedPointTest, InterpolatesBetweenKeysAndHoldsOutside) {
    const AnimatedPoint value({PointKey{0, {0.0f, 0.0f, 0.0f}}, PointKey{100, {10.0f, -20.0f, 4.0f}},
                               PointKey{200, {10.0f, 0.0f, 0.0f}}});
    EXPECT_TRUE(value.IsAnimated());
    EXPECT_EQ(value.At(0), Point3(0.0f, 0.0f, 0.0f));
    ExpectNear(value.At(25), {2.5f, -5.0f, 1.0f});
    EXPECT_EQ(value.At(100), Point3(10.0f, -20.0f, 4.0f));
    ExpectNear(value.At(150), {10.0f, -10.0f, 2.0f});
    // Before the first key and after the last the end values hold.
    EXPECT_EQ(value.At(-1000), Point3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(value.At(host::kTimePosInfinity), Point3(10.0f, 0.0f, 0.0f));
    EXPECT_EQ(value.At(host::kTimeNegInfinity), Point3(0.0f, 0.0f, 0.0f));
}

TEST(AnimatedPointTest, ConstantAndSingleKey) {
    const AnimatedPoint constant(Point3(1.0f, 2.0f, 3.0f));
    EXPECT_FALSE(constant.IsAnimated());
    EXPECT_EQ(constant.At(-5000), Point3(1.0f, 2.0f, 3.0f));
    const AnimatedPoint oneKey({PointKey{960, {4.0f, 5.0f, 6.0f}}});
    EXPECT_TRUE(oneKey.IsAnimated());
    EXPECT_EQ(oneKey.At(0), Point3(4.0f, 5.0f, 6.0f));
}

TEST(AnimatedPointTest, KeyValidityAndRepair) {
    EXPECT_TRUE(AnimatedPoint::KeysAreValid({PointKey{0, {}}, PointKey{1, {}}}));
    EXPECT_FALSE(AnimatedPoint::KeysAreValid({}));
    EXPECT_FALSE(AnimatedPoint::KeysAreValid({PointKey{5, {}}, PointKey{5, {}}}));
    EXPECT_FALSE(AnimatedPoint::KeysAreValid({PointKey{5, {}}, PointKey{1, {}}}));
    EXPECT_FALSE(AnimatedPoint::KeysAreValid({PointKey{0, {NAN, 0.0f, 0.0f}}}));
    // Keys out of order are sorted; of two at one time the later one counts.
    const AnimatedPoint repaired({PointKey{100, {1.0f, 0.0f, 0.0f}}, PointKey{0, {}}, PointKey{100, {2.0f, 0.0f, 0.0f}}});
    ASSERT_EQ(repaired.Keys().size(), 2u);
    EXPECT_EQ(repaired.At(100).x, 2.0f);
}

// ---- Transforms ---------------------------------------------------------------------------

TEST(TransformTest, ScaleThenRotateXYZThenTranslate) {
    // Quarter turns are exact: X by 90 takes Y to Z, then Z by 90 takes X to Y.
    const host::Matrix3 rx = zg::scene::ComposeTransform({}, {90.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 1.0f});
    EXPECT_EQ(rx.VectorTransform({0.0f, 1.0f, 0.0f}), Point3(0.0f, 0.0f, 1.0f));
    const host::Matrix3 rz = zg::scene::ComposeTransform({}, {0.0f, 0.0f, 90.0f}, {1.0f, 1.0f, 1.0f});
    EXPECT_EQ(rz.VectorTransform({1.0f, 0.0f, 0.0f}), Point3(0.0f, 1.0f, 0.0f));

    // The order: scale (2 on X), then X, then Y, then Z, then translate.
    const host::Matrix3 m = zg::scene::ComposeTransform({10.0f, 20.0f, 30.0f}, {90.0f, 90.0f, 0.0f}, {2.0f, 1.0f, 1.0f});
    // (1,0,0) -> scale (2,0,0) -> X stays -> Y by 90 takes X to -Z -> (0,0,-2) -> +t.
    EXPECT_EQ(m.PointTransform({1.0f, 0.0f, 0.0f}), Point3(10.0f, 20.0f, 28.0f));
    // (0,1,0) -> X by 90 -> (0,0,1) -> Y by 90 takes Z to X -> (1,0,0) -> +t.
    EXPECT_EQ(m.PointTransform({0.0f, 1.0f, 0.0f}), Point3(11.0f, 20.0f, 30.0f));

    // Agrees with the host's own rotation matrices at arbitrary angles.
    const host::Matrix3 composed = zg::scene::ComposeTransform({1.0f, 2.0f, 3.0f}, {30.0f, -45.0f, 200.0f},
                                                               {1.0f, 2.0f, 3.0f});
    const float d = static_cast<float>(M_PI / 180.0);
    const host::Matrix3 reference = host::Matrix3::Scale({1.0f, 2.0f, 3.0f}) * host::Matrix3::RotateX(30.0f * d) *
                                    host::Matrix3::RotateY(-45.0f * d) * host::Matrix3::RotateZ(200.0f * d) *
                                    host::Matrix3::Translation({1.0f, 2.0f, 3.0f});
    for (int row = 0; row < 4; ++row) ExpectNear(composed.GetRow(row), reference.GetRow(row));
}

TEST(TransformTest, NodeTransformFollowsItsKeys) {
    Node* node = new Node("Mover", nullptr);
    node->SetPosition(AnimatedPoint({PointKey{0, {0.0f, 0.0f, 0.0f}}, PointKey{1920, {10.0f, 0.0f, 0.0f}}}));
    node->SetRotation(AnimatedPoint({PointKey{0, {0.0f, 0.0f, 0.0f}}, PointKey{1920, {0.0f, 0.0f, 90.0f}}}));
    EXPECT_EQ(node->GetObjectTM(960).GetTrans(), Point3(5.0f, 0.0f, 0.0f));
    ExpectNear(node->GetObjectTM(960).GetRow(0), {std::sqrt(0.5f), std::sqrt(0.5f), 0.0f});
    EXPECT_EQ(node->GetObjectTM(5000).GetTrans(), Point3(10.0f, 0.0f, 0.0f));
    node->DeleteThis();
}

// ---- Notifications ------------------------------------------------------------------------

class NodeNotificationTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        probe = new WorldSpaceProbe();
        node = scene.AddNode("Probe01", probe, error);
        ASSERT_NE(node, nullptr) << error;
        listener.ReplaceReference(0, node, false);
        listener.ClearHeard();
    }
    void TearDown() override { listener.DeleteAllRefsFromMe(); }

    Scene scene;
    WorldSpaceProbe* probe = nullptr;
    Node* node = nullptr;
    hostfakes::FakeHelperObject listener{1};
};

TEST_F(NodeNotificationTest, MovedNodeTellsDependentsAndInvalidatesItsWorldSpaceObject) {
    node->SetPosition(AnimatedPoint(Point3(1.0f, 2.0f, 3.0f)));
    EXPECT_EQ(listener.ChangesHeard(host::PART_TM), 1);
    EXPECT_EQ(probe->invalidations, 1);
    node->SetRotation(AnimatedPoint(Point3(0.0f, 0.0f, 45.0f)));
    node->SetScale(AnimatedPoint(Point3(2.0f, 2.0f, 2.0f)));
    EXPECT_EQ(listener.ChangesHeard(host::PART_TM), 3);
    EXPECT_EQ(probe->invalidations, 3);
    ASSERT_FALSE(listener.Heard().empty());
    EXPECT_EQ(listener.Heard().front().target, node);
}

TEST_F(NodeNotificationTest, DisplayChangesCarryPartDisplayOnlyWhenSomethingChanged) {
    node->SetSelected(true);
    node->SetSelected(true);
    node->SetFrozen(true);
    node->SetWireColor(0xAB123456);
    EXPECT_EQ(node->GetWireColor(), 0x00123456u);
    EXPECT_EQ(listener.ChangesHeard(host::PART_DISPLAY), 3);
    EXPECT_EQ(listener.ChangesHeard(host::PART_TM), 0);
    EXPECT_EQ(probe->invalidations, 0);
}

TEST_F(NodeNotificationTest, ObjectChangesArePassedOnAsPartObject) {
    probe->NotifyDependents(host::FOREVER, host::PART_PARAMETER, host::REFMSG_CHANGE);
    EXPECT_EQ(listener.ChangesHeard(host::PART_OBJECT), 1);
}

TEST(NodeParameterChangeTest, WarpParameterEditReachesABlockThatListsTheNode) {
    // A helper listing a Gravity node hears when the warp's strength is edited.
    Scene scene;
    std::string error;
    auto* gravity = static_cast<host::Object*>(zg::warps::GravityClassDesc()->Create(0));
    Node* node = scene.AddNode("Gravity01", gravity, error);
    ASSERT_NE(node, nullptr) << error;
    hostfakes::FakeHelperObject listener{1};
    listener.ReplaceReference(0, node, false);
    listener.ClearHeard();
    ASSERT_TRUE(gravity->GetParamBlock(0)->SetFloat(zg::warps::gravity::kStrength, 0, 3.0f));
    EXPECT_EQ(listener.ChangesHeard(host::PART_OBJECT), 1);
    listener.DeleteAllRefsFromMe();
}

// ---- Scene and node lifetime -------------------------------------------------------------------

TEST(SceneTest, NamesAreUniqueAndNeverEmpty) {
    Scene scene;
    std::string error;
    ASSERT_NE(scene.AddNode("A", nullptr, error), nullptr);
    EXPECT_EQ(scene.AddNode("A", nullptr, error), nullptr);
    EXPECT_NE(error.find("already exists"), std::string::npos);
    EXPECT_EQ(scene.AddNode("", nullptr, error), nullptr);
    EXPECT_EQ(scene.NodeCount(), 1);
    EXPECT_EQ(scene.UniqueName("A"), "A01");
    ASSERT_NE(scene.AddNode("A01", nullptr, error), nullptr);
    EXPECT_EQ(scene.UniqueName("A"), "A02");
    EXPECT_FALSE(scene.RenameNode(scene.FindNode("A"), "A01"));
    EXPECT_TRUE(scene.RenameNode(scene.FindNode("A"), "B"));
    EXPECT_NE(scene.FindNode("B"), nullptr);
    EXPECT_EQ(scene.FindNode("A"), nullptr);
}

TEST(SceneTest, NodesGetDistinctDefaultWireColours) {
    Scene scene;
    std::string error;
    Node* a = scene.AddNode("A", nullptr, error);
    Node* b = scene.AddNode("B", nullptr, error);
    EXPECT_NE(a->GetWireColor(), b->GetWireColor());
    EXPECT_EQ(a->GetWireColor(), Scene::DefaultWireColor(0));
}

TEST(SceneTest, DeletingANodeDestroysItAndEmptiesTheEntriesThatListIt) {
    const std::size_t live = host::GetHeapStats().liveBlocks;
    {
        Scene scene;
        std::string error;
        auto* gravity = static_cast<host::Object*>(zg::warps::GravityClassDesc()->Create(0));
        Node* node = scene.AddNode("Gravity01", gravity, error);
        hostfakes::FakeHelperObject listener{1};
        listener.ReplaceReference(0, node, false);

        EXPECT_TRUE(scene.DeleteNode(node));
        EXPECT_EQ(scene.NodeCount(), 0);
        EXPECT_EQ(listener.GetReference(0), nullptr);
        ASSERT_FALSE(listener.Heard().empty());
        EXPECT_EQ(listener.Heard().back().message, host::REFMSG_TARGET_DELETED);
        EXPECT_FALSE(scene.DeleteNode(node));
    }
    // Node, object and parameter block are all gone.
    EXPECT_EQ(host::GetHeapStats().liveBlocks, live);
}

TEST(SceneTest, DestroyingTheSceneDestroysEveryNodeEvenWhenListed) {
    const std::size_t live = host::GetHeapStats().liveBlocks;
    hostfakes::FakeHelperObject listener{2};
    {
        Scene scene;
        std::string error;
        Node* a = scene.AddNode("A", static_cast<host::Object*>(zg::warps::GravityClassDesc()->Create(0)), error);
        Node* b = scene.AddNode("B", nullptr, error);
        listener.ReplaceReference(0, a, false);
        listener.ReplaceReference(1, b, false);
    }
    EXPECT_EQ(listener.GetReference(0), nullptr);
    EXPECT_EQ(listener.GetReference(1), nullptr);
    EXPECT_EQ(host::GetHeapStats().liveBlocks, live);
}

}  // namespace
