// Many texts changed in one step (a renumbering rewrites every code after a new parameter): a
// table model tells its views with one change over the cells that show any of them, not with a
// signal per text.
#pragma once

#include "DefinitionText.h"

#include <QAbstractItemModel>

#include <algorithm>
#include <utility>
#include <vector>

namespace vornak {

// cellOf gives the (row, column) showing a text, with a column of -1 for a text the model does not
// show.
template <typename CellOf>
void announceChangedCells(QAbstractItemModel& model, const std::vector<TextLocation>& where, CellOf cellOf) {
    int top = model.rowCount(), bottom = -1, left = model.columnCount(), right = -1;
    for (const TextLocation& one : where) {
        const auto [row, column] = cellOf(one);
        if (column >= 0) {
            top = std::min(top, row);
            bottom = std::max(bottom, row);
            left = std::min(left, column);
            right = std::max(right, column);
        }
    }
    if (bottom >= 0) {
        emit model.dataChanged(model.index(top, left), model.index(bottom, right),
                               {Qt::DisplayRole, Qt::EditRole});
    }
}

} // namespace vornak
