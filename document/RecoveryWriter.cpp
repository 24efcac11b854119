#include "RecoveryWriter.h"

#include "WorkerThread.h"

#include <QMetaObject>

#include <exception>
#include <utility>

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace vornak {

RecoveryWriter::RecoveryWriter(QObject* parent) : QObject(parent) {}

RecoveryWriter::~RecoveryWriter() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void RecoveryWriter::startThread() {
    thread_ = startWorkerThread([this] { run(); });
}

std::uint64_t RecoveryWriter::post(Job job) {
    std::uint64_t number = 0;
    std::optional<Waiting> superseded;
    {
        const std::lock_guard lock(mutex_);
        number = ++lastNumber_;
        superseded = std::exchange(waiting_, Waiting{number, std::move(job)});
        if (!thread_.joinable()) {
            startThread();
        }
    }
    wake_.notify_all();
    return number;
}

void RecoveryWriter::exclusive(const std::function<void()>& work) {
    std::optional<Waiting> dropped;
    {
        const std::lock_guard lock(mutex_);
        dropped = std::exchange(waiting_, std::nullopt);
        dropBelow_ = lastNumber_ + 1;
    }
    idle_.notify_all();
    const std::lock_guard file(fileMutex_);
    work();
}

void RecoveryWriter::waitUntilIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !waiting_ && !running_; });
}

bool RecoveryWriter::isBusy() const {
    const std::lock_guard lock(mutex_);
    return waiting_.has_value() || running_;
}

void RecoveryWriter::run() {
#ifdef __linux__
    // The window comes first: while both want one processor, the copy gets about a tenth of it
    // (the nice value is the thread's own on Linux, and a thread it starts inherits it). Not the
    // lowest value: beside other busy programs that one gave the copy a seventieth of a processor,
    // so a 17 MB copy took seven seconds, kept that much typing out of reach of a crash, and held
    // up a logout's final copy, which waits for the one in flight.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
#endif
    for (;;) {
        Waiting next;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return waiting_.has_value() || stopping_; });
            if (!waiting_) {
                return; // stopping, nothing left to write
            }
            next = std::move(*waiting_);
            waiting_.reset();
            running_ = true;
        }
        std::optional<RecoveryFault> result;
        {
            const std::lock_guard file(fileMutex_);
            bool dropped = false;
            {
                const std::lock_guard lock(mutex_);
                dropped = next.number < dropBelow_;
            }
            // Whoever went exclusive first has written something newer: this job would undo it.
            if (!dropped) {
                try {
                    result = next.job();
                } catch (const std::exception&) {
                    // A copy too large for the memory left: said like any other failed write.
                    RecoveryFault fault;
                    fault.kind = RecoveryFault::Kind::CannotWrite;
                    fault.problem = FileProblem::NotEnoughMemory;
                    result = fault;
                }
            }
        }
        next.job = nullptr; // the job's snapshot goes here, not on the owner's thread
        if (result) {
            QMetaObject::invokeMethod(
                this, [this, number = next.number, fault = std::move(*result)] { emit finished(number, fault); },
                Qt::QueuedConnection);
        }
        {
            const std::lock_guard lock(mutex_);
            running_ = false;
        }
        idle_.notify_all();
    }
}

} // namespace vornak
