// Running one piece of work in a child process with a wall-clock limit, so that a
// crash or a hang ends the child and not the program that asked for the work.
//
// The child reports through a pipe: progress notes while it works, then one result
// line. Its standard output goes to standard error, so that nothing a plug-in prints
// mixes with the parent's output.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace zg::validate {

enum class Outcome {
    kPassed,
    kFailed,    // a check did not hold
    kCrashed,   // the child ended by a signal, or exited before reporting
    kTimedOut,  // the child was still working at the limit and was killed
};

// "passed", "failed", "crashed", "timed out".
const char* OutcomeName(Outcome outcome);

// A check that does not hold, thrown by the work and reported as kFailed.
struct CheckFailure {
    std::string message;
};

// Throws CheckFailure. Within a child's work it first sends the failure to the parent,
// so that a crash while the work unwinds (a module in a bad state being unloaded)
// cannot hide it.
[[noreturn]] void Fail(std::string message);

struct ChildResult {
    Outcome outcome = Outcome::kCrashed;
    std::string message;  // the pass summary, or what went wrong, in one line
};

class ChildReport;

// The work answers a one-line summary when everything held, and throws CheckFailure
// (through Fail) when a check did not. A child that fails and then crashes is
// reported as failed, the crash added to the message.
using ChildWork = std::function<std::string(ChildReport& report)>;

// Runs `work` in a forked child and waits at most `limit` for its result. Call from a
// single-threaded program (the child inherits no other thread).
ChildResult RunInChild(const ChildWork& work, std::chrono::milliseconds limit);

// The child's side of the pipe: where the work says what it is doing.
class ChildReport {
public:
    explicit ChildReport(int fd) : fd_(fd) {}
    // Names what the work is busy with ("checking class X"); a crash or timeout report
    // ends with the last note.
    void Note(std::string_view text);

private:
    friend ChildResult RunInChild(const ChildWork& work, std::chrono::milliseconds limit);
    friend void Fail(std::string message);
    void Line(std::string_view kind, std::string_view text);
    int fd_;
};

}  // namespace zg::validate
