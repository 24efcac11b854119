// The R2 writer and the tab-separated table export. Both stream through AtomicFileWriter, so a
// failure never leaves a half-written file in the target's place.
#include "AtomicFile.h"
#include "CompactDefinition.h"
#include "DefinitionAccess.h"
#include "DefinitionBytes.h"
#include "ReportDefinition.h"
#include "WriteBehind.h"

#include <new>
#include <optional>
#include <string_view>
#include <utility>

namespace vornak {
namespace {

using detail::writeDefinition;
using detail::writeTable;

struct StringSink {
    static constexpr bool keepsBlocks = false;
    static constexpr bool countsLineFeeds = false;
    std::string bytes;
    static bool wantsSize() { return true; }
    void expect(std::size_t size) { bytes.reserve(size); }
    void operator()(std::string_view block) { bytes.append(block); }
    void last(std::string_view block) { bytes.append(block); }
    static void settle() {}
};

// Each full block is written on a thread of its own while the next one is made, its line feeds
// counted there too; the last one on the caller's thread, so a file of one block starts no thread.
struct FileSink {
    static constexpr bool keepsBlocks = true;
    static constexpr bool countsLineFeeds = true;
    AtomicFileWriter& file;
    bool counting = false;
    std::size_t feeds = 0; // read once every block is written
    WriteBehind behind{[this](std::string_view block) {
        if (counting) {
            feeds += detail::countLineFeeds(block);
        }
        return file.write(block);
    }};

    explicit FileSink(AtomicFileWriter& target) : file(target) {}
    void countLineFeeds(bool on) { counting = on; }
    std::size_t lineFeeds() const { return feeds; }
    // Only a write in place keeps the bytes in memory before they go out.
    bool wantsSize() const { return file.mode() == AtomicFileWriter::Mode::InPlace; }
    void expect(std::size_t size) { file.expectSize(size); }
    void operator()(std::string_view block) { behind.hand(block); }
    void last(std::string_view block) { behind.handLast(block); }
    void settle() noexcept { behind.wait(); }
    // Before anything else asks the file: every block has gone to it.
    void finish() { behind.finish(); }
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
        FileSink sink(file);
        const bool readBack = write(sink);
        sink.finish();
        // A file that failed stops taking (and counting) blocks: its own failure is the reason.
        if (!readBack && file.problem() == FileProblem::None) {
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

bool unwritable(std::string_view text) {
    return text.size() > maxLineBytes || text.find('\n') != std::string_view::npos;
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

namespace {

template <typename D> std::optional<SaveError> firstUnwritableText(const D& d) {
    const auto refuse = [](std::string_view text, DefinitionPart part, int record, int row,
                           const char* field) {
        SaveError e{FileProblem::UnwritableText, {}, part, record, field, row};
        e.reason = describeText(e) + (text.size() > maxLineBytes
                                          ? " is longer than " + std::to_string(maxLineBytes) + " bytes"
                                          : " holds a line break");
        return e;
    };
    for (std::size_t i = 0; i < reportTextNames.size(); ++i) {
        if (unwritable(d.reportText(i))) {
            return refuse(d.reportText(i), DefinitionPart::Texts, static_cast<int>(i + 1), 0,
                          reportTextNames[i]);
        }
    }
    for (std::size_t p = 0; p < d.parameterCount(); ++p) {
        const auto& record = d.parameter(p);
        const int number = static_cast<int>(p + 1);
        if (unwritable(record.name)) {
            return refuse(record.name, DefinitionPart::Parameter, number, 0, "name");
        }
        // A formula is written only with its flag set.
        if (record.hasFormula != 0 && unwritable(record.formula)) {
            return refuse(record.formula, DefinitionPart::Parameter, number, 0, "formula");
        }
        const auto& rows = record.values;
        for (std::size_t v = 0; v < rows.size(); ++v) {
            const auto& row = rows[v];
            const int rowNumber = static_cast<int>(v + 1);
            for (const auto& [text, field] : {std::pair<std::string_view, const char*>{row.value, "value"},
                                              {row.upperBound, "upperBound"},
                                              {row.result, "result"}}) {
                if (unwritable(text)) {
                    return refuse(text, DefinitionPart::Parameter, number, rowNumber, field);
                }
            }
        }
    }
    for (std::size_t r = 0; r < d.resultCount(); ++r) {
        const auto& row = d.result(r);
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

template <typename D>
bool saveDefinition(const D& d, const std::string& path, const FileWriteHooks& hooks, SaveError& error) {
    // Texts are checked as they are written, so that a save reads each text once.
    return writeThrough(
        path, hooks, error, [&d](FileSink& sink) { return writeDefinition(d, sink, true); },
        [&d] { return firstUnwritableText(d); });
}

template <typename D>
bool exportDefinitionTable(const D& d, const std::string& path, const FileWriteHooks& hooks,
                           SaveError& error) {
    // The table is never read back: its texts are written as they are.
    return writeThrough(
        path, hooks, error,
        [&d](FileSink& sink) {
            writeTable(d, sink);
            return true;
        },
        [] { return std::optional<SaveError>(); });
}

} // namespace

std::optional<SaveError> findUnwritableText(const ReportDefinition& d) {
    return firstUnwritableText(DefinitionAccess(d));
}

std::string serializeDefinition(const ReportDefinition& d) {
    StringSink sink;
    writeDefinition(DefinitionAccess(d), sink, false);
    return std::move(sink.bytes);
}

std::string serializeTable(const ReportDefinition& d) {
    StringSink sink;
    writeTable(DefinitionAccess(d), sink);
    return std::move(sink.bytes);
}

bool ReportDefinition::save(const std::string& path) const {
    return save(path, FileWriteHooks{});
}

bool ReportDefinition::save(const std::string& path, const FileWriteHooks& hooks) const {
    return saveDefinition(DefinitionAccess(*this), path, hooks, saveError_);
}

bool ReportDefinition::exportTable(const std::string& path) const {
    return exportTable(path, FileWriteHooks{});
}

bool ReportDefinition::exportTable(const std::string& path, const FileWriteHooks& hooks) const {
    return exportDefinitionTable(DefinitionAccess(*this), path, hooks, saveError_);
}

bool CompactDefinition::save(const std::string& path) const {
    return saveDefinition(*this, path, FileWriteHooks{}, saveError_);
}

bool CompactDefinition::exportTable(const std::string& path) const {
    return exportDefinitionTable(*this, path, FileWriteHooks{}, saveError_);
}

} // namespace vornak
