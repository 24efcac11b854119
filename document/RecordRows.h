// The three lists' rows as cells, the way they show them, and pasted cells back as records: a
// parameter shows its name; a value row its kind's columns (List and Input the value and the result,
// Range the two bounds and the result, any other kind none); a result its name and its text.
#pragma once

#include "RecordChange.h"
#include "ReportDefinition.h"
#include "SpreadsheetText.h"

#include <QStringList>

#include <cstdint>
#include <vector>

namespace vornak {

// The titles of the columns a list shows for its records (not the "N" column).
QStringList parameterColumnTitles();
QStringList valueColumnTitles(std::uint8_t kind);
QStringList resultColumnTitles();

// The shown cells of the rows at `positions` (0-based, in the order given; positions outside the
// list are left out).
CellRows recordCells(const ReportDefinition& definition, const RecordList& list,
                     const std::vector<int>& positions);
CellRows parameterCells(const ReportDefinition& definition, const std::vector<int>& positions);
CellRows valueRowCells(const ParameterRecord& parameter, const std::vector<int>& positions);
CellRows resultCells(const ReportDefinition& definition, const std::vector<int>& positions);

// Records from pasted cells that fit the list's columns and passed its check (fitPastedRows). A
// parameter gets its first value row, as one added with F2 does; a value row's cells a kind does
// not show stay empty.
std::vector<ParameterRecord> parametersFromCells(const CellRows& rows);
std::vector<ValueRow> valueRowsFromCells(const CellRows& rows, std::uint8_t kind);
std::vector<ResultRow> resultsFromCells(const CellRows& rows);

} // namespace vornak
