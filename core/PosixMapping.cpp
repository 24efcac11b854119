// Mapping a file for reading, and the bus-error watch that keeps a file cut short by another
// program from ending the process: the handler puts zero pages where the mapping was, notes the
// cut, and lets the read go on.
#include "FileMapping.h"
#include "SignalChain.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdint>
#include <mutex>

namespace vornak::detail {

namespace {

struct GuardSlot {
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::size_t> size{0};
    std::atomic<bool> cut{false};
};

// Few files are mapped at once (one per file being checked); beyond these, files are read.
constexpr int guardSlotCount = 32;
GuardSlot guardSlots[guardSlotCount];
struct sigaction previousBusHandler {};

void onBusError(int signal, siginfo_t* info, void* context) {
    // Only a fault has an address; a bus error sent by a program is passed on.
    const bool fault = info != nullptr && info->si_code > 0;
    const auto address = reinterpret_cast<std::uintptr_t>(fault ? info->si_addr : nullptr);
    for (GuardSlot& slot : guardSlots) {
        if (!fault) {
            break;
        }
        const std::uintptr_t begin = slot.begin.load(std::memory_order_acquire);
        const std::size_t size = slot.size.load(std::memory_order_relaxed);
        if (begin > 1 && address >= begin && address - begin < size) {
            // Zeros in place of the whole file, at the same addresses: the reader finishes on
            // them, and whoever reads the result asks changed() first.
            void* replaced = ::mmap(reinterpret_cast<void*>(begin), size, PROT_READ,
                                    MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
            if (replaced == MAP_FAILED) {
                break;
            }
            slot.cut.store(true, std::memory_order_release);
            return;
        }
    }
    if (!callPreviousHandler(previousBusHandler, signal, info, context)) {
        raiseWithDefaultAction(signal);
    }
}

void installBusHandler() {
    struct sigaction action {};
    action.sa_sigaction = onBusError;
    action.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &previousBusHandler);
}

} // namespace

const char* mapInput(std::intptr_t handle, std::size_t size, std::intptr_t& kept) {
    // The size read when the file was opened must still be the file's: a file that grew or shrank
    // since is read block by block, as it stands.
    struct stat info {};
    if (::fstat(static_cast<int>(handle), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::size_t>(info.st_size) != size) {
        return nullptr;
    }
#ifdef MAP_POPULATE
    // The file's cached pages entered at once, not one fault at a time as they are read.
    constexpr int flags = MAP_PRIVATE | MAP_POPULATE;
#else
    constexpr int flags = MAP_PRIVATE;
#endif
    void* begin = ::mmap(nullptr, size, PROT_READ, flags, static_cast<int>(handle), 0);
    if (begin == MAP_FAILED) {
        return nullptr;
    }
    kept = ::fcntl(static_cast<int>(handle), F_DUPFD_CLOEXEC, 0);
    if (kept < 0) {
        ::munmap(begin, size);
        return nullptr;
    }
    return static_cast<const char*>(begin);
}

void unmapInput(const char* begin, std::size_t size, std::intptr_t kept) {
    ::munmap(const_cast<char*>(begin), size);
    ::close(static_cast<int>(kept));
}

bool inputShorter(std::intptr_t kept, std::size_t size) {
    struct stat info {};
    return ::fstat(static_cast<int>(kept), &info) == 0 && static_cast<std::size_t>(info.st_size) < size;
}

int guardMapping(const char* begin, std::size_t size) {
    static std::once_flag installed;
    std::call_once(installed, installBusHandler);
    for (int i = 0; i < guardSlotCount; ++i) {
        GuardSlot& slot = guardSlots[i];
        std::uintptr_t expected = 0;
        // Taken with a marker first, so the handler never sees a begin without its size.
        if (slot.begin.compare_exchange_strong(expected, 1, std::memory_order_acquire)) {
            slot.cut.store(false, std::memory_order_relaxed);
            slot.size.store(size, std::memory_order_relaxed);
            slot.begin.store(reinterpret_cast<std::uintptr_t>(begin), std::memory_order_release);
            return i;
        }
    }
    return -1;
}

bool mappingCut(int slot) {
    return slot >= 0 && slot < guardSlotCount && guardSlots[slot].cut.load(std::memory_order_acquire);
}

void releaseGuard(int slot) {
    if (slot >= 0 && slot < guardSlotCount) {
        guardSlots[slot].begin.store(0, std::memory_order_release);
    }
}

} // namespace vornak::detail
