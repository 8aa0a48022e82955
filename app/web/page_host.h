// PageHost: the interactive host as the pages connected to it see it. It reads each
// page's messages (app/web/page_protocol.h), applies them to the edit session, and
// answers with what changed: a state message (JSON), the chunks of the views' drawing
// the page lacks (app/web/page_drawing.h) and an acknowledgement of the message.
//
// Server to page:
//   {"type": "state", "revision", "file", "unsaved", "status", "frame", "start", "end",
//    "fps", "create": class name or null, "drag": null, "create", "move" or "rectangle",
//    "gridSnap", "views": [{"name", "projection", "axes": world X, Y, Z as image
//    directions [x, y], "camera": {"eye", "target", "up", "fov"} or {"center",
//    "width"}}], "zoomRange": [least, most] distance to the target or view width,
//    "selectionColor": [r, g, b] from 0 to 1,
//    "nodes": [{"name", "class", "selected", "color"}],
//    "classes": [{"category", "classes": [{"name", "id"}]}] (in the first state only),
//    "panel": {"edited": node name or null, "picking": list name or null,
//              "rollouts": [...] (when they changed: app/panel/rollout.h as JSON)}}
//   {"type": "views", "revision", "views": [...]}: instead of the state, when only
//   cameras moved since the last one (the views as in the state)
//   the drawing's chunk parts and its "drawing" message, when it changed
//   {"type": "ack", "seq", "error"?: one line, "needFile"?: true}
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

    // Relative file names of a first save are taken from `saveFolder`.
    PageHost(session::EditSession& session, Deliver deliver, std::filesystem::path saveFolder);

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
        std::vector<ViewSize> views;  // empty until the page's hello
        uint64_t sentRevision = 0;
        uint64_t sentPanelRevision = 0;
        uint64_t sentDrawingRevision = 0;
        bool sentClasses = false;
        PageDrawing::PageCopy drawn;
    };

    // Applies a command; answers a one-line error, or "" when it was done.
    std::string Apply(ClientId client, Page& page, const PageCommand& command, bool& needFile);
    std::string SaveTo(const std::optional<std::string>& file, bool& needFile);
    void Update(ClientId client, Page& page);
    std::string StateJson(bool withClasses, bool withRollouts);

    session::EditSession& session_;
    Deliver deliver_;
    std::filesystem::path saveFolder_;
    std::map<ClientId, Page> pages_;
    PageDrawing drawing_;
    std::size_t lastFrameBytes_ = 0;
    std::optional<ClientId> current_;
};

}  // namespace zg::web
