// The boundary between the portable file layer and the operating system. AtomicFileWriter and
// InputFile (AtomicFile.cpp, InputFile.cpp) keep the rules every system shares: the write limit
// and step reports a caller passes in, the in-memory copy of an in-place write, the error texts.
// Everything that calls the system lives in one source per system, which provides what this
// header declares:
//   PosixFile.cpp    Linux and the other POSIX systems (with PosixAttributes.cpp for modes and
//                    ACLs, TemporaryCleanup.cpp for signals)
//   WindowsFile.cpp  Windows (its Ctrl+C handler removes temporary files too)
// Each also defines identifyFile() (FileIdentity.h).
// Exactly one of them is compiled (core/CMakeLists.txt chooses). Errors cross this boundary as
// errno values, so that FileErrors.cpp words them the same way on every system.
#pragma once

#include "AtomicFile.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vornak::detail {

// Why a step failed: the kind of problem, what was being done ("cannot open the folder") and the
// system's error number. With error 0, `what` is the whole reason ("the file is read-only").
struct FileFailure {
    FileProblem problem = FileProblem::None;
    std::string what;
    int error = 0;
};

// One file being written, opened as AtomicFileWriter describes. Destroying it before a successful
// commit leaves the target as it was and no temporary file behind.
class FileTarget {
public:
    virtual ~FileTarget() = default;
    FileTarget() = default;
    FileTarget(const FileTarget&) = delete;
    FileTarget& operator=(const FileTarget&) = delete;

    // Decided when the target is opened, and fixed from then on.
    virtual AtomicFileWriter::Mode mode() const = 0;
    // Replace and Stream: the next bytes of the content, written at once. Not called in place.
    virtual bool write(std::string_view bytes, FileFailure& failure) = 0;
    // Finishes the file. Replace: the old file's owner, group, attributes and mode (a new file's
    // as the folder gives them), flush, rename over the target, flush the folder. InPlace:
    // `content` is the whole new content, written over the old once its space is reserved.
    // Stream: closes. `step` hears each durable step as it is done.
    virtual bool commit(std::string_view content, const std::function<void(FileStep)>& step,
                        FileFailure& failure) = 0;
};

// Opens `path` for writing. Null with `failure` set when the file cannot be written; nothing is
// changed then. `allowUnnamed` false makes a replace use a named temporary file even where the
// system has unnamed ones.
std::unique_ptr<FileTarget> openFileTarget(const std::string& path, bool allowUnnamed, FileFailure& failure);

// Reading: a handle to a file open for reading, or -1 with `error` set. `size` gets a regular
// file's size, nothing for pipes and devices; a folder is refused with EISDIR.
std::intptr_t openInput(const std::string& path, std::optional<std::size_t>& size, int& error);
// Up to `size` bytes; 0 at the end, -1 with `error` set on failure (interruptions are retried).
long long readInput(std::intptr_t handle, char* buffer, std::size_t size, int& error);
void closeInput(std::intptr_t handle);

// Portable helpers the system files share (AtomicFile.cpp).
// The folder part of a path, with its trailing separator; "" for a bare name.
std::string folderOf(const std::string& path);
// ".<name>.<random tag>.tmp", `name` shortened so that the whole fits within `nameMax` bytes.
std::string temporaryName(const std::string& name, std::size_t nameMax);

} // namespace vornak::detail
