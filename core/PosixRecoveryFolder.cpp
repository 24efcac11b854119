// The recovery folder's system calls on Linux and the other POSIX systems. Every look at an entry
// goes through a descriptor of the folder that was judged first, so a folder swapped meanwhile is
// judged, not trusted.
#include "RecoveryFolder.h"

#include <cerrno>
#include <cstdlib>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace vornak {

namespace {

using Kind = RecoveryFault::Kind;

RecoveryFault faultOf(Kind kind, const std::string& path, int error = 0) {
    RecoveryFault fault;
    fault.kind = kind;
    fault.path = path;
    fault.error = error;
    return fault;
}

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }
    void reset(int fd) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }

private:
    int fd_;
};

bool validName(const std::string& name) {
    return !name.empty() && name.front() != '.' && name.find('/') == std::string::npos;
}

std::string parentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
}

// Nobody but this user (or the system) may rename the folder away: a parent that others may write
// to is safe only with the sticky bit, which keeps them from renaming what is not theirs.
RecoveryFault judgeParent(const std::string& folder) {
    const std::string parent = parentOf(folder);
    struct stat info {};
    if (::stat(parent.c_str(), &info) != 0) {
        return faultOf(Kind::CannotExamine, parent, errno);
    }
    const bool trustedOwner = info.st_uid == ::geteuid() || info.st_uid == 0;
    const bool swappable = (info.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (info.st_mode & S_ISVTX) == 0;
    if (!trustedOwner || swappable) {
        return faultOf(Kind::ParentOpen, parent);
    }
    return {};
}

// The folder itself, never through a link; with `makePrivate`, a folder of this user that others
// may only read is closed to them.
RecoveryFault openFolder(const std::string& path, Descriptor& folder, bool makePrivate) {
    if (path.empty() || path.front() != '/') {
        return faultOf(Kind::NotFullPath, path);
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        // A link, or something that is no folder, in the folder's place.
        if (error == ELOOP || error == ENOTDIR) {
            return faultOf(Kind::NotOwnFolder, path, error);
        }
        return faultOf(Kind::CannotExamine, path, error);
    }
    Descriptor opened(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return faultOf(Kind::CannotExamine, path, errno);
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) {
        return faultOf(Kind::NotOwnFolder, path);
    }
    // Whatever others could have put in while they could write here is not to be trusted, and
    // making the folder private now would not tell it apart: the user decides.
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return faultOf(Kind::OpenToOthers, path);
    }
    if (makePrivate && (info.st_mode & 077) != 0 && ::fchmod(fd, 0700) != 0) {
        return faultOf(Kind::CannotCreate, path, errno);
    }
    if (RecoveryFault parent = judgeParent(path)) {
        return parent;
    }
    folder.reset(opened.release());
    return {};
}

// Judges an open entry: a plain file of this user with one name.
RecoveryFault judgeEntry(int fd, const std::string& path, struct stat& info) {
    if (::fstat(fd, &info) != 0) {
        return faultOf(Kind::CannotRead, path, errno);
    }
    if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid() || info.st_nlink != 1) {
        return faultOf(Kind::NotOwnFile, path);
    }
    return {};
}

// Opens an entry of the judged folder for reading and judges it. Without blocking: a pipe in a
// file's place must not hold the editor up.
RecoveryFault openEntry(int folder, const std::string& name, const std::string& path, Descriptor& entry,
                        struct stat& info) {
    entry.reset(::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (entry.get() < 0) {
        const int error = errno;
        return faultOf(error == ELOOP ? Kind::NotOwnFile : Kind::CannotOpen, path, error);
    }
    return judgeEntry(entry.get(), path, info);
}

} // namespace

std::string RecoveryFolder::stateFolder() {
    std::string base;
    const char* state = std::getenv("XDG_STATE_HOME");
    // A relative value is not valid and is ignored.
    if (state != nullptr && state[0] == '/') {
        base = state;
    } else {
        const char* home = std::getenv("HOME");
        std::string homeFolder = home != nullptr && home[0] == '/' ? home : "";
        if (homeFolder.empty()) {
            if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr) {
                homeFolder = user->pw_dir;
            }
        }
        while (homeFolder.size() > 1 && homeFolder.back() == '/') {
            homeFolder.pop_back();
        }
        base = homeFolder + "/.local/state";
    }
    while (base.size() > 1 && base.back() == '/') {
        base.pop_back();
    }
    return base + "/vornak/recovery";
}

RecoveryFolder::RecoveryFolder(std::string path) : path_(std::move(path)) {
    while (path_.size() > 1 && path_.back() == '/') {
        path_.pop_back();
    }
}

RecoveryFault RecoveryFolder::prepare() const {
    if (path_.empty() || path_.front() != '/') {
        return faultOf(Kind::NotFullPath, path_);
    }
    // Every missing folder on the way is made private; existing ones are left as they are.
    std::size_t slash = 0;
    do {
        slash = path_.find('/', slash + 1);
        const std::string step = path_.substr(0, slash);
        if (::mkdir(step.c_str(), 0700) != 0 && errno != EEXIST) {
            return faultOf(Kind::CannotCreate, step, errno);
        }
    } while (slash != std::string::npos);
    // A parent of this user's that others could write to is closed to them.
    const std::string parent = parentOf(path_);
    struct stat info {};
    if (::stat(parent.c_str(), &info) == 0 && info.st_uid == ::geteuid() && (info.st_mode & 022) != 0 &&
        (info.st_mode & S_ISVTX) == 0 && ::chmod(parent.c_str(), info.st_mode & 07755 & ~022) != 0) {
        return faultOf(Kind::ParentOpen, parent, errno);
    }
    Descriptor folder;
    return openFolder(path_, folder, true);
}

RecoveryFault RecoveryFolder::examine() const {
    Descriptor folder;
    return openFolder(path_, folder, false);
}

RecoveryFault RecoveryFolder::names(std::vector<std::string>& found) const {
    found.clear();
    Descriptor folder;
    if (RecoveryFault fault = openFolder(path_, folder, false)) {
        return fault;
    }
    DIR* listing = ::fdopendir(folder.get());
    if (listing == nullptr) {
        return faultOf(Kind::CannotExamine, path_, errno);
    }
    folder.release(); // closedir closes it
    while (const dirent* item = ::readdir(listing)) {
        const std::string name = item->d_name;
        // Hidden names are the safe writer's temporary files (and "." and "..").
        if (!name.empty() && name.front() != '.') {
            found.push_back(name);
        }
    }
    ::closedir(listing);
    return {};
}

RecoveryFault RecoveryFolder::read(const std::string& name, std::size_t limit, std::string& bytes) const {
    bytes.clear();
    const std::string path = entryPath(name);
    if (!validName(name)) {
        return faultOf(Kind::NotOwnFile, path);
    }
    Descriptor folder;
    if (RecoveryFault fault = openFolder(path_, folder, false)) {
        return fault;
    }
    Descriptor fd;
    struct stat info {};
    if (RecoveryFault fault = openEntry(folder.get(), name, path, fd, info)) {
        return fault;
    }
    if (static_cast<std::uintmax_t>(info.st_size) > limit) {
        return faultOf(Kind::TooLarge, path);
    }
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            const int error = errno;
            bytes.clear();
            return faultOf(Kind::CannotRead, path, error);
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
        if (bytes.size() > limit) {
            bytes.clear();
            return faultOf(Kind::TooLarge, path);
        }
    }
    return {};
}

RecoveryFault RecoveryFolder::inspect(const std::string& name, std::uint64_t& size) const {
    size = 0;
    const std::string path = entryPath(name);
    if (!validName(name)) {
        return faultOf(Kind::NotOwnFile, path);
    }
    Descriptor folder;
    if (RecoveryFault fault = openFolder(path_, folder, false)) {
        return fault;
    }
    Descriptor fd;
    struct stat info {};
    if (RecoveryFault fault = openEntry(folder.get(), name, path, fd, info)) {
        return fault;
    }
    size = static_cast<std::uint64_t>(info.st_size);
    return {};
}

RecoveryFault RecoveryFolder::createPrivate(const std::string& name) const {
    const std::string path = entryPath(name);
    if (!validName(name)) {
        return faultOf(Kind::NotOwnFile, path);
    }
    Descriptor folder;
    if (RecoveryFault fault = openFolder(path_, folder, false)) {
        return fault;
    }
    Descriptor made(::openat(folder.get(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (made.get() >= 0) {
        return {};
    }
    if (errno != EEXIST) {
        return faultOf(Kind::CannotOpen, path, errno);
    }
    Descriptor existing;
    struct stat info {};
    if (RecoveryFault fault = openEntry(folder.get(), name, path, existing, info)) {
        return fault;
    }
    if ((info.st_mode & 077) != 0 && ::fchmod(existing.get(), 0600) != 0) {
        return faultOf(Kind::CannotOpen, path, errno);
    }
    return {};
}

bool RecoveryFolder::remove(const std::string& name) const {
    if (!validName(name)) {
        return false;
    }
    return ::unlink(entryPath(name).c_str()) == 0 || errno == ENOENT;
}

} // namespace vornak
