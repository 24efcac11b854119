#include "PosixAttributes.h"

#include "FileTarget.h"
#include "TemporaryCleanup.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#if defined(__linux__)
#include <sys/xattr.h>
#define VORNAK_HAVE_XATTR 1
#endif

namespace vornak::detail {
namespace {

#ifdef VORNAK_HAVE_XATTR
// Copies the attributes that `list` names and `get` reads to the open file `to`.
template <typename List, typename Get> void copyAttributesWith(List list, Get get, int to) {
    std::vector<char> names(1024);
    ssize_t length;
    for (;;) {
        length = list(names.data(), names.size());
        if (length >= 0) {
            break;
        }
        if (errno != ERANGE) {
            return;
        }
        const ssize_t needed = list(nullptr, 0);
        if (needed < 0) {
            return;
        }
        names.resize(static_cast<std::size_t>(needed) + 64);
    }
    std::vector<char> value(4096);
    for (ssize_t at = 0; at < length;) {
        const char* name = names.data() + at;
        at += static_cast<ssize_t>(std::strlen(name)) + 1;
        ssize_t size;
        for (;;) {
            size = get(name, value.data(), value.size());
            if (size >= 0 || errno != ERANGE) {
                break;
            }
            const ssize_t needed = get(name, nullptr, 0);
            if (needed < 0) {
                break;
            }
            value.resize(static_cast<std::size_t>(needed) + 64);
        }
        if (size >= 0) {
            ::fsetxattr(to, name, value.data(), static_cast<std::size_t>(size), 0);
        }
    }
}
#endif

// 0666 without the process's umask, read without changing it where the system tells it.
mode_t umaskedMode() {
    mode_t mask = 022;
    bool found = false;
    if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status) != nullptr) {
            unsigned value = 0;
            if (std::sscanf(line, "Umask: %o", &value) == 1) {
                mask = static_cast<mode_t>(value);
                found = true;
                break;
            }
        }
        std::fclose(status);
    }
    if (!found) {
        mask = ::umask(022);
        ::umask(mask);
    }
    return 0666 & ~mask;
}

} // namespace

void copyAttributes(const std::string& from, int to) {
#ifdef VORNAK_HAVE_XATTR
    const char* path = from.c_str();
    copyAttributesWith([path](char* list, std::size_t size) { return ::listxattr(path, list, size); },
                       [path](const char* name, void* value, std::size_t size) {
                           return ::getxattr(path, name, value, size);
                       },
                       to);
#else
    (void)from;
    (void)to;
#endif
}

mode_t giveNewFileAttributes(int folder, const std::string& name, int to) {
    long nameMax = ::fpathconf(folder, _PC_NAME_MAX);
    if (nameMax <= 0 || nameMax > NAME_MAX) {
        nameMax = NAME_MAX;
    }
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string probeName = temporaryName(name, static_cast<std::size_t>(nameMax));
        int probe = -1;
        int slot = -1;
        {
            SignalBlock block;
            probe =
                ::openat(folder, probeName.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_NOCTTY | O_CLOEXEC, 0666);
            if (probe >= 0) {
                slot = registerTemporary(folder, probeName);
            }
        }
        if (probe < 0) {
            if (errno == EEXIST) {
                continue;
            }
            break;
        }
        struct stat info {};
        const bool known = ::fstat(probe, &info) == 0;
#ifdef VORNAK_HAVE_XATTR
        if (known) {
            copyAttributesWith(
                [probe](char* list, std::size_t size) { return ::flistxattr(probe, list, size); },
                [probe](const char* attribute, void* value, std::size_t size) {
                    return ::fgetxattr(probe, attribute, value, size);
                },
                to);
        }
#endif
        ::close(probe);
        {
            SignalBlock block;
            ::unlinkat(folder, probeName.c_str(), 0);
            unregisterTemporary(slot);
        }
        if (known) {
            return info.st_mode & 07777;
        }
        break;
    }
    return umaskedMode();
}

} // namespace vornak::detail
