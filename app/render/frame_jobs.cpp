#include "app/render/frame_jobs.h"

#include <fmt/format.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "app/scene/frame_list.h"
#include "app/text/one_line.h"
#include "host/heap.h"

namespace zg::render {

namespace {

// One line of a child's report: 'F' a frame done, 'W' a warning, 'E' the failure.
void Report(int fd, char kind, std::string_view text = {}) {
    std::string line(1, kind);
    line += text::OneLine(text);
    line += '\n';
    for (std::size_t sent = 0; sent < line.size();) {
        const ssize_t n = write(fd, line.data() + sent, line.size() - sent);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

[[noreturn]] void RunChild(int fd, int jobs, const std::vector<int>& part, const FramesWork& work) {
    host::SetMemoryBudget(host::MemoryBudget() / static_cast<std::size_t>(jobs));
    std::vector<std::string> warnings;
    std::string error;
    bool ok = false;
    try {
        ok = work(part, [fd] { Report(fd, 'F'); }, warnings, error);
    } catch (const std::exception& e) {
        error = e.what();
    }
    for (const std::string& w : warnings) Report(fd, 'W', w);
    if (!ok) Report(fd, 'E', error.empty() ? "failed" : error);
    close(fd);
    // The parent owns everything the child inherited: leave without running its
    // destructors or exit handlers.
    _exit(ok ? 0 : 1);
}

struct Child {
    pid_t pid = -1;
    int fd = -1;
    std::vector<int> part;
    std::string pending;  // a report line not yet complete
    std::string failure;
};

std::string PartName(const std::vector<int>& part) {
    return part.size() == 1 ? fmt::format("frame {}", part.front())
                            : fmt::format("frames {} to {}", part.front(), part.back());
}

void AddOnce(std::vector<std::string>& lines, std::string line) {
    if (std::find(lines.begin(), lines.end(), line) == lines.end()) lines.push_back(std::move(line));
}

}  // namespace

bool RunFrameJobs(int jobs, const std::vector<int>& frames, const FramesWork& work,
                  const std::function<void(int, int)>& progress, std::vector<std::string>& warnings,
                  std::string& error) {
    const int total = static_cast<int>(frames.size());
    int done = 0;
    const auto frameDone = [&] {
        ++done;
        if (progress) progress(done, total);
    };
    jobs = std::clamp(jobs, 1, std::max(total, 1));
    if (jobs == 1) return work(frames, frameDone, warnings, error);

    std::vector<Child> children(static_cast<std::size_t>(jobs));
    for (int k = 0; k < jobs; ++k) {
        Child& child = children[static_cast<std::size_t>(k)];
        child.part = scene::PartOfFrames(frames, k, jobs);
        int ends[2];
        if (pipe(ends) != 0) {
            child.failure = fmt::format("could not be started: {}", std::strerror(errno));
            continue;
        }
        const pid_t pid = fork();
        if (pid == 0) {
            close(ends[0]);
            for (const Child& other : children) {
                if (other.fd >= 0) close(other.fd);
            }
            RunChild(ends[1], jobs, child.part, work);
        }
        close(ends[1]);
        if (pid < 0) {
            close(ends[0]);
            child.failure = fmt::format("could not be started: {}", std::strerror(errno));
            continue;
        }
        child.pid = pid;
        child.fd = ends[0];
    }

    for (;;) {
        std::vector<pollfd> open;
        for (const Child& child : children) {
            if (child.fd >= 0) open.push_back({child.fd, POLLIN, 0});
        }
        if (open.empty()) break;
        if (poll(open.data(), open.size(), -1) < 0 && errno != EINTR) break;
        for (Child& child : children) {
            if (child.fd < 0) continue;
            const auto it = std::find_if(open.begin(), open.end(), [&](const pollfd& p) { return p.fd == child.fd; });
            if (it == open.end() || it->revents == 0) continue;
            char buffer[4096];
            const ssize_t n = read(child.fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                close(child.fd);
                child.fd = -1;
                continue;
            }
            child.pending.append(buffer, static_cast<std::size_t>(n));
            for (std::size_t end; (end = child.pending.find('\n')) != std::string::npos;) {
                const std::string line = child.pending.substr(0, end);
                child.pending.erase(0, end + 1);
                if (line.empty()) continue;
                if (line[0] == 'F') frameDone();
                if (line[0] == 'W') AddOnce(warnings, line.substr(1));
                if (line[0] == 'E') child.failure = line.substr(1);
            }
        }
    }

    std::string failures;
    for (Child& child : children) {
        if (child.pid > 0) {
            int status = 0;
            while (waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
            }
            if (WIFSIGNALED(status) && child.failure.empty())
                child.failure = fmt::format("ended by signal {} ({})", WTERMSIG(status), strsignal(WTERMSIG(status)));
            else if (WIFEXITED(status) && WEXITSTATUS(status) != 0 && child.failure.empty())
                child.failure = fmt::format("exited with status {}", WEXITSTATUS(status));
        }
        if (!child.failure.empty())
            failures += fmt::format("{}{}: {}", failures.empty() ? "" : "; ", PartName(child.part), child.failure);
    }
    if (!failures.empty()) error = failures;
    return failures.empty();
}

}  // namespace zg::render
