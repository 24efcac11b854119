// Rows of cells as spreadsheets exchange them on the clipboard: tab-separated lines (what every
// spreadsheet reads and writes as plain text) and an HTML table (what LibreOffice Calc, Excel and
// Google Sheets put beside it, and what Calc pastes as cells). Reading takes what those programs
// write: a full HTML document with styles, cells with attributes, entities, <br> inside a cell,
// merged cells, and quoted cells in the plain text.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace vornak {

using CellRows = std::vector<QStringList>;

// What a paste may take: many times what any list of a definition holds (a few thousand rows of
// three columns), yet little enough that reading and inserting it neither exhausts memory nor
// holds the window up for long. Cells are counted as they are made, the empty ones merged cells leave included, so that a
// few bytes of spans are refused before they are allocated.
struct TableBudget {
    qsizetype maxTextLength = 8 * 1024 * 1024; // characters of the plain text or of the HTML
    qsizetype maxCells = 100'000;

    bool operator==(const TableBudget&) const = default;
};

// Rows read from the clipboard, or none and overBudget when the text or its cells passed the budget.
struct TableRead {
    CellRows rows;
    bool overBudget = false;

    bool operator==(const TableRead&) const = default;
};

// Lines joined by "\n", cells by tabs. A cell holding a tab, a line break or starting with a
// quotation mark is quoted as spreadsheets do ("a""b" for a"b), so that it reads back whole.
QString toTabSeparated(const CellRows& rows);
// A complete HTML document with one table, a row per row and a cell per cell, text escaped and
// spaces a browser would fold kept as no-break spaces.
QString toHtmlTable(const CellRows& rows);

// Splits lines at CR LF, LF or CR and cells at tabs; a final line end adds no row. A cell that
// starts with a quotation mark and closes it right before a tab, a line end or the end is quoted:
// it may hold tabs and line breaks (as LF), and "" stands for ". Any other cell is taken as it is.
TableRead readTabSeparated(const QString& text, const TableBudget& budget = {});
// The rows alone, with the usual budget: none when over it.
CellRows parseTabSeparated(const QString& text);
// The cells of the first table in the document, row by row, as a browser shows their text:
// spaces folded, <br> a line break, entities resolved, no-break spaces as plain spaces. A cell
// spanning several columns or rows gives empty cells in the others, as spreadsheets paste them.
// No table: no rows. Spans are taken up to 1000 columns and rows each, within the budget.
TableRead readHtmlTable(const QString& html, const TableBudget& budget = {});
// The rows alone, with the usual budget: none when over it.
CellRows parseHtmlTable(const QString& html);

// The rows a clipboard offers: the plain text, unless it is missing, or has no tab while the HTML
// holds a table of several columns (a table copied from a web page may carry its text line by line).
// Over budget when a part it has to read is: a paste is refused rather than taken from the other.
TableRead rowsFromClipboard(const QString& plainText, const QString& html, const TableBudget& budget = {});

} // namespace vornak
