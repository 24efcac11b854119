// The columns each list shows, in one place: a parameter its number and name; a result its number,
// name and text; a value row the columns of its parameter's kind (List "Значение", "Результат";
// Range ">=", "<", "Результат"; Input "Начальное значение", "Результат"; any other kind none). The
// models lay their columns out by these tables, and copy and paste read and write the columns that
// hold a text, in the same order.
#pragma once

#include "DefinitionText.h"
#include "RecordChange.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <span>

namespace vornak {

// One column: its heading and the text it shows, or none for the computed number.
struct RecordColumn {
    QString heading;
    std::optional<TextField> field;
};

std::span<const RecordColumn> parameterColumns();
std::span<const RecordColumn> resultColumns();
// Empty for a kind code the value table shows nothing for.
std::span<const RecordColumn> valueColumns(std::uint8_t kind);
// The table of a list of the definition; empty for value rows of a parameter that is not there.
std::span<const RecordColumn> columnsOf(const ReportDefinition& definition, const RecordList& list);

// The headings of the columns that hold a text (not the number), in order.
QStringList textColumnTitles(std::span<const RecordColumn> columns);
// The location of record `position` (0-based) of a list in a column that holds a text.
TextLocation locationIn(const RecordList& list, int position, TextField field);

} // namespace vornak
