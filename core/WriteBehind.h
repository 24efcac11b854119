// Writes a file's blocks on a thread of its own while the caller makes the next block, so that
// making the bytes and the system's copying of them overlap instead of following each other.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <string_view>
#include <thread>

namespace vornak {

class WriteBehind {
public:
    // `write` takes one block and says whether it went out; after a false, later blocks are
    // dropped. It runs on the writing thread, one block at a time, in the order handed over.
    explicit WriteBehind(std::function<bool(std::string_view)> write);
    // Waits for the block in flight.
    ~WriteBehind();
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    // Waits for the block before, then starts writing `block`. The caller keeps `block`'s bytes
    // unchanged until its next call returns, or until finish().
    void hand(std::string_view block);
    // Waits for the block in flight, then writes `block` on the caller's thread: the last block,
    // and for output of one block the only one, so that a small file starts no thread.
    void handLast(std::string_view block);
    // Waits for the block in flight. True when every block went out; an exception the write threw
    // is thrown here.
    bool finish();
    // Waits for the block in flight and throws nothing: for a caller about to free the blocks.
    void wait() noexcept;
    // How many blocks went to the writing thread.
    std::size_t blocksBehind() const { return blocksBehind_; }

private:
    void run();
    // With the lock held: waits until no block is in flight.
    void waitIdle(std::unique_lock<std::mutex>& lock);
    void rethrow();

    std::function<bool(std::string_view)> write_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::string_view pending_;
    bool hasPending_ = false;
    bool stopping_ = false;
    bool ok_ = true;
    std::exception_ptr thrown_;
    std::size_t blocksBehind_ = 0;
    std::thread thread_; // started with the first block handed over
};

} // namespace vornak
