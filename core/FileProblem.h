// What went wrong with reading or writing a file, in a form that each caller can put into its own
// words: the command-line tool keeps the English reason, the editor speaks Russian.
#pragma once

#include <cstdint>
#include <string>

namespace vornak {

enum class FileProblem : std::uint8_t {
    None,
    NoFileName,      // an empty path
    NotFound,        // the file (or a folder on its path) does not exist
    IsFolder,        // the path names a folder
    AccessDenied,    // the system refused access to the file or its folder
    ReadOnly,        // the file exists and the user may not write it
    NameTooLong,     // the path or one of its names is too long for the system
    NoSpace,         // the disk (or the user's quota) is full
    NotEnoughMemory, // an allocation failed while reading
    ReadFailed,      // any other failure of the system while reading
    WriteFailed,     // any other failure of the system while writing, flushing or replacing
    Empty,           // the file holds no bytes
    NotDefinition,   // line 1 is not the mark of a definition file
    LineTooLong,     // a line is longer than a definition file allows
    Truncated,       // the file ends inside a record
    UnwritableText,  // a text holds a line break or is too long to be written and read back
};

// The part of a definition that a problem lies in; `record` below counts from 1 within it (for
// Texts it is the text's place in the file: 1 title, 2 documentFile, ... 9 date).
enum class DefinitionPart : std::uint8_t {
    None,
    Mark,
    Texts,
    ParameterCount,
    Parameter,
    ResultCount,
    Result
};

// Why the last load failed: the 1-based line where reading stopped (0 when the file could not be
// opened or read at all), the kind of problem, where in the definition, and a sentence in English.
struct LoadError {
    int line = 0;
    std::string reason;
    FileProblem problem = FileProblem::None;
    DefinitionPart part = DefinitionPart::None;
    int record = 0;

    bool operator==(const LoadError&) const = default;
};

// Why the last save or export failed. For UnwritableText, `part`, `record` and `field` name the
// text ("title", "name", "formula", "value", "upperBound", "result", ...), and `row` the value row
// (from 1) when the text is a value row's; `reason` is English.
struct SaveError {
    FileProblem problem = FileProblem::None;
    std::string reason;
    DefinitionPart part = DefinitionPart::None;
    int record = 0;
    std::string field;
    int row = 0;

    bool operator==(const SaveError&) const = default;
};

} // namespace vornak
