// Several selected rows in a list: which rows are selected, and selecting a set of rows as one
// selection with the first of them current.
#pragma once

#include <vector>

class QAbstractItemView;

namespace vornak {

// The rows of a view that have a selected cell, in ascending order.
std::vector<int> selectedRows(const QAbstractItemView& view);
// Selects exactly these rows (the first of them current) and brings them into view; rows outside
// the model are left out.
void selectRows(QAbstractItemView& view, const std::vector<int>& rows);

} // namespace vornak
