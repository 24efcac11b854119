// The core's file access on Windows: names are UTF-8 and go to the system as UTF-16. A file is
// replaced through a new file in the same folder that is flushed and then put in place in one
// step, keeping the old file's attributes and security; a read-only file is refused; links with
// several names and files whose folder takes no new file are written in place; pipes and devices
// are written as they come.
#include "FileErrors.h"
#include "FileIdentity.h"
#include "FileMapping.h"
#include "FileTarget.h"
#include "Utf16.h"
#include "WindowsApi.h"

#ifndef ERROR_DISK_QUOTA_EXCEEDED
#define ERROR_DISK_QUOTA_EXCEEDED 1295L // not in every set of Windows headers
#endif

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <mutex>
#include <new>
#include <random>
#include <utility>

namespace vornak {
namespace detail {
namespace {

std::wstring wide(const std::string& utf8) {
    const std::u16string text = utf8ToUtf16(utf8);
    return std::wstring(text.begin(), text.end());
}

// The C library's number for a system error, so that the portable layer words every system's
// errors alike.
int errnoOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_ACCESS_DENIED:
        return EACCES;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EBUSY;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
        return ENAMETOOLONG;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_QUOTA_EXCEEDED:
        return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
        return EPIPE;
    default:
        return EIO;
    }
}

// A failed step, with the system's last error.
FileFailure failureOf(const char* what, bool existing) {
    const int error = errnoOf(GetLastError());
    return {writeProblemOf(error, existing), what, error};
}

void closeHandle(HANDLE& handle) {
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
    }
}

bool writeAll(HANDLE handle, const char* data, std::size_t size, DWORD& error) {
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(handle, data, chunk, &written, nullptr)) {
            error = GetLastError();
            return false;
        }
        if (written == 0) {
            error = ERROR_WRITE_FAULT;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// A random 12-digit hex tag for temporary names.
std::wstring randomTag() {
    static std::mutex mutex;
    static std::mt19937_64 random(
        static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        GetCurrentProcessId());
    std::lock_guard<std::mutex> lock(mutex);
    wchar_t tag[16];
    std::swprintf(tag, 16, L"%012llx", static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
    return tag;
}

// The folder part of a name, with its final separator ("" for a bare name).
std::wstring folderOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/:");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// ".<name>.<tag>.tmp" in the target's folder, within the 255 characters a name may have.
std::wstring temporaryPath(const std::wstring& target) {
    const std::wstring folder = folderOf(target);
    std::wstring name = target.substr(folder.size());
    const std::wstring suffix = L"." + randomTag() + L".tmp";
    const std::size_t room = 255 - suffix.size() - 1;
    if (name.size() > room) {
        name.resize(room);
        if (!name.empty() && name.back() >= 0xD800 && name.back() <= 0xDBFF) {
            name.pop_back(); // never half a character
        }
    }
    return folder + L"." + name + suffix;
}

// The file a symbolic link or junction finally names; the path itself when it is none, or when
// the link leads nowhere (then the path is written as given).
std::wstring resolveLinks(const std::wstring& path, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return path;
    }
    HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return path;
    }
    std::wstring final(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()), 0);
    if (length >= final.size()) {
        final.resize(length + 1);
        length = GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()), 0);
    }
    CloseHandle(handle);
    if (length == 0 || length >= final.size()) {
        return path;
    }
    final.resize(length);
    return final;
}

// ---------------------------------------------------------------------------------------------
// Removing temporary files when Ctrl+C, Ctrl+Break or closing the console ends the process.

constexpr std::size_t cleanupSlotCount = 32;
std::mutex cleanupMutex;
std::array<std::wstring, cleanupSlotCount> cleanupNames;

int registerTemporary(const std::wstring& name) {
    std::lock_guard<std::mutex> lock(cleanupMutex);
    for (std::size_t i = 0; i < cleanupNames.size(); ++i) {
        if (cleanupNames[i].empty()) {
            cleanupNames[i] = name;
            return static_cast<int>(i);
        }
    }
    return -1; // more saves at once than slots: this one is simply not cleaned up on Ctrl+C
}

void unregisterTemporary(int slot) {
    if (slot >= 0) {
        std::lock_guard<std::mutex> lock(cleanupMutex);
        cleanupNames[static_cast<std::size_t>(slot)].clear();
    }
}

// Runs on a thread of its own. The temporary files are open with delete sharing, so deleting
// them here marks them; the system removes them as the process ends and closes them.
BOOL WINAPI cleanupHandler(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT: {
        std::lock_guard<std::mutex> lock(cleanupMutex);
        for (std::wstring& name : cleanupNames) {
            if (!name.empty()) {
                DeleteFileW(name.c_str());
                name.clear();
            }
        }
        break;
    }
    default:
        break;
    }
    return FALSE; // the next handler, in the end the system's, ends the process
}

class WindowsTarget final : public FileTarget {
public:
    using Mode = AtomicFileWriter::Mode;

    ~WindowsTarget() override {
        closeHandle(handle_);
        removeTemporary();
    }

    bool open(const std::string& path, FileFailure& failure);
    Mode mode() const override { return mode_; }

    bool write(std::string_view bytes, FileFailure& failure) override {
        DWORD error = 0;
        if (!writeAll(handle_, bytes.data(), bytes.size(), error)) {
            const int e = errnoOf(error);
            failure = {writeProblemOf(e, false), "writing the file failed", e};
            return false;
        }
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
            return commitStream(step, failure);
        }
        return false;
    }

private:
    bool switchToInPlace(FileFailure& failure);
    bool commitReplace(const std::function<void(FileStep)>& step, FileFailure& failure);
    bool commitInPlace(std::string_view content, const std::function<void(FileStep)>& step,
                       FileFailure& failure);
    bool commitStream(const std::function<void(FileStep)>& step, FileFailure& failure);

    void removeTemporary() {
        if (!temporary_.empty()) {
            DeleteFileW(temporary_.c_str());
            temporary_.clear();
        }
        unregisterTemporary(cleanupSlot_);
        cleanupSlot_ = -1;
    }

    Mode mode_ = Mode::Replace;
    std::wstring target_;
    std::wstring temporary_;
    std::wstring folder_; // the target's, with its final separator
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    bool existing_ = false;
    DWORD attributes_ = 0; // the old file's
    int cleanupSlot_ = -1;
};

bool WindowsTarget::open(const std::string& path, FileFailure& failure) {
    const std::wstring given = wide(path);
    const DWORD attributes = GetFileAttributesW(given.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (!exists) {
        const DWORD error = GetLastError();
        if (error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_DRIVE || error == ERROR_BAD_NETPATH) {
            const int e = errnoOf(error);
            failure = {FileProblem::NotFound, "cannot write the file", e};
            return false;
        }
        if (error != ERROR_FILE_NOT_FOUND) {
            // Device names ("NUL", "CON", "\\.\pipe\...") have no attributes but open.
            handle_ = CreateFileW(given.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (handle_ == INVALID_HANDLE_VALUE) {
                const int e = errnoOf(error);
                failure = {writeProblemOf(e, false), "cannot write the file", e};
                return false;
            }
            if (GetFileType(handle_) != FILE_TYPE_DISK) {
                mode_ = Mode::Stream;
                return true;
            }
            closeHandle(handle_);
        }
    }
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        failure = {FileProblem::IsFolder, "the path names a folder, not a file", 0};
        return false;
    }
    target_ = exists ? resolveLinks(given, attributes) : given;
    existing_ = exists;

    if (exists) {
        const DWORD targetAttributes = GetFileAttributesW(target_.c_str());
        if (targetAttributes != INVALID_FILE_ATTRIBUTES &&
            (targetAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
            failure = {FileProblem::ReadOnly, "the file is read-only", 0};
            return false;
        }
        // The check the system makes when the file is opened for writing; its security may
        // forbid what its attributes allow.
        handle_ = CreateFileW(target_.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            if (error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT) {
                failure = {FileProblem::ReadOnly, "the file is read-only", 0};
            } else if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
                failure = {FileProblem::AccessDenied, "another program is using the file", 0};
            } else {
                const int e = errnoOf(error);
                failure = {writeProblemOf(e, true), "cannot write the file", e};
            }
            return false;
        }
        if (GetFileType(handle_) != FILE_TYPE_DISK) {
            mode_ = Mode::Stream;
            return true;
        }
        BY_HANDLE_FILE_INFORMATION info{};
        if (GetFileInformationByHandle(handle_, &info)) {
            attributes_ = info.dwFileAttributes;
        }
        if (info.nNumberOfLinks > 1) {
            // A new file would take this name away from the others.
            mode_ = Mode::InPlace;
            return true;
        }
        closeHandle(handle_);
    }

    // Everything that allocates comes before the file exists, so that running out of memory can
    // never leave it behind.
    folder_ = folderOf(target_);
    for (int attempt = 0; attempt < 16; ++attempt) {
        temporary_ = temporaryPath(target_);
        // Delete sharing lets the Ctrl+C handler remove it while it is still open.
        handle_ = CreateFileW(temporary_.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle_ != INVALID_HANDLE_VALUE) {
            cleanupSlot_ = registerTemporary(temporary_);
            return true;
        }
        temporary_.clear();
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
            continue;
        }
        if (exists && (error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT)) {
            // The folder takes no new file, but the file itself may be written.
            return switchToInPlace(failure);
        }
        const int e = errnoOf(error);
        failure = {writeProblemOf(e, false), "cannot create a file in the folder", e};
        return false;
    }
    failure = {FileProblem::WriteFailed, "cannot find a free temporary name in the folder", EEXIST};
    return false;
}

bool WindowsTarget::switchToInPlace(FileFailure& failure) {
    closeHandle(handle_);
    removeTemporary();
    mode_ = Mode::InPlace;
    // Opened now so that a refusal comes before any work; cut to size only once all is ready.
    handle_ = CreateFileW(target_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) {
        failure = failureOf("cannot open the file for writing", true);
        return false;
    }
    return true;
}

bool WindowsTarget::commitReplace(const std::function<void(FileStep)>& step, FileFailure& failure) {
    if (!FlushFileBuffers(handle_)) {
        failure = failureOf("writing the file failed", false);
        return false;
    }
    step(FileStep::SyncedFile);
    closeHandle(handle_);
    if (existing_) {
        // The replace keeps the old file's attributes, security and creation time; the attributes
        // are also given to the new file beforehand, for file systems whose replace does not.
        constexpr DWORD kept = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                               FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        if ((attributes_ & kept) != 0) {
            SetFileAttributesW(temporary_.c_str(), attributes_ & kept);
        }
        if (!ReplaceFileW(target_.c_str(), temporary_.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                          nullptr, nullptr)) {
            failure = failureOf("cannot replace the file", true);
            return false;
        }
    } else if (!MoveFileExW(temporary_.c_str(), target_.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        failure = failureOf("cannot replace the file", false);
        return false;
    }
    temporary_.clear();
    unregisterTemporary(cleanupSlot_);
    cleanupSlot_ = -1;
    step(FileStep::Replaced);
    // The folder's entry: flushed where the file system allows a folder to be flushed.
    HANDLE folder = CreateFileW(folder_.empty() ? L"." : folder_.c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder != INVALID_HANDLE_VALUE) {
        if (FlushFileBuffers(folder)) {
            step(FileStep::SyncedFolder);
        }
        CloseHandle(folder);
    }
    return true;
}

bool WindowsTarget::commitInPlace(std::string_view content, const std::function<void(FileStep)>& step,
                                  FileFailure& failure) {
    LARGE_INTEGER oldSize{};
    if (!GetFileSizeEx(handle_, &oldSize)) {
        failure = failureOf("writing the file failed", true);
        return false;
    }
    LARGE_INTEGER newSize{};
    newSize.QuadPart = static_cast<LONGLONG>(content.size());
    // The space first: a full disk then leaves the old content as it was.
    if (newSize.QuadPart > oldSize.QuadPart) {
        if (!SetFilePointerEx(handle_, newSize, nullptr, FILE_BEGIN) || !SetEndOfFile(handle_)) {
            failure = failureOf("writing the file failed", true);
            SetFilePointerEx(handle_, oldSize, nullptr, FILE_BEGIN);
            SetEndOfFile(handle_);
            return false;
        }
    }
    const LARGE_INTEGER start{};
    DWORD error = 0;
    bool ok = SetFilePointerEx(handle_, start, nullptr, FILE_BEGIN) != 0;
    ok = ok && writeAll(handle_, content.data(), content.size(), error);
    ok = ok && SetFilePointerEx(handle_, newSize, nullptr, FILE_BEGIN) && SetEndOfFile(handle_);
    ok = ok && FlushFileBuffers(handle_);
    if (!ok) {
        const int e = errnoOf(error != 0 ? error : GetLastError());
        failure = {writeProblemOf(e, true), "writing the file failed", e};
        return false;
    }
    step(FileStep::WroteInPlace);
    return true;
}

bool WindowsTarget::commitStream(const std::function<void(FileStep)>& step, FileFailure& failure) {
    // Pipes and consoles cannot be flushed to a disk; closing is what finishes them.
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    if (!CloseHandle(handle)) {
        failure = failureOf("closing the file failed", false);
        return false;
    }
    step(FileStep::WroteInPlace);
    return true;
}

} // namespace

std::unique_ptr<FileTarget> openFileTarget(const std::string& path, bool /*allowUnnamed*/,
                                           FileFailure& failure) {
    // Windows has no unnamed files: every replace goes through a named temporary file.
    auto target = std::make_unique<WindowsTarget>();
    if (!target->open(path, failure)) {
        return nullptr;
    }
    return target;
}

std::intptr_t openInput(const std::string& path, std::optional<std::size_t>& size, int& error) {
    const std::wstring name = wide(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        error = EISDIR;
        return -1;
    }
    // Others may go on reading and writing it: what is there at this moment is read.
    HANDLE handle =
        CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = errnoOf(GetLastError());
        return -1;
    }
    if (GetFileType(handle) == FILE_TYPE_DISK) {
        LARGE_INTEGER bytes{};
        if (!GetFileSizeEx(handle, &bytes)) {
            error = errnoOf(GetLastError());
            CloseHandle(handle);
            return -1;
        }
        size = static_cast<std::size_t>(bytes.QuadPart);
    }
    return reinterpret_cast<std::intptr_t>(handle);
}

long long readInput(std::intptr_t handle, char* buffer, std::size_t size, int& error) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(handle), buffer, chunk, &got, nullptr)) {
        const DWORD failure = GetLastError();
        if (failure == ERROR_BROKEN_PIPE || failure == ERROR_HANDLE_EOF) {
            return 0; // the writing end of a pipe has closed: the end of the input
        }
        error = errnoOf(failure);
        return -1;
    }
    return static_cast<long long>(got);
}

void closeInput(std::intptr_t handle) {
    CloseHandle(reinterpret_cast<HANDLE>(handle));
}

// Files are read block by block here: nothing is mapped, so nothing needs a watch.
const char* mapInput(std::intptr_t, std::size_t, std::intptr_t&) {
    return nullptr;
}

void unmapInput(const char*, std::size_t, std::intptr_t) {}

bool inputShorter(std::intptr_t, std::size_t) {
    return false;
}

int guardMapping(const char*, std::size_t) {
    return -1;
}

bool mappingCut(int) {
    return false;
}

void releaseGuard(int) {}

} // namespace detail

// The volume's serial number and the file's index tell files apart as device and inode do; the
// change time (which moves with every write and change of attributes) is read as the
// nanoseconds since 1970 that the POSIX build gives.
std::optional<FileIdentity> identifyFile(const std::string& path) {
    if (path.empty()) {
        return std::nullopt;
    }
    // No access asked beyond the attributes: a file another program holds, or a read-only one,
    // can still be looked at. Links are followed; a folder opens with backup semantics.
    HANDLE handle = CreateFileW(detail::wide(path).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO basic{};
    const bool disk = GetFileType(handle) == FILE_TYPE_DISK;
    const bool known = disk && GetFileInformationByHandle(handle, &info) != 0;
    const bool changeKnown =
        known && GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic) != 0;
    CloseHandle(handle);
    if (!known) {
        return std::nullopt; // a pipe or device has no index to tell it apart by
    }
    FileIdentity identity;
    identity.device = info.dwVolumeSerialNumber;
    identity.inode = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    identity.regular = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    // File systems without a change time (FAT) report none: the last write stands in for it.
    std::int64_t ticks = changeKnown ? basic.ChangeTime.QuadPart : 0;
    if (ticks == 0) {
        ticks = static_cast<std::int64_t>((std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                                          info.ftLastWriteTime.dwLowDateTime);
    }
    // 100-nanosecond ticks since 1601 to seconds and nanoseconds since 1970, rounded down.
    constexpr std::int64_t ticksPerSecond = 10'000'000;
    constexpr std::int64_t ticksBefore1970 = 116'444'736'000'000'000;
    const std::int64_t since1970 = ticks - ticksBefore1970;
    std::int64_t seconds = since1970 / ticksPerSecond;
    std::int64_t rest = since1970 % ticksPerSecond;
    if (rest < 0) {
        rest += ticksPerSecond;
        --seconds;
    }
    identity.changedSeconds = seconds;
    identity.changedNanoseconds = rest * 100;
    return identity;
}

bool installTemporaryFileCleanup() {
    static std::once_flag once;
    static bool installed = false;
    std::call_once(once, [] { installed = SetConsoleCtrlHandler(detail::cleanupHandler, TRUE) != 0; });
    return installed;
}

} // namespace vornak
