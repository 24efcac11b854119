#include "ParameterTableModel.h"

#include "DefinitionDocument.h"
#include "EditText.h"
#include "Texts.h"

namespace vornak {

ParameterTableModel::ParameterTableModel(DefinitionDocument& document, QObject* parent)
    : QAbstractTableModel(parent), document_(document) {
    connect(&document, &DefinitionDocument::documentAboutToBeReset, this, [this] { beginResetModel(); });
    connect(&document, &DefinitionDocument::documentReset, this, [this] { endResetModel(); });
    connect(&document, &DefinitionDocument::parameterAboutToBeInserted, this,
            [this](int position) { beginInsertRows({}, position, position); });
    connect(&document, &DefinitionDocument::parameterInserted, this, [this](int position) {
        endInsertRows();
        renumberFrom(position + 1);
    });
    connect(&document, &DefinitionDocument::parameterAboutToBeRemoved, this,
            [this](int position) { beginRemoveRows({}, position, position); });
    connect(&document, &DefinitionDocument::parameterRemoved, this, [this](int position) {
        endRemoveRows();
        renumberFrom(position);
    });
    connect(&document, &DefinitionDocument::parameterAboutToBeMoved, this,
            [this](int from, int to) { beginMoveRows({}, from, from, {}, to > from ? to + 1 : to); });
    connect(&document, &DefinitionDocument::parameterMoved, this, [this](int from, int to) {
        endMoveRows();
        renumberFrom(std::min(from, to));
    });
    connect(&document, &DefinitionDocument::textChanged, this, [this](const TextLocation& where) {
        if (where.field == TextField::ParameterName) {
            const QModelIndex cell = index(where.record - 1, NameColumn);
            emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
        }
    });
}

int ParameterTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(document_.definition().parameters.size());
}

int ParameterTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ParameterTableModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        return static_cast<int>(Qt::AlignLeft); // views read it with toInt()
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole) {
        return {};
    }
    if (index.column() == NumberColumn) {
        return QString::number(index.row() + 1);
    }
    return displayText(document_.definition().parameters[static_cast<std::size_t>(index.row())].name);
}

QVariant ParameterTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return QString::number(section + 1);
    }
    switch (section) {
    case NumberColumn:
        return texts::columnNumber;
    case NameColumn:
        return texts::columnName;
    default:
        return {};
    }
}

Qt::ItemFlags ParameterTableModel::flags(const QModelIndex& index) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == NameColumn) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

bool ParameterTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid) ||
        index.column() != NameColumn) {
        return false;
    }
    return document_.setCell({TextField::ParameterName, index.row() + 1, 0}, value.toString());
}

void ParameterTableModel::renumberFrom(int row) {
    const int last = rowCount() - 1;
    if (row <= last) {
        emit dataChanged(index(row, NumberColumn), index(last, NumberColumn),
                         {Qt::DisplayRole, Qt::EditRole});
    }
}

} // namespace vornak
