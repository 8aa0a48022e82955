// UiThread: the one thread on which the interactive host calls plug-ins and changes
// the scene. Other threads hand it tasks; it runs them one at a time, in the order
// they came, until it is stopped.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace zg::web {

class UiThread {
public:
    using Task = std::function<void()>;

    // Queues `task` for the UI thread; false, dropping it, once the thread stopped.
    // Safe from any thread.
    bool Post(Task task);
    // Runs tasks on the calling thread, which becomes the UI thread, until Stop. Tasks
    // still queued at Stop are dropped without running.
    void Run();
    // Safe from any thread, a task included.
    void Stop();
    bool Stopped() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Task> tasks_;
    bool stopped_ = false;
};

}  // namespace zg::web
