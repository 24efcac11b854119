#include "RecordRows.h"

#include "DefinitionDocument.h"
#include "EditText.h"
#include "TextCodec.h"
#include "Texts.h"

namespace vornak {

namespace {

constexpr std::uint8_t listKind = static_cast<std::uint8_t>(ValueKind::List);
constexpr std::uint8_t rangeKind = static_cast<std::uint8_t>(ValueKind::Range);
constexpr std::uint8_t inputKind = static_cast<std::uint8_t>(ValueKind::Input);

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

} // namespace

QStringList parameterColumnTitles() {
    return {texts::columnName};
}

QStringList valueColumnTitles(std::uint8_t kind) {
    switch (kind) {
    case listKind:
        return {texts::columnValue, texts::columnResult};
    case rangeKind:
        return {texts::columnLowerBound, texts::columnUpperBound, texts::columnResult};
    case inputKind:
        return {texts::columnInitialValue, texts::columnResult};
    default:
        return {};
    }
}

QStringList resultColumnTitles() {
    return {texts::columnName, texts::columnResult};
}

CellRows parameterCells(const ReportDefinition& definition, const std::vector<int>& positions) {
    CellRows rows;
    for (const int p : positions) {
        if (inside(p, definition.parameters.size())) {
            rows.push_back({displayText(definition.parameters[static_cast<std::size_t>(p)].name)});
        }
    }
    return rows;
}

CellRows valueRowCells(const ParameterRecord& parameter, const std::vector<int>& positions) {
    CellRows rows;
    const auto kind = static_cast<std::uint8_t>(parameter.kind);
    if (valueColumnTitles(kind).isEmpty()) {
        return rows;
    }
    for (const int r : positions) {
        if (!inside(r, parameter.values.size())) {
            continue;
        }
        const ValueRow& row = parameter.values[static_cast<std::size_t>(r)];
        if (kind == rangeKind) {
            rows.push_back({displayText(row.value), displayText(row.upperBound), displayText(row.result)});
        } else {
            rows.push_back({displayText(row.value), displayText(row.result)});
        }
    }
    return rows;
}

CellRows resultCells(const ReportDefinition& definition, const std::vector<int>& positions) {
    CellRows rows;
    for (const int r : positions) {
        if (inside(r, definition.results.size())) {
            const ResultRow& row = definition.results[static_cast<std::size_t>(r)];
            rows.push_back({displayText(row.name), displayText(row.result)});
        }
    }
    return rows;
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
