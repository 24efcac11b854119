// What the clipboard fuzz targets share: the input's first two bytes choose a cell budget (small,
// so that refusals are common), the rest is the text, read as UTF-8 or, with the first byte's low
// bit set, as Latin-1 (every byte a character, control characters included).
#pragma once

#include "SpreadsheetText.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace vornak::fuzz {

[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "clipboard check failed: %s\n", what);
    std::abort();
}

struct ClipboardInput {
    TableBudget budget;
    QString text;
};

inline ClipboardInput clipboardInput(const std::uint8_t* data, std::size_t size) {
    ClipboardInput input;
    if (size < 2) {
        return input;
    }
    input.budget.maxCells = 1 + ((data[0] << 8 | data[1]) % 3000);
    const auto* bytes = reinterpret_cast<const char*>(data + 2);
    const auto length = static_cast<qsizetype>(size - 2);
    input.text = (data[0] & 1) != 0 ? QString::fromLatin1(bytes, length) : QString::fromUtf8(bytes, length);
    return input;
}

inline qsizetype cellsIn(const CellRows& rows) {
    qsizetype cells = 0;
    for (const QStringList& row : rows) {
        cells += row.size();
    }
    return cells;
}

// The budget only ever refuses: a read within it gives what the usual budget gives, and it refuses
// exactly when that holds more cells than it allows. `usual` stands for the editor's own budget.
template <typename Read>
void checkBudget(const ClipboardInput& input, Read read, const TableBudget& usualBudget = TableBudget{}) {
    const TableRead usual = read(input.text, usualBudget);
    const TableRead small = read(input.text, input.budget);
    if (usual.overBudget) {
        if (!usual.rows.empty()) {
            fail("rows beside a refusal");
        }
        if (!small.overBudget) {
            fail("a smaller budget took what the usual one refused");
        }
        return;
    }
    if (cellsIn(usual.rows) > usualBudget.maxCells) {
        fail("more cells than the budget");
    }
    const bool fits = cellsIn(usual.rows) <= input.budget.maxCells;
    if (small.overBudget == fits) {
        fail("refused within the budget, or taken beyond it");
    }
    if (fits && small.rows != usual.rows) {
        fail("the budget changed what was read");
    }
    if (!fits && !small.rows.empty()) {
        fail("rows beside a refusal");
    }
    const TableRead tight = read(input.text, TableBudget{input.text.size() - 1, usualBudget.maxCells});
    if (!input.text.isEmpty() && !tight.overBudget) {
        fail("a text over the length limit was read");
    }
}

} // namespace vornak::fuzz
