// Rows leaving a list and rows arriving in one, whether by the clipboard or by a drag: the selected
// rows go as the cells the list shows (tab-separated text and an HTML table) and, for parameters,
// whole in Vornak's own type; rows arriving — a spreadsheet's, a web page's table, or parameters
// from another definition — are checked as the file would hold them and go in as one undo step,
// or not at all, with the message that says why.
#pragma once

#include "RecordChange.h"
#include "SpreadsheetText.h"

#include <QMimeData>
#include <QString>

#include <memory>
#include <vector>

namespace vornak {

class DefinitionDocument;

// What became of rows offered to a list.
struct RowTransfer {
    std::vector<int> placed; // where the rows went in, ascending; empty when none did
    QString refusal;         // why none went in, when the user should be told; else empty
    QString note;            // what was left out of rows that went in; else empty

    bool operator==(const RowTransfer&) const = default;
};

// The rows at `positions` (0-based, ascending) as they leave a list; null when none of them is there
// or the list shows no columns.
std::unique_ptr<QMimeData> copiedRows(const ReportDefinition& definition, const RecordList& list,
                                      const std::vector<int>& positions);

// True when the data offers anything the list could take in (the check of its contents comes with
// the insertion).
bool offersRows(const QMimeData* data);

// Inserts the rows the data offers in front of the record at `position` (the count: at the end) as
// one undo step: whole parameters when the data carries them and the list is the parameters', else
// the rows of its text or HTML cut to the list's columns. Nothing changes when any cell is one the
// file cannot hold, the table passes the budget, an Input parameter would get a second row, or the
// whole parameters are damaged or newer: the refusal then says so.
RowTransfer insertOfferedRows(DefinitionDocument& document, const RecordList& list, int position,
                              const QMimeData* data, const TableBudget& budget = {});

} // namespace vornak
