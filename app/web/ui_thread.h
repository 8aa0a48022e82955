// UiThread: the one thread on which the interactive host calls plug-ins and changes
// the scene. Other threads hand it tasks; it runs them one at a time, in the order
// they came, until it is stopped. A task may belong to an owner (a page), whose tasks
// still waiting can be dropped at once when it goes. A task may also wait for a time:
// such timed tasks run only between the others at the outermost level, never while a
// task waits within RunWhile (plug-in code is then under way).
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>

namespace zg::web {

class UiThread {
public:
    using Task = std::function<void()>;
    using Owner = uint64_t;  // 0: no owner

    // Queues `task` for the UI thread; false, dropping it, once the thread stopped.
    // Safe from any thread.
    bool Post(Task task, Owner owner = 0);
    // Queues `task` to run once `delay` has passed (at the earliest); false once the
    // thread stopped. Safe from any thread.
    bool PostAfter(std::chrono::milliseconds delay, Task task);
    // Drops the tasks of `owner` that have not started; answers how many. Any thread.
    std::size_t Drop(Owner owner);
    // Tasks waiting, all owners. Any thread.
    std::size_t Waiting() const;
    // Runs tasks on the calling thread, which becomes the UI thread, until Stop. Tasks
    // still queued at Stop are dropped without running.
    void Run();
    // On the UI thread, from within a task: runs the other tasks as they come while
    // `waiting()` holds, leaving those of `deferred` queued, in order, for later; so a
    // task that waits for one page (its message box) keeps every other page served.
    // Returns once `waiting()` is false or the thread stopped. Call Wake after
    // anything that may change what `waiting()` answers.
    void RunWhile(const std::function<bool()>& waiting, Owner deferred);
    // Any thread.
    void Wake();
    // Safe from any thread, a task included.
    void Stop();
    bool Stopped() const;

private:
    struct Entry {
        Task task;
        Owner owner = 0;
    };
    static void RunOne(const Task& task);

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Entry> tasks_;
    std::multimap<std::chrono::steady_clock::time_point, Task> timed_;
    std::multiset<Owner> deferred_;  // owners whose tasks wait for a task further up
    bool stopped_ = false;
};

}  // namespace zg::web
