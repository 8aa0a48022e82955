#include "app/web/ui_thread.h"

#include <algorithm>
#include <exception>
#include <iostream>

#include "app/text/one_line.h"

namespace zg::web {

bool UiThread::Post(Task task, Owner owner) {
    {
        std::lock_guard lock(mutex_);
        if (stopped_) return false;
        tasks_.push_back({std::move(task), owner});
    }
    wake_.notify_one();
    return true;
}

bool UiThread::PostAfter(std::chrono::milliseconds delay, Task task) {
    {
        std::lock_guard lock(mutex_);
        if (stopped_) return false;
        timed_.emplace(std::chrono::steady_clock::now() + delay, std::move(task));
    }
    wake_.notify_one();
    return true;
}

std::size_t UiThread::Drop(Owner owner) {
    std::lock_guard lock(mutex_);
    return std::erase_if(tasks_, [owner](const Entry& e) { return owner != 0 && e.owner == owner; });
}

std::size_t UiThread::Waiting() const {
    std::lock_guard lock(mutex_);
    return tasks_.size();
}

void UiThread::RunWhile(const std::function<bool()>& waiting, Owner deferred) {
    {
        std::lock_guard lock(mutex_);
        deferred_.insert(deferred);
    }
    for (;;) {
        Task task;
        {
            std::unique_lock lock(mutex_);
            auto runnable = tasks_.end();
            wake_.wait(lock, [&] {
                if (stopped_ || !waiting()) return true;
                // Every owner waited for further up the stack waits as well.
                runnable = std::find_if(tasks_.begin(), tasks_.end(),
                                        [this](const Entry& e) { return e.owner == 0 || !deferred_.contains(e.owner); });
                return runnable != tasks_.end();
            });
            if (stopped_ || runnable == tasks_.end()) {
                deferred_.erase(deferred_.find(deferred));
                return;
            }
            task = std::move(runnable->task);
            tasks_.erase(runnable);
        }
        RunOne(task);
    }
}

void UiThread::Wake() {
    { std::lock_guard lock(mutex_); }
    wake_.notify_all();
}

void UiThread::Run() {
    for (;;) {
        Task task;
        {
            std::unique_lock lock(mutex_);
            const auto due = [this] { return !timed_.empty() && timed_.begin()->first <= std::chrono::steady_clock::now(); };
            const auto ready = [&] { return stopped_ || !tasks_.empty() || due(); };
            while (!ready()) {
                if (timed_.empty())
                    wake_.wait(lock);
                else
                    wake_.wait_until(lock, timed_.begin()->first);
            }
            if (stopped_) {
                tasks_.clear();
                timed_.clear();
                return;
            }
            // A task whose time came goes first, so that a busy queue never starves it.
            if (due()) {
                task = std::move(timed_.begin()->second);
                timed_.erase(timed_.begin());
            } else {
                task = std::move(tasks_.front().task);
                tasks_.pop_front();
            }
        }
        RunOne(task);
    }
}

void UiThread::RunOne(const Task& task) {
    // The last line of defence: a task that throws ends itself, never the thread.
    try {
        task();
    } catch (const std::exception& e) {
        std::cerr << "zentrograph serve: a task of the UI thread failed: " << text::OneLine(e.what()) << "\n";
    } catch (...) {
        std::cerr << "zentrograph serve: a task of the UI thread failed\n";
    }
}

void UiThread::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    wake_.notify_all();
}

bool UiThread::Stopped() const {
    std::lock_guard lock(mutex_);
    return stopped_;
}

}  // namespace zg::web
