// PageDialogs: the platform's shell and message boxes, shown by the page that the UI
// thread is answering. The shell opens web addresses in a new tab of that page; a
// message box shows in the page as a modal box and the call returns only when the user
// dismisses it. While the UI thread waits for that, the network threads go on: they
// deliver the page's answer straight to the waiting call.
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
#include "host/platform.h"

namespace zg::web {

class PageDialogs final : public host::ShellService, public host::MessageBoxService {
public:
    using Deliver = std::function<void(ClientId client, std::string message, bool binary)>;
    // The page being answered, if any.
    using CurrentPage = std::function<std::optional<ClientId>()>;

    // `offline`: the shell opens nothing, as on a machine without internet access.
    PageDialogs(Deliver deliver, CurrentPage currentPage, bool offline);

    // host::ShellService, UI thread: web addresses (http, https) only. Answers 42 when
    // the page was asked to open it; 2 offline; 5 for anything that is not a web
    // address; 31 when no page is there to open it.
    host::INT_PTR Open(host::HWND parent, const char* verb, const char* file, const char* parameters,
                       const char* directory, int show) override;
    // host::MessageBoxService, UI thread: blocks until the page answers, goes away or
    // the server stops (IDCANCEL then, or IDOK for a box with an OK button only).
    int Show(host::HWND owner, const char* text, const char* caption, host::UINT type) override;

    // Network threads.
    void Reply(int64_t id, int button);
    void PageClosed(ClientId client);
    // Wakes every waiting box for good: the server is stopping.
    void Stop();

private:
    Deliver deliver_;
    CurrentPage currentPage_;
    bool offline_;
    std::mutex mutex_;
    std::condition_variable answered_;
    std::map<int64_t, int> replies_;
    std::set<ClientId> closed_;
    int64_t nextId_ = 1;
    bool stopped_ = false;
};

}  // namespace zg::web
