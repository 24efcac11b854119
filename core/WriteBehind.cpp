#include "WriteBehind.h"

#include <utility>

namespace vornak {

WriteBehind::WriteBehind(std::function<bool(std::string_view)> write) : write_(std::move(write)) {}

WriteBehind::~WriteBehind() {
    {
        std::unique_lock lock(mutex_);
        waitIdle(lock);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void WriteBehind::waitIdle(std::unique_lock<std::mutex>& lock) {
    changed_.wait(lock, [this] { return !hasPending_; });
}

void WriteBehind::rethrow() {
    if (thrown_ != nullptr) {
        std::rethrow_exception(std::exchange(thrown_, nullptr));
    }
}

void WriteBehind::hand(std::string_view block) {
    {
        std::unique_lock lock(mutex_);
        waitIdle(lock);
        rethrow();
        if (!ok_) {
            return;
        }
        pending_ = block;
        hasPending_ = true;
        ++blocksBehind_;
    }
    if (!thread_.joinable()) {
        thread_ = std::thread([this] { run(); });
    } else {
        changed_.notify_all();
    }
}

void WriteBehind::handLast(std::string_view block) {
    {
        std::unique_lock lock(mutex_);
        waitIdle(lock);
        rethrow();
        if (!ok_) {
            return;
        }
    }
    // No block is in flight, and none is handed over after the last: the writing thread is idle.
    if (!block.empty() && !write_(block)) {
        const std::lock_guard lock(mutex_);
        ok_ = false;
    }
}

bool WriteBehind::finish() {
    std::unique_lock lock(mutex_);
    waitIdle(lock);
    rethrow();
    return ok_;
}

void WriteBehind::wait() noexcept {
    std::unique_lock lock(mutex_);
    waitIdle(lock);
}

void WriteBehind::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return hasPending_ || stopping_; });
        if (!hasPending_) {
            return;
        }
        const std::string_view block = pending_;
        lock.unlock();
        bool wrote = false;
        std::exception_ptr thrown;
        try {
            wrote = write_(block);
        } catch (...) {
            thrown = std::current_exception();
        }
        lock.lock();
        if (!wrote) {
            ok_ = false;
        }
        if (thrown != nullptr && thrown_ == nullptr) {
            thrown_ = thrown;
        }
        hasPending_ = false;
        changed_.notify_all();
    }
}

} // namespace vornak
