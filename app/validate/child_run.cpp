#include "app/validate/child_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fmt/format.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <optional>

#include "app/files/child_report.h"
#include "app/text/one_line.h"

namespace zg::validate {

namespace {


// One line of the pipe: its kind ("note", "pass", "fail") and its text.
struct ReportLine {
    std::string kind;
    std::string text;
};

ReportLine SplitLine(const std::string& line) {
    const auto space = line.find(' ');
    if (space == std::string::npos) return {line, ""};
    return {line.substr(0, space), line.substr(space + 1)};
}

// The child's end of the pipe, and whether its result went through it already.
int gResultFd = -1;
bool gResultSent = false;

std::string SignalName(int signal) {
    const char* abbrev = sigabbrev_np(signal);
    const char* description = strsignal(signal);
    return fmt::format("SIG{} ({})", abbrev != nullptr ? abbrev : std::to_string(signal).c_str(),
                       description != nullptr ? description : "unknown signal");
}

}  // namespace

const char* OutcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::kPassed: return "passed";
        case Outcome::kFailed: return "failed";
        case Outcome::kCrashed: return "crashed";
        case Outcome::kTimedOut: return "timed out";
    }
    return "unknown";
}

void Fail(std::string message) {
    if (gResultFd >= 0 && !gResultSent) {
        ChildReport(gResultFd).Line("fail", message);
        gResultSent = true;
    }
    throw CheckFailure{std::move(message)};
}

void ChildReport::Note(std::string_view text) { Line("note", text); }

void ChildReport::Line(std::string_view kind, std::string_view text) {
    // Control characters a module's names or messages hold never reach the terminal.
    const std::string line = fmt::format("{} {}\n", kind, text::OneLine(text));
    for (std::size_t done = 0; done < line.size();) {
        const ssize_t n = write(fd_, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

ChildResult RunInChild(const ChildWork& work, std::chrono::milliseconds limit) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return {Outcome::kCrashed, fmt::format("no pipe to a child: {}", std::strerror(errno))};
    // What is buffered now must not be written twice, once by each process.
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return {Outcome::kCrashed, fmt::format("no child process: {}", std::strerror(errno))};
    }
    if (pid == 0) {
        close(fds[0]);
        dup2(STDERR_FILENO, STDOUT_FILENO);
        gResultFd = fds[1];
        ChildReport report(fds[1]);
        std::string kind = "fail";
        std::string text;
        try {
            text = work(report);
            kind = "pass";
        } catch (const CheckFailure& failure) {
            text = failure.message;
        } catch (const std::exception& e) {
            text = fmt::format("unexpected exception: {}", e.what());
        } catch (...) {
            text = "unexpected exception";
        }
        if (!gResultSent) report.Line(kind, text);
        std::fflush(nullptr);
        // No exit handlers: they belong to the parent, which runs them once.
        _exit(0);
    }
    close(fds[1]);

    std::string lastNote;
    std::optional<ReportLine> result;
    const files::ChildEnd end = files::ReadChildReport(fds[0], pid, limit, [&](const std::string& text) {
        ReportLine line = SplitLine(text);
        if (line.kind == "note")
            lastNote = std::move(line.text);
        else if (!result)
            result = std::move(line);
    });
    const bool timedOut = end.timedOut;
    const int status = end.status;

    const std::string where = lastNote.empty() ? "" : fmt::format(" while {}", lastNote);
    std::string ended;
    if (timedOut) {
        ended = fmt::format("did not finish within {}", files::LimitText(limit));
    } else if (WIFSIGNALED(status)) {
        ended = fmt::format("crashed with {}", SignalName(WTERMSIG(status)));
    } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !result) {
        ended = fmt::format("exited with status {} before reporting a result",
                            WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    }
    if (result && result->kind == "fail")
        return {Outcome::kFailed, ended.empty() ? result->text : fmt::format("{}; then it {}", result->text, ended)};
    if (ended.empty()) return {Outcome::kPassed, result->text};
    return {timedOut ? Outcome::kTimedOut : Outcome::kCrashed, ended + where};
}

}  // namespace zg::validate
