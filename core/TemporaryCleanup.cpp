#include "TemporaryCleanup.h"

#include "AtomicFile.h"
#include "SignalChain.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <mutex>
#include <pthread.h>
#include <unistd.h>

namespace vornak {
namespace detail {
namespace {

constexpr int cleanupSlotCount = 32;

// Filled before `active` is set and read by the handler only while it is: no locks, no allocation.
struct CleanupSlot {
    std::atomic<bool> claimed{false};
    std::atomic<bool> active{false};
    int folder = -1;
    char name[NAME_MAX + 1] = {};
};

CleanupSlot cleanupSlots[cleanupSlotCount];
constexpr int cleanedSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previousActions[3];

void removeTemporaryFiles() {
    for (CleanupSlot& slot : cleanupSlots) {
        if (slot.active.load()) {
            ::unlinkat(slot.folder, slot.name, 0);
        }
    }
}

extern "C" void cleanupHandler(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    removeTemporaryFiles();
    for (int i = 0; i < 3; ++i) {
        if (cleanedSignals[i] == signal && callPreviousHandler(previousActions[i], signal, info, context)) {
            errno = savedErrno;
            return;
        }
    }
    // End the process as the signal would have without us.
    raiseWithDefaultAction(signal);
    errno = savedErrno;
}

} // namespace

SignalBlock::SignalBlock() : previous_{} {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : cleanedSignals) {
        sigaddset(&set, signal);
    }
    ::pthread_sigmask(SIG_BLOCK, &set, &previous_);
}

SignalBlock::~SignalBlock() {
    ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

int registerTemporary(int folder, const std::string& name) {
    if (name.size() > NAME_MAX) {
        return -1;
    }
    for (int i = 0; i < cleanupSlotCount; ++i) {
        bool expected = false;
        if (cleanupSlots[i].claimed.compare_exchange_strong(expected, true)) {
            cleanupSlots[i].folder = folder;
            std::memcpy(cleanupSlots[i].name, name.c_str(), name.size() + 1);
            cleanupSlots[i].active.store(true);
            return i;
        }
    }
    return -1;
}

void unregisterTemporary(int slot) {
    if (slot >= 0) {
        cleanupSlots[slot].active.store(false);
        cleanupSlots[slot].claimed.store(false);
    }
}

} // namespace detail

bool installTemporaryFileCleanup() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int i = 0; i < 3; ++i) {
            struct sigaction previous {};
            if (::sigaction(detail::cleanedSignals[i], nullptr, &previous) != 0 ||
                previous.sa_handler == SIG_IGN) {
                continue;
            }
            detail::previousActions[i] = previous;
            struct sigaction action {};
            action.sa_sigaction = detail::cleanupHandler;
            action.sa_flags = SA_SIGINFO | SA_RESTART;
            sigemptyset(&action.sa_mask);
            for (int signal : detail::cleanedSignals) {
                sigaddset(&action.sa_mask, signal);
            }
            ::sigaction(detail::cleanedSignals[i], &action, nullptr);
        }
    });
    return true;
}

} // namespace vornak
