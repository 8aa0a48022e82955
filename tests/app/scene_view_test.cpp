// Drawing and picking scenes through the real plug-in: what the field viewer draws in
// a viewport (counts, pixels, marker codes, colours), the render limits it leaves
// behind, the box-only state, and the order in which its hit test stops.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "app/viewport/scene_view.h"
#include "app/viewport/viewport.h"
#include "host/graphics.h"
#include "host/heap.h"
#include "tests/app/render_scene_fixture.h"

namespace rendertest {
namespace {

using namespace zg::viewport;
using zg::Vec3d;
using zg::scene::ViewDefinition;
using zg::scene::ViewKind;

constexpr int kW = 1280;
constexpr int kH = 720;

ViewDefinition TopView(double width = 4.0) {
    ViewDefinition v;
    v.name = "Top";
    v.kind = ViewKind::kTop;
    v.width = width;
    return v;
}

ViewDefinition FrontView() {
    ViewDefinition v;
    v.name = "Front";
    v.kind = ViewKind::kFront;
    v.width = 4.0;
    return v;
}

class SceneViewTest : public RenderSceneFixture {
protected:
    DisplayList Draw(const ViewDefinition& view) {
        return DrawSceneView(*scene, view, 0, kW, kH, SceneBounds(*scene, 0));
    }
    std::vector<const DisplayItem*> ItemsOf(const DisplayList& list, const std::string& node, DisplayItemKind kind) {
        std::vector<const DisplayItem*> found;
        for (const DisplayItem& item : list.Items()) {
            if (item.kind == kind && list.NodeName(item) == node) found.push_back(&item);
        }
        return found;
    }
    host::Object* HelperObject() { return scene->FindNode("Helper01")->GetObjectRef(); }
    zg::scene::Node* Helper() { return scene->FindNode("Helper01"); }
};

TEST_F(SceneViewTest, TheDefaultLatticeDrawsBoxGridSegmentsAndMarkers) {
    Load(HelperScene(R"("displayLattice": true, "displayVectorBases": true)"));
    const DisplayList list = Draw(TopView());
    const auto polylines = ItemsOf(list, "Helper01", DisplayItemKind::kPolyline);
    const auto batches = ItemsOf(list, "Helper01", DisplayItemKind::kSegments);
    const auto markers = ItemsOf(list, "Helper01", DisplayItemKind::kMarker);
    ASSERT_EQ(polylines.size(), 6u + 2912u);
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_EQ(batches[0]->points.size(), 2u * 2601u);
    EXPECT_EQ(markers.size(), 2601u);

    // The first box face, corners 0, 1, 3, 2 of the unit box, 320 pixels per unit.
    EXPECT_TRUE(polylines[0]->closed);
    EXPECT_EQ(polylines[0]->points,
              (std::vector<PixelPoint>{{480, 520}, {800, 520}, {800, 200}, {480, 200}}));
    EXPECT_FALSE(polylines[2]->closed);
    // The host's own grid comes first and belongs to no node.
    EXPECT_EQ(list.Items().front().node, -1);
    EXPECT_GT(list.Count("", DisplayItemKind::kPolyline), 0u);
}

TEST_F(SceneViewTest, MarkersAreDotsForForcesTowardTheViewerAndRingsAway) {
    Load(HelperScene(R"("displayVectorBases": true, "forceNodes": ["Push"])",
                     R"({"name": "Push", "class": "UniformForce",
                         "params": {"directionX": 0, "directionY": 1, "directionZ": 0}})"));
    auto codes = [&](const ViewDefinition& view) {
        std::set<int> seen;
        const DisplayList list = Draw(view);
        for (const DisplayItem* m : ItemsOf(list, "Helper01", DisplayItemKind::kMarker)) seen.insert(m->markerCode);
        return seen;
    };
    // Seen from the top the force lies across the line of sight: dots.
    EXPECT_EQ(codes(TopView()), std::set<int>{host::kMarkerFilledDot});
    // The front view looks along +Y, so a force along +Y points away: rings.
    EXPECT_EQ(codes(FrontView()), std::set<int>{host::kMarkerRing});
    ViewDefinition left = FrontView();
    left.kind = ViewKind::kLeft;  // looks along +X: across the force again
    EXPECT_EQ(codes(left), std::set<int>{host::kMarkerFilledDot});
}

TEST_F(SceneViewTest, NodesAreDrawnInTheirWireSelectionOrFrozenColour) {
    Load(HelperScene("", R"({"name": "Frozen", "class": "Zentrograph", "frozen": true},
                           {"name": "Both", "class": "Zentrograph", "frozen": true, "selected": true})",
                     R"(, "wireColor": "#0080ff")"));
    const DisplayList list = Draw(TopView());
    auto colorOf = [&](const std::string& node) {
        const auto items = ItemsOf(list, node, DisplayItemKind::kPolyline);
        EXPECT_FALSE(items.empty()) << node;
        return items.empty() ? Rgb{} : items.front()->color;
    };
    EXPECT_EQ(colorOf("Helper01"), (Rgb{0.0f, 0.50196081f, 1.0f}));
    const host::Point3 frozen = host::GetUIColor(host::COLOR_FREEZE);
    const host::Point3 selected = host::GetUIColor(host::COLOR_SELECTION);
    EXPECT_EQ(colorOf("Frozen"), (Rgb{frozen.x, frozen.y, frozen.z}));
    EXPECT_EQ(colorOf("Both"), (Rgb{selected.x, selected.y, selected.z}));
    EXPECT_EQ(NodeColor(*scene->FindNode("Both")), (Rgb{selected.x, selected.y, selected.z}));
}

TEST_F(SceneViewTest, DisplayAndHitTestLeaveTheRenderLimitsAsTheyFoundThem) {
    Load(HelperScene(R"("displayLattice": true, "displayVectorBases": true)"));
    const Camera camera = MakeCamera(TopView(), kW, kH);
    for (const uint32_t limits : {kDefaultRndLimits, 0xFFFFFFFFu, 0x0000010Eu, kDefaultRndLimits | host::kRndBoxOnly}) {
        Viewport vp("Top", camera, nullptr, limits);
        HelperObject()->Display(0, Helper(), &vp, 0);
        EXPECT_EQ(vp.Window().getRndLimits(), limits);
        // A hit on the box edge, a miss, and a hit on the vectors at the origin.
        for (host::IPoint2 p : {host::IPoint2{800, 300}, host::IPoint2{1100, 100}, host::IPoint2{640, 360}}) {
            HelperObject()->HitTest(0, Helper(), host::POINT_RGN, host::kHitCrossing, 0, &p, &vp);
            EXPECT_EQ(vp.Window().getRndLimits(), limits) << p.x << "," << p.y;
        }
    }
}

TEST_F(SceneViewTest, TheBoxOnlyStateDrawsAndPicksTheBoxAlone) {
    // A force along +X draws every vector one unit long, reaching past the box.
    Load(HelperScene(R"("displayLattice": true, "displayVectorBases": true, "forceNodes": ["Push"])",
                     R"({"name": "Push", "class": "UniformForce", "params": {"directionX": 1, "directionZ": 0}})"));
    ViewDefinition boxOnly = TopView();
    boxOnly.boxOnly = true;
    const DisplayList list = Draw(boxOnly);
    EXPECT_EQ(ItemsOf(list, "Helper01", DisplayItemKind::kPolyline).size(), 6u);
    EXPECT_TRUE(ItemsOf(list, "Helper01", DisplayItemKind::kSegments).empty());
    EXPECT_TRUE(ItemsOf(list, "Helper01", DisplayItemKind::kMarker).empty());

    // x = 1.3 lies on the vectors of the right column, outside the box.
    const host::IPoint2 onVectors{640 + 416, 360};
    EXPECT_EQ(PickNodes(*scene, TopView(), 0, kW, kH, onVectors), std::vector<std::string>{"Helper01"});
    EXPECT_TRUE(PickNodes(*scene, boxOnly, 0, kW, kH, onVectors).empty());
    EXPECT_EQ(PickNodes(*scene, boxOnly, 0, kW, kH, {800, 300}), std::vector<std::string>{"Helper01"});
}

TEST_F(SceneViewTest, HitTestingStopsAtTheFirstElementThatTouches) {
    Load(HelperScene(R"("displayLattice": true, "displayVectorBases": true, "forceNodes": ["Push"])",
                     R"({"name": "Push", "class": "UniformForce", "params": {"directionX": 1, "directionZ": 0}})"));
    Viewport vp("Top", MakeCamera(TopView(), kW, kH));
    auto received = [&](host::IPoint2 p, int expectedHit) {
        vp.Window().GetHitTester().ResetCount();
        EXPECT_EQ(HelperObject()->HitTest(0, Helper(), host::POINT_RGN, host::kHitCrossing, 0, &p, &vp), expectedHit);
        return vp.Window().GetHitTester().Received();
    };
    EXPECT_EQ(received({800, 300}, 1), 6);            // the box: nothing after it
    EXPECT_EQ(received({640 + 416, 360}, 1), 6 + 2601);  // the vectors: no markers, no grid
    EXPECT_EQ(received({1200, 40}, 0), 6 + 2601 + 2601 + 2912);
}

TEST_F(SceneViewTest, PickAnswersTheHitNodesInSceneOrderWithinFourPixels) {
    Load(HelperScene("", R"({"name": "Helper02", "class": "Zentrograph", "params": {"sizeX": 2, "sizeY": 2}})"));
    // Without force fields every vector is a point at the origin.
    EXPECT_EQ(PickNodes(*scene, TopView(), 0, kW, kH, {640, 360}),
              (std::vector<std::string>{"Helper01", "Helper02"}));
    EXPECT_EQ(PickNodes(*scene, TopView(), 0, kW, kH, {804, 300}), std::vector<std::string>{"Helper01"});
    EXPECT_TRUE(PickNodes(*scene, TopView(), 0, kW, kH, {805, 300}).empty());
    EXPECT_EQ(PickNodes(*scene, TopView(), 0, kW, kH, {958, 100}), std::vector<std::string>{"Helper02"});
}

TEST_F(SceneViewTest, ACameraInsideTheBoxSeesItsEdgesCutAtTheNearPlane) {
    Load(HelperScene(R"("sizeX": 10, "sizeY": 10, "sizeZ": 10)"));
    ViewDefinition inside;
    inside.name = "Inside";
    inside.eye = {0, -2, 0};
    inside.target = {0, 0, 0};
    const DisplayList list = Draw(inside);
    const auto polylines = ItemsOf(list, "Helper01", DisplayItemKind::kPolyline);
    // The two faces cross the near plane and come out as open pieces; edges parallel
    // to Z pass either wholly in front or wholly behind.
    ASSERT_FALSE(polylines.empty());
    for (const DisplayItem* item : polylines) {
        EXPECT_FALSE(item->closed);
        for (const PixelPoint& p : item->points) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    }
    EXPECT_EQ(polylines.size(), 4u);  // two face pieces, two edges at y = +5
}

TEST_F(SceneViewTest, ExtremeViewsStillDrawFinitePixelsWithinReach) {
    Load(HelperScene(R"("displayLattice": true, "sizeX": 999999, "vectorScale": 999999)"));
    ViewDefinition far = TopView(1e-30);
    far.center = {1e38, -1e38, 0};
    ViewDefinition narrow;
    narrow.eye = {0, -10, 0};
    narrow.fov = 1e-30;
    ViewDefinition wide = narrow;
    wide.fov = 179.9999;
    ViewDefinition huge = TopView(1e300);
    huge.kind = ViewKind::kLeft;
    for (const ViewDefinition& view : {far, narrow, wide, huge}) {
        const DisplayList list = Draw(view);
        for (const DisplayItem& item : list.Items()) {
            for (const PixelPoint& p : item.points) {
                ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
                EXPECT_LE(std::fabs(p.x), kFarthestPixel + kW);
                EXPECT_LE(std::fabs(p.y), kFarthestPixel + kH);
            }
        }
    }
}

TEST_F(SceneViewTest, ASceneWithoutViewsIsFramedInPerspectiveAndFromTheTop) {
    Load(R"({"zentrographScene": 1, "nodes": [{"name": "Helper01", "class": "Zentrograph",
             "position": [20, -5, 3], "params": {"sizeX": 6, "sizeY": 2}}]})");
    const host::Box3 bounds = SceneBounds(*scene, 0);
    const auto views = SceneViews(*scene, bounds, 16.0 / 9.0);
    ASSERT_EQ(views.size(), 2u);
    EXPECT_EQ(views[0].name, "Perspective");
    EXPECT_EQ(views[1].name, "Top");
    for (const ViewDefinition& view : views) {
        const Camera camera = MakeCamera(view, 1600, 900);
        for (int corner = 0; corner < 8; ++corner) {
            PixelPoint p;
            ASSERT_TRUE(camera.WorldToPixel(Vec3d(bounds[corner]), p));
            EXPECT_GT(p.x, 0);
            EXPECT_LT(p.x, 1600);
            EXPECT_GT(p.y, 0);
            EXPECT_LT(p.y, 900);
        }
    }
}

}  // namespace
// Restores the memory budget however the test ends.
struct BudgetAbove {
    explicit BudgetAbove(std::size_t bytes) { host::SetMemoryBudget(host::GetHeapStats().budgetBytesHeld + bytes); }
    ~BudgetAbove() { host::ResetMemoryBudget(); }
};

// A lattice the budget refuses the object (its samples) or the list (its drawing): the
// node is named, and the list never holds more than the budget allows.
TEST_F(SceneViewTest, ADrawingBeyondTheMemoryBudgetIsCutAndNamed) {
    for (const char* resolutions : {R"("resolutionX": 400, "resolutionY": 400, "resolutionZ": 20)",
                                    R"("resolutionX": 100, "resolutionY": 100, "resolutionZ": 10)"}) {
        Load(HelperScene(std::string(resolutions) + R"(, "displayVectorBases": true)"));
        const std::size_t held = host::GetHeapStats().budgetBytesHeld;
        {
            BudgetAbove budget(4u << 20);
            const DisplayList list = Draw(TopView());
            ASSERT_EQ(list.Shortfalls().size(), 1u) << resolutions;
            EXPECT_EQ(list.Shortfalls()[0].node, "Helper01");
            EXPECT_TRUE(list.Shortfalls()[0].memoryRefused);
            EXPECT_LE(host::GetHeapStats().budgetBytesHeld, held + (4u << 20));
        }
        scene.reset();
        EXPECT_LE(host::GetHeapStats().budgetBytesHeld, held);
    }
}

TEST_F(SceneViewTest, PointsThatAreNotFiniteAreLeftOutAndCounted) {
    Load(HelperScene(R"("vectorScale": 3e38, "forceNodes": ["Swirl"])",
                     R"({"name": "Swirl", "class": "Vortex", "params": {"orbital": 3e38}})"));
    const DisplayList list = Draw(TopView());
    ASSERT_EQ(list.Shortfalls().size(), 1u);
    EXPECT_EQ(list.Shortfalls()[0].node, "Helper01");
    EXPECT_GT(list.Shortfalls()[0].nonFinitePoints, 0u);
    EXPECT_FALSE(list.Shortfalls()[0].memoryRefused);
}

}  // namespace rendertest
