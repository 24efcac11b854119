// The core's file access: writing a file the way careful editors do, so that the previous file
// survives any failure and keeps its link, owner, mode and attributes, and reading a file, pipe or
// device block by block (InputFile.h). The only OS calls of the core live behind this header; how
// they are split by system is told in FileTarget.h.
#pragma once

#include "FileProblem.h"
#include "InputFile.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vornak {

namespace detail {
class FileTarget;
struct FileFailure;
} // namespace detail

// The steps of a save as they happen.
enum class FileStep { Wrote, SyncedFile, Replaced, SyncedFolder, WroteInPlace };

// What a caller (a test, as a rule) may ask of one writer beyond writing the file.
struct FileWriteHooks {
    // When set, the write that would take the file past this many bytes fails, as a full disk
    // would: the bytes that fit are written, then the writer fails with NoSpace.
    std::optional<std::size_t> failAfter;
    // Hears each step with the number of bytes written so far.
    std::function<void(FileStep step, std::size_t bytes)> observer;
    // False makes a replace use a named temporary file even where the system has unnamed ones.
    bool allowUnnamed = true;
};

// Streams a file's new content; commit() puts it in place. Destroying the writer without a
// successful commit leaves the target as it was and no temporary file behind.
//
// How the target is written:
// - A symbolic link is followed to the file it finally names (a dangling link creates that file);
//   the link stays a link.
// - A regular file, or a new one, is replaced: the content goes to a new file in the same folder
//   (unnamed until the end where the system allows), readable by its owner only while it is
//   written; it gets the old file's owner, group, extended attributes (ACLs included) and mode
//   (a new file those that any file created in that folder gets: the folder's default ACL, or
//   else 0666 without the umask), is flushed to disk, takes the target's name in one step, and
//   then the folder is flushed.
// - A regular file with several hard links, one whose owner or group the user may not give a new
//   file, one reached through /proc, or one in a folder where no new file can be created is
//   written in place: the new content is collected in memory first, its space reserved, and only
//   then written over the old content. A failure before that point leaves the old file whole.
// - Anything else that is not a folder (a pipe, a device) is opened for writing and written as it
//   comes, with no temporary file and no rename.
// - A file that the user may not write to is refused as read-only, and nothing is changed.
class AtomicFileWriter {
public:
    enum class Mode { Replace, InPlace, Stream };

    explicit AtomicFileWriter(const std::string& path, FileWriteHooks hooks = {});
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // False once anything has failed; later writes then do nothing.
    bool write(std::string_view bytes);
    // Says how many bytes are coming, so that a write in place takes its memory at once; a
    // wrong guess costs only time.
    void expectSize(std::size_t bytes);
    // Finishes the file as described above. True only when every step worked.
    bool commit();
    // Why the writer failed; empty while it has not.
    const std::string& error() const { return error_; }
    FileProblem problem() const { return problem_; }
    Mode mode() const { return mode_; }

private:
    void failWith(FileProblem problem, std::string reason);
    void fail(const detail::FileFailure& failure);
    void discard();
    bool writeOut(std::string_view bytes);
    void report(FileStep step);

    FileWriteHooks hooks_;
    std::unique_ptr<detail::FileTarget> target_; // freed even when the constructor throws
    Mode mode_ = Mode::Replace;
    std::string buffer_; // the whole content, in place only
    std::size_t written_ = 0;
    bool failed_ = false;
    bool committed_ = false;
    FileProblem problem_ = FileProblem::None;
    std::string error_;
};

// Returns true when every byte reached the disk and the target was replaced. On false, `error`
// says why, the old target is as it was and no temporary file is left behind.
bool replaceFileContents(const std::string& path, std::string_view bytes, std::string& error);

// Makes SIGINT, SIGTERM and SIGHUP remove the named temporary files of saves in progress before
// the process ends: the handler unlinks the preallocated names (async-signal-safe) and then runs
// the handler that was installed before, or ends the process with the signal's default action.
// Signals the process ignores stay ignored. Call once at start-up, after installing any handler of
// your own; later calls do nothing. Returns false where the system has no such signals.
bool installTemporaryFileCleanup();

} // namespace vornak
