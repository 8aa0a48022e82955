// The page host's answers: acknowledgements, state and drawing, saving inside the
// scene's folder, drawings too large for a page, pages that leave mid-drag, and a
// plug-in that throws.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/cli/scene_loading.h"
#include "app/scene/scene_file.h"
#include "app/session/edit_session.h"
#include "app/warps/builtin_classes.h"
#include "app/web/page_host.h"
#include "tests/app/render_scene_fixture.h"
#include "tests/support/temp_folder.h"

namespace webtest {
namespace {

class PageHostTest : public rendertest::RenderSceneFixture {
protected:
    // A delivery that keeps every message the host sends, and whether it is binary.
    zg::web::PageHost::Deliver Record() {
        return [this](zg::web::ClientId, std::string message, bool binary) { sent.emplace_back(message, binary); };
    }
    std::vector<std::pair<std::string, bool>> sent;
};

TEST_F(PageHostTest, AnswersEveryMessageWithAnAcknowledgementAndChangesWithStateAndDrawing) {
    Load(rendertest::HelperScene(""));
    zg::session::EditSession session(directory, std::move(scene), {});
    zg::web::PageHost host(session, Record(), ".");
    host.Opened(1);
    host.Received(1, R"({"type": "hello", "views": [{"width": 64, "height": 48}], "seq": 1})");
    ASSERT_EQ(sent.size(), 5u);  // state, the grid and the viewer, the drawing, the acknowledgement
    EXPECT_NE(sent[0].first.find(R"("type":"state")"), std::string::npos);
    EXPECT_NE(sent[0].first.find(R"("Tarnwick")"), std::string::npos);
    EXPECT_NE(sent[0].first.find(R"("camera":{"center":[0.0,0.0,0.0],"width":4.0,"right":[1.0,0.0,0.0],"up":[0.0,1.0,0.0]})"), std::string::npos);
    EXPECT_TRUE(sent[1].second && sent[2].second);
    EXPECT_EQ(sent[3].first.rfind(R"({"type":"drawing","views":[[)", 0), 0u);
    EXPECT_EQ(sent[4].first, R"({"type":"ack","seq":1})");

    // The page moved the camera: the host takes it and tells the views alone; the grid
    // of the new view is the only drawing sent.
    sent.clear();
    host.Received(1, R"({"type": "camera", "view": 0, "center": [1, 0, 0], "width": 4, "seq": 9})");
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(session.Views()[0].center, zg::Vec3d(1, 0, 0));
    EXPECT_EQ(sent[0].first.rfind(R"({"type":"views","revision":)", 0), 0u) << sent[0].first;
    EXPECT_TRUE(sent[1].second);

    sent.clear();
    host.Received(1, R"({"type": "pointer", "view": 3, "phase": "up", "x": 0, "y": 0, "seq": 2})");
    host.Received(1, "{{{");
    host.Received(1, R"({"type": "orbit", "view": 3, "dx": 1, "dy": 0, "seq": 4})");
    ASSERT_EQ(sent.size(), 3u);  // nothing changed: acknowledgements alone
    EXPECT_EQ(sent[0].first, R"({"type":"ack","seq":2,"error":"view: there is no view 3"})");
    EXPECT_EQ(sent[1].first, R"({"type":"ack","seq":null,"error":"message is not JSON"})");
    EXPECT_EQ(sent[2].first, R"({"type":"ack","seq":4,"error":"view: there is no view 3"})");
    sent.clear();
    host.Received(1, R"({"type": "save", "seq": 3})");
    EXPECT_NE(sent.back().first.find(R"("needFile":true)"), std::string::npos);
}

TEST_F(PageHostTest, NavigatingAViewThePageHasButTheSceneLacksIsRefused) {
    Load(rendertest::HelperScene(""));
    zg::session::EditSession session(directory, std::move(scene), {});
    zg::web::PageHost host(session, Record(), ".");
    host.Opened(1);
    ASSERT_EQ(session.Views().size(), 1u);
    host.Received(1, R"({"type": "hello", "views": [{"width": 64, "height": 48}, {"width": 64, "height": 48}]})");
    for (const char* move : {R"("orbit", "dx": 1, "dy": 0)", R"("pan", "dx": 1, "dy": 0)",
                             R"("zoom", "factor": 2, "x": 0, "y": 0)"}) {
        sent.clear();
        host.Received(1, std::string(R"({"seq": 6, "view": 1, "type": )") + move + "}");
        ASSERT_EQ(sent.size(), 1u) << move;
        EXPECT_EQ(sent[0].first, R"({"type":"ack","seq":6,"error":"view: there is no view 1"})") << move;
    }
}

TEST_F(PageHostTest, ThePageSavesOnlyInsideTheScenesFolderAndNamesFilesRelativeToIt) {
    Load(rendertest::HelperScene(""));
    zg::session::EditSession session(directory, std::move(scene), {});
    const testsupport::TempFolder dir;
    const std::filesystem::path folder = dir.Path() / "scenes";
    std::filesystem::create_directory(folder);
    std::string ack;
    zg::web::PageHost host(session, [&](zg::web::ClientId, std::string message, bool) { ack = message; }, folder);
    host.Opened(1);
    const struct {
        std::string file;
        std::string error;  // a part of it; empty: saved
    } cases[] = {
        {"../up.json", "../up.json: outside the scene's folder"},
        {(dir.Path() / "abs.json").string(), "../abs.json: outside"},
        {"a:b?*.json", "may not hold"},
        {"CON", "CON names a device"},
        {"missing/x.json", "missing/x.json"},
        {"good.json", ""},
        {"good.json", ""},  // the scene's own file now
    };
    for (const auto& c : cases) {
        host.Received(1, nlohmann::json{{"type", "save"}, {"file", c.file}}.dump());
        const nlohmann::json answer = nlohmann::json::parse(ack);
        const std::string error = answer.value("error", "");
        EXPECT_EQ(error.empty(), c.error.empty()) << c.file << ": " << error;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.file << ": " << error;
        EXPECT_EQ(error.find(dir.Path().string()), std::string::npos) << error;
    }
    EXPECT_EQ(session.File(), folder / "good.json");
    std::vector<std::string> written;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.Path()))
        written.push_back(entry.path().lexically_relative(dir.Path()).string());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"scenes", "scenes/good.json", "scenes/good.json.bak"}));
}

TEST_F(PageHostTest, AHelloWithoutViewsGetsTheStateAloneAndAHelloAgainKeepsWhatThePageHolds) {
    Load(rendertest::HelperScene(""));
    zg::session::EditSession session(directory, std::move(scene), {});
    zg::web::PageHost host(session, Record(), ".");
    host.Opened(1);
    const auto binaries = [&] { return std::count_if(sent.begin(), sent.end(), [](const auto& m) { return m.second; }); };
    host.Received(1, R"({"type": "hello", "views": [], "seq": 1})");
    ASSERT_EQ(sent.size(), 2u);  // the state and the acknowledgement
    EXPECT_NE(sent[0].first.find(R"("type":"state")"), std::string::npos);
    sent.clear();
    host.Received(1, R"({"type": "hello", "views": [{"width": 64, "height": 48}], "seq": 2})");
    EXPECT_EQ(binaries(), 2) << "the grid and the viewer";
    sent.clear();
    host.Received(1, R"({"type": "hello", "views": [{"width": 64, "height": 48}], "seq": 3})");
    EXPECT_EQ(binaries(), 0) << "the page holds them";
    EXPECT_NE(sent[0].first.find(R"("type":"state")"), std::string::npos);
}

TEST_F(PageHostTest, ADrawingTooLargeForAPageIsToldInANoticeNotSent) {
    Load(rendertest::HelperScene(""));
    zg::session::EditSession session(directory, std::move(scene), {});
    zg::web::PageHost host(session, Record(), ".",
        [](const std::string&) {}, 64);
    host.Opened(1);
    host.Received(1, R"({"type": "hello", "views": [{"width": 64, "height": 48}], "seq": 1})");
    ASSERT_EQ(sent.size(), 3u);  // state, notice, acknowledgement: no chunk, no drawing
    EXPECT_EQ(sent[1].first.rfind(R"({"type":"notice","text":"The drawing is too large to send to this page)", 0), 0u)
        << sent[1].first;
    EXPECT_EQ(sent[2].first, R"({"type":"ack","seq":1})");
    sent.clear();
    host.Received(1, R"({"type": "frame", "frame": 2, "seq": 2})");
    for (const auto& [message, binary] : sent) EXPECT_FALSE(binary || message.find("notice") != std::string::npos);
}

TEST_F(PageHostTest, APageThatLeavesMidDragEndsItAsAnAbort) {
    Load(rendertest::HelperScene(""));
    zg::session::EditSession session(directory, std::move(scene), {});
    zg::web::PageHost host(session, [](zg::web::ClientId, std::string, bool) {}, ".");
    host.Opened(1);
    host.Received(1, R"({"type": "hello", "views": [{"width": 64, "height": 48}]})");
    host.Received(1, R"({"type": "create", "class": "Zentrograph"})");
    host.Received(1, R"({"type": "pointer", "view": 0, "phase": "down", "x": 10, "y": 10})");
    host.Received(1, R"({"type": "pointer", "view": 0, "phase": "move", "x": 30, "y": 20})");
    ASSERT_TRUE(session.Dragging());
    host.Closed(1);
    EXPECT_FALSE(session.Dragging());
    EXPECT_EQ(session.Scene().NodeCount(), 1);  // the half-made viewer went
}

// A plug-in that throws from one of its calls: the page hears that it failed, never
// what it said; the server's log has that, escaped; the scene is as it was before.
TEST(PageHostFaultTest, AnExceptionOutOfAPlugInAbandonsTheOperationAndKeepsTheScene) {
    zg::plugins::ClassDirectory directory;
    ASSERT_TRUE(directory.LoadModule(ZENTROGRAPH_TEST_MODULE_DIR "/faulty_viewer.dlo"));
    zg::warps::ListBuiltinClasses(directory);
    const std::string control = R"({"type": "control", "control": %, "action": ACTION})";
    struct Case {
        const char* fault;
        std::vector<std::string> messages;  // the last one meets the fault
        const char* error;
    };
    const Case cases[] = {
        {"throw-create", {R"({"type": "create", "class": "FaultyViewer"})"}, zg::web::PageHost::kPluginFault},
        {"throw-creation",
         {R"({"type": "create", "class": "FaultyViewer"})",
          R"({"type": "pointer", "view": 0, "phase": "down", "x": 10, "y": 10})",
          R"({"type": "pointer", "view": 0, "phase": "move", "x": 30, "y": 10})"},
         zg::web::PageHost::kPluginFault},
        {"throw-edit", {"edit"}, zg::web::PageHost::kPluginFault},
        {"throw-rollout", {"button"}, zg::web::PageHost::kPluginFault},
        {"throw-display", {R"({"type": "frame", "frame": 1})"}, zg::web::PageHost::kDrawingFault},
    };
    for (const Case& c : cases) {
        std::string error;
        auto scene = zg::scene::ReadScene(
            R"({"zentrographScene": 1, "nodes": [{"name": "V", "class": "FaultyViewer", "selected": true}],
                "viewports": [{"name": "Top", "projection": "top", "center": [0, 0, 0], "width": 40}]})",
            "test", zg::cli::ResolverFor(directory), error);
        ASSERT_NE(scene, nullptr) << error;
        zg::session::EditSession session(directory, std::move(scene), {});
        std::vector<std::string> sent;
        std::string log;
        zg::web::PageHost host(
            session, [&](zg::web::ClientId, std::string message, bool) { sent.push_back(std::move(message)); }, ".",
            [&](const std::string& line) { log += line + "\n"; });
        host.Opened(1);
        host.Received(1, R"({"type": "hello", "views": [{"width": 100, "height": 100}]})");
        host::Object* viewer = session.Scene().FindNode("V")->GetObjectRef();
        setenv("ZENTROGRAPH_TEST_FAULT", c.fault, 1);
        for (std::string message : c.messages) {
            // A control of the viewer's panel: the size's field, or the button of its own rollout.
            const bool edit = message == "edit";
            if (edit || message == "button") {
                const zg::panel::Control* found = nullptr;
                for (const zg::panel::Rollout& r : session.Panel().Rollouts())
                    for (const zg::panel::Control& k : r.controls)
                        if (edit ? k.kind == zg::panel::ControlKind::kEdit && k.binding.param == 0
                                 : k.kind == zg::panel::ControlKind::kPushButton)
                            found = &k;
                ASSERT_NE(found, nullptr) << c.fault;
                message = control;
                message.replace(message.find('%'), 1, std::to_string(reinterpret_cast<uintptr_t>(found->handle)));
                message.replace(message.find("ACTION"), 6, edit ? R"("text", "text": "77")" : R"("click")");
            }
            host.Received(1, message);
        }
        unsetenv("ZENTROGRAPH_TEST_FAULT");
        const std::string ack = std::string(R"({"type":"ack","seq":null,"error":")") + c.error + "\"}";
        EXPECT_EQ(sent.back(), ack) << c.fault;
        for (const std::string& message : sent) EXPECT_EQ(message.find("secret"), std::string::npos) << c.fault;
        EXPECT_NE(log.find("/home/someone/secret/"), std::string::npos) << c.fault;
        EXPECT_EQ(log.find('\x1b'), std::string::npos) << c.fault;
        EXPECT_EQ(session.Scene().NodeCount(), 1) << c.fault;
        EXPECT_FALSE(session.Dragging()) << c.fault;
        EXPECT_EQ(viewer->GetParamBlock(0)->GetFloat(0), 10.0f) << c.fault;
        // Once the fault is gone, the next message is handled as ever.
        sent.clear();
        host.Received(1, R"({"type": "orbit", "view": 0, "dx": 1, "dy": 0, "seq": 5})");
        EXPECT_EQ(sent.back(), R"({"type":"ack","seq":5})") << c.fault;
    }
}

}  // namespace
}  // namespace webtest
