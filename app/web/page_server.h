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
    static constexpr std::size_t kMaxWaitingPerPage = 32;
    static constexpr std::size_t kMaxWaiting = 256;

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
    bool Received(ClientId client, std::string message, bool binary) override;
    void Closed(ClientId client) override;

private:
    // UI thread: sends `message` once the budget holds it and what waits already; the
    // page is closed with a reason when it does not.
    void Deliver(ClientId client, std::string message, bool binary);
    // UI thread: the budget's share brought to what waits to be sent, plus `extra`.
    bool ChargeQueued(std::size_t extra);
    // UI thread, after a page's message was handled: reads that page again, and any
    // page held for the total, when there is room.
    void Done(ClientId client);

    UiThread& ui_;
    std::mutex waitingMutex_;
    std::map<ClientId, std::size_t> waiting_;  // messages waiting for the UI thread
    std::map<ClientId, bool> held_;            // pages not read until there is room
    std::size_t totalWaiting_ = 0;
    host::BudgetShare sendShare_;  // UI thread
    PageHost host_;  // UI thread only
    PageDialogs dialogs_;
    HttpServer server_;
};

}  // namespace zg::web
