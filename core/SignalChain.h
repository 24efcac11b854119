// What a signal handler of ours does after its own work: hand the signal to the handler that was
// installed before it, or, where none was, end the process as the signal does by default. Both are
// async-signal-safe. POSIX only.
#pragma once

#include <csignal>

namespace vornak {

// Calls the handler `previous` describes when it is one (not the default, not "ignore"); true when
// it was called.
bool callPreviousHandler(const struct sigaction& previous, int signal, siginfo_t* info, void* context);

// Puts back the default action for the signal, unblocks it and raises it again. Returns only where
// the default action does not end the process.
void raiseWithDefaultAction(int signal);

} // namespace vornak
