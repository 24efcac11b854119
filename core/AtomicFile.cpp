// The core's only OS calls: reading files, pipes and devices, and writing a file so that the old
// one survives any failure and keeps its link, owner, mode and attributes. POSIX systems get the
// full behaviour; elsewhere a portable fallback built on the standard library replaces files with
// a named temporary file and writes non-regular and multiply-linked files in place.
#include "AtomicFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <random>
#include <utility>
#include <vector>

#if (defined(__unix__) || defined(__APPLE__)) && !defined(VORNAK_PORTABLE_FILES)
#define VORNAK_POSIX_FILES 1
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/xattr.h>
#define VORNAK_HAVE_XATTR 1
#endif
#else
#include <filesystem>
#endif

namespace vornak {
namespace {

std::atomic<long long> writeLimit{-1};
std::atomic<bool> unnamedAllowed{true};
std::mutex observerMutex;
std::function<void(FileStep, std::size_t)> stepObserver;

void notify(FileStep step, std::size_t bytes) {
    std::function<void(FileStep, std::size_t)> observer;
    {
        std::lock_guard<std::mutex> lock(observerMutex);
        observer = stepObserver;
    }
    if (observer) {
        observer(step, bytes);
    }
}

std::string systemReason(int error) {
    const char* text = std::strerror(error);
    return text != nullptr && *text != '\0' ? std::string(text) : "error " + std::to_string(error);
}

std::string folderOf(const std::string& path) {
#ifdef _WIN32
    const auto slash = path.find_last_of("\\/:");
#else
    const auto slash = path.find_last_of('/');
#endif
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The kind of problem behind a system error while writing (`existing`: the target exists).
FileProblem writeProblemOf(int error, bool existing) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return FileProblem::NotFound;
    case EISDIR:
        return FileProblem::IsFolder;
    case EACCES:
    case EPERM:
        return existing ? FileProblem::ReadOnly : FileProblem::AccessDenied;
#ifdef EROFS
    case EROFS:
        return existing ? FileProblem::ReadOnly : FileProblem::AccessDenied;
#endif
    case ENAMETOOLONG:
        return FileProblem::NameTooLong;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return FileProblem::NoSpace;
    case ENOMEM:
        return FileProblem::NotEnoughMemory;
    default:
        return FileProblem::WriteFailed;
    }
}

FileProblem readProblemOf(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return FileProblem::NotFound;
    case EISDIR:
        return FileProblem::IsFolder;
    case EACCES:
    case EPERM:
        return FileProblem::AccessDenied;
    case ENAMETOOLONG:
        return FileProblem::NameTooLong;
    case ENOMEM:
        return FileProblem::NotEnoughMemory;
    default:
        return FileProblem::ReadFailed;
    }
}

std::string readReason(int error) {
    switch (readProblemOf(error)) {
    case FileProblem::NotFound:
        return "the file cannot be opened: it does not exist";
    case FileProblem::IsFolder:
        return "the path names a folder, not a file";
    case FileProblem::AccessDenied:
        return "the file cannot be opened: access is denied";
    case FileProblem::NameTooLong:
        return "the file cannot be opened: its name is too long";
    case FileProblem::NotEnoughMemory:
        return "not enough memory";
    default:
        return "the file cannot be opened: " + systemReason(error);
    }
}

// A random 12-digit hex tag for temporary names.
std::string randomTag() {
    static std::mutex mutex;
    static std::mt19937_64 random(
        static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::lock_guard<std::mutex> lock(mutex);
    char tag[16];
    std::snprintf(tag, sizeof tag, "%012llx", static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
    return tag;
}

// ".<name>.<tag>.tmp", the name shortened so that the whole fits within `nameMax` bytes.
std::string temporaryName(const std::string& name, std::size_t nameMax) {
    const std::string suffix = "." + randomTag() + ".tmp";
    const std::size_t room = nameMax > suffix.size() + 1 ? nameMax - suffix.size() - 1 : 0;
    return "." + name.substr(0, std::min(room, name.size())) + suffix;
}

} // namespace

#ifdef VORNAK_POSIX_FILES

// ---------------------------------------------------------------------------------------------
// Removing named temporary files when a signal ends the process.

namespace {

constexpr int cleanupSlotCount = 32;

struct CleanupSlot {
    std::atomic<bool> claimed{false};
    std::atomic<bool> active{false};
    int folder = -1;
    char name[NAME_MAX + 1] = {};
};

CleanupSlot cleanupSlots[cleanupSlotCount];
constexpr int cleanedSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previousActions[3];

void removeTemporaryFiles() {
    for (CleanupSlot& slot : cleanupSlots) {
        if (slot.active.load()) {
            ::unlinkat(slot.folder, slot.name, 0);
        }
    }
}

extern "C" void cleanupHandler(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    removeTemporaryFiles();
    for (int i = 0; i < 3; ++i) {
        if (cleanedSignals[i] != signal) {
            continue;
        }
        const struct sigaction& previous = previousActions[i];
        if ((previous.sa_flags & SA_SIGINFO) != 0 && previous.sa_sigaction != nullptr) {
            previous.sa_sigaction(signal, info, context);
            errno = savedErrno;
            return;
        }
        if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN &&
            previous.sa_handler != nullptr) {
            previous.sa_handler(signal);
            errno = savedErrno;
            return;
        }
    }
    // End the process as the signal would have without us.
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    ::sigaction(signal, &defaultAction, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(signal);
    errno = savedErrno;
}

// Keeps SIGINT, SIGTERM and SIGHUP away while a temporary name appears or disappears, so that the
// handler never sees a half-registered name.
class SignalBlock {
public:
    SignalBlock() {
        sigset_t set;
        sigemptyset(&set);
        for (int signal : cleanedSignals) {
            sigaddset(&set, signal);
        }
        ::pthread_sigmask(SIG_BLOCK, &set, &previous_);
    }
    ~SignalBlock() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    SignalBlock(const SignalBlock&) = delete;
    SignalBlock& operator=(const SignalBlock&) = delete;

private:
    sigset_t previous_;
};

int registerTemporary(int folder, const std::string& name) {
    if (name.size() > NAME_MAX) {
        return -1;
    }
    for (int i = 0; i < cleanupSlotCount; ++i) {
        bool expected = false;
        if (cleanupSlots[i].claimed.compare_exchange_strong(expected, true)) {
            cleanupSlots[i].folder = folder;
            std::memcpy(cleanupSlots[i].name, name.c_str(), name.size() + 1);
            cleanupSlots[i].active.store(true);
            return i;
        }
    }
    return -1; // more saves at once than slots: this one goes without cleanup
}

void unregisterTemporary(int slot) {
    if (slot >= 0) {
        cleanupSlots[slot].active.store(false);
        cleanupSlots[slot].claimed.store(false);
    }
}

// ---------------------------------------------------------------------------------------------

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

// The default mode of a new file: 0666 without the process's umask.
mode_t newFileMode() {
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

bool procFdUsable() {
    static const bool usable = ::access("/proc/self/fd", X_OK) == 0;
    return usable;
}

#ifdef VORNAK_HAVE_XATTR
// Copies every extended attribute (POSIX ACLs included) of `from` to the open file; attributes the
// filesystem or the user's rights refuse are skipped.
void copyAttributes(const std::string& from, int to) {
    std::vector<char> names(1024);
    ssize_t length;
    for (;;) {
        length = ::listxattr(from.c_str(), names.data(), names.size());
        if (length >= 0) {
            break;
        }
        if (errno != ERANGE) {
            return;
        }
        const ssize_t needed = ::listxattr(from.c_str(), nullptr, 0);
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
            size = ::getxattr(from.c_str(), name, value.data(), value.size());
            if (size >= 0 || errno != ERANGE) {
                break;
            }
            const ssize_t needed = ::getxattr(from.c_str(), name, nullptr, 0);
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

} // namespace

struct AtomicFileWriter::Os {
    std::string target;     // the file to replace or write: the path with its links followed
    std::string folderPath; // its folder, "" for the current one
    std::string name;       // its last name
    bool existing = false;
    struct stat old {};
    int folder = -1;
    int fd = -1;
    std::string temporary; // the temporary file's name once it has one
    int cleanupSlot = -1;

    ~Os() {
        if (fd >= 0) {
            ::close(fd);
        }
        removeTemporary();
        if (folder >= 0) {
            ::close(folder);
        }
    }

    void removeTemporary() {
        if (!temporary.empty()) {
            SignalBlock block;
            ::unlinkat(folder, temporary.c_str(), 0);
            unregisterTemporary(cleanupSlot);
            cleanupSlot = -1;
            temporary.clear();
        }
    }

    int openFolder() {
        const char* path = folderPath.empty() ? "." : folderPath.c_str();
        folder = retryOpen(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#ifdef O_PATH
        if (folder < 0 && errno == EACCES) {
            // A folder the user may enter but not list: enough for creating and renaming.
            folder = retryOpen(path, O_PATH | O_DIRECTORY | O_CLOEXEC);
        }
#endif
        return folder >= 0 ? 0 : errno;
    }

    // Creates the new file beside the target, unnamed where possible. Returns 0 or an errno.
    int createTemporary() {
#ifdef O_TMPFILE
        if (unnamedAllowed.load() && procFdUsable()) {
            fd = ::openat(folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
            if (fd >= 0) {
                return 0;
            }
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT) {
                return errno;
            }
        }
#endif
        long nameMax = ::fpathconf(folder, _PC_NAME_MAX);
        if (nameMax <= 0 || nameMax > NAME_MAX) {
            nameMax = NAME_MAX;
        }
        for (int attempt = 0; attempt < 16; ++attempt) {
            std::string candidate = temporaryName(name, static_cast<std::size_t>(nameMax));
            SignalBlock block;
            fd = ::openat(folder, candidate.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
            if (fd >= 0) {
                temporary = std::move(candidate); // no allocation once the file exists
                cleanupSlot = registerTemporary(folder, temporary);
                return 0;
            }
            if (errno != EEXIST) {
                return errno;
            }
        }
        return EEXIST;
    }

    // Gives the new file its final name: the target's. Returns 0 or an errno.
    int replaceTarget() {
        SignalBlock block;
        if (temporary.empty()) {
            // Name the unnamed file only now, and move it over the target straight away.
            char fdPath[64];
            std::snprintf(fdPath, sizeof fdPath, "/proc/self/fd/%d", fd);
            long nameMax = ::fpathconf(folder, _PC_NAME_MAX);
            if (nameMax <= 0 || nameMax > NAME_MAX) {
                nameMax = NAME_MAX;
            }
            for (int attempt = 0;; ++attempt) {
                std::string candidate = temporaryName(name, static_cast<std::size_t>(nameMax));
                if (::linkat(AT_FDCWD, fdPath, folder, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                    temporary = std::move(candidate);
                    break;
                }
                if (errno != EEXIST || attempt == 16) {
                    return errno;
                }
            }
        }
        if (::renameat(folder, temporary.c_str(), folder, name.c_str()) != 0) {
            const int error = errno;
            ::unlinkat(folder, temporary.c_str(), 0);
            unregisterTemporary(cleanupSlot);
            cleanupSlot = -1;
            temporary.clear();
            return error;
        }
        unregisterTemporary(cleanupSlot);
        cleanupSlot = -1;
        temporary.clear();
        return 0;
    }
};

AtomicFileWriter::AtomicFileWriter(const std::string& path) : path_(path) {
    if (path.empty()) {
        failWith(FileProblem::NoFileName, "no file name was given");
        return;
    }
    os_ = std::make_unique<Os>();
    struct stat followed {};
    const bool exists = ::stat(path.c_str(), &followed) == 0;
    if (!exists && errno != ENOENT) {
        fail(writeProblemOf(errno, false), "cannot write the file", errno);
        return;
    }
    if (exists && S_ISDIR(followed.st_mode)) {
        failWith(FileProblem::IsFolder, "the path names a folder, not a file");
        return;
    }
    if (exists && !S_ISREG(followed.st_mode)) {
        // A pipe, a device or a socket: written as opening the path would, in one pass.
        mode_ = Mode::Stream;
        os_->fd = retryOpen(path.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
        if (os_->fd < 0) {
            fail(writeProblemOf(errno, true), "cannot open the file for writing", errno);
        }
        return;
    }

    bool viaProc = false;
    int error = 0;
    if (!resolveLinks(path, os_->target, viaProc, error)) {
        fail(writeProblemOf(error, exists), "cannot follow the file's links", error);
        return;
    }
    os_->folderPath = folderOf(os_->target);
    os_->name = os_->target.substr(os_->folderPath.size());
    os_->existing = exists;
    os_->old = followed;

    if (exists) {
        // The check the system makes when the file is opened for writing.
        if (::faccessat(AT_FDCWD, os_->target.c_str(), W_OK, AT_EACCESS) != 0) {
            if (errno == EACCES || errno == EPERM || errno == EROFS) {
                failWith(FileProblem::ReadOnly, "the file is read-only");
            } else {
                fail(writeProblemOf(errno, true), "cannot write the file", errno);
            }
            return;
        }
        if (viaProc) {
            // /proc's links name open files, not paths: write through the path as given.
            os_->target = path;
        }
        if (viaProc || followed.st_nlink > 1) {
            switchToInPlace();
            return;
        }
    }

    if (const int folderError = os_->openFolder(); folderError != 0) {
        if (exists && (folderError == EACCES || folderError == EPERM)) {
            switchToInPlace();
        } else {
            fail(writeProblemOf(folderError, false), "cannot open the folder", folderError);
        }
        return;
    }
    if (const int createError = os_->createTemporary(); createError != 0) {
        if (exists && (createError == EACCES || createError == EPERM || createError == EROFS)) {
            switchToInPlace();
        } else {
            fail(writeProblemOf(createError, false), "cannot create a file in the folder", createError);
        }
        return;
    }
    if (exists) {
        struct stat created {};
        if (::fstat(os_->fd, &created) == 0 &&
            (created.st_uid != followed.st_uid || created.st_gid != followed.st_gid) &&
            ::fchown(os_->fd, followed.st_uid, followed.st_gid) != 0) {
            // Another user's file, or a group the user is not in: a new file could not keep them.
            switchToInPlace();
        }
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    discard();
}

void AtomicFileWriter::switchToInPlace() {
    if (os_->fd >= 0) {
        ::close(os_->fd);
        os_->fd = -1;
    }
    os_->removeTemporary();
    mode_ = Mode::InPlace;
    // Opened now so that a refusal comes before any work; truncated only once all is ready.
    const std::string& where = os_->target.empty() ? path_ : os_->target;
    os_->fd = retryOpen(where.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (os_->fd < 0) {
        fail(writeProblemOf(errno, true), "cannot open the file for writing", errno);
    }
}

void AtomicFileWriter::failWith(FileProblem problem, std::string reason) {
    if (!failed_) {
        failed_ = true;
        problem_ = problem;
        error_ = std::move(reason);
    }
    discard();
}

void AtomicFileWriter::fail(FileProblem problem, const std::string& what, int error) {
    if (error == 0) {
        error = EIO;
    }
    // Where our sentence already says what the system's would, the reason says it once; a read-only
    // file may be so for several reasons (mode, a read-only mount), which the system's names.
    switch (problem) {
    case FileProblem::NoSpace:
        failWith(problem, "the disk is full");
        return;
    case FileProblem::NotFound:
        failWith(problem, "the folder does not exist");
        return;
    case FileProblem::IsFolder:
        failWith(problem, "the path names a folder, not a file");
        return;
    case FileProblem::NameTooLong:
        failWith(problem, "the file name is too long");
        return;
    case FileProblem::NotEnoughMemory:
        failWith(problem, "not enough memory");
        return;
    case FileProblem::ReadOnly:
        failWith(problem, "the file is read-only: " + systemReason(error));
        return;
    default:
        failWith(problem, what + ": " + systemReason(error));
        return;
    }
}

void AtomicFileWriter::discard() {
    buffer_ = std::string();
    os_.reset();
}

bool AtomicFileWriter::writeOut(std::string_view bytes) {
    if (mode_ == Mode::InPlace) {
        try {
            buffer_.append(bytes);
        } catch (const std::bad_alloc&) {
            failWith(FileProblem::NotEnoughMemory, "not enough memory");
            return false;
        }
        return true;
    }
    int error = 0;
    if (!writeAll(os_->fd, bytes.data(), bytes.size(), error)) {
        fail(writeProblemOf(error, false), "writing the file failed", error);
        return false;
    }
    return true;
}

bool AtomicFileWriter::write(std::string_view bytes) {
    if (failed_) {
        return false;
    }
    const long long limit = writeLimit.load();
    if (limit >= 0 && written_ + bytes.size() > static_cast<std::size_t>(limit)) {
        // Write what "fits", then fail as a full disk would.
        const std::size_t fits = static_cast<std::size_t>(limit) - std::min<std::size_t>(written_, limit);
        writeOut(bytes.substr(0, fits));
        fail(FileProblem::NoSpace, "writing the file failed", ENOSPC);
        return false;
    }
    if (!bytes.empty() && !writeOut(bytes)) {
        return false;
    }
    written_ += bytes.size();
    notify(FileStep::Wrote, written_);
    return !failed_;
}

bool AtomicFileWriter::commitReplace() {
    Os& os = *os_;
#ifdef VORNAK_HAVE_XATTR
    if (os.existing) {
        copyAttributes(os.target, os.fd);
    }
#endif
    // The old mode (or a new file's default) only now that the content is complete; after fchown,
    // which would clear set-id bits.
    const mode_t mode = os.existing ? (os.old.st_mode & 07777) : newFileMode();
    if (::fchmod(os.fd, mode) != 0) {
        fail(FileProblem::WriteFailed, "cannot set the file's permissions", errno);
        return false;
    }
    if (::fsync(os.fd) != 0) {
        fail(writeProblemOf(errno, false), "writing the file failed", errno);
        return false;
    }
    notify(FileStep::SyncedFile, written_);
    if (const int error = os.replaceTarget(); error != 0) {
        fail(writeProblemOf(error, false), "cannot replace the file", error);
        return false;
    }
    notify(FileStep::Replaced, written_);
    const int fd = os.fd;
    os.fd = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        fail(FileProblem::WriteFailed, "closing the file failed", errno);
        return false;
    }
    // The rename itself must reach the disk too, or a power cut could bring the old file back.
    if (syncFailed(os.folder)) {
        fail(FileProblem::WriteFailed, "flushing the folder failed", errno);
        return false;
    }
    notify(FileStep::SyncedFolder, written_);
    return true;
}

bool AtomicFileWriter::commitInPlace() {
    Os& os = *os_;
    const auto size = static_cast<off_t>(buffer_.size());
#ifdef __linux__
    // Reserve the space first, so that a full disk is found before the old content is touched.
    if (size > 0 && ::fallocate(os.fd, 0, 0, size) != 0 && errno != EOPNOTSUPP && errno != ENOSYS &&
        errno != EINVAL && errno != ENODEV) {
        fail(writeProblemOf(errno, false), "writing the file failed", errno);
        return false;
    }
#endif
    int error = 0;
    if (!pwriteAll(os.fd, buffer_.data(), buffer_.size(), 0, error) || ::ftruncate(os.fd, size) != 0) {
        fail(writeProblemOf(error != 0 ? error : errno, false), "writing the file failed",
             error != 0 ? error : errno);
        return false;
    }
    if (syncFailed(os.fd)) {
        fail(writeProblemOf(errno, false), "writing the file failed", errno);
        return false;
    }
    notify(FileStep::WroteInPlace, written_);
    const int fd = os.fd;
    os.fd = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        fail(FileProblem::WriteFailed, "closing the file failed", errno);
        return false;
    }
    return true;
}

bool AtomicFileWriter::commitStream() {
    const int fd = os_->fd;
    os_->fd = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        fail(writeProblemOf(errno, false), "closing the file failed", errno);
        return false;
    }
    notify(FileStep::WroteInPlace, written_);
    return true;
}

bool AtomicFileWriter::commit() {
    if (failed_ || os_ == nullptr) {
        return false;
    }
    bool ok = false;
    switch (mode_) {
    case Mode::Replace:
        ok = commitReplace();
        break;
    case Mode::InPlace:
        ok = commitInPlace();
        break;
    case Mode::Stream:
        ok = commitStream();
        break;
    }
    if (ok) {
        committed_ = true;
        discard();
    }
    return ok;
}

bool installTemporaryFileCleanup() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int i = 0; i < 3; ++i) {
            struct sigaction previous {};
            if (::sigaction(cleanedSignals[i], nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) {
                continue;
            }
            previousActions[i] = previous;
            struct sigaction action {};
            action.sa_sigaction = cleanupHandler;
            action.sa_flags = SA_SIGINFO | SA_RESTART;
            sigemptyset(&action.sa_mask);
            for (int signal : cleanedSignals) {
                sigaddset(&action.sa_mask, signal);
            }
            ::sigaction(cleanedSignals[i], &action, nullptr);
        }
    });
    return true;
}

// ---------------------------------------------------------------------------------------------

InputFile::InputFile(const std::string& path) {
    if (path.empty()) {
        problem_ = FileProblem::NoFileName;
        error_ = "no file name was given";
        return;
    }
    const int fd = retryOpen(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        fail(errno);
        return;
    }
    handle_ = fd;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        fail(errno);
        return;
    }
    if (S_ISDIR(info.st_mode)) {
        fail(EISDIR);
        return;
    }
    if (S_ISREG(info.st_mode)) {
        size_ = static_cast<std::size_t>(info.st_size);
    }
    open_ = true;
}

InputFile::~InputFile() {
    if (handle_ >= 0) {
        ::close(static_cast<int>(handle_));
    }
}

void InputFile::fail(int error) {
    open_ = false;
    problem_ = readProblemOf(error);
    error_ = readReason(error);
}

long long InputFile::read(char* buffer, std::size_t size) {
    if (!open_) {
        return -1;
    }
    for (;;) {
        const ssize_t n = ::read(static_cast<int>(handle_), buffer, size);
        if (n >= 0) {
            return n;
        }
        if (errno != EINTR) {
            const int error = errno;
            problem_ = error == ENOMEM ? FileProblem::NotEnoughMemory : FileProblem::ReadFailed;
            error_ = error == EISDIR ? "the path names a folder, not a file"
                                     : "reading the file failed: " + systemReason(error);
            if (error == EISDIR) {
                problem_ = FileProblem::IsFolder;
            }
            return -1;
        }
    }
}

#else // portable fallback: the standard library only

struct AtomicFileWriter::Os {
    std::string target;
    std::string temporary;
    std::FILE* file = nullptr;

    ~Os() {
        if (file != nullptr) {
            std::fclose(file);
        }
        if (!temporary.empty()) {
            std::remove(temporary.c_str());
        }
    }
};

AtomicFileWriter::AtomicFileWriter(const std::string& path) : path_(path) {
    namespace fs = std::filesystem;
    if (path.empty()) {
        failWith(FileProblem::NoFileName, "no file name was given");
        return;
    }
    os_ = std::make_unique<Os>();
    std::error_code ec;
    fs::path target = path;
    for (int hop = 0; hop < 40 && fs::is_symlink(fs::symlink_status(target, ec)); ++hop) {
        const fs::path link = fs::read_symlink(target, ec);
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    os_->target = target.string();
    const fs::file_status status = fs::status(target, ec);
    if (fs::is_directory(status)) {
        failWith(FileProblem::IsFolder, "the path names a folder, not a file");
        return;
    }
    const bool exists = fs::exists(status);
    if (exists && (fs::perms::none == (status.permissions() & fs::perms::owner_write))) {
        failWith(FileProblem::ReadOnly, "the file is read-only");
        return;
    }
    if (exists && !fs::is_regular_file(status)) {
        mode_ = Mode::Stream;
        os_->file = std::fopen(os_->target.c_str(), "wb");
        if (os_->file == nullptr) {
            fail(writeProblemOf(errno, true), "cannot open the file for writing", errno);
        }
        return;
    }
    if (exists && fs::hard_link_count(target, ec) > 1) {
        mode_ = Mode::InPlace;
        return;
    }
    const std::string folder = folderOf(os_->target);
    const std::string name = os_->target.substr(folder.size());
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string candidate = folder + temporaryName(name, 255);
        errno = 0;
        if ((os_->file = std::fopen(candidate.c_str(), "wbx")) != nullptr) {
            os_->temporary = std::move(candidate);
            std::setvbuf(os_->file, nullptr, _IONBF, 0);
            return;
        }
        if (errno != EEXIST) {
            fail(writeProblemOf(errno, false), "cannot create a file in the folder", errno);
            return;
        }
    }
    fail(FileProblem::WriteFailed, "cannot find a free temporary name in the folder", EEXIST);
}

AtomicFileWriter::~AtomicFileWriter() {
    discard();
}

void AtomicFileWriter::switchToInPlace() {
    mode_ = Mode::InPlace;
}

void AtomicFileWriter::failWith(FileProblem problem, std::string reason) {
    if (!failed_) {
        failed_ = true;
        problem_ = problem;
        error_ = std::move(reason);
    }
    discard();
}

void AtomicFileWriter::fail(FileProblem problem, const std::string& what, int error) {
    failWith(problem, what + ": " + systemReason(error != 0 ? error : EIO));
}

void AtomicFileWriter::discard() {
    buffer_ = std::string();
    os_.reset();
}

bool AtomicFileWriter::writeOut(std::string_view bytes) {
    if (mode_ == Mode::InPlace) {
        try {
            buffer_.append(bytes);
        } catch (const std::bad_alloc&) {
            failWith(FileProblem::NotEnoughMemory, "not enough memory");
            return false;
        }
        return true;
    }
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), os_->file) != bytes.size()) {
        fail(writeProblemOf(errno, false), "writing the file failed", errno);
        return false;
    }
    return true;
}

bool AtomicFileWriter::write(std::string_view bytes) {
    if (failed_) {
        return false;
    }
    const long long limit = writeLimit.load();
    if (limit >= 0 && written_ + bytes.size() > static_cast<std::size_t>(limit)) {
        fail(FileProblem::NoSpace, "writing the file failed", ENOSPC);
        return false;
    }
    if (!bytes.empty() && !writeOut(bytes)) {
        return false;
    }
    written_ += bytes.size();
    notify(FileStep::Wrote, written_);
    return true;
}

bool AtomicFileWriter::commitReplace() {
    std::FILE* file = os_->file;
    os_->file = nullptr;
    if (std::fflush(file) != 0 || std::fclose(file) != 0) {
        fail(FileProblem::WriteFailed, "writing the file failed", errno);
        return false;
    }
    notify(FileStep::SyncedFile, written_);
    std::error_code ec;
    std::filesystem::rename(os_->temporary, os_->target, ec);
    if (ec) {
        fail(FileProblem::WriteFailed, "cannot replace the file", ec.value());
        return false;
    }
    os_->temporary.clear();
    notify(FileStep::Replaced, written_);
    return true;
}

bool AtomicFileWriter::commitInPlace() {
    std::FILE* file = std::fopen(os_->target.c_str(), "r+b");
    if (file == nullptr) {
        fail(writeProblemOf(errno, true), "cannot open the file for writing", errno);
        return false;
    }
    const bool ok = std::fwrite(buffer_.data(), 1, buffer_.size(), file) == buffer_.size();
    const bool closed = std::fclose(file) == 0;
    std::error_code ec;
    std::filesystem::resize_file(os_->target, buffer_.size(), ec);
    if (!ok || !closed || ec) {
        fail(FileProblem::WriteFailed, "writing the file failed", errno);
        return false;
    }
    notify(FileStep::WroteInPlace, written_);
    return true;
}

bool AtomicFileWriter::commitStream() {
    std::FILE* file = os_->file;
    os_->file = nullptr;
    if (std::fclose(file) != 0) {
        fail(FileProblem::WriteFailed, "closing the file failed", errno);
        return false;
    }
    notify(FileStep::WroteInPlace, written_);
    return true;
}

bool AtomicFileWriter::commit() {
    if (failed_ || os_ == nullptr) {
        return false;
    }
    const bool ok = mode_ == Mode::Replace ? commitReplace()
                    : mode_ == Mode::InPlace ? commitInPlace()
                                             : commitStream();
    if (ok) {
        committed_ = true;
        discard();
    }
    return ok;
}

bool installTemporaryFileCleanup() {
    return false;
}

InputFile::InputFile(const std::string& path) {
    if (path.empty()) {
        problem_ = FileProblem::NoFileName;
        error_ = "no file name was given";
        return;
    }
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        fail(EISDIR);
        return;
    }
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        fail(errno != 0 ? errno : ENOENT);
        return;
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
    if (std::filesystem::is_regular_file(path, ec)) {
        size_ = static_cast<std::size_t>(std::filesystem::file_size(path, ec));
    }
    open_ = true;
}

InputFile::~InputFile() {
    if (handle_ != -1) {
        std::fclose(reinterpret_cast<std::FILE*>(handle_));
    }
}

void InputFile::fail(int error) {
    open_ = false;
    problem_ = readProblemOf(error);
    error_ = readReason(error);
}

long long InputFile::read(char* buffer, std::size_t size) {
    if (!open_) {
        return -1;
    }
    auto* file = reinterpret_cast<std::FILE*>(handle_);
    const std::size_t got = std::fread(buffer, 1, size, file);
    if (got == 0 && std::ferror(file)) {
        problem_ = FileProblem::ReadFailed;
        error_ = "reading the file failed";
        return -1;
    }
    return static_cast<long long>(got);
}

#endif

bool replaceFileContents(const std::string& path, std::string_view bytes, std::string& error) {
    AtomicFileWriter writer(path);
    const bool ok = writer.write(bytes) && writer.commit();
    error = writer.error();
    return ok;
}

void failFileWritesAfter(std::optional<std::size_t> bytes) {
    writeLimit.store(bytes ? static_cast<long long>(*bytes) : -1);
}

void observeFileSteps(std::function<void(FileStep step, std::size_t bytes)> observer) {
    std::lock_guard<std::mutex> lock(observerMutex);
    stepObserver = std::move(observer);
}

void allowUnnamedTemporaryFiles(bool allowed) {
    unnamedAllowed.store(allowed);
}

} // namespace vornak
