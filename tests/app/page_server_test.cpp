// The page server between the network and the UI thread: a page that floods it is held,
// and what a page left waiting is forgotten when it goes.
#include <gtest/gtest.h>

#include <cstddef>
#include <utility>
#include <vector>

#include "app/session/edit_session.h"
#include "app/web/page_server.h"
#include "app/web/ui_thread.h"
#include "tests/app/render_scene_fixture.h"

namespace webtest {
namespace {

class PageServerTest : public rendertest::RenderSceneFixture {};

TEST_F(PageServerTest, APageServerHoldsAFloodingPageAndForgetsWhatAPageLeftWaiting) {
    Load(rendertest::HelperScene(""));
    zg::session::EditSession session(directory, std::move(scene), {});
    zg::web::UiThread ui;
    zg::web::PageServer server(ui, session, {.token = "t"}, ".");
    server.Opened(1);
    std::vector<bool> readOn;
    for (std::size_t i = 0; i < zg::web::PageServer::kMaxWaitingPerPage; ++i)
        readOn.push_back(server.Received(1, R"({"type": "frame", "frame": 5})", false));
    std::vector<bool> expected(zg::web::PageServer::kMaxWaitingPerPage, true);
    expected.back() = false;  // its socket is not read until the UI thread catches up
    EXPECT_EQ(readOn, expected);
    server.Closed(1);
    ui.Post([&ui] { ui.Stop(); });
    ui.Run();
    EXPECT_EQ(session.Frame(), 0.0);  // none of the frames it sent before it went
}

}  // namespace
}  // namespace webtest
