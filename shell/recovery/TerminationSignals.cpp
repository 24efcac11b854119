#include "TerminationSignals.h"

#include "SignalChain.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

namespace vornak {

namespace {

constexpr int handledSignals[] = {SIGTERM, SIGHUP, SIGINT};
constexpr int handledCount = 3;

int pipeEnds[2] = {-1, -1};
struct sigaction previousActions[handledCount];
bool installed[handledCount] = {false, false, false};
// The signal that waits for the event loop (or is being handled there), 0 when none does.
std::atomic<int> waitingSignal{0};
// When it arrived (monotonic nanoseconds), and how many have come since, it included.
std::atomic<long long> burstStart{0};
std::atomic<int> burstCount{0};
std::atomic<long long> burstWindowNanos{static_cast<long long>(TerminationSignals::defaultBurstMilliseconds) *
                                        1'000'000};

long long monotonicNanos() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now); // async-signal-safe
    return static_cast<long long>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

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
    const long long now = monotonicNanos();
    if (!waitingSignal.compare_exchange_strong(expected, signal)) {
        // One is already on its way. A logout sends several at once (TERM, then HUP): those are
        // the same request and wait for it. A third, or one long after the first, means the loop
        // is stuck: it ends the process now.
        const int count = burstCount.fetch_add(1) + 1;
        const long long window = burstWindowNanos.load();
        if (count > 2 || window <= 0 || now - burstStart.load() > window) {
            passOn(signal, info, context);
        }
        errno = savedErrno;
        return;
    }
    burstStart.store(now);
    burstCount.store(1);
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
    burstCount.store(0);
    waitingSignal.store(0);
}

void TerminationSignals::setBurstMilliseconds(int milliseconds) {
    burstWindowNanos.store(static_cast<long long>(milliseconds) * 1'000'000);
}

void TerminationSignals::endBySignal(int signal) {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
    passOn(signal, nullptr, nullptr);
}

} // namespace vornak
