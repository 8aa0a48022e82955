// The scene and its nodes: node transforms, notifications and node lifetime.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/scene/animated_point.h"
#include "app/scene/scene.h"
#include "app/warps/gravity.h"
#include "host/heap.h"
#include "host/paramblock.h"
#include "tests/support/host_fakes.h"

namespace {

using host::Point3;
using zg::scene::AnimatedPoint;
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

// ---- Node transforms ----------------------------------------------------------------------

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
