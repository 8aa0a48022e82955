// The host's command panel with the real plug-in and the host's own classes: rollouts
// from templates and from bare block descriptions, the controls' bindings, edits
// through the block, picking, and undo.
#include <gtest/gtest.h>

#include "app/panel/command_panel.h"
#include "app/panel/dialog_layout.h"
#include "app/web/picture_png.h"
#include "host/paramblock.h"
#include "tests/app/render_scene_fixture.h"

namespace rendertest {
namespace {

using zg::panel::BindingRole;
using zg::panel::CommandPanel;
using zg::panel::Control;
using zg::panel::ControlKind;
using zg::panel::DialogMetrics;

class PanelTest : public RenderSceneFixture {
protected:
    void SetUp() override {
        RenderSceneFixture::SetUp();
        Load(HelperScene("", R"({"name": "Pull", "class": "Gravity", "params": {"spherical": true}},
                                {"name": "Mark", "class": "Point"})"));
        viewer = scene->FindNode("Helper01")->GetObjectRef();
        block = viewer->GetParamBlock(0);
        viewer->BeginEditParams(&panel, 0, nullptr);
    }
    void TearDown() override {
        viewer->EndEditParams(&panel, 0, nullptr);
        RenderSceneFixture::TearDown();
    }
    const Control& ById(int id, std::size_t rollout = 0) {
        for (const Control& c : panel.Rollouts().at(rollout).controls)
            if (c.id == id) return c;
        throw std::runtime_error("no control " + std::to_string(id));
    }
    host::HWND Handle(int id, std::size_t rollout = 0) { return ById(id, rollout).handle; }

    CommandPanel panel{[] { return 0; }};
    host::Object* viewer = nullptr;
    host::ParamBlock* block = nullptr;
    std::string error;  // why the last action was refused
};

TEST_F(PanelTest, TemplatesBecomeRolloutsInPixelsWithBoundControls) {
    ASSERT_EQ(panel.Rollouts().size(), 2u);
    EXPECT_EQ(panel.Rollouts()[0].title, "Parameters");
    EXPECT_EQ(panel.Rollouts()[1].title, "About");
    EXPECT_EQ(panel.Rollouts()[0].width, DialogMetrics::X(108));
    const Control& sizeX = ById(1490);
    EXPECT_EQ(sizeX.kind, ControlKind::kEdit);
    EXPECT_EQ((std::vector<int>{sizeX.x, sizeX.y, sizeX.width}),
              (std::vector<int>{DialogMetrics::X(67), DialogMetrics::Y(11), DialogMetrics::X(26)}));
    EXPECT_EQ(sizeX.binding.role, BindingRole::kValue);
    EXPECT_EQ(sizeX.binding.hi, 999999.0);
    EXPECT_EQ(sizeX.text, "1.0");
    EXPECT_EQ(ById(1497).binding.role, BindingRole::kSpinner);
    EXPECT_EQ(ById(1010).binding.role, BindingRole::kAdd);
    EXPECT_EQ(ById(1002).kind, ControlKind::kCheckBox);
    EXPECT_TRUE(ById(1002).textOnLeft);

    // The About procedure filled its date field through the platform's window calls.
    EXPECT_EQ(ById(1026, 1).text, "2007.02.20");
    EXPECT_EQ(ById(1026, 1).align, zg::panel::TextAlign::kRight);
    EXPECT_EQ(host::GetDlgItem(panel.Rollouts()[1].handle, 1026), Handle(1026, 1));
    const Control& logo = panel.Rollouts()[1].controls.back();
    EXPECT_EQ(logo.kind, ControlKind::kPicture);
    EXPECT_EQ(zg::web::PicturePng(logo.picture).substr(1, 3), "PNG");
}

TEST_F(PanelTest, EditsGoThroughTheBlockWithinTheControlsLimits) {
    EXPECT_TRUE(panel.EnterText(Handle(1491), "1000", error)) << error;
    EXPECT_EQ(block->GetInt(3), 999);
    EXPECT_EQ(ById(1491).text, "999");
    EXPECT_TRUE(panel.EnterText(Handle(1490), " -4 ", error)) << error;
    EXPECT_EQ(block->GetFloat(0), 0.0f);
    EXPECT_FALSE(panel.EnterText(Handle(1490), "4x", error));
    EXPECT_NE(error.find("is not a number"), std::string::npos);
    EXPECT_FALSE(panel.EnterText(Handle(1497), "3", error));  // arrows take no text

    ASSERT_TRUE(panel.EnterText(Handle(1490), "200", error)) << error;
    EXPECT_TRUE(panel.Spin(Handle(1496), 1, error)) << error;  // a hundredth of the value
    EXPECT_FLOAT_EQ(block->GetFloat(0), 202.0f);
    EXPECT_TRUE(panel.Spin(Handle(1497), -5, error)) << error;  // whole steps of one
    EXPECT_EQ(block->GetInt(3), 994);
    EXPECT_TRUE(panel.EnterText(Handle(1502), "1e9", error)) << error;  // vector scale: the control keeps its range
    EXPECT_EQ(block->GetFloat(7), 999999.0f);

    EXPECT_TRUE(panel.Click(Handle(1001), error)) << error;
    EXPECT_EQ(block->GetInt(8), 1);
    EXPECT_TRUE(ById(1001).checked);

    EXPECT_TRUE(panel.Undo());  // the check box
    EXPECT_EQ(block->GetInt(8), 0);
    EXPECT_TRUE(panel.Undo());  // the vector scale
    EXPECT_EQ(block->GetFloat(7), 10.0f);
    EXPECT_TRUE(panel.Redo());
    EXPECT_EQ(block->GetFloat(7), 999999.0f);
}

TEST_F(PanelTest, AddPicksOnlyWhatTheValidatorTakesAndRemoveTakesTheSelectedEntry) {
    EXPECT_FALSE(panel.Click(Handle(1011), error));  // nothing selected to remove
    EXPECT_TRUE(panel.Click(Handle(1010), error)) << error;
    ASSERT_TRUE(panel.Picking());
    EXPECT_EQ(panel.PickingFor(), "Force Nodes");
    EXPECT_FALSE(panel.WouldTake(scene->FindNode("Mark")));
    EXPECT_TRUE(panel.WouldTake(scene->FindNode("Pull")));
    EXPECT_FALSE(panel.Pick(scene->FindNode("Mark"), error));
    EXPECT_EQ(error, "Mark cannot be added to Force Nodes: the list does not take a Point");
    EXPECT_TRUE(panel.Picking());
    EXPECT_TRUE(panel.Pick(scene->FindNode("Pull"), error)) << error;
    EXPECT_FALSE(panel.Picking());
    EXPECT_EQ(ById(1009).items, std::vector<std::string>{"Pull"});
    EXPECT_TRUE(panel.Click(Handle(1010), error)) << error;
    EXPECT_FALSE(panel.Pick(scene->FindNode("Pull"), error));
    EXPECT_EQ(error, "Pull is listed already");
    panel.CancelPick();

    EXPECT_TRUE(panel.SelectItem(Handle(1009), 0, error)) << error;
    EXPECT_TRUE(panel.Click(Handle(1011), error)) << error;
    EXPECT_EQ(block->Count(6), 0);
    EXPECT_TRUE(panel.Undo());
    EXPECT_EQ(block->GetNode(6, 0, 0), scene->FindNode("Pull"));
}

TEST_F(PanelTest, TheHostLaysOutItsOwnClassesFromTheirBlocks) {
    host::Object* gravity = scene->FindNode("Pull")->GetObjectRef();
    viewer->EndEditParams(&panel, 0, gravity);
    gravity->BeginEditParams(&panel, 0, viewer);
    ASSERT_EQ(panel.Rollouts().size(), 1u);
    const zg::panel::Rollout& r = panel.Rollouts()[0];
    EXPECT_EQ(r.title, "Parameters");
    std::vector<std::string> labels;
    const Control* strength = nullptr;
    const Control* spherical = nullptr;
    for (const Control& c : r.controls) {
        if (c.kind == ControlKind::kStatic) labels.push_back(c.text);
        if (c.kind == ControlKind::kEdit && c.binding.param == 0) strength = &c;
        if (c.kind == ControlKind::kCheckBox) spherical = &c;
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"Strength", "Decay"}));
    ASSERT_NE(strength, nullptr);
    ASSERT_NE(spherical, nullptr);
    EXPECT_TRUE(spherical->checked);
    EXPECT_TRUE(panel.EnterText(strength->handle, "2.5", error)) << error;
    EXPECT_EQ(gravity->GetParamBlock(0)->GetFloat(0), 2.5f);
    gravity->EndEditParams(&panel, 0, nullptr);
    EXPECT_TRUE(panel.Rollouts().empty());
    viewer->BeginEditParams(&panel, 0, nullptr);
}

}  // namespace
}  // namespace rendertest
