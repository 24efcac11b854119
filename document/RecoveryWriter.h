// Writes recovery copies on a thread of its own, so that a large copy never holds up the event
// loop while the user types. At most one job waits: a newer one replaces a job not yet started.
// Whatever writes or removes the same files on the owner's thread goes through exclusive(), which
// waits for the write in flight and drops the waiting one, so two writers never meet on one file.
// Results come back on the owner's thread through finished(); the jobs themselves never touch
// widgets or the document, only what they were given.
#pragma once

#include "RecoveryFolder.h"

#include <QObject>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace vornak {

class RecoveryWriter : public QObject {
    Q_OBJECT

public:
    // A write on the writer's thread; what it returns is handed to finished().
    using Job = std::function<RecoveryFault()>;

    explicit RecoveryWriter(QObject* parent = nullptr);
    // Finishes the job in flight and the one waiting (the newest copy is not lost on a close),
    // then ends the thread.
    ~RecoveryWriter() override;
    RecoveryWriter(const RecoveryWriter&) = delete;
    RecoveryWriter& operator=(const RecoveryWriter&) = delete;

    // Queues a job in place of any job not yet started; returns its number (counting from 1).
    std::uint64_t post(Job job);
    // Runs `work` here once the write in flight has ended, the waiting one dropped and with no job
    // of those posted before started meanwhile.
    void exclusive(const std::function<void()>& work);
    // Blocks until no job waits or runs.
    void waitUntilIdle();
    // A job waits or runs.
    bool isBusy() const;

signals:
    // Job `number` ended with `fault` (empty when it worked). Dropped jobs report nothing.
    void finished(std::uint64_t number, const vornak::RecoveryFault& fault);

private:
    struct Waiting {
        std::uint64_t number = 0;
        Job job;
    };
    void startThread();
    void run();

    mutable std::mutex mutex_; // guards the fields below it up to fileMutex_
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::optional<Waiting> waiting_;
    std::uint64_t lastNumber_ = 0;
    std::uint64_t dropBelow_ = 0; // jobs numbered below it are not to be written any more
    bool running_ = false;
    bool stopping_ = false;
    std::mutex fileMutex_; // held by whoever writes or removes the copy's files
    std::thread thread_;
};

} // namespace vornak
