// Writing a file so that the previous one survives any failure: the bytes go to a new file in the
// same folder, which is flushed to disk and only then put in the target's place. The only OS calls
// of the core live behind this header.
#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace vornak {

// Streams a file's new content beside it; commit() puts it in the target's place. Destroying the
// writer without a successful commit removes the new file and leaves the target as it was.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const std::string& path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // False once anything has failed; later writes then do nothing.
    bool write(std::string_view bytes);
    // Flushes to disk, closes and replaces the target. True only when every step worked.
    bool commit();
    // Why the writer failed; empty while it has not.
    const std::string& error() const { return error_; }

private:
    void fail(const std::string& what, int error);
    void discard();

    std::string path_;
    std::string tempPath_;
    std::FILE* file_ = nullptr;
    std::size_t written_ = 0;
    bool failed_ = false;
    bool committed_ = false;
    std::string error_;
};

// Returns true when every byte reached the disk and the target was replaced. On false, `error`
// says why, the old target is as it was and no temporary file is left behind.
bool replaceFileContents(const std::string& path, std::string_view bytes, std::string& error);

// Test seam: when set, the write that would take a file past this many bytes fails, as a full
// disk would. Process-wide; reset with std::nullopt.
void failFileWritesAfter(std::optional<std::size_t> bytes);

} // namespace vornak
