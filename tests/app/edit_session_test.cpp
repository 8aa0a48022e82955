// The edit session behind the interactive host: creation driven by the plug-in's
// callback and by the host itself, rectangle selection, moves of animated nodes,
// deleting, saving, and the views the session keeps.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include <cmath>

#include "app/session/edit_session.h"
#include "host/paramblock.h"
#include "tests/app/render_scene_fixture.h"
#include "tests/support/temp_folder.h"

namespace rendertest {
namespace {

using zg::session::EditSession;
using zg::session::PointerEvent;
using zg::session::PointerPhase;

constexpr int kW = 400;
constexpr int kH = 400;

// A top view 20 units across on a 400-pixel image: 20 pixels per unit, the origin at
// (200, 200).
const std::string kViews = R"("viewports": [{"name": "Top", "projection": "top", "center": [0, 0, 0], "width": 20}])";

class EditSessionTest : public RenderSceneFixture {
protected:
    void Start(const std::string& nodes) {
        Load(R"({"zentrographScene": 1, "nodes": [)" + nodes + "], " + kViews + "}");
        session = std::make_unique<EditSession>(directory, std::move(scene), std::filesystem::path());
    }
    void TearDown() override {
        session.reset();
        RenderSceneFixture::TearDown();
    }
    void Pointer(PointerPhase phase, int x, int y, bool additive = false) {
        std::string error;
        ASSERT_TRUE(session->Pointer(PointerEvent{0, phase, {x, y}, 0, additive, kW, kH}, error)) << error;
    }
    void Drag(int x0, int y0, int x1, int y1) {
        Pointer(PointerPhase::kDown, x0, y0);
        Pointer(PointerPhase::kMove, x1, y1);
        Pointer(PointerPhase::kUp, x1, y1);
    }
    std::vector<std::string> Selected() {
        std::vector<std::string> names;
        for (zg::scene::Node* node : session->Selection()) names.push_back(node->Name());
        return names;
    }
    zg::scene::Node* Node(const char* name) { return session->Scene().FindNode(name); }

    std::unique_ptr<EditSession> session;
};

TEST_F(EditSessionTest, ThePlugInsCallbackPlacesAndSizesAFieldViewer) {
    Start("");
    std::string error;
    ASSERT_TRUE(session->EnterCreateMode("Zentrograph", error)) << error;
    Drag(240, 200, 300, 120);  // from (2, 0) a drag of 5 units
    zg::scene::Node* node = Node("Zentrograph01");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->Position().At(0), host::Point3(2, 0, 0));
    host::ParamBlock* block = node->GetObjectRef()->GetParamBlock(0);
    EXPECT_FLOAT_EQ(block->GetFloat(0), 10.0f);
    EXPECT_EQ(block->GetInt(9), 0);  // the lattice showed during the drag only
    EXPECT_EQ(Selected(), std::vector<std::string>{"Zentrograph01"});
    EXPECT_TRUE(session->Unsaved());

    // The next drag makes the next object; Escape in the middle of one discards it.
    Pointer(PointerPhase::kDown, 100, 100);
    Pointer(PointerPhase::kMove, 150, 100);
    ASSERT_NE(Node("Zentrograph02"), nullptr);
    session->Escape();
    EXPECT_EQ(Node("Zentrograph02"), nullptr);
    EXPECT_EQ(session->Scene().NodeCount(), 1);
    session->Escape();
    EXPECT_EQ(session->CreateClass(), nullptr);
}

TEST_F(EditSessionTest, HostClassesArePlacedByTheClickAndSizedByTheDrag) {
    Start("");
    std::string error;
    ASSERT_TRUE(session->EnterCreateMode("Point", error)) << error;
    Drag(200, 200, 260, 200);  // 3 units
    ASSERT_NE(Node("Point01"), nullptr);
    EXPECT_FLOAT_EQ(Node("Point01")->GetObjectRef()->GetParamBlock(0)->GetFloat(0), 6.0f);
    ASSERT_TRUE(session->EnterCreateMode("Gravity", error)) << error;
    Drag(300, 300, 300, 300);
    ASSERT_NE(Node("Gravity01"), nullptr);
    EXPECT_EQ(Node("Gravity01")->Position().At(0), host::Point3(5, -5, 0));
    EXPECT_FALSE(session->EnterCreateMode("NoSuchClass", error));
}

TEST_F(EditSessionTest, ClicksAndRectanglesSelectAndAnAnimatedNodeMovesOnlyItsKeyAtTheFrame) {
    Start(R"({"name": "A", "class": "Point", "position": [-5, 0, 0]},
             {"name": "B", "class": "Point", "position": {"keys": [[0, [5, 0, 0]], [10, [5, 5, 0]]]}})");
    Pointer(PointerPhase::kDown, 300, 200);  // on B
    Pointer(PointerPhase::kUp, 300, 200);
    EXPECT_EQ(Selected(), std::vector<std::string>{"B"});
    Drag(10, 10, 390, 390);  // a window around both
    EXPECT_EQ(Selected(), (std::vector<std::string>{"A", "B"}));
    Drag(60, 120, 190, 280);  // a window around A alone
    EXPECT_EQ(Selected(), std::vector<std::string>{"A"});
    Pointer(PointerPhase::kDown, 20, 380);  // a click on nothing
    Pointer(PointerPhase::kUp, 20, 380);
    EXPECT_TRUE(Selected().empty());

    Pointer(PointerPhase::kDown, 300, 200);
    Pointer(PointerPhase::kMove, 300, 160);  // 2 units up
    Pointer(PointerPhase::kUp, 300, 160);
    EXPECT_EQ(Node("B")->Position().Keys()[0].value, host::Point3(5, 2, 0));
    EXPECT_EQ(Node("B")->Position().Keys()[1].value, host::Point3(5, 5, 0));
    Pointer(PointerPhase::kDown, 300, 160);
    Pointer(PointerPhase::kMove, 340, 160);
    session->Escape();  // a cancelled move puts the node back
    EXPECT_EQ(Node("B")->Position().Keys()[0].value, host::Point3(5, 2, 0));

    // Between its keys the node stays, and the status line says why.
    std::string error;
    ASSERT_TRUE(session->SetFrame(5, error)) << error;
    Drag(300, 130, 340, 130);  // B is halfway between its keys
    EXPECT_EQ(Node("B")->Position().Keys()[0].value, host::Point3(5, 2, 0));
    EXPECT_NE(session->Status().find("B did not move: it is animated and has no key at frame 5"), std::string::npos)
        << session->Status();

    session->DeleteSelection();
    EXPECT_EQ(Node("B"), nullptr);
    EXPECT_EQ(session->Status(), "Deleted B");
}

TEST_F(EditSessionTest, SavingNeedsAFileAndThenBelongsToIt) {
    Start(R"({"name": "A", "class": "Point"})");
    std::string error;
    EXPECT_FALSE(session->Save({}, error));
    EXPECT_NE(error.find("choose"), std::string::npos);
    testsupport::TempFolder folder;
    ASSERT_TRUE(session->Save(folder.Path() / "s.json", error)) << error;
    EXPECT_FALSE(session->Unsaved());
    EXPECT_EQ(session->File(), folder.Path() / "s.json");
    EXPECT_FALSE(session->Save(folder.Path() / "missing" / "s.json", error));
    EXPECT_FALSE(session->Unsaved());  // the failed save changed nothing
    EXPECT_EQ(session->File(), folder.Path() / "s.json");
}

TEST_F(EditSessionTest, ASceneWithoutViewsOpensWithFourAndViewsTurnAndFrame) {
    Load(R"({"zentrographScene": 1, "nodes": [{"name": "P", "class": "Gravity", "position": [40, 0, 0]},
                                              {"name": "Q", "class": "Gravity", "position": [-40, 0, 0]}]})");
    session = std::make_unique<EditSession>(directory, std::move(scene), std::filesystem::path());
    std::vector<std::pair<std::string, zg::scene::ViewKind>> views;
    for (const auto& v : session->Views()) views.emplace_back(v.name, v.kind);
    using K = zg::scene::ViewKind;
    EXPECT_EQ(views, (decltype(views){{"Top", K::kTop}, {"Front", K::kFront}, {"Left", K::kLeft}, {"Perspective", K::kPerspective}}));
    const double whole = session->Views()[0].width;
    EXPECT_GT(whole, 80);
    const auto [least, most] = session->ZoomRange();
    EXPECT_LT(least, whole / 50);
    EXPECT_GT(most, whole * 50);
    EXPECT_LT(most, 1e5);

    // A view takes its new kind's name unless another view has it.
    const std::pair<K, const char*> turns[] = {{K::kBottom, "Bottom"}, {K::kLeft, "Bottom"}, {K::kRight, "Right"}, {K::kPerspective, "Right"}};
    for (const auto& [kind, name] : turns) {
        ASSERT_TRUE(session->SetViewKind(0, kind, 1.0));
        EXPECT_EQ(session->Views()[0].kind, kind);
        EXPECT_EQ(session->Views()[0].name, name);
    }
    EXPECT_FALSE(session->SetViewKind(4, K::kTop, 1.0));
    // Framing the selection, then the whole scene again.
    session->Select({"P"});
    ASSERT_TRUE(session->FrameNodes(1, false, 1.0));
    EXPECT_LT(session->Views()[1].width, whole / 4);
    EXPECT_GT(session->Views()[1].center.x, 30);
    ASSERT_TRUE(session->FrameNodes(1, true, 1.0));
    EXPECT_NEAR(session->Views()[1].center.x, 0, 1e-6);
    const zg::Vec3d look = zg::Normalized(session->Views()[3].eye - session->Views()[3].target);
    ASSERT_TRUE(session->FrameNodes(3, false, 1.0));
    EXPECT_NEAR(Length(look - zg::Normalized(session->Views()[3].eye - session->Views()[3].target)), 0, 1e-9);
    EXPECT_NEAR(session->Views()[3].target.x, 40, 1e-3);
}

// The scene's nodes as the user sees them: name, class of object and position.
std::vector<std::string> Listing(zg::scene::Scene& scene) {
    std::vector<std::string> rows;
    for (int i = 0; i < scene.NodeCount(); ++i) {
        zg::scene::Node* node = scene.NodeAt(i);
        const host::Point3 p = node->Position().At(0);
        // The viewer's force list, by the names of the nodes it holds.
        std::string listed;
        if (node->Name() == "Viewer") {
            host::ParamBlock* block = node->GetObjectRef()->GetParamBlock(0);
            for (int j = 0; j < block->Count(6); ++j) {
                host::SceneNode* entry = block->GetNode(6, 0, j);
                listed += entry != nullptr ? entry->GetName() : "-";
            }
        }
        rows.push_back(fmt::format("{} {} {} {} {}", node->Name(), p.x, p.y, p.z, listed));
    }
    return rows;
}

TEST_F(EditSessionTest, EveryStepUndoesAndRedoesWhicheverObjectItTouched) {
    Start(R"({"name": "Viewer", "class": "Zentrograph", "params": {"forceNodes": ["Pull"]}, "position": [-5, -5, 0]},
             {"name": "Pull", "class": "Gravity", "position": [5, 5, 0]})");
    std::vector<std::vector<std::string>> states{Listing(session->Scene())};
    std::string error;
    ASSERT_TRUE(session->EnterCreateMode("Point", error)) << error;
    Drag(200, 200, 240, 200);  // Point01 at the origin
    session->LeaveCreateMode();
    states.push_back(Listing(session->Scene()));
    Drag(200, 200, 200, 160);  // Point01 two units up
    states.push_back(Listing(session->Scene()));
    session->Select({"Pull"});
    session->DeleteSelection();  // the viewer's list loses it
    states.push_back(Listing(session->Scene()));
    EXPECT_EQ(session->UndoName(), "Delete Pull");
    EXPECT_EQ(states.back().front(), "Viewer -5 -5 0 -");
    EXPECT_EQ(states.front().front(), "Viewer -5 -5 0 Pull");

    for (std::size_t i = states.size() - 1; i > 0; --i) {
        ASSERT_TRUE(session->Undo()) << i;
        EXPECT_EQ(Listing(session->Scene()), states[i - 1]) << i;
    }
    EXPECT_FALSE(session->Undo());
    EXPECT_EQ(session->Status(), "Nothing to undo");
    EXPECT_FALSE(session->Unsaved());  // back where the file was
    for (std::size_t i = 1; i < states.size(); ++i) {
        ASSERT_TRUE(session->Redo()) << i;
        EXPECT_EQ(Listing(session->Scene()), states[i]) << i;
    }
    EXPECT_EQ(session->Status(), "Redo Delete Pull");
    EXPECT_FALSE(session->Redo());
    EXPECT_EQ(session->Status(), "Nothing to redo");
}

TEST_F(EditSessionTest, SelectingChangesNothingToSaveOrUndo) {
    Start(R"({"name": "A", "class": "Point"}, {"name": "B", "class": "Point", "position": [5, 0, 0]})");
    Pointer(PointerPhase::kDown, 300, 200);
    Pointer(PointerPhase::kUp, 300, 200);
    session->Select({"A", "B"});
    EXPECT_EQ(Selected(), (std::vector<std::string>{"A", "B"}));
    EXPECT_FALSE(session->Unsaved());
    EXPECT_EQ(session->UndoName(), "");
}

TEST_F(EditSessionTest, ANodeInsideAViewersLatticeIsPickedFirstAndRepeatedClicksCycle) {
    // The field sits in the middle of the viewer's box, where lattice lines cross.
    Start(R"({"name": "Viewer", "class": "Zentrograph", "params": {"sizeX": 10, "sizeY": 10, "sizeZ": 10, "displayLattice": true}},
             {"name": "Pull", "class": "Gravity"})");
    for (const char* expected : {"Pull", "Viewer", "Pull"}) {
        Pointer(PointerPhase::kDown, 200, 200);
        Pointer(PointerPhase::kUp, 200, 200);
        EXPECT_EQ(Selected(), std::vector<std::string>{expected});
    }
    // A drag that starts on the selected field moves the field.
    Drag(200, 200, 240, 200);
    EXPECT_EQ(Node("Pull")->Position().At(0), host::Point3(2, 0, 0));
    EXPECT_EQ(Node("Viewer")->Position().At(0), host::Point3(0, 0, 0));
    EXPECT_EQ(session->UndoName(), "Move Pull");
}

TEST_F(EditSessionTest, ToolsMoveTurnAndScaleAlongTheirAxesAndTheGizmosAxisConstrainsADrag) {
    using zg::session::Tool;
    const struct {
        const char* what;
        Tool tool;
        const char* axes;
        host::IPoint2 from, to;  // the field at the origin, its gizmo's Y axis up from (200, 200)
        host::Point3 position, rotation, scale;
        const char* step;
    } cases[] = {
        {"move on X", Tool::kMove, "x", {200, 200}, {240, 160}, {2, 0, 0}, {0, 0, 0}, {1, 1, 1}, "Move Pull"},
        {"move on the gizmo's Y", Tool::kMove, "", {200, 160}, {230, 120}, {0, 2, 0}, {0, 0, 0}, {1, 1, 1}, "Move Pull"},
        {"turn in a top view", Tool::kRotate, "", {200, 200}, {240, 200}, {0, 0, 0}, {0, 0, 20}, {1, 1, 1}, "Rotate Pull"},
        {"scale X", Tool::kScale, "x", {200, 200}, {300, 200}, {0, 0, 0}, {0, 0, 0}, {2, 1, 1}, "Scale Pull"},
    };
    for (const auto& c : cases) {
        Start(R"({"name": "Pull", "class": "Gravity"})");
        session->Select({"Pull"});
        session->SetTool(c.tool);
        session->SetAxes(*zg::session::ParseAxes(c.axes));
        Drag(c.from.x, c.from.y, c.to.x, c.to.y);
        EXPECT_EQ(Node("Pull")->Position().At(0), c.position) << c.what;
        EXPECT_EQ(Node("Pull")->Rotation().At(0), c.rotation) << c.what;
        EXPECT_EQ(Node("Pull")->Scale().At(0), c.scale) << c.what;
        EXPECT_EQ(session->UndoName(), c.step) << c.what;
        session.reset();
    }
}

}  // namespace
}  // namespace rendertest
