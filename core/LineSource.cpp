#include "LineSource.h"

#include "ReportDefinition.h"

#include <climits>
#include <cstring>

namespace vornak {

LineSource::LineSource(const std::string& path, std::size_t blockSize) : block_(blockSize) {
    file_.open(path, std::ios::binary);
    open_ = file_.is_open();
    if (open_) {
        file_.seekg(0, std::ios::end);
        const auto size = file_.tellg();
        fileSize_ = size > 0 ? static_cast<std::size_t>(size) : 0;
        file_.seekg(0, std::ios::beg);
        if (!file_) {
            open_ = false;
        }
    }
}

std::size_t LineSource::bytesLeft() const {
    return fileSize_ > consumed_ ? fileSize_ - consumed_ : 0;
}

bool LineSource::refill() {
    if (eof_) {
        return false;
    }
    file_.read(block_.data(), static_cast<std::streamsize>(block_.size()));
    const auto got = static_cast<std::size_t>(file_.gcount());
    if (file_.bad()) {
        failed_ = true;
        return false;
    }
    if (got < block_.size()) {
        eof_ = true;
    }
    pos_ = 0;
    end_ = got;
    return got > 0;
}

LineSource::Status LineSource::next(std::string& line) {
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
                failed_ = true;
                return Status::TooLong;
            }
            return Status::Line;
        }
        sawBytes = true;
        const char* start = block_.data() + pos_;
        const std::size_t available = end_ - pos_;
        const void* newline = std::memchr(start, '\n', available);
        const std::size_t take =
            newline ? static_cast<std::size_t>(static_cast<const char*>(newline) - start) : available;
        if (line.size() + take > longestWithCr) {
            failed_ = true;
            return Status::TooLong;
        }
        line.append(start, take);
        pos_ += take;
        consumed_ += take;
        if (newline) {
            ++pos_;
            ++consumed_;
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (line.size() > maxLineBytes) {
                failed_ = true;
                return Status::TooLong;
            }
            return Status::Line;
        }
    }
}

int parseLeadingInt(const std::string& text) {
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
