// For tests: while it lives, every file the core writes fails once it grows past a few bytes, as
// on a full disk.
#pragma once

#include "AtomicFile.h"

#include <cstddef>
#include <optional>

namespace vornak {

class FailingDisk {
public:
    explicit FailingDisk(std::size_t bytesBeforeFailure = 10) { failFileWritesAfter(bytesBeforeFailure); }
    ~FailingDisk() { failFileWritesAfter(std::nullopt); }
    FailingDisk(const FailingDisk&) = delete;
    FailingDisk& operator=(const FailingDisk&) = delete;
};

} // namespace vornak
