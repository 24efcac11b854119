// Whether the editor that left a recovery copy still runs, on Linux and the other POSIX systems:
// its process id, its start time and the system's boot, so that a reused id is not taken for it.
#include "RecoveryFolder.h"

#include <cerrno>
#include <optional>
#include <sstream>
#include <string>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace vornak {

namespace {

// The whole of a small system file (/proc), or nothing.
std::optional<std::string> readSystemFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        return std::nullopt;
    }
    std::string text;
    char buffer[4096];
    bool failed = false;
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            failed = true;
        }
        if (got <= 0 || text.size() > 64 * 1024) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    if (failed) {
        return std::nullopt;
    }
    return text;
}

std::string currentBootId() {
    std::string text = readSystemFile("/proc/sys/kernel/random/boot_id").value_or(std::string());
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

struct ProcState {
    char state = '?';
    std::uint64_t startTicks = 0;
};

// Field 3 (state) and field 22 (start time) of /proc/<pid>/stat; the command name in field 2 may
// hold spaces and parentheses, so counting starts after its last ")".
std::optional<ProcState> procState(const std::string& pid) {
    const std::optional<std::string> text = readSystemFile("/proc/" + pid + "/stat");
    if (!text) {
        return std::nullopt;
    }
    const std::size_t close = text->rfind(')');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(text->substr(close + 1));
    ProcState result;
    fields >> result.state;
    std::string field;
    // Fields 4 to 21, then 22.
    for (int i = 4; i <= 21 && (fields >> field); ++i) {
    }
    if (!(fields >> result.startTicks)) {
        result.startTicks = 0;
    }
    return result;
}

} // namespace

ProcessIdentity ProcessIdentity::current() {
    ProcessIdentity self;
    self.pid = static_cast<long long>(::getpid());
    if (const std::optional<ProcState> state = procState("self")) {
        self.startTicks = state->startTicks;
    }
    self.bootId = currentBootId();
    return self;
}

bool ProcessIdentity::isRunning() const {
    if (pid <= 0) {
        return false;
    }
    if (!bootId.empty()) {
        const std::string now = currentBootId();
        // A copy from before the last start of the system: its editor is gone whatever runs now.
        if (!now.empty() && now.rfind(bootId, 0) != 0) {
            return false;
        }
    }
    if (const std::optional<ProcState> state = procState(std::to_string(pid))) {
        if (state->state == 'Z' || state->state == 'X') {
            return false; // ended, only not yet reaped
        }
        return startTicks == 0 || state->startTicks == 0 || state->startTicks == startTicks;
    }
    struct stat info {};
    if (::stat("/proc/self/stat", &info) == 0) {
        return false; // /proc is there and the process is not
    }
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

} // namespace vornak
