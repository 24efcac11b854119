#include "RecordTableModel.h"

#include "DefinitionDocument.h"

#include <algorithm>

namespace vornak {

RecordTableModel::RecordTableModel(DefinitionDocument& document, RecordKind kind, QObject* parent)
    : RecordListModel(document, parent), kind_(kind) {
    Q_ASSERT(kind != RecordKind::ValueRow);
    columns_ = kind == RecordKind::Parameter ? parameterColumns() : resultColumns();
    connect(&document, &DefinitionDocument::documentAboutToBeReset, this, [this] { beginResetModel(); });
    connect(&document, &DefinitionDocument::documentReset, this, [this] { endResetModel(); });
    connect(&document, &DefinitionDocument::recordsAboutToChange, this, &RecordTableModel::aboutToChange);
    connect(&document, &DefinitionDocument::recordsChanged, this, &RecordTableModel::changed);
}

void RecordTableModel::aboutToChange(const RecordChange& change) {
    if (follows(change)) {
        beginRowChange(change);
    }
}

void RecordTableModel::changed(const RecordChange& change) {
    if (!follows(change)) {
        return;
    }
    endRowChange(change);
    // The numbers below the change are new.
    switch (change.type) {
    case RecordChange::Type::Insert:
        renumberFrom(change.first + change.count);
        break;
    case RecordChange::Type::Remove:
        renumberFrom(change.first);
        break;
    case RecordChange::Type::Move:
        renumberFrom(std::min(change.first, change.to));
        break;
    }
}

void RecordTableModel::renumberFrom(int row) {
    const int last = rowCount() - 1;
    if (row <= last) {
        emit dataChanged(index(row, 0), index(last, 0), {Qt::DisplayRole, Qt::EditRole});
    }
}

} // namespace vornak
