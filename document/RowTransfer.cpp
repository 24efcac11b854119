#include "RowTransfer.h"

#include "DefinitionDocument.h"
#include "PastedRows.h"
#include "RecordClipboard.h"
#include "RecordColumns.h"
#include "RecordCommands.h"
#include "RecordRows.h"

#include <algorithm>

namespace vornak {

namespace {

RowTransfer refused(const QString& text) {
    RowTransfer transfer;
    transfer.refusal = text;
    return transfer;
}

// Whole parameters from the data; nothing when it carries none, so that its text is taken instead.
std::optional<RowTransfer> insertWholeParameters(DefinitionDocument& document, int position,
                                                 const QMimeData* data) {
    const std::optional<ParameterTransfer> whole = pastedParameters(data);
    if (!whole) {
        return std::nullopt;
    }
    if (whole->problem != ParameterTransferProblem::None) {
        return refused(parameterTransferText(whole->problem));
    }
    if (whole->parameters.empty()) {
        return RowTransfer{};
    }
    RowTransfer transfer;
    transfer.placed = document.insertRecords(RecordList::parameters(), position, whole->parameters,
                                             pasteUndoText(RecordKind::Parameter));
    if (transfer.placed.empty()) {
        transfer.refusal = parameterTransferText(ParameterTransferProblem::Damaged);
    }
    return transfer;
}

RecordBlock recordsFrom(const CellRows& rows, const RecordList& list, std::uint8_t valueKind) {
    switch (list.kind) {
    case RecordKind::Parameter:
        return parametersFromCells(rows);
    case RecordKind::ValueRow:
        return valueRowsFromCells(rows, valueKind);
    case RecordKind::Result:
        break;
    }
    return resultsFromCells(rows);
}

} // namespace

std::unique_ptr<QMimeData> copiedRows(const ReportDefinition& definition, const RecordList& list,
                                      const std::vector<int>& positions) {
    const CellRows cells = recordCells(definition, list, positions);
    if (cells.empty()) {
        return nullptr;
    }
    if (list.kind != RecordKind::Parameter) {
        return recordsMimeData(cells);
    }
    std::vector<ParameterRecord> whole;
    for (const int position : positions) {
        if (position >= 0 && static_cast<std::size_t>(position) < definition.parameters.size()) {
            whole.push_back(definition.parameters[static_cast<std::size_t>(position)]);
        }
    }
    return recordsMimeData(cells, &whole);
}

bool offersRows(const QMimeData* data) {
    return canPasteRecords(data);
}

RowTransfer insertOfferedRows(DefinitionDocument& document, const RecordList& list, int position,
                              const QMimeData* data, const TableBudget& budget) {
    if (!offersRows(data)) {
        return {};
    }
    const int count = document.recordCount(list);
    position = std::clamp(position, 0, count);
    if (list.kind == RecordKind::Parameter) {
        if (std::optional<RowTransfer> whole = insertWholeParameters(document, position, data)) {
            return *whole;
        }
    }
    const ReportDefinition& definition = document.definition();
    const QStringList titles = textColumnTitles(columnsOf(definition, list));
    if (titles.isEmpty()) {
        return {}; // a value list of a parameter that is not there, or of a kind it shows nothing for
    }
    const std::uint8_t valueKind =
        list.kind == RecordKind::ValueRow
            ? static_cast<std::uint8_t>(definition.parameters[static_cast<std::size_t>(list.parameter)].kind)
            : 0;
    const TableRead read = pastedRows(data, budget);
    if (read.overBudget) {
        return refused(pasteTooLargeText(budget));
    }
    const PastedRows fitted = fitPastedRows(read.rows, static_cast<int>(titles.size()));
    if (fitted.refusal) {
        return refused(pasteRefusalText(*fitted.refusal, titles));
    }
    if (fitted.rows.empty()) {
        return {};
    }
    if (list.kind == RecordKind::ValueRow && valueKind == static_cast<std::uint8_t>(ValueKind::Input) &&
        count + static_cast<int>(fitted.rows.size()) > 1) {
        return refused(inputOneRowText());
    }
    RowTransfer transfer;
    transfer.placed = document.insertRecords(list, position, recordsFrom(fitted.rows, list, valueKind),
                                             pasteUndoText(list.kind));
    if (!transfer.placed.empty()) {
        transfer.note = leftOutColumnsText(fitted.leftOutColumns, static_cast<int>(titles.size()));
    }
    return transfer;
}

} // namespace vornak
