// The core's file access on Windows: names are UTF-8 and go to the system as UTF-16. A file is
// replaced through a new file in the same folder that is flushed and then put in place in one
// step, keeping the old file's attributes and security; a read-only file is refused; links with
// several names and files whose folder takes no new file are written in place; pipes and devices
// are written as they come.
#include "AtomicFile.h"
#include "Utf16.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#ifndef ERROR_DISK_QUOTA_EXCEEDED
#define ERROR_DISK_QUOTA_EXCEEDED 1295L // not in every set of Windows headers
#endif

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <mutex>
#include <new>
#include <random>
#include <utility>

namespace vornak {
namespace {

std::atomic<long long> writeLimit{-1};
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

std::wstring wide(const std::string& utf8) {
    const std::u16string text = utf8ToUtf16(utf8);
    return std::wstring(text.begin(), text.end());
}

// The system's English sentence for an error, without its final full stop.
std::string systemReason(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    DWORD length = FormatMessageW(flags, nullptr, error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                  reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0) {
        length = FormatMessageW(flags, nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    }
    std::string reason;
    if (length != 0 && text != nullptr) {
        reason = utf16ToUtf8(std::u16string(text, text + length));
    }
    if (text != nullptr) {
        LocalFree(text);
    }
    while (!reason.empty() &&
           (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ' || reason.back() == '.')) {
        reason.pop_back();
    }
    if (!reason.empty() && reason.front() >= 'A' && reason.front() <= 'Z') {
        reason.front() = static_cast<char>(reason.front() - 'A' + 'a');
    }
    return reason.empty() ? "error " + std::to_string(error) : reason;
}

bool isNotFound(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DIRECTORY:
        return true;
    default:
        return false;
    }
}

// The kind of problem behind a system error while writing (`existing`: the target exists).
FileProblem writeProblemOf(DWORD error, bool existing) {
    if (isNotFound(error)) {
        return FileProblem::NotFound;
    }
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return existing ? FileProblem::ReadOnly : FileProblem::AccessDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return FileProblem::AccessDenied;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
        return FileProblem::NameTooLong;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_QUOTA_EXCEEDED:
        return FileProblem::NoSpace;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return FileProblem::NotEnoughMemory;
    default:
        return FileProblem::WriteFailed;
    }
}

FileProblem readProblemOf(DWORD error) {
    if (isNotFound(error)) {
        return FileProblem::NotFound;
    }
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return FileProblem::AccessDenied;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
        return FileProblem::NameTooLong;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return FileProblem::NotEnoughMemory;
    default:
        return FileProblem::ReadFailed;
    }
}

std::string readReason(DWORD error) {
    switch (readProblemOf(error)) {
    case FileProblem::NotFound:
        return "the file cannot be opened: it does not exist";
    case FileProblem::AccessDenied:
        return error == ERROR_ACCESS_DENIED ? "the file cannot be opened: access is denied"
                                            : "the file cannot be opened: another program is using it";
    case FileProblem::NameTooLong:
        return "the file cannot be opened: its name is too long";
    case FileProblem::NotEnoughMemory:
        return "not enough memory";
    default:
        return "the file cannot be opened: " + systemReason(error);
    }
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

} // namespace

struct AtomicFileWriter::Os {
    std::wstring target;
    std::wstring temporary;
    std::wstring folder; // the target's, with its final separator
    HANDLE handle = INVALID_HANDLE_VALUE;
    bool existing = false;
    DWORD attributes = 0; // the old file's
    int cleanupSlot = -1;

    ~Os() {
        closeHandle(handle);
        removeTemporary();
    }

    void removeTemporary() {
        if (!temporary.empty()) {
            DeleteFileW(temporary.c_str());
            temporary.clear();
        }
        unregisterTemporary(cleanupSlot);
        cleanupSlot = -1;
    }
};

AtomicFileWriter::AtomicFileWriter(const std::string& path) : path_(path) {
    if (path.empty()) {
        failWith(FileProblem::NoFileName, "no file name was given");
        return;
    }
    os_ = std::make_unique<Os>();
    const std::wstring given = wide(path);
    const DWORD attributes = GetFileAttributesW(given.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (!exists) {
        const DWORD error = GetLastError();
        if (error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_DRIVE || error == ERROR_BAD_NETPATH) {
            fail(FileProblem::NotFound, "cannot write the file", error);
            return;
        }
        if (error != ERROR_FILE_NOT_FOUND) {
            // Device names ("NUL", "CON", "\\.\pipe\...") have no attributes but open.
            os_->handle = CreateFileW(given.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (os_->handle == INVALID_HANDLE_VALUE) {
                fail(writeProblemOf(error, false), "cannot write the file", error);
                return;
            }
            if (GetFileType(os_->handle) != FILE_TYPE_DISK) {
                mode_ = Mode::Stream;
                return;
            }
            closeHandle(os_->handle);
        }
    }
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        failWith(FileProblem::IsFolder, "the path names a folder, not a file");
        return;
    }
    os_->target = exists ? resolveLinks(given, attributes) : given;
    os_->existing = exists;

    if (exists) {
        const DWORD targetAttributes = GetFileAttributesW(os_->target.c_str());
        if (targetAttributes != INVALID_FILE_ATTRIBUTES &&
            (targetAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
            failWith(FileProblem::ReadOnly, "the file is read-only");
            return;
        }
        // The check the system makes when the file is opened for writing; its security may
        // forbid what its attributes allow.
        os_->handle = CreateFileW(os_->target.c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (os_->handle == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            if (error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT) {
                failWith(FileProblem::ReadOnly, "the file is read-only");
            } else if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
                failWith(FileProblem::AccessDenied, "another program is using the file");
            } else {
                fail(writeProblemOf(error, true), "cannot write the file", error);
            }
            return;
        }
        if (GetFileType(os_->handle) != FILE_TYPE_DISK) {
            mode_ = Mode::Stream;
            return;
        }
        BY_HANDLE_FILE_INFORMATION info{};
        if (GetFileInformationByHandle(os_->handle, &info)) {
            os_->attributes = info.dwFileAttributes;
        }
        if (info.nNumberOfLinks > 1) {
            // A new file would take this name away from the others.
            mode_ = Mode::InPlace;
            return;
        }
        closeHandle(os_->handle);
    }

    // Everything that allocates comes before the file exists, so that running out of memory can
    // never leave it behind.
    os_->folder = folderOf(os_->target);
    for (int attempt = 0; attempt < 16; ++attempt) {
        os_->temporary = temporaryPath(os_->target);
        // Delete sharing lets the Ctrl+C handler remove it while it is still open.
        os_->handle = CreateFileW(os_->temporary.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (os_->handle != INVALID_HANDLE_VALUE) {
            os_->cleanupSlot = registerTemporary(os_->temporary);
            return;
        }
        os_->temporary.clear();
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
            continue;
        }
        if (exists && (error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT)) {
            // The folder takes no new file, but the file itself may be written.
            switchToInPlace();
        } else {
            fail(writeProblemOf(error, false), "cannot create a file in the folder", error);
        }
        return;
    }
    fail(FileProblem::WriteFailed, "cannot find a free temporary name in the folder", ERROR_FILE_EXISTS);
}

AtomicFileWriter::~AtomicFileWriter() {
    discard();
}

void AtomicFileWriter::switchToInPlace() {
    closeHandle(os_->handle);
    os_->removeTemporary();
    mode_ = Mode::InPlace;
    // Opened now so that a refusal comes before any work; cut to size only once all is ready.
    os_->handle = CreateFileW(os_->target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (os_->handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        fail(writeProblemOf(error, true), "cannot open the file for writing", error);
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
    const DWORD code = error != 0 ? static_cast<DWORD>(error) : static_cast<DWORD>(ERROR_WRITE_FAULT);
    std::string reason;
    switch (problem) {
    case FileProblem::NoSpace:
        reason = "the disk is full";
        break;
    case FileProblem::NotFound:
        reason = "the folder does not exist";
        break;
    case FileProblem::IsFolder:
        reason = "the path names a folder, not a file";
        break;
    case FileProblem::ReadOnly:
        reason = "the file is read-only";
        break;
    case FileProblem::NameTooLong:
        reason = "the file name is too long";
        break;
    case FileProblem::NotEnoughMemory:
        reason = "not enough memory";
        break;
    default:
        reason = what;
        break;
    }
    failWith(problem, reason + ": " + systemReason(code));
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
    DWORD error = 0;
    if (!writeAll(os_->handle, bytes.data(), bytes.size(), error)) {
        fail(writeProblemOf(error, false), "writing the file failed", static_cast<int>(error));
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
        fail(FileProblem::NoSpace, "writing the file failed", ERROR_DISK_FULL);
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
    if (!FlushFileBuffers(os_->handle)) {
        const DWORD error = GetLastError();
        fail(writeProblemOf(error, false), "writing the file failed", static_cast<int>(error));
        return false;
    }
    notify(FileStep::SyncedFile, written_);
    closeHandle(os_->handle);
    if (os_->existing) {
        // The replace keeps the old file's attributes, security and creation time; the attributes
        // are also given to the new file beforehand, for file systems whose replace does not.
        constexpr DWORD kept = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                               FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        if ((os_->attributes & kept) != 0) {
            SetFileAttributesW(os_->temporary.c_str(), os_->attributes & kept);
        }
        if (!ReplaceFileW(os_->target.c_str(), os_->temporary.c_str(), nullptr,
                          REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
            const DWORD error = GetLastError();
            fail(writeProblemOf(error, true), "cannot replace the file", static_cast<int>(error));
            return false;
        }
    } else if (!MoveFileExW(os_->temporary.c_str(), os_->target.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        fail(writeProblemOf(error, false), "cannot replace the file", static_cast<int>(error));
        return false;
    }
    os_->temporary.clear();
    unregisterTemporary(os_->cleanupSlot);
    os_->cleanupSlot = -1;
    notify(FileStep::Replaced, written_);
    // The folder's entry: flushed where the file system allows a folder to be flushed.
    HANDLE folderHandle = CreateFileW(os_->folder.empty() ? L"." : os_->folder.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folderHandle != INVALID_HANDLE_VALUE) {
        if (FlushFileBuffers(folderHandle)) {
            notify(FileStep::SyncedFolder, written_);
        }
        CloseHandle(folderHandle);
    }
    return true;
}

bool AtomicFileWriter::commitInPlace() {
    HANDLE handle = os_->handle;
    LARGE_INTEGER oldSize{};
    if (!GetFileSizeEx(handle, &oldSize)) {
        const DWORD error = GetLastError();
        fail(writeProblemOf(error, true), "writing the file failed", static_cast<int>(error));
        return false;
    }
    LARGE_INTEGER newSize{};
    newSize.QuadPart = static_cast<LONGLONG>(buffer_.size());
    // The space first: a full disk then leaves the old content as it was.
    if (newSize.QuadPart > oldSize.QuadPart) {
        if (!SetFilePointerEx(handle, newSize, nullptr, FILE_BEGIN) || !SetEndOfFile(handle)) {
            const DWORD error = GetLastError();
            SetFilePointerEx(handle, oldSize, nullptr, FILE_BEGIN);
            SetEndOfFile(handle);
            fail(writeProblemOf(error, true), "writing the file failed", static_cast<int>(error));
            return false;
        }
    }
    const LARGE_INTEGER start{};
    DWORD error = 0;
    bool ok = SetFilePointerEx(handle, start, nullptr, FILE_BEGIN) != 0;
    ok = ok && writeAll(handle, buffer_.data(), buffer_.size(), error);
    ok = ok && SetFilePointerEx(handle, newSize, nullptr, FILE_BEGIN) && SetEndOfFile(handle);
    ok = ok && FlushFileBuffers(handle);
    if (!ok) {
        if (error == 0) {
            error = GetLastError();
        }
        fail(writeProblemOf(error, true), "writing the file failed", static_cast<int>(error));
        return false;
    }
    notify(FileStep::WroteInPlace, written_);
    return true;
}

bool AtomicFileWriter::commitStream() {
    // Pipes and consoles cannot be flushed to a disk; closing is what finishes them.
    if (!CloseHandle(os_->handle)) {
        os_->handle = INVALID_HANDLE_VALUE;
        const DWORD error = GetLastError();
        fail(writeProblemOf(error, false), "closing the file failed", static_cast<int>(error));
        return false;
    }
    os_->handle = INVALID_HANDLE_VALUE;
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
    static bool installed = false;
    std::call_once(once, [] { installed = SetConsoleCtrlHandler(cleanupHandler, TRUE) != 0; });
    return installed;
}

// ---------------------------------------------------------------------------------------------

InputFile::InputFile(const std::string& path) {
    if (path.empty()) {
        problem_ = FileProblem::NoFileName;
        error_ = "no file name was given";
        return;
    }
    const std::wstring name = wide(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        open_ = false;
        problem_ = FileProblem::IsFolder;
        error_ = "the path names a folder, not a file";
        return;
    }
    // Others may go on reading and writing it: the editor reads what is there at this moment.
    HANDLE handle =
        CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        fail(static_cast<int>(GetLastError()));
        return;
    }
    handle_ = reinterpret_cast<std::intptr_t>(handle);
    if (GetFileType(handle) == FILE_TYPE_DISK) {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(handle, &size)) {
            fail(static_cast<int>(GetLastError()));
            return;
        }
        size_ = static_cast<std::size_t>(size.QuadPart);
    }
    open_ = true;
}

InputFile::~InputFile() {
    if (handle_ != -1) {
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
    }
}

void InputFile::fail(int error) {
    open_ = false;
    problem_ = readProblemOf(static_cast<DWORD>(error));
    error_ = readReason(static_cast<DWORD>(error));
}

long long InputFile::read(char* buffer, std::size_t size) {
    if (!open_) {
        return -1;
    }
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(handle_), buffer, chunk, &got, nullptr)) {
        const DWORD error = GetLastError();
        if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) {
            return 0; // the writing end of a pipe has closed: the end of the input
        }
        problem_ = error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY
                       ? FileProblem::NotEnoughMemory
                       : FileProblem::ReadFailed;
        error_ = "reading the file failed: " + systemReason(error);
        return -1;
    }
    return static_cast<long long>(got);
}

// ---------------------------------------------------------------------------------------------

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

// Windows has no unnamed files: every save goes through a named temporary file.
void allowUnnamedTemporaryFiles(bool) {
}

} // namespace vornak
