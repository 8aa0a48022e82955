// The interactive host's server side without a browser: who is let in, how page
// messages are read, the page host's answers, a plug-in and a handler that throw.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/websocket.hpp>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <nlohmann/json.hpp>
#include <thread>

#include "app/cli/scene_loading.h"
#include "app/scene/scene_file.h"
#include "app/session/edit_session.h"
#include "app/warps/builtin_classes.h"
#include "app/web/access.h"
#include "app/web/http_server.h"
#include "app/web/page_host.h"
#include "app/web/page_dialogs.h"
#include "app/web/page_protocol.h"
#include "app/web/page_server.h"
#include "app/web/ui_thread.h"
#include "tests/app/render_scene_fixture.h"
#include "tests/support/temp_folder.h"

namespace webtest {
namespace {

using zg::web::AccessPolicy;
using zg::web::RequestFacts;
using zg::web::Verdict;

TEST(AccessTest, RequestsNeedTheTokenTheServersOwnNameAndOrigin) {
    AccessPolicy policy;
    policy.port = 8765;
    policy.token = "secret";
    const std::string cookie = zg::web::CookieName(8765) + "=secret";
    const std::string cookies = "a=b; " + cookie;
    struct Case {
        const char* what;
        RequestFacts request;
        Verdict verdict;
    };
    const Case cases[] = {
        {"nothing", {"GET", "/", "127.0.0.1:8765", "", "", "", false}, Verdict::kUnauthorized},
        {"cookie", {"GET", "/app.js", "localhost:8765", "", cookie, "", false}, Verdict::kAllow},
        {"other cookie first", {"GET", "/", "127.0.0.1:8765", "", cookies, "", false}, Verdict::kAllow},
        {"token in the address", {"GET", "/?token=secret", "127.0.0.1:8765", "", "", "", false},
         Verdict::kAllowAndKeepToken},
        {"longer token", {"GET", "/?token=secretX", "127.0.0.1:8765", "", "", "", false}, Verdict::kUnauthorized},
        {"bearer", {"GET", "/", "[::1]:8765", "", "", "Bearer secret", false}, Verdict::kAllow},
        {"cookie of another port", {"GET", "/", "127.0.0.1:8765", "", "zentrograph_9=secret", "", false},
         Verdict::kUnauthorized},
        {"foreign host", {"GET", "/", "evil.example:8765", "", cookie, "", false}, Verdict::kForbidden},
        {"other port", {"GET", "/", "127.0.0.1:80", "", cookie, "", false}, Verdict::kForbidden},
        {"no host", {"GET", "/", "", "", cookie, "", false}, Verdict::kForbidden},
        {"socket of the page", {"GET", "/ws", "127.0.0.1:8765", "http://127.0.0.1:8765", cookie, "", true},
         Verdict::kAllow},
        {"socket without origin", {"GET", "/ws", "127.0.0.1:8765", "", cookie, "", true}, Verdict::kForbidden},
        {"socket from elsewhere", {"GET", "/ws", "127.0.0.1:8765", "http://evil.example", cookie, "", true},
         Verdict::kForbidden},
        {"post from elsewhere", {"POST", "/", "127.0.0.1:8765", "https://127.0.0.1:8765", cookie, "", false},
         Verdict::kForbidden},
    };
    for (const Case& c : cases) EXPECT_EQ(policy.Judge(c.request), c.verdict) << c.what;

    const auto a = zg::web::MakeAccessToken();
    const auto b = zg::web::MakeAccessToken();
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->size(), 64u);
    EXPECT_EQ(a->find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_NE(*a, *b);
}

// Waits up to a generous bound for `done`.
template <class Done>
bool Eventually(Done done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done() && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return done();
}

TEST(PageProtocolTest, ReadsEveryMessageKind) {
    const char* messages[] = {
        R"({"type": "hello", "views": [{"width": 300, "height": 200}], "seq": 1})",
        R"({"type": "resize", "view": 1, "width": 5, "height": 6})",
        R"({"type": "pointer", "view": 0, "phase": "down", "x": 10.4, "y": -3, "button": 2, "additive": true})",
        R"({"type": "orbit", "view": 0, "dx": 1.5, "dy": 0})",
        R"({"type": "zoom", "view": 0, "factor": 1.2, "x": 0, "y": 0})",
        R"({"type": "camera", "view": 0, "eye": [1, 2, 3], "target": [0, 0, 0], "up": [0, 0, 1], "fov": 40})",
        R"({"type": "camera", "view": 1, "center": [1, 2, 3], "width": 0.5})",
        R"({"type": "key", "key": "Delete"})",
        R"({"type": "create", "class": "Zentrograph"})",
        R"({"type": "select", "names": ["A", "B"]})",
        R"({"type": "save", "file": "x.json"})",
        R"({"type": "save"})",
        R"({"type": "projection", "view": 2, "projection": "back"})",
        R"({"type": "frameView", "view": 0, "all": true})",
    };
    for (const char* text : messages) {
        std::optional<int64_t> seq;
        std::string error;
        EXPECT_TRUE(zg::web::ParsePageMessage(text, seq, error)) << text << ": " << error;
    }
    std::optional<int64_t> seq;
    std::string error;
    const auto pointer = zg::web::ParsePageMessage(messages[2], seq, error);
    const auto& p = std::get<zg::web::command::Pointer>(pointer->command);
    EXPECT_EQ(p.at, host::IPoint2(10, -3));
    EXPECT_EQ(p.button, 2);
}

TEST(PageProtocolTest, RefusesMalformedMessagesWithTheFieldAtFault) {
    const std::pair<std::string, const char*> cases[] = {
        {"not json", "not JSON"},
        {"[1]", "not a JSON object"},
        {std::string(20, '[') + std::string(20, ']'), "nested too deeply"},
        {R"({"seq": 4})", "type: missing"},
        {R"({"type": "fly", "seq": 7})", "unknown message type"},
        {R"({"type": "hello", "views": []})", "views:"},
        {R"({"type": "hello", "views": [{"width": 0, "height": 1}]})", "views[0].width"},
        {R"({"type": "pointer", "view": 0, "phase": "drag", "x": 0, "y": 0})", "phase:"},
        {R"({"type": "pointer", "view": 99, "phase": "up", "x": 0, "y": 0})", "view:"},
        {R"({"type": "pointer", "view": 0, "phase": "up", "x": 1e300, "y": 0})", "x:"},
        {R"({"type": "zoom", "view": 0, "factor": 0, "x": 0, "y": 0})", "factor:"},
        {R"({"type": "key", "key": "F1"})", "key:"},
        {R"({"type": "projection", "view": 0, "projection": "under"})", "projection: expected"},
        {R"({"type": "frameView", "view": 0, "all": 1})", "all:"},
        {R"({"type": "frame", "frame": "3"})", "frame:"},
        {R"({"type": "camera", "view": 0, "eye": [1, 2], "target": [0, 0, 0], "up": [0, 0, 1], "fov": 40})", "eye:"},
        {R"({"type": "camera", "view": 0, "center": [0, 0, 1e300], "width": 1})", "center[2]:"},
        {R"({"type": "camera", "view": 0, "center": [0, 0, 0], "width": 1, "fov": 3})", "fov: unknown key"},
        {R"({"type": "selectMode", "extra": 1})", "extra: unknown key"},
        {R"({"type": "save", "seq": 1.5})", "seq:"},
        {R"({"type": "selectMode", "a\nb": 1})", "a\\nb: unknown key"},  // still one line
    };
    for (const auto& [text, expected] : cases) {
        std::optional<int64_t> seq;
        std::string error;
        EXPECT_FALSE(zg::web::ParsePageMessage(text, seq, error)) << text;
        EXPECT_NE(error.find(expected), std::string::npos) << text << ": " << error;
    }
    std::optional<int64_t> seq;
    std::string error;
    zg::web::ParsePageMessage(R"({"type": "fly", "seq": 7})", seq, error);
    EXPECT_EQ(seq, 7);  // a refusal can still be acknowledged
}

class PageHostTest : public rendertest::RenderSceneFixture {};

TEST_F(PageHostTest, AnswersEveryMessageWithAnAcknowledgementAndChangesWithStateAndDrawing) {
    Load(rendertest::HelperScene(""));
    zg::session::EditSession session(directory, std::move(scene), {});
    std::vector<std::pair<std::string, bool>> sent;
    zg::web::PageHost host(
        session, [&](zg::web::ClientId, std::string message, bool binary) { sent.emplace_back(message, binary); }, ".");
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

TEST_F(PageHostTest, ADrawingTooLargeForAPageIsToldInANoticeNotSent) {
    Load(rendertest::HelperScene(""));
    zg::session::EditSession session(directory, std::move(scene), {});
    std::vector<std::pair<std::string, bool>> sent;
    zg::web::PageHost host(
        session, [&](zg::web::ClientId, std::string message, bool binary) { sent.emplace_back(message, binary); }, ".",
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

TEST_F(PageHostTest, APageServerHoldsAFloodingPageAndForgetsWhatAPageLeftWaiting) {
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

TEST(PageDialogsTest, ABoxBelongsToItsPageWhileTheOtherPagesAreServed) {
    zg::web::UiThread ui;
    std::mutex mutex;
    std::string ran;  // the tasks run, in order
    bool shown = false;
    const auto note = [&](char what) {
        std::lock_guard lock(mutex);
        ran += what;
    };
    const auto seen = [&] {
        std::lock_guard lock(mutex);
        return ran;
    };
    zg::web::PageDialogs dialogs(
        [&](zg::web::ClientId page, std::string message, bool) {
            std::lock_guard lock(mutex);
            shown = shown || (page == 1 && message.find(R"("type":"messageBox")") != std::string::npos);
        },
        [] { return std::optional<zg::web::ClientId>(1); }, true, &ui);
    int answer = 0;
    ui.Post([&] { answer = dialogs.Show(nullptr, "Sure?", "Question", 1); note('A'); }, 1);
    ui.Post([&] { note('b'); }, 2);
    ui.Post([&] { note('a'); }, 1);  // page 1's next message waits for its box
    std::thread thread([&] { ui.Run(); });
    ASSERT_TRUE(Eventually([&] { return seen() == "b"; }));
    dialogs.Reply(2, 1, host::IDOK);  // another page cannot answer it
    ui.Post([&] { note('c'); }, 2);
    ASSERT_TRUE(Eventually([&] { return seen() == "bc"; }));
    dialogs.Reply(1, 1, host::IDCANCEL);
    EXPECT_TRUE(Eventually([&] { return seen() == "bcAa"; })) << seen();
    ui.Stop();
    thread.join();
    EXPECT_TRUE(shown);
    EXPECT_EQ(answer, host::IDCANCEL);
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

TEST(UiThreadTest, DropsTheWaitingTasksOfOneOwnerOnly) {
    zg::web::UiThread ui;
    std::string ran;
    for (const auto& [owner, name] : std::vector<std::pair<uint64_t, char>>{{1, 'a'}, {2, 'b'}, {0, 'c'}, {1, 'd'}})
        ui.Post([&ran, name] { ran += name; }, owner);
    EXPECT_EQ(ui.Drop(1), 2u);
    EXPECT_EQ(ui.Drop(0), 0u);  // tasks without an owner are nobody's to drop
    ui.Post([&ui] { ui.Stop(); });
    ui.Run();
    EXPECT_EQ(ran, "bc");
}

TEST(UiThreadTest, TimedTasksRunInTheirOrderAndNeverWithinAWaitingTask) {
    zg::web::UiThread ui;
    std::string ran;
    ui.PostAfter(std::chrono::milliseconds(30), [&] {
        ran += 'b';
        ui.Stop();
    });
    ui.Post([&] {
        bool open = true;
        ui.PostAfter(std::chrono::milliseconds(0), [&] { ran += 'a'; });
        ui.Post([&] {
            ran += 'x';
            open = false;
            ui.Wake();
        });
        ui.RunWhile([&] { return open; }, 0);
        ran += 'w';
    });
    ui.Run();
    EXPECT_EQ(ran, "xwab");
}

TEST(UiThreadTest, ATaskThatThrowsEndsItselfNotTheThread) {
    zg::web::UiThread ui;
    bool ran = false;
    ui.Post([] { throw std::runtime_error("task"); });
    ui.Post([&] {
        ran = true;
        ui.Stop();
    });
    ui.Run();
    EXPECT_TRUE(ran);
}

// A handler whose every answer throws.
class ThrowingHandler : public zg::web::ServerHandler {
public:
    zg::web::HttpAnswer Answer(const zg::web::HttpQuestion&) override { throw std::runtime_error("secret detail"); }
    void Opened(zg::web::ClientId) override {}
    bool Received(zg::web::ClientId, std::string, bool) override { return true; }
    void Closed(zg::web::ClientId) override {}
};

// Sends `request` to the port and answers what came back, up to the connection's end.
std::string Exchange(uint16_t port, const std::string& request) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string reply;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        write(fd, request.data(), request.size()) == static_cast<ssize_t>(request.size())) {
        char buffer[4096];
        for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) reply.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return reply;
}

// A handler that counts the pages that opened and closed.
class CountingHandler : public zg::web::ServerHandler {
public:
    zg::web::HttpAnswer Answer(const zg::web::HttpQuestion&) override { return {}; }
    void Opened(zg::web::ClientId) override { ++opened; }
    bool Received(zg::web::ClientId, std::string, bool) override { return true; }
    void Closed(zg::web::ClientId) override { ++closed; }
    std::atomic<int> opened{0}, closed{0};
};

TEST(HttpServerTest, PagesThatDoNotReadAreDroppedAtTheirBoundAndWhatWaitsForAllIsBounded) {
    CountingHandler handler;
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    zg::web::HttpServer server({.token = "t", .maxQueuedBytes = 4 * kMiB, .maxTotalQueuedBytes = 6 * kMiB}, handler);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    const std::string host = "127.0.0.1:" + std::to_string(server.Port());
    // Two pages that open their sockets and then read nothing, with small receive buffers.
    boost::asio::io_context io;
    std::vector<std::unique_ptr<boost::beast::websocket::stream<boost::asio::ip::tcp::socket>>> pages;
    for (int i = 0; i < 2; ++i) {
        auto ws = std::make_unique<boost::beast::websocket::stream<boost::asio::ip::tcp::socket>>(io);
        ws->next_layer().open(boost::asio::ip::tcp::v4());
        ws->next_layer().set_option(boost::asio::socket_base::receive_buffer_size(64 * 1024));
        ws->next_layer().connect({boost::asio::ip::make_address("127.0.0.1"), server.Port()});
        ws->set_option(boost::beast::websocket::stream_base::decorator([&](boost::beast::websocket::request_type& req) {
            req.set(boost::beast::http::field::origin, "http://" + host);
            req.set(boost::beast::http::field::authorization, "Bearer t");
        }));
        ws->handshake(host, "/ws");
        pages.push_back(std::move(ws));
    }
    ASSERT_TRUE(Eventually([&] { return handler.opened == 2; }));
    std::size_t most = 0;
    for (int i = 0; i < 64; ++i) {
        for (zg::web::ClientId page : {1, 2}) server.Send(page, std::string(kMiB, 'x'), true);
        most = std::max(most, server.QueuedBytes());
    }
    EXPECT_LE(most, 6 * kMiB);
    EXPECT_TRUE(Eventually([&] { return handler.closed == 2 && server.QueuedBytes() == 0; }))
        << handler.closed << " closed, " << server.QueuedBytes() << " bytes waiting";
    server.Stop();
}

TEST(HttpServerTest, AnswersAThrowingHandlerWith500WithoutItsDetailAndRedirectsOnlyToItsOwnPaths) {
    ThrowingHandler handler;
    zg::web::HttpServer server({.token = "t"}, handler);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    const std::string host = "127.0.0.1:" + std::to_string(server.Port());
    const std::string reply =
        Exchange(server.Port(), "GET / HTTP/1.1\r\nHost: " + host + "\r\nAuthorization: Bearer t\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(reply.rfind("HTTP/1.1 500", 0), 0u) << reply;
    EXPECT_EQ(reply.find("secret"), std::string::npos);
    // The token's redirect goes to a path of this server only.
    for (const auto& [target, location] : std::vector<std::pair<std::string, std::string>>{
             {"/app.js?token=t", "Location: /app.js\r\n"}, {"//other.example/?token=t", "Location: /\r\n"}}) {
        const std::string redirect = Exchange(
            server.Port(), "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\nConnection: close\r\n\r\n");
        EXPECT_NE(redirect.find(location), std::string::npos) << redirect;
    }
    server.Stop();
}

}  // namespace
}  // namespace webtest
