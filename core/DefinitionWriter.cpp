// The R2 writer and the tab-separated table export. Both stream through AtomicFileWriter, so a
// failure never leaves a half-written file in the target's place.
#include "AtomicFile.h"
#include "ReportDefinition.h"

#include <charconv>
#include <cstring>
#include <string_view>

namespace vornak {
namespace {

// Collects output in a fixed block and hands each full block to the sink, so that writing a large
// definition needs neither a second pass to size a buffer nor the whole file in memory.
template <typename Sink> class ByteWriter {
public:
    explicit ByteWriter(Sink& sink) : sink_(sink) {}
    ByteWriter(const ByteWriter&) = delete;
    ByteWriter& operator=(const ByteWriter&) = delete;
    ~ByteWriter() { flush(); }

    void line(std::string_view text) {
        text_(text);
        end();
    }
    void number(long long value) {
        char digits[24];
        const auto [last, ec] = std::to_chars(digits, digits + sizeof digits, value);
        (void)ec; // 24 bytes hold any long long
        line(std::string_view(digits, static_cast<std::size_t>(last - digits)));
    }
    void text(std::string_view value) { text_(value); }
    void tab() { put('\t'); }
    void end() {
        if (used_ + 2 > sizeof block_) {
            flush();
        }
        block_[used_++] = '\r';
        block_[used_++] = '\n';
    }
    void flush() {
        if (used_ > 0) {
            sink_(std::string_view(block_, used_));
            used_ = 0;
        }
    }

private:
    void put(char c) {
        if (used_ == sizeof block_) {
            flush();
        }
        block_[used_++] = c;
    }
    void text_(std::string_view value) {
        if (used_ + value.size() > sizeof block_) {
            flush();
            if (value.size() > sizeof block_) {
                sink_(value);
                return;
            }
        }
        std::memcpy(block_ + used_, value.data(), value.size());
        used_ += value.size();
    }

    Sink& sink_;
    char block_[128 * 1024];
    std::size_t used_ = 0;
};

template <typename Sink> void writeDefinition(const ReportDefinition& d, Sink& sink) {
    ByteWriter<Sink> out(sink);
    out.line("R2");
    for (const std::string* text : {&d.title, &d.documentFile, &d.input1Caption, &d.input2Caption,
                                    &d.surnameCaption, &d.author, &d.source, &d.organisation, &d.date}) {
        out.line(*text);
    }
    out.number(static_cast<long long>(d.parameters.size()));
    for (const auto& p : d.parameters) {
        out.line(p.name);
        out.number(static_cast<std::uint8_t>(p.kind));
        out.number(p.isNumber);
        out.number(p.hasFormula);
        if (p.hasFormula != 0) {
            out.line(p.formula);
        }
        out.number(static_cast<long long>(p.values.size()));
        for (const auto& row : p.values) {
            out.line(row.value);
            out.line(row.upperBound);
            out.line(row.result);
        }
    }
    out.number(static_cast<long long>(d.results.size()));
    for (const auto& r : d.results) {
        out.line(r.name);
        out.line(r.result);
    }
}

template <typename Sink> void writeTable(const ReportDefinition& d, Sink& sink) {
    ByteWriter<Sink> out(sink);
    out.line(d.title);
    for (const auto& p : d.parameters) {
        out.text(p.name);
        if (p.hasFormula != 0) {
            out.tab();
            out.text(p.formula);
        }
        out.end();
        for (const auto& row : p.values) {
            out.text(row.value);
            out.tab();
            if (p.kind == ValueKind::Range) {
                out.text(row.upperBound);
                out.tab();
            }
            out.line(row.result);
        }
        out.end();
    }
    for (const auto& r : d.results) {
        out.text(r.name);
        out.tab();
        out.line(r.result);
    }
}

struct StringSink {
    std::string bytes;
    void operator()(std::string_view block) { bytes.append(block); }
};

struct FileSink {
    AtomicFileWriter& file;
    void operator()(std::string_view block) { file.write(block); }
};

template <typename Write> bool writeThrough(const std::string& path, SaveError& error, Write write) {
    AtomicFileWriter file(path);
    FileSink sink{file};
    write(sink);
    const bool ok = file.commit();
    error = SaveError{};
    error.reason = file.error();
    if (!ok) {
        error.problem = FileProblem::WriteFailed;
    }
    return ok;
}

} // namespace

std::string serializeDefinition(const ReportDefinition& d) {
    StringSink sink;
    writeDefinition(d, sink);
    return std::move(sink.bytes);
}

std::string serializeTable(const ReportDefinition& d) {
    StringSink sink;
    writeTable(d, sink);
    return std::move(sink.bytes);
}

bool ReportDefinition::save(const std::string& path) const {
    return writeThrough(path, saveError_, [this](FileSink& sink) { writeDefinition(*this, sink); });
}

bool ReportDefinition::exportTable(const std::string& path) const {
    return writeThrough(path, saveError_, [this](FileSink& sink) { writeTable(*this, sink); });
}

} // namespace vornak
