// The state messages written from an edit session: the parts a state carries only when
// asked, and the views message that stands in for it when only cameras moved.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <utility>
#include <vector>

#include "app/session/edit_session.h"
#include "app/web/page_state.h"
#include "tests/app/render_scene_fixture.h"

namespace webtest {
namespace {

class PageStateTest : public rendertest::RenderSceneFixture {};

TEST_F(PageStateTest, ClassesAndRolloutsComeWhenAskedAndTheViewsMessageCarriesTheViewsAlone) {
    Load(rendertest::HelperScene(""));
    zg::session::EditSession session(directory, std::move(scene), {});
    using json = nlohmann::ordered_json;
    const struct {
        bool classes, rollouts;
    } cases[] = {{false, false}, {true, false}, {false, true}, {true, true}};
    for (const auto& c : cases) {
        const json state = json::parse(zg::web::StateMessage(session, {"a warning"}, c.classes, c.rollouts));
        EXPECT_EQ(state["type"], "state");
        EXPECT_EQ(state["warnings"], json::array({"a warning"}));
        EXPECT_EQ(state.contains("classes"), c.classes);
        EXPECT_EQ(state.contains("markerShapes"), c.classes);
        if (c.classes) {
            EXPECT_EQ(state["markerShapes"][1], json({{"code", 1}, {"form", "box"}, {"radius", 3.5}}));
        }
        EXPECT_EQ(state["panel"].contains("rollouts"), c.rollouts);
        EXPECT_EQ(state["nodes"][0]["name"], "Helper01");
    }
    const json views = json::parse(zg::web::ViewsMessage(session));
    std::vector<std::string> keys;
    for (const auto& [key, value] : views.items()) keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"type", "revision", "views", "hover", "drag"}));
    EXPECT_EQ(views["views"][0]["name"], "Top");
    EXPECT_EQ(views["views"], json::parse(zg::web::StateMessage(session, {}, false, false))["views"]);
}

}  // namespace
}  // namespace webtest
