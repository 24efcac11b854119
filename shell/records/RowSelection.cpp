#include "RowSelection.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>

#include <set>

namespace vornak {

std::vector<int> selectedRows(const QAbstractItemView& view) {
    std::set<int> rows;
    if (const QItemSelectionModel* selection = view.selectionModel()) {
        for (const QModelIndex& index : selection->selectedIndexes()) {
            rows.insert(index.row());
        }
    }
    return {rows.begin(), rows.end()};
}

void selectRows(QAbstractItemView& view, const std::vector<int>& rows) {
    QItemSelectionModel* selection = view.selectionModel();
    const QAbstractItemModel* model = view.model();
    if (selection == nullptr || model == nullptr) {
        return;
    }
    const int columns = model->columnCount();
    QItemSelection chosen;
    int first = -1;
    int last = -1;
    for (const int row : rows) {
        if (row >= 0 && row < model->rowCount() && columns > 0) {
            chosen.select(model->index(row, 0), model->index(row, columns - 1));
            first = first < 0 ? row : first;
            last = row;
        }
    }
    if (first < 0) {
        return;
    }
    selection->setCurrentIndex(model->index(first, 0), QItemSelectionModel::NoUpdate);
    selection->select(chosen, QItemSelectionModel::ClearAndSelect);
    view.scrollTo(model->index(last, 0));
    view.scrollTo(model->index(first, 0));
}

} // namespace vornak
