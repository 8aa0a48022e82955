#include "app/web/ui_thread.h"

namespace zg::web {

bool UiThread::Post(Task task) {
    {
        std::lock_guard lock(mutex_);
        if (stopped_) return false;
        tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
    return true;
}

void UiThread::Run() {
    for (;;) {
        Task task;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopped_ || !tasks_.empty(); });
            if (stopped_) {
                tasks_.clear();
                return;
            }
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
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
