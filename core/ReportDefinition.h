// The one report definition the editor works on: parameters with their value tables, the result
// table and nine report texts, with the .rpt writer and reader and the tab-separated table export.
#pragma once

#include "FileProblem.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vornak {

class LineSource;
struct FileWriteHooks;

// How a parameter gets its value. Files may bring any code 0..255; it is kept and written back.
enum class ValueKind : std::uint8_t { List = 0, Range = 1, Input = 2 };

// One row of a parameter's value table; all three cells are kept whatever the kind shows.
struct ValueRow {
    std::string value;
    std::string upperBound;
    std::string result;

    bool operator==(const ValueRow&) const = default;
};

struct ResultRow {
    std::string name;
    std::string result;

    bool operator==(const ResultRow&) const = default;
};

struct ParameterRecord {
    std::string name;
    std::string formula;
    ValueKind kind = ValueKind::List;
    std::uint8_t isNumber = 0;
    std::uint8_t hasFormula = 0;
    std::vector<ValueRow> values;

    bool operator==(const ParameterRecord&) const = default;
};

// The longest text a line of a definition file can hold; the reader refuses longer lines.
inline constexpr std::size_t maxLineBytes = 2047;

class ReportDefinition {
public:
    ReportDefinition() = default;
    ReportDefinition(const ReportDefinition&) = default;
    ReportDefinition& operator=(const ReportDefinition&) = default;
    ReportDefinition(ReportDefinition&&) noexcept = default;
    ReportDefinition& operator=(ReportDefinition&&) noexcept = default;
    virtual ~ReportDefinition() = default;

    std::vector<ParameterRecord> parameters;
    std::vector<ResultRow> results;
    std::string title;
    std::string documentFile;
    std::string input1Caption;
    std::string input2Caption;
    std::string surnameCaption;
    std::string author;
    std::string source;
    std::string organisation;
    std::string date;

    // Writes the definition as an R2 file the way AtomicFileWriter describes: the previous file is
    // replaced only once the new one is completely on disk, and keeps its links, owner, mode and
    // attributes. A text that could not be read back (one holding a line feed, or longer than
    // maxLineBytes) is refused before anything is touched. On failure saveError() says why.
    bool save(const std::string& path) const;
    // The same with the writer's hooks (a write limit, step reports) passed in.
    bool save(const std::string& path, const FileWriteHooks& hooks) const;
    // Reads an R1 or R2 file (or pipe), appending to parameters and results (which the caller
    // empties first). On failure the model holds whatever was read before the failing line, and
    // loadError() says why; an allocation failure is such a failure too.
    bool load(const std::string& path);
    // The same from a source already open, read from its current line on.
    bool load(LineSource& source);
    // Reads a file only if it is of the R1 layout.
    bool loadR1(const std::string& path);
    // Writes the tab-separated table, replacing the previous file as save() does.
    bool exportTable(const std::string& path) const;
    bool exportTable(const std::string& path, const FileWriteHooks& hooks) const;

    const LoadError& loadError() const { return loadError_; }
    const SaveError& saveError() const { return saveError_; }
    // 1 or 2 after a successful load of an R1 or R2 file, 0 otherwise.
    int loadedLayout() const { return loadedLayout_; }

    bool operator==(const ReportDefinition& other) const;

private:
    bool loadPath(const std::string& path, bool onlyR1);
    bool loadFrom(LineSource& source, bool onlyR1);
    bool readFrom(LineSource& source, bool onlyR1);

    LoadError loadError_;
    int loadedLayout_ = 0;
    mutable SaveError saveError_;
};

// The model's bytes as the writer and the export produce them, for callers that need them in memory.
std::string serializeDefinition(const ReportDefinition& definition);
std::string serializeTable(const ReportDefinition& definition);

// The first text, in file order, that a definition file cannot hold so that it reads back: one
// holding a line feed (a CR before it included) or longer than maxLineBytes. `problem` is
// UnwritableText and part, record, row and field name it; nothing when every text can be written.
std::optional<SaveError> findUnwritableText(const ReportDefinition& definition);

} // namespace vornak
