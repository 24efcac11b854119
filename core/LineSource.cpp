#include "LineSource.h"

#include "FileMapping.h"
#include "ReportDefinition.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace vornak {

LineSource::LineSource(const std::string& path, std::size_t blockSize)
    : file_(std::make_unique<InputFile>(path)), block_(new char[std::max<std::size_t>(blockSize, 1)]),
      blockSize_(std::max<std::size_t>(blockSize, 1)) {
    data_ = block_.get();
    open_ = file_->isOpen();
    problem_ = file_->problem();
    error_ = file_->error();
}

LineSource::LineSource(InMemory memory, std::size_t blockSize)
    : memory_(memory.bytes), open_(true), block_(new char[std::max<std::size_t>(blockSize, 1)]),
      blockSize_(std::max<std::size_t>(blockSize, 1)) {
    data_ = block_.get();
}

LineSource::LineSource(std::shared_ptr<const HeldBytes> bytes) : open_(true) {
    readInPlace(std::move(bytes));
}

LineSource::LineSource(const std::string& path, InPlace) : LineSource(path) {
    if (!open_ || !file_->size()) {
        return;
    }
    if (std::shared_ptr<const FileMapping> mapping = file_->map()) {
        file_.reset();
        block_.reset();
        readInPlace(std::move(mapping));
    }
}

void LineSource::readInPlace(std::shared_ptr<const HeldBytes> bytes) {
    held_ = std::move(bytes);
    const std::string_view all = held_ ? held_->bytes() : std::string_view();
    data_ = all.data();
    pos_ = 0;
    end_ = all.size();
    // What a reader may take as proven by one block: never the whole of a huge (perhaps sparse) file.
    blockSize_ = std::min(all.size(), defaultBlockSize);
    eof_ = true; // nothing more to read: every byte is in the one block
}

bool LineSource::refill() {
    if (eof_ || !open_) {
        return false;
    }
    std::size_t got = 0;
    if (file_) {
        const long long n = file_->read(block_.get(), blockSize_);
        if (n < 0) {
            failed_ = true;
            problem_ = file_->problem();
            error_ = file_->error();
            return false;
        }
        got = static_cast<std::size_t>(n);
    } else {
        got = std::min(blockSize_, memory_.size() - memoryPos_);
        std::memcpy(block_.get(), memory_.data() + memoryPos_, got);
        memoryPos_ += got;
    }
    // A pipe may deliver less than asked for before its end: only an empty read is the end.
    if (got == 0) {
        eof_ = true;
    }
    pos_ = 0;
    end_ = got;
    return got > 0;
}

LineSource::Status LineSource::nextAcrossBlocks(std::string& line) {
    line.clear();
    if (failed_) {
        return Status::ReadError;
    }
    ++lineNumber_;
    // One byte more than the longest text, for the CR that may precede the LF.
    constexpr std::size_t longestWithCr = maxLineBytes + 1;
    bool sawBytes = false;
    for (;;) {
        if (pos_ == end_ && !refill()) {
            if (failed_) {
                return Status::ReadError;
            }
            if (!sawBytes) {
                failed_ = true;
                return Status::End;
            }
            // The last line has no line end: it is still a line, CR and all.
            if (line.size() > maxLineBytes) {
                return tooLong(line);
            }
            return Status::Line;
        }
        sawBytes = true;
        const char* start = data_ + pos_;
        const std::size_t available = end_ - pos_;
        const void* newline = std::memchr(start, '\n', available);
        const std::size_t take =
            newline ? static_cast<std::size_t>(static_cast<const char*>(newline) - start) : available;
        if (line.size() + take > longestWithCr) {
            line.append(start, longestWithCr - line.size());
            return tooLong(line);
        }
        line.append(start, take);
        pos_ += take;
        if (newline) {
            ++pos_;
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (line.size() > maxLineBytes) {
                return tooLong(line);
            }
            return Status::Line;
        }
    }
}

LineSource::Status LineSource::tooLong(std::string& line) {
    // Always the line's first bytes, however the input was cut into blocks.
    line.resize(maxLineBytes);
    failed_ = true;
    return Status::TooLong;
}

LoadError cutWhileReadError() {
    return {0, "the file was cut short by another program while it was read", FileProblem::ReadFailed};
}

int parseLeadingInt(std::string_view text) {
    std::size_t i = 0;
    const auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (i < text.size() && isSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value >= limit) {
            value = limit;
            // Keep consuming digits without growing further.
        }
    }
    return static_cast<int>(negative ? -value : value);
}

} // namespace vornak
