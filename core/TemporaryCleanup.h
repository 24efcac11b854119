// Removing the named temporary files of saves in progress when SIGINT, SIGTERM or SIGHUP ends the
// process (POSIX only; installTemporaryFileCleanup() in AtomicFile.h turns it on).
#pragma once

#include <csignal>
#include <string>

namespace vornak::detail {

// Keeps SIGINT, SIGTERM and SIGHUP away while a temporary name appears or disappears, so that the
// handler never sees a half-registered name.
class SignalBlock {
public:
    SignalBlock();
    ~SignalBlock();
    SignalBlock(const SignalBlock&) = delete;
    SignalBlock& operator=(const SignalBlock&) = delete;

private:
    sigset_t previous_; // the thread's mask before
};

// Remembers `name` in the open folder `folder` for the handler; returns its slot, or -1 when the
// name is too long or every slot is taken (that save then goes without clean-up). Call within a
// SignalBlock, just after the file was created.
int registerTemporary(int folder, const std::string& name);
// Forgets a slot (-1 is ignored). Call within a SignalBlock, just after the file was removed or
// renamed.
void unregisterTemporary(int slot);

} // namespace vornak::detail
