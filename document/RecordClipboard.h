// What the three lists put on the clipboard and take from it: selected rows as tab-separated text
// and an HTML table (the cells the list shows), and for parameters also the whole records in
// Vornak's own type, so that they can go to another definition complete.
#pragma once

#include "ParameterTransfer.h"
#include "SpreadsheetText.h"

#include <QMimeData>

#include <memory>
#include <optional>
#include <vector>

namespace vornak {

// The clipboard type carrying whole parameters.
inline constexpr char parametersMimeType[] = "application/x-vornak-parameters";

// The rows as plain text and HTML; with parameters given, those too, whole.
std::unique_ptr<QMimeData> recordsMimeData(const CellRows& rows,
                                           const std::vector<ParameterRecord>* parameters = nullptr);

// True when the clipboard offers anything a list could paste.
bool canPasteRecords(const QMimeData* data);

// Whole parameters on the clipboard, if it carries Vornak's type (then `problem` may say why they
// cannot be taken); nothing otherwise.
std::optional<ParameterTransfer> pastedParameters(const QMimeData* data);
// The rows the clipboard's text or HTML holds, or none over the budget (see rowsFromClipboard).
TableRead pastedRows(const QMimeData* data, const TableBudget& budget = {});

} // namespace vornak
