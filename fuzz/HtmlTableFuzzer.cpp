// libFuzzer target for the clipboard's HTML table reader, merged cells included: no input crashes
// it or passes its budget (see ClipboardFuzzer.h); no row is wider than a thousand columns a cell
// could span per column it starts; and what it reads, written out as a table and read again, keeps
// its shape.
#include "ClipboardFuzzer.h"

using namespace vornak;

// A few spans make the editor's own budget of cells from a few bytes, and every input is read five
// times: the budget's logic is the same at any size, so the usual budget here is a smaller one
// (the editor's figure itself is held by the paste tests), which keeps each run short.
const TableBudget usualBudget{TableBudget{}.maxTextLength, 4000};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ClipboardInput input = fuzz::clipboardInput(data, size);
    fuzz::checkBudget(
        input, [](const QString& text, const TableBudget& budget) { return readHtmlTable(text, budget); },
        usualBudget);
    const TableRead read = readHtmlTable(input.text, usualBudget);
    if (read.overBudget) {
        return 0;
    }
    for (const QStringList& row : read.rows) {
        // Each cell of a row comes from a tag or a span of one: at most 1000 per "<" of the text.
        if (row.size() > 1000 * (input.text.count(u'<') + 1)) {
            fuzz::fail("a row wider than its tags could make it");
        }
    }
    const CellRows again = parseHtmlTable(toHtmlTable(read.rows));
    if (again.size() != read.rows.size()) {
        fuzz::fail("a written table read back with another number of rows");
    }
    for (std::size_t r = 0; r < again.size(); ++r) {
        if (again[r].size() != read.rows[r].size()) {
            fuzz::fail("a written row read back with another number of cells");
        }
    }
    return 0;
}
