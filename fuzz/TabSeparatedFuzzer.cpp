// libFuzzer target for the clipboard's tab-separated reader: no input crashes it or passes its
// budget (see ClipboardFuzzer.h), and what it reads, written out again, reads back the same.
#include "ClipboardFuzzer.h"

using namespace vornak;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ClipboardInput input = fuzz::clipboardInput(data, size);
    fuzz::checkBudget(input, [](const QString& text, const TableBudget& budget) {
        return readTabSeparated(text, budget);
    });
    const TableRead read = readTabSeparated(input.text);
    if (read.overBudget || read.rows.empty()) {
        return 0;
    }
    // A last row of one empty cell is a final line end, which adds no row when read back.
    CellRows rows = read.rows;
    while (!rows.empty() && rows.back().size() == 1 && rows.back().front().isEmpty()) {
        rows.pop_back();
    }
    if (parseTabSeparated(toTabSeparated(rows)) != rows) {
        fuzz::fail("written rows read back differently");
    }
    return 0;
}
