#include "SignalChain.h"

#include <pthread.h>

namespace vornak {

bool callPreviousHandler(const struct sigaction& previous, int signal, siginfo_t* info, void* context) {
    if ((previous.sa_flags & SA_SIGINFO) != 0) {
        if (previous.sa_sigaction == nullptr) {
            return false;
        }
        previous.sa_sigaction(signal, info, context);
        return true;
    }
    if (previous.sa_handler == SIG_DFL || previous.sa_handler == SIG_IGN || previous.sa_handler == nullptr) {
        return false;
    }
    previous.sa_handler(signal);
    return true;
}

void raiseWithDefaultAction(int signal) {
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    ::sigaction(signal, &defaultAction, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(signal);
}

} // namespace vornak
