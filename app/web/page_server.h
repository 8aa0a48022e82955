// PageServer: the interactive host on the network. It serves the page's files from the
// program itself and hands every message of every page to the PageHost on the UI
// thread, whose answers go back through the server. While it runs, the platform's
// shell and message boxes are the pages' (app/web/page_dialogs.h); a page's answer to
// a message box goes straight to the waiting UI thread.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "app/session/edit_session.h"
#include "app/web/http_server.h"
#include "app/web/page_dialogs.h"
#include "app/web/page_host.h"
#include "app/web/ui_thread.h"

namespace zg::web {

class PageServer final : public ServerHandler {
public:
    // `ui` runs the session's work; it and `session` must outlive the server. `offline`:
    // the shell opens no web page, as on a machine without internet access.
    PageServer(UiThread& ui, session::EditSession& session, ServerOptions options, std::filesystem::path saveFolder,
               bool offline = false);
    // Stops the network first, so no task for the page host comes after it is gone.
    ~PageServer() override;

    bool Start(std::string& error) { return server_.Start(error); }
    uint16_t Port() const { return server_.Port(); }
    // Stops the UI thread and every waiting message box as well.
    void StopOnSignals(std::function<void()> onSignal);
    void Stop();

    // ServerHandler: network threads.
    HttpAnswer Answer(const HttpQuestion& question) override;
    void Opened(ClientId client) override;
    void Received(ClientId client, std::string message, bool binary) override;
    void Closed(ClientId client) override;

private:
    UiThread& ui_;
    PageHost host_;  // UI thread only
    PageDialogs dialogs_;
    HttpServer server_;
};

}  // namespace zg::web
