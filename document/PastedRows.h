// What a paste into one of the lists would insert: the clipboard's rows cut or filled to the
// columns the list shows, every cell checked against what a definition file can hold, and the
// Russian messages that refuse a paste or note what was left out.
#pragma once

#include "ParameterTransfer.h"
#include "SpreadsheetText.h"
#include "TextCodec.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace vornak {

// A pasted cell the file cannot hold; row and column count from 1 in the pasted rows.
struct PastedCellProblem {
    int row = 0;
    int column = 0;
    DefinitionTextProblem problem = DefinitionTextProblem::None;
    QString text; // the cell as pasted

    bool operator==(const PastedCellProblem&) const = default;
};

struct PastedRows {
    CellRows rows;          // every row has exactly the list's number of columns
    int leftOutColumns = 0; // columns past the list's that held text
    std::optional<PastedCellProblem> refusal;

    bool accepted() const { return !refusal.has_value() && !rows.empty(); }
};

// Cuts each row to `columns` cells (filling missing ones with empty text) and checks every kept
// cell; the first cell the file cannot hold, in reading order, refuses the whole paste. Columns
// past `columns` that are empty in every row (the trailing tab some programs write) are dropped
// without a note.
PastedRows fitPastedRows(const CellRows& rows, int columns);

// "Вставка отменена: строка 2, столбец «Результат» — …", the column named by its title.
QString pasteRefusalText(const PastedCellProblem& problem, const QStringList& columnTitles);
// Said after a paste that left columns out, or an empty text when none was.
QString leftOutColumnsText(int leftOutColumns, int columns);
// Refuses a paste whose table passed the budget, naming its limits.
QString pasteTooLargeText(const TableBudget& budget = {});
// Refuses a paste into an Input parameter that would leave it more than one row.
QString inputOneRowText();
// Why parameters on the clipboard could not be pasted; empty for None.
QString parameterTransferText(ParameterTransferProblem problem);

} // namespace vornak
