// Compares two versions of a definition the way a reviewer reads them: the nine report texts field
// by field; parameters matched by name and position, so that an inserted, removed or moved
// parameter is one difference and not a change of every later one; within a parameter its name,
// kind, flags, formula and value rows (rows aligned, so one inserted row is one difference); the
// results likewise. Codes that only follow a renumbering (#P(5) becoming #P(6) because a parameter
// was inserted before it) are not differences.
#pragma once

#include "DefinitionText.h"
#include "ReportDefinition.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vornak {

enum class DifferenceKind : std::uint8_t { Changed, Inserted, Removed, Moved };

// What a difference is about. The whole-record parts (Parameter, ValueRow, Result) come with
// Inserted, Removed or Moved; the others with Changed.
enum class DifferencePart : std::uint8_t {
    ReportText, // one of the nine texts: oldRecord = newRecord = 1..9 in file order
    Parameter,
    ParameterName,
    ParameterKind, // before/after hold the kind codes as decimal text
    NumberFlag,    // "0" or "1"
    FormulaFlag,   // "0" or "1"
    Formula,
    ValueRow,
    Value,
    UpperBound,
    ValueResult,
    Result,
    ResultName,
    ResultText,
};

struct Difference {
    DifferenceKind kind = DifferenceKind::Changed;
    DifferencePart part = DifferencePart::ReportText;
    // Numbers from 1 in the first (old) and second (new) definition; 0 where the side has none.
    int oldRecord = 0;
    int newRecord = 0;
    int oldRow = 0;
    int newRow = 0;
    // The record's name (parameter or result) as in the new definition, or the old one if removed.
    std::string recordName;
    // The kind of the parameter the place belongs to (for wording bounds), as in the new definition.
    ValueKind recordKind = ValueKind::List;
    // Texts as written (Windows-1251 bytes). Changed: both; Inserted: `after` holds the record's
    // name (a row: its cells joined by " | "); Removed: `before` likewise.
    std::string before;
    std::string after;

    bool operator==(const Difference&) const = default;
};

// The differences that turn `before` into `after`, in the order a reader meets them: the nine
// texts, then the parameters, then the results.
std::vector<Difference> compareDefinitions(const ReportDefinition& before, const ReportDefinition& after);

// The text of the new definition a reviewer is taken to for a difference: the changed cell, the
// inserted or moved record's name, or for a removed one the record or row that now stands where
// it stood. Nothing when the new definition has no such place (everything removed).
std::optional<TextLocation> differenceLocation(const Difference& difference, const ReportDefinition& after);

} // namespace vornak
