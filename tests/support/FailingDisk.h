// For tests: while it lives, every file the process writes fails once it grows past a few bytes,
// as on a full disk. The system's own file size limit does it, so the code under test meets a
// real failing write wherever it happens (the failure reads "File too large").
#pragma once

#include <csignal>
#include <cstddef>
#include <sys/resource.h>

namespace vornak {

class FailingDisk {
public:
    explicit FailingDisk(std::size_t bytesBeforeFailure = 10) {
        ::getrlimit(RLIMIT_FSIZE, &previousLimit_);
        // A write past the limit fails with EFBIG instead of ending the process.
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = previousLimit_;
        limit.rlim_cur = static_cast<rlim_t>(bytesBeforeFailure);
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FailingDisk() {
        ::setrlimit(RLIMIT_FSIZE, &previousLimit_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FailingDisk(const FailingDisk&) = delete;
    FailingDisk& operator=(const FailingDisk&) = delete;

private:
    rlimit previousLimit_{};
    void (*previousHandler_)(int) = SIG_DFL;
};

} // namespace vornak
