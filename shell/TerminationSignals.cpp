#include "TerminationSignals.h"

#include "SignalChain.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

namespace vornak {

namespace {

constexpr int handledSignals[] = {SIGTERM, SIGHUP};
constexpr int handledCount = 2;

int pipeEnds[2] = {-1, -1};
struct sigaction previousActions[handledCount];
bool installed[handledCount] = {false, false};
// The signal that waits for the event loop, 0 when none does.
std::atomic<int> waitingSignal{0};

int slotOf(int signal) {
    for (int i = 0; i < handledCount; ++i) {
        if (handledSignals[i] == signal) {
            return i;
        }
    }
    return -1;
}

// Runs what was there before this object: a handler of someone else's, or the default action.
// Async-signal-safe.
[[noreturn]] void passOn(int signal, siginfo_t* info, void* context) {
    const int slot = slotOf(signal);
    if (slot >= 0 && installed[slot]) {
        callPreviousHandler(previousActions[slot], signal, info, context);
    }
    // Still here: end the way the signal ends a process by default.
    raiseWithDefaultAction(signal);
    ::_exit(128 + signal);
}

extern "C" void onTerminationSignal(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    int expected = 0;
    if (!waitingSignal.compare_exchange_strong(expected, signal)) {
        // The loop has not taken the first one yet: it may never.
        passOn(signal, info, context);
    }
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t ignored = ::write(pipeEnds[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (pipeEnds[0] < 0 && ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        pipeEnds[0] = pipeEnds[1] = -1;
        return;
    }
    waitingSignal.store(0);
    notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::drain);
    for (int i = 0; i < handledCount; ++i) {
        struct sigaction previous {};
        if (::sigaction(handledSignals[i], nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) {
            continue;
        }
        previousActions[i] = previous;
        struct sigaction action {};
        action.sa_sigaction = onTerminationSignal;
        action.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&action.sa_mask);
        for (int signal : handledSignals) {
            sigaddset(&action.sa_mask, signal);
        }
        if (::sigaction(handledSignals[i], &action, nullptr) == 0) {
            installed[i] = true;
        }
    }
    active_ = true;
}

TerminationSignals::~TerminationSignals() {
    for (int i = 0; i < handledCount; ++i) {
        if (installed[i]) {
            ::sigaction(handledSignals[i], &previousActions[i], nullptr);
            installed[i] = false;
        }
    }
    // The pipe stays open for the life of the process: a handler may still be running elsewhere.
}

void TerminationSignals::drain() {
    char bytes[16];
    for (;;) {
        const ssize_t got = ::read(pipeEnds[0], bytes, sizeof bytes);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        for (ssize_t i = 0; i < got; ++i) {
            emit received(static_cast<unsigned char>(bytes[i]));
        }
    }
    // Ready for the next one: a signal after this is handled on the loop again.
    waitingSignal.store(0);
}

void TerminationSignals::endBySignal(int signal) {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
    passOn(signal, nullptr, nullptr);
}

} // namespace vornak
