// PageHost: the interactive host as the pages connected to it see it. It reads each
// page's messages (app/web/page_protocol.h), applies them to the edit session, and
// answers with what changed: a state message (JSON, app/web/page_state.h), the chunks
// of the views' drawing the page lacks (app/web/page_drawing.h) and an acknowledgement
// of the message.
//
// Server to page:
//   {"type": "state", ...} or {"type": "views", ...}: what changed (app/web/page_state.h)
//   the drawing's chunk parts and its "drawing" message, when it changed
//   {"type": "ack", "seq", "error"?: one line, "needFile"?: true}
//   {"type": "notice", "text"}: the views' drawing is too large to send the page; it
//   keeps what it had until a "drawing" comes
//   {"type": "openUrl", "url"}, {"type": "messageBox", "id", "text", "caption",
//    "buttons", "icon"} (app/web/page_dialogs.h)
// A page learns the scene's state after its hello; every page hears of every change.
//
// Runs on the UI thread only; sending goes through a function that may be called there.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/session/edit_session.h"
#include "app/web/http_server.h"
#include "app/web/page_drawing.h"
#include "app/web/page_protocol.h"

namespace zg::web {

class PageHost {
public:
    using Deliver = std::function<void(ClientId client, std::string message, bool binary)>;
    // Where what a failing plug-in said goes, one line at a time: never to a page,
    // since it may name files and folders of the server's machine.
    using Log = std::function<void(const std::string& line)>;

    // What a page is told when plug-in code threw while its message was handled.
    static constexpr const char* kPluginFault =
        "a plug-in failed: what it was doing was abandoned and the scene kept (the server's log says more)";

    // ... and when it threw while drawing, the command itself having been done.
    static constexpr const char* kDrawingFault =
        "a plug-in failed while drawing: its node shows nothing for now (the server's log says more)";

    // ... and when it changes something while another page's message box is open.
    static constexpr const char* kBoxOpen = "a message box is open on another page: answer it there first";

    // The page saves only inside `saveFolder`, the scene's folder (app/files/save_name.h),
    // and its errors name files relative to it. `log` defaults
    // to the standard error.
    // A page is sent a drawing of at most `maxFrameBytes`; a larger one it is told of in
    // a notice instead.
    PageHost(session::EditSession& session, Deliver deliver, std::filesystem::path saveFolder, Log log = {},
             std::size_t maxFrameBytes = std::size_t{64} << 20);

    void Opened(ClientId client);
    void Closed(ClientId client);
    // Handles one message of a page: acts on it, then brings every page up to date.
    void Received(ClientId client, std::string_view text);
    // The same for a message read already.
    void Received(ClientId client, const ReadMessage& read);

    // The page whose message is being handled, if any: where dialogs show.
    std::optional<ClientId> CurrentPage() const { return current_; }
    // Bytes of the drawing sent to a page the last time it was sent any, all its views.
    std::size_t LastFrameBytes() const { return lastFrameBytes_; }

private:
    struct Page {
        bool greeted = false;         // the page said hello
        std::vector<ViewSize> views;  // empty until a hello with its views laid out
        uint64_t sentRevision = 0;
        uint64_t sentPanelRevision = 0;
        uint64_t sentDrawingRevision = 0;
        bool sentClasses = false;
        PageDrawing::PageCopy drawn;
        bool toldTooLarge = false;  // the page shows a notice of a drawing too large
    };

    // Applies a command; answers a one-line error, or "" when it was done.
    std::string Apply(ClientId client, Page& page, const PageCommand& command, bool& needFile);
    std::string SaveTo(const std::optional<std::string>& file, bool& needFile);
    void Update(ClientId client, Page& page);
    // Runs `work`, which calls plug-in code, as the one place where what that code
    // throws stops: the exception is logged (escaped), the session abandons the gesture
    // under way when `abandon` says so, and the answer is false.
    template <class Work>
    bool Shielded(const char* during, bool abandon, Work&& work);
    // Brings the panel and the drawing up to date; false when plug-in code threw.
    bool Refresh();
    // Whether a command only looks: views and cameras, nothing of the scene.
    static bool LooksOnly(const PageCommand& command);

    session::EditSession& session_;
    Deliver deliver_;
    std::filesystem::path saveFolder_;
    Log log_;
    std::size_t maxFrameBytes_;
    std::map<ClientId, Page> pages_;
    PageDrawing drawing_;
    std::size_t lastFrameBytes_ = 0;
    std::optional<ClientId> current_;
    std::optional<ClientId> dragger_;  // the page whose pointer started the drag under way
    int handling_ = 0;        // messages being handled, one within another while a box is open
    bool refreshing_ = false;
};

}  // namespace zg::web
