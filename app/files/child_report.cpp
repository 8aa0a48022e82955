#include "app/files/child_report.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fmt/format.h>

#include <algorithm>
#include <cerrno>

namespace zg::files {

ChildEnd ReadChildReport(int fd, pid_t pid, std::chrono::milliseconds limit,
                         const std::function<void(const std::string&)>& onLine) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + limit;
    ChildEnd end;
    std::string pending;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            end.timedOut = true;
            break;
        }
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, 1000)));
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) continue;
        char buffer[4096];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        pending.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t at; (at = pending.find('\n')) != std::string::npos;) {
            std::string line = pending.substr(0, at);
            pending.erase(0, at + 1);
            onLine(line);
        }
    }
    ::close(fd);
    if (end.timedOut) ::kill(pid, SIGKILL);
    while (::waitpid(pid, &end.status, 0) < 0 && errno == EINTR) {
    }
    return end;
}

std::string LimitText(std::chrono::milliseconds limit) {
    const auto ms = limit.count();
    return ms % 1000 == 0 ? fmt::format("{} s", ms / 1000) : fmt::format("{} ms", ms);
}

}  // namespace zg::files
