// Values handed to BackgroundRelease go on another thread, one at a time, and are all gone once the
// releaser waits or goes.
#include "BackgroundRelease.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace vornak {
namespace {

// Notes where and in which order its instances were destroyed; a moved-from one notes nothing.
struct Witness {
    struct Log {
        std::mutex mutex;
        std::vector<int> order;
        std::vector<std::thread::id> threads;
    };

    Witness(Log& log, int id) : log(&log), id(id) {}
    Witness(Witness&& other) noexcept : log(std::exchange(other.log, nullptr)), id(other.id) {}
    Witness& operator=(Witness&&) = delete;
    ~Witness() {
        if (log != nullptr) {
            const std::lock_guard lock(log->mutex);
            log->order.push_back(id);
            log->threads.push_back(std::this_thread::get_id());
        }
    }

    Log* log;
    int id;
};

TEST(BackgroundRelease, ValuesGoOnAnotherThreadInTheOrderGivenAndAllAreGoneAfterWaiting) {
    for (const int count : {1, 2, 5}) {
        SCOPED_TRACE(count);
        Witness::Log log;
        BackgroundRelease release;
        for (int i = 0; i < count; ++i) {
            release.release(Witness(log, i));
        }
        release.wait();
        const std::lock_guard lock(log.mutex);
        std::vector<int> expected;
        for (int i = 0; i < count; ++i) {
            expected.push_back(i);
        }
        EXPECT_EQ(log.order, expected);
        for (const std::thread::id thread : log.threads) {
            EXPECT_NE(thread, std::this_thread::get_id());
        }
    }
}

// A value still being freed when the releaser goes is waited for: nothing outlives it.
TEST(BackgroundRelease, GoingWaitsForTheValueStillBeingFreed) {
    struct Slow {
        std::mutex* mutex;
        std::condition_variable* started;
        bool* running;
        std::atomic<bool>* done;
        Slow(std::mutex& m, std::condition_variable& s, bool& r, std::atomic<bool>& d)
            : mutex(&m), started(&s), running(&r), done(&d) {}
        Slow(Slow&& other) noexcept
            : mutex(other.mutex), started(other.started), running(other.running),
              done(std::exchange(other.done, nullptr)) {}
        Slow& operator=(Slow&&) = delete;
        ~Slow() {
            if (done == nullptr) {
                return;
            }
            {
                const std::lock_guard lock(*mutex);
                *running = true;
            }
            started->notify_all();
            done->store(true);
        }
    };
    std::mutex mutex;
    std::condition_variable started;
    bool running = false;
    std::atomic<bool> done{false};
    {
        BackgroundRelease release;
        release.release(Slow(mutex, started, running, done));
        std::unique_lock lock(mutex);
        started.wait(lock, [&] { return running; });
    }
    EXPECT_TRUE(done.load());
}

} // namespace
} // namespace vornak
