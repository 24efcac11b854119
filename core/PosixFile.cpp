// The file layer's system calls on Linux and the other POSIX systems: the writer's target (a
// replace through a temporary file, a write in place, a stream) and the reader's handle.
#include "FileErrors.h"
#include "FileIdentity.h"
#include "FileTarget.h"
#include "PosixAttributes.h"
#include "TemporaryCleanup.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vornak::detail {
namespace {

using Mode = AtomicFileWriter::Mode;

int retryOpen(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool writeAll(int fd, const char* data, std::size_t size, int& error) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = errno;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool pwriteAll(int fd, const char* data, std::size_t size, off_t offset, int& error) {
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size, offset);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = errno;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
    }
    return true;
}

// Syncing is not possible on every kind of file or folder; those answers are not failures.
bool syncFailed(int fd) {
    if (::fsync(fd) == 0) {
        return false;
    }
    return errno != EINVAL && errno != EROFS && errno != EBADF && errno != ENOTSUP;
}

bool procFdUsable() {
    static const bool usable = ::access("/proc/self/fd", X_OK) == 0;
    return usable;
}

long nameMaxOf(int folder) {
    const long nameMax = ::fpathconf(folder, _PC_NAME_MAX);
    return nameMax <= 0 || nameMax > NAME_MAX ? NAME_MAX : nameMax;
}

// Follows a chain of symbolic links to the file it finally names (which may not exist). `viaProc`
// tells whether a link passed through /proc, whose links name open files rather than paths.
bool resolveLinks(const std::string& path, std::string& target, bool& viaProc, int& error) {
    target = path;
    viaProc = path.rfind("/proc/", 0) == 0;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0) {
            if (errno == ENOENT) {
                return true;
            }
            error = errno;
            return false;
        }
        if (!S_ISLNK(info.st_mode)) {
            return true;
        }
        std::vector<char> link(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : PATH_MAX) + 1);
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0) {
            error = errno;
            return false;
        }
        const std::string text(link.data(), static_cast<std::size_t>(n));
        if (text.empty()) {
            error = ENOENT;
            return false;
        }
        target = text[0] == '/' ? text : folderOf(target) + text;
        if (target.rfind("/proc/", 0) == 0) {
            viaProc = true;
        }
    }
    error = ELOOP;
    return false;
}

class PosixTarget final : public FileTarget {
public:
    ~PosixTarget() override {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        removeTemporary();
        if (folder_ >= 0) {
            ::close(folder_);
        }
    }

    // Opens what the writer's description asks for; false with `failure` set when it cannot.
    bool open(const std::string& path, bool allowUnnamed, FileFailure& failure);

    Mode mode() const override { return mode_; }

    bool write(std::string_view bytes, FileFailure& failure) override {
#ifdef __linux__
        if (mode_ == Mode::Replace && written_ > sentOn_) {
            // More is coming: what was written before goes on its way to the disk now, so the
            // flush at the end waits for less. Only a hint; that flush still reports failures. A
            // file written in one piece is flushed as before.
            ::sync_file_range(fd_, static_cast<off_t>(sentOn_), static_cast<off_t>(written_ - sentOn_),
                              SYNC_FILE_RANGE_WRITE);
            sentOn_ = written_;
        }
#endif
        int error = 0;
        if (!writeAll(fd_, bytes.data(), bytes.size(), error)) {
            failure = {writeProblemOf(error, false), "writing the file failed", error};
            return false;
        }
        written_ += bytes.size();
        return true;
    }

    bool commit(std::string_view content, const std::function<void(FileStep)>& step,
                FileFailure& failure) override {
        switch (mode_) {
        case Mode::Replace:
            return commitReplace(step, failure);
        case Mode::InPlace:
            return commitInPlace(content, step, failure);
        case Mode::Stream:
            break;
        }
        return commitStream(step, failure);
    }

private:
    bool switchToInPlace(const std::string& path, FileFailure& failure);
    int openFolder();
    int createTemporary(bool allowUnnamed);
    int replaceTarget();
    void removeTemporary();
    bool commitReplace(const std::function<void(FileStep)>& step, FileFailure& failure);
    bool commitInPlace(std::string_view content, const std::function<void(FileStep)>& step,
                       FileFailure& failure);
    bool commitStream(const std::function<void(FileStep)>& step, FileFailure& failure);
    // Closes the file; an interrupted close has closed it all the same.
    bool closeFile(FileFailure& failure, FileProblem problem) {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0 && errno != EINTR) {
            failure = {problem, "closing the file failed", errno};
            return false;
        }
        return true;
    }

    Mode mode_ = Mode::Replace;
    std::string target_;     // the file to replace or write: the path with its links followed
    std::string folderPath_; // its folder, "" for the current one
    std::string name_;       // its last name
    bool existing_ = false;
    struct stat old_ {};
    int folder_ = -1;
    int fd_ = -1;
    std::size_t written_ = 0; // bytes of the new content written so far
    std::size_t sentOn_ = 0;  // of them, those already sent on their way to the disk
    std::string temporary_; // the temporary file's name once it has one
    int cleanupSlot_ = -1;
};

void PosixTarget::removeTemporary() {
    if (!temporary_.empty()) {
        SignalBlock block;
        ::unlinkat(folder_, temporary_.c_str(), 0);
        unregisterTemporary(cleanupSlot_);
        cleanupSlot_ = -1;
        temporary_.clear();
    }
}

int PosixTarget::openFolder() {
    const char* path = folderPath_.empty() ? "." : folderPath_.c_str();
    folder_ = retryOpen(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#ifdef O_PATH
    if (folder_ < 0 && errno == EACCES) {
        // A folder the user may enter but not list: enough for creating and renaming.
        folder_ = retryOpen(path, O_PATH | O_DIRECTORY | O_CLOEXEC);
    }
#endif
    return folder_ >= 0 ? 0 : errno;
}

// Creates the new file beside the target, unnamed where possible. Returns 0 or an errno.
int PosixTarget::createTemporary(bool allowUnnamed) {
#ifdef O_TMPFILE
    if (allowUnnamed && procFdUsable()) {
        fd_ = ::openat(folder_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            return 0;
        }
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT) {
            return errno;
        }
    }
#else
    (void)allowUnnamed;
#endif
    const long nameMax = nameMaxOf(folder_);
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string candidate = temporaryName(name_, static_cast<std::size_t>(nameMax));
        SignalBlock block;
        fd_ = ::openat(folder_, candidate.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            temporary_ = std::move(candidate); // no allocation once the file exists
            cleanupSlot_ = registerTemporary(folder_, temporary_);
            return 0;
        }
        if (errno != EEXIST) {
            return errno;
        }
    }
    return EEXIST;
}

// Gives the new file its final name: the target's. Returns 0 or an errno.
int PosixTarget::replaceTarget() {
    SignalBlock block;
    if (temporary_.empty()) {
        // Name the unnamed file only now, and move it over the target straight away.
        char fdPath[64];
        std::snprintf(fdPath, sizeof fdPath, "/proc/self/fd/%d", fd_);
        const long nameMax = nameMaxOf(folder_);
        for (int attempt = 0;; ++attempt) {
            std::string candidate = temporaryName(name_, static_cast<std::size_t>(nameMax));
            if (::linkat(AT_FDCWD, fdPath, folder_, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                temporary_ = std::move(candidate);
                break;
            }
            if (errno != EEXIST || attempt == 16) {
                return errno;
            }
        }
    }
    int error = 0;
    if (::renameat(folder_, temporary_.c_str(), folder_, name_.c_str()) != 0) {
        error = errno;
        ::unlinkat(folder_, temporary_.c_str(), 0);
    }
    unregisterTemporary(cleanupSlot_);
    cleanupSlot_ = -1;
    temporary_.clear();
    return error;
}

bool PosixTarget::open(const std::string& path, bool allowUnnamed, FileFailure& failure) {
    struct stat followed {};
    const bool exists = ::stat(path.c_str(), &followed) == 0;
    if (!exists && errno != ENOENT) {
        failure = {writeProblemOf(errno, false), "cannot write the file", errno};
        return false;
    }
    if (exists && S_ISDIR(followed.st_mode)) {
        failure = {FileProblem::IsFolder, "the path names a folder, not a file", 0};
        return false;
    }
    if (exists && !S_ISREG(followed.st_mode)) {
        // A pipe, a device or a socket: written as opening the path would, in one pass.
        mode_ = Mode::Stream;
        fd_ = retryOpen(path.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
        if (fd_ < 0) {
            failure = {writeProblemOf(errno, true), "cannot open the file for writing", errno};
            return false;
        }
        return true;
    }

    bool viaProc = false;
    int error = 0;
    if (!resolveLinks(path, target_, viaProc, error)) {
        failure = {writeProblemOf(error, exists), "cannot follow the file's links", error};
        return false;
    }
    folderPath_ = folderOf(target_);
    name_ = target_.substr(folderPath_.size());
    existing_ = exists;
    old_ = followed;

    if (exists) {
        // The check the system makes when the file is opened for writing.
        if (::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) {
            if (errno == EACCES || errno == EPERM || errno == EROFS) {
                failure = {FileProblem::ReadOnly, "the file is read-only", 0};
            } else {
                failure = {writeProblemOf(errno, true), "cannot write the file", errno};
            }
            return false;
        }
        if (viaProc) {
            // /proc's links name open files, not paths: write through the path as given.
            target_ = path;
        }
        if (viaProc || followed.st_nlink > 1) {
            return switchToInPlace(path, failure);
        }
    }

    if (const int folderError = openFolder(); folderError != 0) {
        if (exists && (folderError == EACCES || folderError == EPERM)) {
            return switchToInPlace(path, failure);
        }
        failure = {writeProblemOf(folderError, false), "cannot open the folder", folderError};
        return false;
    }
    if (const int createError = createTemporary(allowUnnamed); createError != 0) {
        if (exists && (createError == EACCES || createError == EPERM || createError == EROFS)) {
            return switchToInPlace(path, failure);
        }
        failure = {writeProblemOf(createError, false), "cannot create a file in the folder", createError};
        return false;
    }
    if (exists) {
        struct stat created {};
        if (::fstat(fd_, &created) == 0 &&
            (created.st_uid != followed.st_uid || created.st_gid != followed.st_gid) &&
            ::fchown(fd_, followed.st_uid, followed.st_gid) != 0) {
            // Another user's file, or a group the user is not in: a new file could not keep them.
            return switchToInPlace(path, failure);
        }
    }
    return true;
}

bool PosixTarget::switchToInPlace(const std::string& path, FileFailure& failure) {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    removeTemporary();
    mode_ = Mode::InPlace;
    // Opened now so that a refusal comes before any work; truncated only once all is ready.
    const std::string& where = target_.empty() ? path : target_;
    fd_ = retryOpen(where.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) {
        failure = {writeProblemOf(errno, true), "cannot open the file for writing", errno};
        return false;
    }
    return true;
}

bool PosixTarget::commitReplace(const std::function<void(FileStep)>& step, FileFailure& failure) {
    // The old attributes and mode (or those a new file gets in this folder) only now that the
    // content is complete; after fchown, which would clear set-id bits.
    mode_t mode = 0;
    if (existing_) {
        copyAttributes(target_, fd_);
        mode = old_.st_mode & 07777;
    } else {
        mode = giveNewFileAttributes(folder_, name_, fd_);
    }
    if (::fchmod(fd_, mode) != 0) {
        failure = {FileProblem::WriteFailed, "cannot set the file's permissions", errno};
        return false;
    }
    if (::fsync(fd_) != 0) {
        failure = {writeProblemOf(errno, false), "writing the file failed", errno};
        return false;
    }
    step(FileStep::SyncedFile);
    if (const int error = replaceTarget(); error != 0) {
        failure = {writeProblemOf(error, false), "cannot replace the file", error};
        return false;
    }
    step(FileStep::Replaced);
    if (!closeFile(failure, FileProblem::WriteFailed)) {
        return false;
    }
    // The rename itself must reach the disk too, or a power cut could bring the old file back.
    if (syncFailed(folder_)) {
        failure = {FileProblem::WriteFailed, "flushing the folder failed", errno};
        return false;
    }
    step(FileStep::SyncedFolder);
    return true;
}

bool PosixTarget::commitInPlace(std::string_view content, const std::function<void(FileStep)>& step,
                                FileFailure& failure) {
    const auto size = static_cast<off_t>(content.size());
#ifdef __linux__
    // Reserve the space first, so that a full disk is found before the old content is touched.
    if (size > 0 && ::fallocate(fd_, 0, 0, size) != 0 && errno != EOPNOTSUPP && errno != ENOSYS &&
        errno != EINVAL && errno != ENODEV) {
        failure = {writeProblemOf(errno, false), "writing the file failed", errno};
        return false;
    }
#endif
    int error = 0;
    if (!pwriteAll(fd_, content.data(), content.size(), 0, error) || ::ftruncate(fd_, size) != 0) {
        error = error != 0 ? error : errno;
        failure = {writeProblemOf(error, false), "writing the file failed", error};
        return false;
    }
    if (syncFailed(fd_)) {
        failure = {writeProblemOf(errno, false), "writing the file failed", errno};
        return false;
    }
    step(FileStep::WroteInPlace);
    return closeFile(failure, FileProblem::WriteFailed);
}

bool PosixTarget::commitStream(const std::function<void(FileStep)>& step, FileFailure& failure) {
    if (!closeFile(failure, FileProblem::None)) {
        failure.problem = writeProblemOf(failure.error, false);
        return false;
    }
    step(FileStep::WroteInPlace);
    return true;
}

} // namespace

std::unique_ptr<FileTarget> openFileTarget(const std::string& path, bool allowUnnamed, FileFailure& failure) {
    auto target = std::make_unique<PosixTarget>();
    if (!target->open(path, allowUnnamed, failure)) {
        return nullptr;
    }
    return target;
}

std::intptr_t openInput(const std::string& path, std::optional<std::size_t>& size, int& error) {
    const int fd = retryOpen(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        error = S_ISDIR(info.st_mode) ? EISDIR : errno;
        ::close(fd);
        return -1;
    }
    if (S_ISREG(info.st_mode)) {
        size = static_cast<std::size_t>(info.st_size);
    }
    return fd;
}

long long readInput(std::intptr_t handle, char* buffer, std::size_t size, int& error) {
    for (;;) {
        const ssize_t n = ::read(static_cast<int>(handle), buffer, size);
        if (n >= 0) {
            return n;
        }
        if (errno != EINTR) {
            error = errno;
            return -1;
        }
    }
}

void closeInput(std::intptr_t handle) {
    ::close(static_cast<int>(handle));
}

} // namespace vornak::detail

namespace vornak {

std::optional<FileIdentity> identifyFile(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    FileIdentity identity;
    identity.device = static_cast<std::uint64_t>(info.st_dev);
    identity.inode = static_cast<std::uint64_t>(info.st_ino);
    identity.regular = S_ISREG(info.st_mode);
#if defined(__APPLE__)
    identity.changedSeconds = info.st_ctimespec.tv_sec;
    identity.changedNanoseconds = info.st_ctimespec.tv_nsec;
#else
    identity.changedSeconds = info.st_ctim.tv_sec;
    identity.changedNanoseconds = info.st_ctim.tv_nsec;
#endif
    return identity;
}

} // namespace vornak
