// Threads of the document's own (a recovery copy's writer and its snapshot): the termination
// signals belong to the event loop's thread, so a thread started here never takes them, nor do the
// threads it starts in turn.
#pragma once

#include <thread>
#include <utility>

#ifndef _WIN32
#include <csignal>
#include <pthread.h>
#endif

namespace vornak {

template <class Work> std::thread startWorkerThread(Work&& work) {
#ifndef _WIN32
    sigset_t blocked;
    sigset_t previous;
    sigemptyset(&blocked);
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        sigaddset(&blocked, signal);
    }
    ::pthread_sigmask(SIG_BLOCK, &blocked, &previous);
    struct Restore {
        sigset_t* mask;
        ~Restore() { ::pthread_sigmask(SIG_SETMASK, mask, nullptr); }
    } restore{&previous}; // also when the thread cannot be started
    return std::thread(std::forward<Work>(work));
#else
    return std::thread(std::forward<Work>(work));
#endif
}

} // namespace vornak
