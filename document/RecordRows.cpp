#include "RecordRows.h"

#include "DefinitionDocument.h"
#include "EditText.h"
#include "RecordColumns.h"
#include "TextCodec.h"

namespace vornak {

namespace {

constexpr std::uint8_t rangeKind = static_cast<std::uint8_t>(ValueKind::Range);

QString cell(const QStringList& row, qsizetype column) {
    return column < row.size() ? row[column] : QString();
}

// Pasted cells were checked against the file: every character has its byte.
std::string bytes(const QString& text) {
    return TextCodec::encode(text);
}

bool inside(int position, std::size_t size) {
    return position >= 0 && static_cast<std::size_t>(position) < size;
}

// How many records a list of the definition holds.
std::size_t recordsIn(const ReportDefinition& definition, const RecordList& list) {
    switch (list.kind) {
    case RecordKind::Parameter:
        return definition.parameters.size();
    case RecordKind::Result:
        return definition.results.size();
    case RecordKind::ValueRow:
        break;
    }
    return inside(list.parameter, definition.parameters.size())
               ? definition.parameters[static_cast<std::size_t>(list.parameter)].values.size()
               : 0;
}

} // namespace

QStringList parameterColumnTitles() {
    return textColumnTitles(parameterColumns());
}

QStringList valueColumnTitles(std::uint8_t kind) {
    return textColumnTitles(valueColumns(kind));
}

QStringList resultColumnTitles() {
    return textColumnTitles(resultColumns());
}

CellRows recordCells(const ReportDefinition& definition, const RecordList& list,
                     const std::vector<int>& positions) {
    CellRows rows;
    const std::span<const RecordColumn> columns = columnsOf(definition, list);
    if (columns.empty()) {
        return rows;
    }
    const std::size_t count = recordsIn(definition, list);
    for (const int position : positions) {
        if (!inside(position, count)) {
            continue;
        }
        QStringList cells;
        for (const RecordColumn& column : columns) {
            if (column.field) {
                cells.append(displayText(textAt(definition, locationIn(list, position, *column.field))));
            }
        }
        rows.push_back(std::move(cells));
    }
    return rows;
}

CellRows parameterCells(const ReportDefinition& definition, const std::vector<int>& positions) {
    return recordCells(definition, RecordList::parameters(), positions);
}

CellRows valueRowCells(const ParameterRecord& parameter, const std::vector<int>& positions) {
    // The rows read as those of a definition holding this one parameter.
    ReportDefinition alone;
    alone.parameters.push_back(parameter);
    return recordCells(alone, RecordList::valueRows(0), positions);
}

CellRows resultCells(const ReportDefinition& definition, const std::vector<int>& positions) {
    return recordCells(definition, RecordList::results(), positions);
}

std::vector<ParameterRecord> parametersFromCells(const CellRows& rows) {
    std::vector<ParameterRecord> records;
    records.reserve(rows.size());
    for (const QStringList& row : rows) {
        ParameterRecord record = DefinitionDocument::newParameter();
        record.name = bytes(cell(row, 0));
        if (record.values.empty()) {
            record.values.push_back(DefinitionDocument::newValueRow(static_cast<std::uint8_t>(record.kind)));
        }
        records.push_back(std::move(record));
    }
    return records;
}

std::vector<ValueRow> valueRowsFromCells(const CellRows& rows, std::uint8_t kind) {
    std::vector<ValueRow> records;
    records.reserve(rows.size());
    for (const QStringList& row : rows) {
        ValueRow record;
        record.value = bytes(cell(row, 0));
        if (kind == rangeKind) {
            record.upperBound = bytes(cell(row, 1));
            record.result = bytes(cell(row, 2));
        } else {
            record.result = bytes(cell(row, 1));
        }
        records.push_back(std::move(record));
    }
    return records;
}

std::vector<ResultRow> resultsFromCells(const CellRows& rows) {
    std::vector<ResultRow> records;
    records.reserve(rows.size());
    for (const QStringList& row : rows) {
        records.push_back({bytes(cell(row, 0)), bytes(cell(row, 1))});
    }
    return records;
}

} // namespace vornak
