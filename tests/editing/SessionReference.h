// The randomized session's reference: a plain definition that the session changes by what each
// step is meant to do, compared with the editor's on the texts the steps touch; and the one place
// that says which text a cell of the three lists holds.
#pragma once

#include "ReportDefinition.h"

#include <QString>

#include <string>

namespace vornak::testing {

// The three lists of the main window, as the steps name them.
enum GridId { ParameterGrid = 0, ValueGrid = 1, ResultGrid = 2, GridCount = 3 };
const char* gridName(int grid);

// An open cell editor: where it is and what it shows. parameter: the parameter whose rows the
// value list holds (for the value list only).
struct OpenEdit {
    int grid = -1;
    int row = -1;
    int column = -1;
    int parameter = -1;
    QString text;

    bool open() const { return grid >= 0; }
    bool sameCell(const OpenEdit& other) const {
        return grid == other.grid && row == other.row && column == other.column && parameter == other.parameter;
    }
};

// The text of the cell an editor belongs to; null when the cell is not a text of the definition
// (a number column, a row past the end).
std::string* cellText(ReportDefinition& definition, const OpenEdit& cell);
// Puts the editor's text into its cell, as confirming it does. False when the cell holds no text.
bool confirmInto(ReportDefinition& definition, const OpenEdit& edit);

// Where a and b differ on the texts the reference follows (title, names, kinds, value rows,
// results); empty when they agree.
std::string referenceDifference(const ReportDefinition& editor, const ReportDefinition& reference);
// Where a and b differ at all (every field the file holds), naming them as given; empty when they
// are equal.
std::string fullDifference(const ReportDefinition& a, const ReportDefinition& b, const char* aName = "editor",
                           const char* bName = "expected");

} // namespace vornak::testing
