// The recovery folder's system calls on Windows. The folder lies in the user's own local
// application data, which the system keeps private; here a folder or file that is a link (a
// reparse point), a file with several names, and anything that is no disk file are refused.
#include "RecoveryFolder.h"

#include "Utf16.h"
#include "WindowsApi.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <utility>

namespace vornak {

namespace {

using Kind = RecoveryFault::Kind;

std::wstring wideOf(const std::string& utf8) {
    const std::u16string text = utf8ToUtf16(utf8);
    return std::wstring(text.begin(), text.end());
}

std::string utf8Of(const wchar_t* text) {
    const std::wstring given(text);
    return utf16ToUtf8(std::u16string(given.begin(), given.end()));
}

int errnoOfLast() {
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
        return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    default:
        return EIO;
    }
}

RecoveryFault faultOf(Kind kind, const std::string& path, int error = 0) {
    RecoveryFault fault;
    fault.kind = kind;
    fault.path = path;
    fault.error = error;
    return fault;
}

bool validName(const std::string& name) {
    return !name.empty() && name.front() != '.' && name.find_first_of("/\\:") == std::string::npos;
}

class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

RecoveryFault judgeFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(wideOf(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return faultOf(Kind::CannotExamine, path, errnoOfLast());
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return faultOf(Kind::NotOwnFolder, path);
    }
    return {};
}

// A disk file with one name that is no link.
RecoveryFault judgeEntry(HANDLE handle, const std::string& path, std::uint64_t& size) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(handle) != FILE_TYPE_DISK || GetFileInformationByHandle(handle, &info) == 0) {
        return faultOf(Kind::NotOwnFile, path);
    }
    if ((info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0 ||
        info.nNumberOfLinks != 1) {
        return faultOf(Kind::NotOwnFile, path);
    }
    size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    return {};
}

HANDLE openEntry(const std::string& path, DWORD access, DWORD disposition) {
    return CreateFileW(wideOf(path).c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

std::uint64_t creationTicks(HANDLE process) {
    FILETIME created{};
    FILETIME ended{};
    FILETIME kernel{};
    FILETIME user{};
    if (GetProcessTimes(process, &created, &ended, &kernel, &user) == 0) {
        return 0;
    }
    return (std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
}

} // namespace

std::string RecoveryFolder::stateFolder() {
    const char* local = std::getenv("LOCALAPPDATA");
    if (local == nullptr || local[0] == '\0') {
        return std::string();
    }
    std::string base = local;
    while (base.size() > 3 && (base.back() == '\\' || base.back() == '/')) {
        base.pop_back();
    }
    return base + "/vornak/recovery";
}

RecoveryFolder::RecoveryFolder(std::string path) : path_(std::move(path)) {
    while (path_.size() > 3 && (path_.back() == '/' || path_.back() == '\\')) {
        path_.pop_back();
    }
}

RecoveryFault RecoveryFolder::prepare() const {
    if (path_.size() < 3 || path_[1] != ':') {
        return faultOf(Kind::NotFullPath, path_);
    }
    std::size_t at = 2;
    do {
        at = path_.find_first_of("/\\", at + 1);
        const std::string step = path_.substr(0, at);
        if (CreateDirectoryW(wideOf(step).c_str(), nullptr) == 0 && GetLastError() != ERROR_ALREADY_EXISTS) {
            return faultOf(Kind::CannotCreate, step, errnoOfLast());
        }
    } while (at != std::string::npos);
    return judgeFolder(path_);
}

RecoveryFault RecoveryFolder::examine() const {
    if (path_.size() < 3 || path_[1] != ':') {
        return faultOf(Kind::NotFullPath, path_);
    }
    return judgeFolder(path_);
}

RecoveryFault RecoveryFolder::names(std::vector<std::string>& found) const {
    found.clear();
    if (RecoveryFault fault = examine()) {
        return fault;
    }
    WIN32_FIND_DATAW item{};
    HANDLE search = FindFirstFileW(wideOf(path_ + "/*").c_str(), &item);
    if (search == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_FILE_NOT_FOUND ? RecoveryFault{}
                                                       : faultOf(Kind::CannotExamine, path_, errnoOfLast());
    }
    do {
        const std::string name = utf8Of(item.cFileName);
        if (!name.empty() && name.front() != '.') {
            found.push_back(name);
        }
    } while (FindNextFileW(search, &item) != 0);
    FindClose(search);
    return {};
}

RecoveryFault RecoveryFolder::read(const std::string& name, std::size_t limit, std::string& bytes) const {
    bytes.clear();
    const std::string path = entryPath(name);
    if (!validName(name)) {
        return faultOf(Kind::NotOwnFile, path);
    }
    if (RecoveryFault fault = examine()) {
        return fault;
    }
    const Handle file(openEntry(path, GENERIC_READ, OPEN_EXISTING));
    if (!file.valid()) {
        return faultOf(Kind::CannotOpen, path, errnoOfLast());
    }
    std::uint64_t size = 0;
    if (RecoveryFault fault = judgeEntry(file.get(), path, size)) {
        return fault;
    }
    if (size > limit) {
        return faultOf(Kind::TooLarge, path);
    }
    bytes.resize(static_cast<std::size_t>(size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        if (ReadFile(file.get(), bytes.data() + done, want, &got, nullptr) == 0) {
            bytes.clear();
            return faultOf(Kind::CannotRead, path, errnoOfLast());
        }
        if (got == 0) {
            break;
        }
        done += got;
    }
    bytes.resize(done);
    return {};
}

RecoveryFault RecoveryFolder::inspect(const std::string& name, std::uint64_t& size) const {
    size = 0;
    const std::string path = entryPath(name);
    if (!validName(name)) {
        return faultOf(Kind::NotOwnFile, path);
    }
    if (RecoveryFault fault = examine()) {
        return fault;
    }
    const Handle file(openEntry(path, FILE_READ_ATTRIBUTES, OPEN_EXISTING));
    if (!file.valid()) {
        return faultOf(Kind::CannotOpen, path, errnoOfLast());
    }
    return judgeEntry(file.get(), path, size);
}

RecoveryFault RecoveryFolder::createPrivate(const std::string& name) const {
    const std::string path = entryPath(name);
    if (!validName(name)) {
        return faultOf(Kind::NotOwnFile, path);
    }
    if (RecoveryFault fault = examine()) {
        return fault;
    }
    {
        const Handle made(openEntry(path, GENERIC_WRITE, CREATE_NEW));
        if (made.valid()) {
            return {};
        }
        if (GetLastError() != ERROR_FILE_EXISTS) {
            return faultOf(Kind::CannotOpen, path, errnoOfLast());
        }
    }
    const Handle existing(openEntry(path, GENERIC_READ, OPEN_EXISTING));
    if (!existing.valid()) {
        return faultOf(Kind::CannotOpen, path, errnoOfLast());
    }
    std::uint64_t size = 0;
    return judgeEntry(existing.get(), path, size);
}

bool RecoveryFolder::remove(const std::string& name) const {
    if (!validName(name)) {
        return false;
    }
    if (DeleteFileW(wideOf(entryPath(name)).c_str()) != 0) {
        return true;
    }
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// --- ProcessIdentity -----------------------------------------------------------------------------

ProcessIdentity ProcessIdentity::current() {
    ProcessIdentity self;
    self.pid = static_cast<long long>(GetCurrentProcessId());
    self.startTicks = creationTicks(GetCurrentProcess());
    return self;
}

bool ProcessIdentity::isRunning() const {
    if (pid <= 0) {
        return false;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) {
        // Another user's process that runs; anything else is gone.
        return GetLastError() == ERROR_ACCESS_DENIED;
    }
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) != 0 && code == STILL_ACTIVE;
    const std::uint64_t created = creationTicks(process);
    CloseHandle(process);
    return running && (startTicks == 0 || created == 0 || created == startTicks);
}

} // namespace vornak
