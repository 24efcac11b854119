// The R2 writer and the tab-separated table export. Both stream through AtomicFileWriter, so a
// failure never leaves a half-written file in the target's place.
#include "AtomicFile.h"
#include "ReportDefinition.h"

#include <charconv>
#include <cstring>
#include <new>
#include <optional>
#include <string_view>
#include <utility>

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
    // A text line; notes a text that would not read back (the line is written all the same: the
    // caller throws the output away). Line feeds inside texts are found in bulk: every line end
    // adds exactly one, so a block holding more than its line ends holds a text with one.
    void checkedLine(std::string_view text) {
        if (text.size() > maxLineBytes) {
            tooLong_ = true;
        }
        line(text);
    }
    // Call after the last line: whether every checked text reads back as written.
    bool allTextsReadBack() {
        flush();
        return !tooLong_ && lineFeeds_ == lineEnds_;
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
        ++lineEnds_;
    }
    void flush() {
        if (used_ > 0) {
            lineFeeds_ += countLineFeeds(std::string_view(block_, used_));
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
                lineFeeds_ += countLineFeeds(value);
                sink_(value);
                return;
            }
        }
        std::memcpy(block_ + used_, value.data(), value.size());
        used_ += value.size();
    }

    static std::size_t countLineFeeds(std::string_view bytes) {
        std::size_t count = 0;
        for (char c : bytes) {
            count += c == '\n' ? 1 : 0; // a plain loop the compiler vectorises
        }
        return count;
    }

    Sink& sink_;
    char block_[128 * 1024];
    std::size_t used_ = 0;
    std::size_t lineEnds_ = 0;
    std::size_t lineFeeds_ = 0;
    bool tooLong_ = false;
};

// False when a text was written that would not read back.
template <typename Sink> bool writeDefinition(const ReportDefinition& d, Sink& sink) {
    ByteWriter<Sink> out(sink);
    out.line("R2");
    for (const std::string* text : {&d.title, &d.documentFile, &d.input1Caption, &d.input2Caption,
                                    &d.surnameCaption, &d.author, &d.source, &d.organisation, &d.date}) {
        out.checkedLine(*text);
    }
    out.number(static_cast<long long>(d.parameters.size()));
    for (const auto& p : d.parameters) {
        out.checkedLine(p.name);
        out.number(static_cast<std::uint8_t>(p.kind));
        // The format knows only 0 and 1, and the reader turns anything else into 1.
        out.number(p.isNumber != 0 ? 1 : 0);
        out.number(p.hasFormula != 0 ? 1 : 0);
        if (p.hasFormula != 0) {
            out.checkedLine(p.formula);
        }
        out.number(static_cast<long long>(p.values.size()));
        for (const auto& row : p.values) {
            out.checkedLine(row.value);
            out.checkedLine(row.upperBound);
            out.checkedLine(row.result);
        }
    }
    out.number(static_cast<long long>(d.results.size()));
    for (const auto& r : d.results) {
        out.checkedLine(r.name);
        out.checkedLine(r.result);
    }
    return out.allTextsReadBack();
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

// `write` returns false when the definition holds a text that would not read back; `precheck`
// finds such a text before anything reaches a pipe or device, which cannot take bytes back.
template <typename Write, typename Precheck>
bool writeThrough(const std::string& path, const FileWriteHooks& hooks, SaveError& error, Write write,
                  Precheck precheck) {
    error = SaveError{};
    try {
        AtomicFileWriter file(path, hooks);
        if (file.mode() == AtomicFileWriter::Mode::Stream) {
            if (std::optional<SaveError> refused = precheck()) {
                error = std::move(*refused);
                return false;
            }
        }
        FileSink sink{file};
        if (!write(sink)) {
            // A temporary file or an in-memory copy took the bytes: dropping the writer drops them.
            SaveError fallback;
            fallback.problem = FileProblem::UnwritableText;
            fallback.reason = "a text cannot be written";
            error = precheck().value_or(fallback);
            return false;
        }
        if (!file.commit()) {
            error.problem = file.problem() != FileProblem::None ? file.problem() : FileProblem::WriteFailed;
            error.reason = file.error();
            return false;
        }
        return true;
    } catch (const std::bad_alloc&) {
        error.problem = FileProblem::NotEnoughMemory;
        error.reason = "not enough memory";
        return false;
    }
}

bool unwritable(const std::string& text) {
    return text.size() > maxLineBytes || text.find('\n') != std::string::npos;
}

std::string describeText(const SaveError& e) {
    std::string where;
    switch (e.part) {
    case DefinitionPart::Texts:
        where = "the " + e.field;
        break;
    case DefinitionPart::Parameter:
        where = "parameter " + std::to_string(e.record) +
                (e.row > 0 ? ", value row " + std::to_string(e.row) : std::string()) + ", " + e.field;
        break;
    default:
        where = "result " + std::to_string(e.record) + ", " + e.field;
        break;
    }
    return where;
}

} // namespace

std::optional<SaveError> findUnwritableText(const ReportDefinition& d) {
    const auto refuse = [](const std::string& text, DefinitionPart part, int record, int row,
                           const char* field) {
        SaveError e{FileProblem::UnwritableText, {}, part, record, field, row};
        e.reason = describeText(e) + (text.size() > maxLineBytes
                                          ? " is longer than " + std::to_string(maxLineBytes) + " bytes"
                                          : " holds a line break");
        return e;
    };
    const std::pair<const std::string*, const char*> texts[] = {{&d.title, "title"},
                                                                {&d.documentFile, "documentFile"},
                                                                {&d.input1Caption, "input1Caption"},
                                                                {&d.input2Caption, "input2Caption"},
                                                                {&d.surnameCaption, "surnameCaption"},
                                                                {&d.author, "author"},
                                                                {&d.source, "source"},
                                                                {&d.organisation, "organisation"},
                                                                {&d.date, "date"}};
    for (int i = 0; i < 9; ++i) {
        if (unwritable(*texts[i].first)) {
            return refuse(*texts[i].first, DefinitionPart::Texts, i + 1, 0, texts[i].second);
        }
    }
    for (std::size_t p = 0; p < d.parameters.size(); ++p) {
        const ParameterRecord& record = d.parameters[p];
        const int number = static_cast<int>(p + 1);
        if (unwritable(record.name)) {
            return refuse(record.name, DefinitionPart::Parameter, number, 0, "name");
        }
        // A formula is written only with its flag set.
        if (record.hasFormula != 0 && unwritable(record.formula)) {
            return refuse(record.formula, DefinitionPart::Parameter, number, 0, "formula");
        }
        for (std::size_t v = 0; v < record.values.size(); ++v) {
            const ValueRow& row = record.values[v];
            const int rowNumber = static_cast<int>(v + 1);
            for (const auto& [text, field] : {std::pair<const std::string*, const char*>{&row.value, "value"},
                                              {&row.upperBound, "upperBound"},
                                              {&row.result, "result"}}) {
                if (unwritable(*text)) {
                    return refuse(*text, DefinitionPart::Parameter, number, rowNumber, field);
                }
            }
        }
    }
    for (std::size_t r = 0; r < d.results.size(); ++r) {
        const ResultRow& row = d.results[r];
        const int number = static_cast<int>(r + 1);
        if (unwritable(row.name)) {
            return refuse(row.name, DefinitionPart::Result, number, 0, "name");
        }
        if (unwritable(row.result)) {
            return refuse(row.result, DefinitionPart::Result, number, 0, "result");
        }
    }
    return std::nullopt;
}

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
    return save(path, FileWriteHooks{});
}

bool ReportDefinition::save(const std::string& path, const FileWriteHooks& hooks) const {
    // Texts are checked as they are written, so that a save walks the model once.
    return writeThrough(
        path, hooks, saveError_, [this](FileSink& sink) { return writeDefinition(*this, sink); },
        [this] { return findUnwritableText(*this); });
}

bool ReportDefinition::exportTable(const std::string& path) const {
    return exportTable(path, FileWriteHooks{});
}

bool ReportDefinition::exportTable(const std::string& path, const FileWriteHooks& hooks) const {
    // The table is never read back: its texts are written as they are.
    return writeThrough(
        path, hooks, saveError_,
        [this](FileSink& sink) {
            writeTable(*this, sink);
            return true;
        },
        [] { return std::optional<SaveError>(); });
}

} // namespace vornak
