// PageDialogs: the platform's shell and message boxes, shown by the page that the UI
// thread is answering. The shell opens web addresses in a new tab of that page; a
// message box shows in that page as a modal box, belongs to it, and the call returns
// only when that page dismisses it (or goes). Meanwhile the UI thread goes on with the
// other pages' work (UiThread::RunWhile); the page's answer comes straight from the
// network threads.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "app/web/http_server.h"
#include "app/web/ui_thread.h"
#include "host/platform.h"

namespace zg::web {

class PageDialogs final : public host::ShellService, public host::MessageBoxService {
public:
    using Deliver = std::function<void(ClientId client, std::string message, bool binary)>;
    // The page being answered, if any.
    using CurrentPage = std::function<std::optional<ClientId>()>;

    // `offline`: the shell opens nothing, as on a machine without internet access.
    // `ui`: the thread that goes on while a box is open; without one, the caller waits.
    PageDialogs(Deliver deliver, CurrentPage currentPage, bool offline, UiThread* ui = nullptr);

    // host::ShellService, UI thread: web addresses (http, https) only. Answers 42 when
    // the page was asked to open it; 2 offline; 5 for anything that is not a web
    // address; 31 when no page is there to open it.
    host::INT_PTR Open(host::HWND parent, const char* verb, const char* file, const char* parameters,
                       const char* directory, int show) override;
    // host::MessageBoxService, UI thread: returns when the page answers, goes away or
    // the server stops (IDCANCEL then, or IDOK for a box with an OK button only).
    int Show(host::HWND owner, const char* text, const char* caption, host::UINT type) override;

    // Network threads. A reply counts only from the page the box belongs to.
    void Reply(ClientId client, int64_t id, int button);
    void PageClosed(ClientId client);
    // Wakes every waiting box for good: the server is stopping.
    void Stop();

private:
    void Wake();

    Deliver deliver_;
    CurrentPage currentPage_;
    bool offline_;
    UiThread* ui_;
    std::mutex mutex_;
    std::condition_variable answered_;
    std::map<int64_t, ClientId> open_;  // box, the page it shows in
    std::map<int64_t, int> replies_;
    std::set<ClientId> closed_;
    int64_t nextId_ = 1;
    bool stopped_ = false;
};

}  // namespace zg::web
