// Lets go of large values on a worker thread, so that the thread which replaced them (the window's,
// replacing a definition of many thousands of texts) does not wait while their memory is given
// back. One value at a time: handing over the next waits until the previous one is gone, and so
// does destroying the releaser. When no thread can be started the value goes at once, here.
#pragma once

#include <memory>
#include <system_error>
#include <thread>
#include <utility>

namespace vornak {

class BackgroundRelease {
public:
    BackgroundRelease() = default;
    BackgroundRelease(const BackgroundRelease&) = delete;
    BackgroundRelease& operator=(const BackgroundRelease&) = delete;
    ~BackgroundRelease() { wait(); }

    template <class T> void release(T value) {
        auto held = std::make_unique<T>(std::move(value));
        wait();
        try {
            worker_ = std::thread([held = std::move(held)]() mutable { held.reset(); });
        } catch (const std::system_error&) {
            // The lambda, and the value with it, is destroyed with the failed start.
        }
    }

    // Returns once the value last handed over is gone.
    void wait() {
        if (worker_.joinable()) {
            worker_.join();
        }
    }

private:
    std::thread worker_;
};

} // namespace vornak
