// The core's only OS calls: create a fresh file beside the target, push it to disk, and move it
// into the target's place in one step.
#include "AtomicFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vornak {
namespace {

std::atomic<long long> writeLimit{-1};

std::string folderOf(const std::string& path) {
#ifdef _WIN32
    const auto slash = path.find_last_of("\\/:");
#else
    const auto slash = path.find_last_of('/');
#endif
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string systemReason(int error) {
    std::string text = std::strerror(error);
    return text.empty() ? "error " + std::to_string(error) : text;
}

// Opens a new file that did not exist before ("x" mode), named after the target so that a file
// left by a crash is easy to recognise.
std::FILE* createTemporaryBeside(const std::string& path, std::string& tempPath, std::string& error) {
    static std::mt19937_64 random(
        static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()));
    const std::string folder = folderOf(path);
    const std::string name = path.substr(folder.size());
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".%012llx.tmp",
                      static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
        tempPath = folder + "." + name + suffix;
        errno = 0;
        if (std::FILE* file = std::fopen(tempPath.c_str(), "wbx")) {
            return file;
        }
        if (errno != EEXIST) {
            error = "cannot create a file in the folder: " + systemReason(errno);
            return nullptr;
        }
    }
    error = "cannot find a free temporary name in the folder";
    return nullptr;
}

bool flushToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) {
        return false;
    }
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

bool moveIntoPlace(const std::string& from, const std::string& to) {
#ifdef _WIN32
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

// Keeps the permissions of the file being replaced, so a save does not change who may read it.
void copyPermissions(const std::string& from, const std::string& to) {
#ifndef _WIN32
    struct stat existing {};
    if (::stat(from.c_str(), &existing) == 0) {
        ::chmod(to.c_str(), existing.st_mode & 07777);
    }
#else
    (void)from;
    (void)to;
#endif
}

} // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& path) : path_(path) {
    if (path.empty()) {
        failed_ = true;
        error_ = "no file name was given";
        return;
    }
    file_ = createTemporaryBeside(path, tempPath_, error_);
    failed_ = file_ == nullptr;
    if (file_ != nullptr) {
        // Callers hand over large blocks; a stdio buffer would only add a copy and a system call.
        std::setvbuf(file_, nullptr, _IONBF, 0);
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    if (!committed_) {
        discard();
    }
}

void AtomicFileWriter::fail(const std::string& what, int error) {
    if (!failed_) {
        failed_ = true;
        error_ = what + ": " + systemReason(error != 0 ? error : EIO);
    }
    discard();
}

void AtomicFileWriter::discard() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!tempPath_.empty()) {
        std::remove(tempPath_.c_str());
        tempPath_.clear();
    }
}

bool AtomicFileWriter::write(std::string_view bytes) {
    if (failed_) {
        return false;
    }
    const long long limit = writeLimit.load();
    if (limit >= 0 && written_ + bytes.size() > static_cast<std::size_t>(limit)) {
        // Write what "fits", then fail as a full disk would.
        std::fwrite(bytes.data(), 1, static_cast<std::size_t>(limit) - std::min<std::size_t>(written_, limit),
                    file_);
        fail("writing the file failed", ENOSPC);
        return false;
    }
    errno = 0;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        fail("writing the file failed", errno);
        return false;
    }
    written_ += bytes.size();
    return true;
}

bool AtomicFileWriter::commit() {
    if (failed_) {
        return false;
    }
    errno = 0;
    if (!flushToDisk(file_)) {
        fail("writing the file failed", errno);
        return false;
    }
    std::FILE* file = file_;
    file_ = nullptr;
    errno = 0;
    if (std::fclose(file) != 0) {
        fail("closing the file failed", errno);
        return false;
    }
    copyPermissions(path_, tempPath_);
    errno = 0;
    if (!moveIntoPlace(tempPath_, path_)) {
        fail("cannot replace the file", errno);
        return false;
    }
    tempPath_.clear();
    committed_ = true;
    return true;
}

bool replaceFileContents(const std::string& path, std::string_view bytes, std::string& error) {
    AtomicFileWriter writer(path);
    const bool ok = writer.write(bytes) && writer.commit();
    error = writer.error();
    return ok;
}

void failFileWritesAfter(std::optional<std::size_t> bytes) {
    writeLimit.store(bytes ? static_cast<long long>(*bytes) : -1);
}

} // namespace vornak
