// Delivers a definition file line by line: a line ends at LF, a CR just before the LF belongs to
// the line end, and a line may hold at most maxLineBytes bytes of text. The input (a file, a pipe,
// a device, or bytes in memory) is read in blocks of a chosen size, so a line never costs a system
// call and memory stays bounded by one block plus one line whatever the input. Bytes that stay
// where they are (a mapped file) are read in place: their lines are views into them.
#pragma once

#include "AtomicFile.h"
#include "FileProblem.h"
#include "HeldBytes.h"
#include "ReportDefinition.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vornak {

class LineSource {
public:
    enum class Status { Line, End, TooLong, ReadError };
    static constexpr std::size_t defaultBlockSize = 256 * 1024;

    // Bytes held by the caller, read block by block exactly as a file would be.
    struct InMemory {
        std::string_view bytes;
    };

    // Opens the file; isOpen() tells whether that worked, problem() and error() why not.
    explicit LineSource(const std::string& path, std::size_t blockSize = defaultBlockSize);
    explicit LineSource(InMemory memory, std::size_t blockSize = defaultBlockSize);
    // Reads the bytes where they lie: lines are views into them, which held() keeps.
    explicit LineSource(std::shared_ptr<const HeldBytes> bytes);
    // Opens the file and, where the system maps it, reads it in place as above; otherwise (a pipe,
    // a device, an empty file) block by block.
    struct InPlace {};
    LineSource(const std::string& path, InPlace);

    bool isOpen() const { return open_; }
    FileProblem problem() const { return problem_; }
    const std::string& error() const { return error_; }
    // The size of the blocks read; for bytes read in place, at most the default (a reader sizes
    // its first room by it).
    std::size_t blockSize() const { return blockSize_; }
    // The bytes read in place, or nothing when lines are copied out of blocks.
    const std::shared_ptr<const HeldBytes>& held() const { return held_; }

    // Reads the next line into `line`. Anything but Line leaves the source failed for good; a line
    // that is too long delivers its first maxLineBytes bytes.
    Status next(std::string& line) {
        if (const std::optional<std::string_view> whole = takeWholeLine()) [[likely]] {
            line.assign(whole->data(), whole->size());
            return Status::Line;
        }
        return nextAcrossBlocks(line);
    }
    // The same without a copy: `line` shows the text in the source's block (or, for a line that
    // ran past a block, in a buffer of its own) until the next call.
    Status next(std::string_view& line) {
        if (const std::optional<std::string_view> whole = takeWholeLine()) [[likely]] {
            line = *whole;
            return Status::Line;
        }
        const Status status = nextAcrossBlocks(spanning_);
        line = spanning_;
        return status;
    }
    // 1-based number of the line that next() delivered last (or failed on).
    int lineNumber() const { return lineNumber_; }

private:
    // Nearly every line lies whole in the block and is taken in one step, here; a line that runs
    // past the block or is too long, and the end of the input, go the long way.
    std::optional<std::string_view> takeWholeLine() {
        if (failed_ || pos_ >= end_) {
            return std::nullopt;
        }
        const char* start = data_ + pos_;
#if defined(__GNUC__)
        // Bytes read in place come from memory the copy into a block did not warm: ask ahead.
        __builtin_prefetch(start + 1024);
#endif
        // Far enough for the longest text, its CR and its LF.
        const auto* newline =
            static_cast<const char*>(std::memchr(start, '\n', std::min(end_ - pos_, maxLineBytes + 2)));
        if (newline == nullptr) {
            return std::nullopt;
        }
        const auto take = static_cast<std::size_t>(newline - start);
        const std::size_t text = take > 0 && newline[-1] == '\r' ? take - 1 : take;
        if (text > maxLineBytes) {
            return std::nullopt;
        }
        ++lineNumber_;
        pos_ += take + 1;
        return std::string_view(start, text);
    }
    Status nextAcrossBlocks(std::string& line);
    bool refill();
    void readInPlace(std::shared_ptr<const HeldBytes> bytes);
    Status tooLong(std::string& line);

    std::unique_ptr<InputFile> file_;
    std::string_view memory_;
    std::size_t memoryPos_ = 0;
    bool open_ = false;
    bool failed_ = false;
    bool eof_ = false;
    std::unique_ptr<char[]> block_; // not zero-filled: only what was read is ever looked at
    std::shared_ptr<const HeldBytes> held_;
    const char* data_ = nullptr; // the block, or the held bytes
    std::size_t blockSize_ = 0;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    int lineNumber_ = 0;
    FileProblem problem_ = FileProblem::None;
    std::string error_;
    std::string spanning_; // a line that ran past a block, for next(std::string_view&)
};

// The error of a read whose bytes, read in place, were cut short by another program meanwhile.
LoadError cutWhileReadError();

// Reads a number as C's atoi does (leading white space, optional sign, digits up to the first other
// byte, 0 when there are none), saturating at the int range instead of overflowing.
int parseLeadingInt(std::string_view text);

} // namespace vornak
