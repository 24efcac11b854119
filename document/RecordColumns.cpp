#include "RecordColumns.h"

#include "Texts.h"

#include <array>

namespace vornak {

std::span<const RecordColumn> parameterColumns() {
    static const std::array<RecordColumn, 2> columns{{
        {texts::columnNumber, std::nullopt},
        {texts::columnName, TextField::ParameterName},
    }};
    return columns;
}

std::span<const RecordColumn> resultColumns() {
    static const std::array<RecordColumn, 3> columns{{
        {texts::columnNumber, std::nullopt},
        {texts::columnName, TextField::ResultName},
        {texts::columnResult, TextField::ResultText},
    }};
    return columns;
}

std::span<const RecordColumn> valueColumns(std::uint8_t kind) {
    static const std::array<RecordColumn, 2> list{{
        {texts::columnValue, TextField::Value},
        {texts::columnResult, TextField::ValueResult},
    }};
    static const std::array<RecordColumn, 3> range{{
        {texts::columnLowerBound, TextField::Value},
        {texts::columnUpperBound, TextField::UpperBound},
        {texts::columnResult, TextField::ValueResult},
    }};
    static const std::array<RecordColumn, 2> input{{
        {texts::columnInitialValue, TextField::Value},
        {texts::columnResult, TextField::ValueResult},
    }};
    switch (kind) {
    case static_cast<std::uint8_t>(ValueKind::List):
        return list;
    case static_cast<std::uint8_t>(ValueKind::Range):
        return range;
    case static_cast<std::uint8_t>(ValueKind::Input):
        return input;
    default:
        return {};
    }
}

std::span<const RecordColumn> columnsOf(const ReportDefinition& definition, const RecordList& list) {
    switch (list.kind) {
    case RecordKind::Parameter:
        return parameterColumns();
    case RecordKind::Result:
        return resultColumns();
    case RecordKind::ValueRow:
        break;
    }
    if (list.parameter < 0 || static_cast<std::size_t>(list.parameter) >= definition.parameters.size()) {
        return {};
    }
    return valueColumns(
        static_cast<std::uint8_t>(definition.parameters[static_cast<std::size_t>(list.parameter)].kind));
}

QStringList textColumnTitles(std::span<const RecordColumn> columns) {
    QStringList titles;
    for (const RecordColumn& column : columns) {
        if (column.field) {
            titles.append(column.heading);
        }
    }
    return titles;
}

TextLocation locationIn(const RecordList& list, int position, TextField field) {
    if (list.kind == RecordKind::ValueRow) {
        return {field, list.parameter + 1, position + 1};
    }
    return {field, position + 1, 0};
}

} // namespace vornak
