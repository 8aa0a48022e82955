// Reading what a forked child reports on a pipe, a line at a time, within a time limit:
// the plug-in scan and the validator both run module code in a child this way, so that
// a module that crashes, hangs or exits takes only the child with it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>

namespace zg::files {

// How the child ended.
struct ChildEnd {
    bool timedOut = false;  // the limit passed first, and the child was killed
    int status = 0;         // as waitpid gives it
};

// Hands each whole line the child writes on `fd` (without its newline) to `onLine` until
// the child closes its end or `limit` passes; then closes `fd`, kills the child when the
// limit passed, and reaps it.
ChildEnd ReadChildReport(int fd, pid_t pid, std::chrono::milliseconds limit,
                         const std::function<void(const std::string&)>& onLine);

// A time limit as people read it: "10 s", or "250 ms" when it is not whole seconds.
std::string LimitText(std::chrono::milliseconds limit);

}  // namespace zg::files
