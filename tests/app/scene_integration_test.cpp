// Scenes with the real plug-in module: the field viewer sampling the host's own
// space warps through loaded scene files, and change propagation from moved and edited
// nodes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/cli/scene_loading.h"
#include "app/plugins/class_directory.h"
#include "app/scene/scene_file.h"
#include "app/warps/builtin_classes.h"
#include "app/warps/gravity.h"
#include "tests/support/host_fakes.h"
#include "tests/support/plugin_fakes.h"

namespace {

using host::Point3;
using zg::scene::AnimatedPoint;
using zg::scene::Node;
using zg::scene::Scene;

// What one Display call drew: the transform and the force segments, object space.
struct Drawing {
    host::Matrix3 tm;
    std::vector<std::pair<Point3, Point3>> segments;
};

class PluginSceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(directory.LoadModule(ZENTROGRAPH_PLUGIN_DIR "/Zentrograph.dlo"))
            << (directory.Problems().empty() ? "" : directory.Problems().back());
        zg::warps::ListBuiltinClasses(directory);
        classes = zg::cli::ResolverFor(directory);
    }
    // The scene goes before the module that made its objects.
    void TearDown() override { scene.reset(); }

    void Load(const std::string& text) {
        std::string error;
        scene = zg::scene::ReadScene(text, "test.json", classes, error);
        ASSERT_NE(scene, nullptr) << error;
    }

    Drawing Draw(const char* nodeName, host::TimeValue t = 0) {
        Node* node = scene->FindNode(nodeName);
        zgtest::RecordingGraphicsWindow gw;
        zgtest::FakeViewport viewport(&gw);
        node->GetObjectRef()->Display(t, node, &viewport, 0);
        Drawing drawing;
        const auto transforms = gw.Of(zgtest::GwOp::SetTransform);
        if (!transforms.empty()) drawing.tm = transforms.back().transform;
        for (const zgtest::GwCall& call : gw.Of(zgtest::GwOp::Segment))
            drawing.segments.emplace_back(call.points[0], call.points[1]);
        return drawing;
    }

    // The world-space force vector of every segment drawn.
    static std::vector<Point3> WorldVectors(const Drawing& d) {
        std::vector<Point3> vectors;
        for (const auto& [a, b] : d.segments) vectors.push_back(d.tm.VectorTransform(b - a));
        return vectors;
    }

    zg::plugins::ClassDirectory directory;
    zg::scene::ClassResolver classes;
    std::unique_ptr<Scene> scene;
};

std::string Vec(const Point3& p) { return "[" + std::to_string(p.x) + ", " + std::to_string(p.y) + ", " + std::to_string(p.z) + "]"; }

// ---- The viewer and a uniform force ---------------------------------------------------------

struct ViewerPose {
    const char* what;
    Point3 position;
    Point3 rotation;
    Point3 scale;
};
// Test listings name the pose rather than dumping its bytes.
void PrintTo(const ViewerPose& pose, std::ostream* os) { *os << pose.what; }

class UniformForceThroughTheViewer : public PluginSceneTest, public ::testing::WithParamInterface<ViewerPose> {};

TEST_P(UniformForceThroughTheViewer, DrawsStrengthTimesTenthTimesScaleAlongTheDirection) {
    const ViewerPose& pose = GetParam();
    Load(R"({"zentrographScene": 1, "nodes": [
        {"name": "Viewer", "class": "Zentrograph",
         "params": {"sizeX": 4, "sizeY": 4, "sizeZ": 2, "resolutionX": 5, "resolutionY": 4, "resolutionZ": 2,
                    "vectorScale": 2.5, "forceNodes": ["Push"]},
         "position": )" + Vec(pose.position) + R"(, "rotation": )" + Vec(pose.rotation) + R"(, "scale": )" +
         Vec(pose.scale) + R"(},
        {"name": "Push", "class": "UniformForce", "rotation": [33, 44, 55], "scale": [2, 0.5, -1],
         "params": {"strength": 3, "directionX": 1, "directionY": -2, "directionZ": 2}}]})");
    // 3 x 0.1 x 2.5 x (1, -2, 2) / 3
    const Point3 expected{0.25f, -0.5f, 0.5f};
    const Drawing drawing = Draw("Viewer");
    ASSERT_EQ(drawing.segments.size(), 40u);
    for (const Point3& v : WorldVectors(drawing)) {
        EXPECT_NEAR(v.x, expected.x, 2e-5f);
        EXPECT_NEAR(v.y, expected.y, 2e-5f);
        EXPECT_NEAR(v.z, expected.z, 2e-5f);
    }

    // The world box holds every drawn arrow.
    Node* viewer = scene->FindNode("Viewer");
    host::Box3 box;
    viewer->GetObjectRef()->GetWorldBoundBox(0, viewer, nullptr, box);
    ASSERT_FALSE(box.IsEmpty());
    const Point3 slack{1e-4f, 1e-4f, 1e-4f};
    const host::Box3 grown(box.pmin - slack, box.pmax + slack);
    for (const auto& [a, b] : drawing.segments) {
        EXPECT_TRUE(grown.Contains(drawing.tm.PointTransform(a)));
        EXPECT_TRUE(grown.Contains(drawing.tm.PointTransform(b)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Poses, UniformForceThroughTheViewer,
    ::testing::Values(ViewerPose{"Identity", {0, 0, 0}, {0, 0, 0}, {1, 1, 1}},
                      ViewerPose{"Moved", {100, -50, 7}, {0, 0, 0}, {1, 1, 1}},
                      ViewerPose{"Rotated", {0, 0, 0}, {30, -45, 110}, {1, 1, 1}},
                      ViewerPose{"QuarterTurnAndStretched", {1, 2, 3}, {90, 0, 0}, {2, 0.5, 3}},
                      ViewerPose{"Mirrored", {0, 0, 0}, {10, 20, 30}, {-1, 1, 1}},
                      ViewerPose{"Shrunk", {-3, 0, 0}, {0, 180, 45}, {0.25, 0.25, 0.25}}),
    [](const auto& info) { return info.param.what; });

// ---- Changes reach the viewer ---------------------------------------------------------------

const char* kPullScene = R"({"zentrographScene": 1, "nodes": [
    {"name": "Viewer", "class": "Zentrograph",
     "params": {"sizeX": 2, "resolutionX": 3, "resolutionY": 1, "vectorScale": 10, "forceNodes": ["G"]}},
    {"name": "G", "class": "Gravity", "position": [10, 0, 0], "params": {"spherical": true}}]})";

TEST_F(PluginSceneTest, MovingAListedForceNodeChangesTheNextSamplingAtTheSameTime) {
    Load(kPullScene);
    for (const Point3& v : WorldVectors(Draw("Viewer"))) EXPECT_NEAR(v.x, 1.0f, 1e-5f);
    scene->FindNode("G")->SetPosition(AnimatedPoint(Point3(-10.0f, 0.0f, 0.0f)));
    for (const Point3& v : WorldVectors(Draw("Viewer"))) EXPECT_NEAR(v.x, -1.0f, 1e-5f);
}

TEST_F(PluginSceneTest, EditingAListedWarpChangesTheNextSampling) {
    Load(kPullScene);
    Draw("Viewer");
    host::ParamBlock* gravity = scene->FindNode("G")->GetObjectRef()->GetParamBlock(0);
    ASSERT_TRUE(gravity->SetFloat(zg::warps::gravity::kStrength, 0, 2.0f));
    for (const Point3& v : WorldVectors(Draw("Viewer"))) EXPECT_NEAR(v.x, 2.0f, 1e-5f);
}

TEST_F(PluginSceneTest, MovingTheViewerResamplesAtTheSameTime) {
    Load(kPullScene);
    Draw("Viewer");
    // Past the pull's centre the pull reverses.
    scene->FindNode("Viewer")->SetPosition(AnimatedPoint(Point3(20.0f, 0.0f, 0.0f)));
    const Drawing drawing = Draw("Viewer");
    EXPECT_EQ(drawing.tm.GetTrans(), Point3(20.0f, 0.0f, 0.0f));
    for (const Point3& v : WorldVectors(drawing)) EXPECT_NEAR(v.x, -1.0f, 1e-5f);
}

TEST_F(PluginSceneTest, AnimatedForceNodeIsSampledWhereItIsAtEachTime) {
    Load(R"({"zentrographScene": 1, "nodes": [
        {"name": "Viewer", "class": "Zentrograph", "params": {"sizeX": 0, "resolutionX": 1, "resolutionY": 1,
                                                             "forceNodes": ["G"]}},
        {"name": "G", "class": "Gravity", "params": {"spherical": true},
         "position": {"keys": [[0, [10, 0, 0]], [10, [0, 10, 0]]]}}]})");
    const std::vector<Point3> start = WorldVectors(Draw("Viewer", 0));
    const std::vector<Point3> end = WorldVectors(Draw("Viewer", 10 * 192));
    ASSERT_EQ(start.size(), 1u);
    ASSERT_EQ(end.size(), 1u);
    EXPECT_NEAR(start[0].x, 1.0f, 1e-5f);
    EXPECT_NEAR(end[0].y, 1.0f, 1e-5f);
}

TEST_F(PluginSceneTest, DeletingAListedNodeEmptiesItsEntry) {
    Load(kPullScene);
    Draw("Viewer");
    ASSERT_TRUE(scene->DeleteNode(scene->FindNode("G")));
    host::ParamBlock* viewer = scene->FindNode("Viewer")->GetObjectRef()->GetParamBlock(0);
    ASSERT_EQ(viewer->Count(6), 1);
    EXPECT_EQ(viewer->GetNode(6, 0, 0), nullptr);
    for (const Point3& v : WorldVectors(Draw("Viewer"))) EXPECT_EQ(v, Point3());
}

// ---- Scene files with the plug-in's class ----------------------------------------------------

TEST_F(PluginSceneTest, ViewerRoundTripsAndItsAccessorClampsLoadedValues) {
    Load(R"({"zentrographScene": 1, "nodes": [
        {"name": "Viewer", "class": "Zentrograph",
         "params": {"sizeX": -3, "sizeY": 0.1, "resolutionY": 5000, "vectorScale": -1e6, "displayLattice": true,
                    "forceNodes": ["Pin", null, "G"]}},
        {"name": "G", "class": "Gravity"}, {"name": "Pin", "class": "Anchor"}]})");
    host::ParamBlock* block = scene->FindNode("Viewer")->GetObjectRef()->GetParamBlock(0);
    EXPECT_EQ(block->GetFloat(0), 0.0f);
    EXPECT_EQ(block->GetFloat(1), 0.1f);
    EXPECT_EQ(block->GetInt(4), 999);
    EXPECT_EQ(block->GetFloat(7), -1e6f);
    EXPECT_EQ(block->GetInt(9), 1);
    EXPECT_EQ(block->Count(6), 3);

    std::string error;
    const std::optional<std::string> first = zg::scene::WriteScene(*scene, classes, error);
    ASSERT_TRUE(first) << error;
    EXPECT_NE(first->find(R"("class": "Zentrograph")"), std::string::npos);
    std::unique_ptr<Scene> again = zg::scene::ReadScene(*first, "again.json", classes, error);
    ASSERT_NE(again, nullptr) << error;
    EXPECT_EQ(zg::scene::WriteScene(*again, classes, error), first);
    again.reset();
}

struct RefusedNode {
    const char* className;
};
void PrintTo(const RefusedNode& node, std::ostream* os) { *os << node.className; }

class RefusedForceNode : public PluginSceneTest, public ::testing::WithParamInterface<RefusedNode> {};

TEST_P(RefusedForceNode, IsAnErrorNamingTheEntry) {
    const std::string text = std::string(R"({"zentrographScene": 1, "nodes": [
        {"name": "Viewer", "class": "Zentrograph", "params": {"forceNodes": ["G", "X"]}},
        {"name": "G", "class": "Gravity"}, {"name": "X", "class": ")") +
                             GetParam().className + R"("}]})";
    std::string error;
    EXPECT_EQ(zg::scene::ReadScene(text, "test.json", classes, error), nullptr);
    EXPECT_EQ(error, "test.json: nodes[0].params.forceNodes[1]: node \"X\" is refused by the parameter");
}

INSTANTIATE_TEST_SUITE_P(Classes, RefusedForceNode,
                         ::testing::Values(RefusedNode{"Point"}, RefusedNode{"Barrier"}, RefusedNode{"Ripple"},
                                           RefusedNode{"Zentrograph"}),
                         [](const auto& info) { return std::string(info.param.className); });

}  // namespace
