// How the writer and the table export produce their bytes from any view of a definition
// (DefinitionAccess.h): sized beforehand where the sink keeps them in memory, then made in one
// pass into large blocks, each going to the sink when it is full (a file sink writes it while the
// next is made). Used by DefinitionWriter.cpp only.
#pragma once

#include "DefinitionAccess.h"
#include "ReportDefinition.h"
#include "TextPrefetch.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

namespace vornak::detail {

// The number of bytes of a count or flag line without its line end.
inline std::size_t digitsOf(long long value) {
    std::size_t digits = value < 0 ? 2 : 1;
    for (unsigned long long rest = value < 0 ? 0ull - static_cast<unsigned long long>(value)
                                             : static_cast<unsigned long long>(value);
         rest >= 10; rest /= 10) {
        ++digits;
    }
    return digits;
}

// What the R2 bytes of a definition will take, computed from the texts' sizes alone, for a sink
// that keeps the whole output in memory and takes its room at once.
template <typename D> std::size_t definitionSize(const D& d) {
    std::size_t size = 4; // "R2"
    const auto text = [&size](std::string_view value) { size += value.size() + 2; };
    const auto number = [&size](long long value) { size += digitsOf(value) + 2; };
    for (std::size_t i = 0; i < reportTextNames.size(); ++i) {
        text(d.reportText(i));
    }
    number(static_cast<long long>(d.parameterCount()));
    for (std::size_t p = 0; p < d.parameterCount(); ++p) {
        const auto& record = d.parameter(p);
        text(record.name);
        number(static_cast<std::uint8_t>(record.kind));
        size += 6; // the two flags, 0 or 1, each on its line
        if (record.hasFormula != 0) {
            text(record.formula);
        }
        const auto& rows = record.values;
        number(static_cast<long long>(rows.size()));
        for (std::size_t v = 0; v < rows.size(); ++v) {
            const auto& row = rows[v];
            text(row.value);
            text(row.upperBound);
            text(row.result);
        }
    }
    number(static_cast<long long>(d.resultCount()));
    for (std::size_t r = 0; r < d.resultCount(); ++r) {
        const auto& row = d.result(r);
        text(row.name);
        text(row.result);
    }
    return size;
}

template <typename D> std::size_t tableSize(const D& d) {
    std::size_t size = d.reportText(0).size() + 2;
    for (std::size_t p = 0; p < d.parameterCount(); ++p) {
        const auto& record = d.parameter(p);
        size += std::string_view(record.name).size() + 2 + 2; // the line and the empty one after the rows
        if (record.hasFormula != 0) {
            size += 1 + std::string_view(record.formula).size();
        }
        const auto& rows = record.values;
        for (std::size_t v = 0; v < rows.size(); ++v) {
            const auto& row = rows[v];
            size += std::string_view(row.value).size() + 1 + std::string_view(row.result).size() + 2;
            if (record.kind == ValueKind::Range) {
                size += std::string_view(row.upperBound).size() + 1;
            }
        }
    }
    for (std::size_t r = 0; r < d.resultCount(); ++r) {
        const auto& row = d.result(r);
        size += std::string_view(row.name).size() + 1 + std::string_view(row.result).size() + 2;
    }
    return size;
}

// Line feeds among `bytes`, counted 255 bytes at a time into one byte, which compilers vectorise.
inline std::size_t countLineFeeds(std::string_view bytes) {
    std::size_t count = 0;
    const char* data = bytes.data();
    for (std::size_t left = bytes.size(); left > 0;) {
        const std::size_t step = std::min<std::size_t>(left, 255);
        unsigned char partial = 0;
        for (std::size_t i = 0; i < step; ++i) {
            partial = static_cast<unsigned char>(partial + (data[i] == '\n' ? 1 : 0));
        }
        count += partial;
        data += step;
        left -= step;
    }
    return count;
}

// Produces the output into one block of up to blockBytes, handing it to the sink each time it is
// full: a definition's bytes are produced once, in large pieces, whatever its size.
template <typename Sink> class ByteWriter {
public:
    static constexpr std::size_t blockBytes = 1024 * 1024;

    // `expected` is the output's size as computed beforehand: a smaller output gets a block of
    // its own size. `checkLineFeeds` counts the line feeds written, for allTextsReadBack().
    ByteWriter(Sink& sink, std::size_t expected, bool checkLineFeeds)
        : sink_(sink), capacity_(std::clamp<std::size_t>(expected, 64, blockBytes)),
          block_(new char[capacity_]), checkLineFeeds_(checkLineFeeds) {
        if constexpr (Sink::countsLineFeeds) {
            sink_.countLineFeeds(checkLineFeeds);
        }
    }
    ByteWriter(const ByteWriter&) = delete;
    ByteWriter& operator=(const ByteWriter&) = delete;
    // Without finish() (an exception on the way) the rest is dropped; a block the sink still
    // reads is waited for before the blocks go.
    ~ByteWriter() { sink_.settle(); }

    void line(std::string_view text) {
        this->text(text);
        end();
    }
    void number(long long value) {
        room(24);
        const auto [last, ec] = std::to_chars(block_.get() + used_, block_.get() + used_ + 24, value);
        (void)ec; // 24 bytes hold any long long
        used_ = static_cast<std::size_t>(last - block_.get());
        end();
    }
    // A 0 or 1 flag line.
    void flag(bool set) {
        room(3);
        block_[used_++] = set ? '1' : '0';
        block_[used_++] = '\r';
        block_[used_++] = '\n';
        ++lineEnds_;
    }
    void text(std::string_view value) {
        if (used_ + value.size() > capacity_) {
            flush();
            if (value.size() > capacity_) {
                // Only the table's texts, which no line limit holds, come here.
                account(value);
                sink_(value);
                return;
            }
        }
        std::memcpy(block_.get() + used_, value.data(), value.size());
        used_ += value.size();
    }
    void tab() {
        room(1);
        block_[used_++] = '\t';
    }
    void end() {
        room(2);
        block_[used_++] = '\r';
        block_[used_++] = '\n';
        ++lineEnds_;
    }
    // Hands the block to the sink. A sink that keeps reading a block until its next call gets
    // the two blocks in turn.
    void flush() {
        if (used_ == 0) {
            return;
        }
        const std::string_view bytes(block_.get(), used_);
        account(bytes);
        sink_(bytes);
        used_ = 0;
        if constexpr (Sink::keepsBlocks) {
            if (spare_ == nullptr) {
                spare_.reset(new char[capacity_]);
            }
            std::swap(block_, spare_);
        }
    }
    // Hands on the last block; nothing is written after it.
    void finish() {
        const std::string_view bytes(block_.get(), used_);
        account(bytes);
        sink_.last(bytes);
        used_ = 0;
    }
    // A text line of the definition file, noting a text too long to read back.
    void checkedLine(std::string_view text) {
        tooLong_ = tooLong_ || text.size() > maxLineBytes;
        line(text);
    }
    // Call after the last line: whether every checked text reads back as written. Every line
    // end adds exactly one line feed, so output holding more holds a text with one.
    bool allTextsReadBack() {
        finish();
        std::size_t lineFeeds = lineFeeds_;
        if constexpr (Sink::countsLineFeeds) {
            lineFeeds += sink_.lineFeeds();
        }
        return !tooLong_ && lineFeeds == lineEnds_;
    }

private:
    // Counts the line feeds handed on, unless the sink counts them as it writes.
    void account(std::string_view bytes) {
        if constexpr (!Sink::countsLineFeeds) {
            if (checkLineFeeds_) {
                lineFeeds_ += countLineFeeds(bytes);
            }
        }
    }
    void room(std::size_t bytes) {
        if (used_ + bytes > capacity_) {
            flush();
        }
    }

    Sink& sink_;
    std::size_t capacity_;
    std::unique_ptr<char[]> block_; // not zero-filled: only what was written is handed on
    std::unique_ptr<char[]> spare_; // the block the sink may still be reading
    std::size_t used_ = 0;
    std::size_t lineEnds_ = 0;
    std::size_t lineFeeds_ = 0;
    bool checkLineFeeds_;
    bool tooLong_ = false;
};

// Writes the R2 bytes; false when a text was written that would not read back (the caller then
// throws the output away). `check` false skips looking for such texts.
template <typename D, typename Sink> bool writeDefinition(const D& d, Sink& sink, bool check) {
    const std::size_t size = sink.wantsSize() ? definitionSize(d) : ByteWriter<Sink>::blockBytes;
    sink.expect(size);
    ByteWriter<Sink> out(sink, size, check);
    out.line("R2");
    for (std::size_t i = 0; i < reportTextNames.size(); ++i) {
        out.checkedLine(d.reportText(i));
    }
    out.number(static_cast<long long>(d.parameterCount()));
    for (std::size_t p = 0; p < d.parameterCount(); ++p) {
        const auto& record = d.parameter(p);
        out.checkedLine(record.name);
        out.number(static_cast<std::uint8_t>(record.kind));
        // The format knows only 0 and 1, and the reader turns anything else into 1.
        out.flag(record.isNumber != 0);
        out.flag(record.hasFormula != 0);
        if (record.hasFormula != 0) {
            out.checkedLine(record.formula);
        }
        const auto& rows = record.values;
        out.number(static_cast<long long>(rows.size()));
        for (std::size_t v = 0; v < rows.size(); ++v) {
            const auto& row = rows[v];
            if (v + prefetchDistance < rows.size()) {
                prefetchTexts(rows[v + prefetchDistance]);
            }
            out.checkedLine(row.value);
            out.checkedLine(row.upperBound);
            out.checkedLine(row.result);
        }
    }
    out.number(static_cast<long long>(d.resultCount()));
    for (std::size_t r = 0; r < d.resultCount(); ++r) {
        const auto& row = d.result(r);
        out.checkedLine(row.name);
        out.checkedLine(row.result);
    }
    return out.allTextsReadBack();
}

template <typename D, typename Sink> void writeTable(const D& d, Sink& sink) {
    const std::size_t size = sink.wantsSize() ? tableSize(d) : ByteWriter<Sink>::blockBytes;
    sink.expect(size);
    ByteWriter<Sink> out(sink, size, false);
    out.line(d.reportText(0));
    for (std::size_t p = 0; p < d.parameterCount(); ++p) {
        const auto& record = d.parameter(p);
        out.text(record.name);
        if (record.hasFormula != 0) {
            out.tab();
            out.text(record.formula);
        }
        out.end();
        const auto& rows = record.values;
        for (std::size_t v = 0; v < rows.size(); ++v) {
            const auto& row = rows[v];
            if (v + prefetchDistance < rows.size()) {
                prefetchTexts(rows[v + prefetchDistance]);
            }
            out.text(row.value);
            out.tab();
            if (record.kind == ValueKind::Range) {
                out.text(row.upperBound);
                out.tab();
            }
            out.line(row.result);
        }
        out.end();
    }
    for (std::size_t r = 0; r < d.resultCount(); ++r) {
        const auto& row = d.result(r);
        out.text(row.name);
        out.tab();
        out.line(row.result);
    }
    out.finish();
}

} // namespace vornak::detail
