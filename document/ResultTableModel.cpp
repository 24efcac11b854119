#include "ResultTableModel.h"

#include "DefinitionDocument.h"
#include "EditText.h"
#include "Texts.h"

namespace vornak {

ResultTableModel::ResultTableModel(DefinitionDocument& document, QObject* parent)
    : QAbstractTableModel(parent), document_(document) {
    connect(&document, &DefinitionDocument::documentAboutToBeReset, this, [this] { beginResetModel(); });
    connect(&document, &DefinitionDocument::documentReset, this, [this] { endResetModel(); });
    connect(&document, &DefinitionDocument::resultAboutToBeInserted, this,
            [this](int position) { beginInsertRows({}, position, position); });
    connect(&document, &DefinitionDocument::resultInserted, this, [this](int position) {
        endInsertRows();
        renumberFrom(position + 1);
    });
    connect(&document, &DefinitionDocument::resultAboutToBeRemoved, this,
            [this](int position) { beginRemoveRows({}, position, position); });
    connect(&document, &DefinitionDocument::resultRemoved, this, [this](int position) {
        endRemoveRows();
        renumberFrom(position);
    });
    connect(&document, &DefinitionDocument::resultAboutToBeMoved, this,
            [this](int from, int to) { beginMoveRows({}, from, from, {}, to > from ? to + 1 : to); });
    connect(&document, &DefinitionDocument::resultMoved, this, [this](int from, int to) {
        endMoveRows();
        renumberFrom(std::min(from, to));
    });
    connect(&document, &DefinitionDocument::textChanged, this, [this](const TextLocation& where) {
        if (where.field == TextField::ResultName || where.field == TextField::ResultText) {
            const QModelIndex cell =
                index(where.record - 1, where.field == TextField::ResultName ? NameColumn : ResultColumn);
            emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
        }
    });
}

int ResultTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(document_.definition().results.size());
}

int ResultTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ResultTableModel::data(const QModelIndex& index, int role) const {
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
    const ResultRow& row = document_.definition().results[static_cast<std::size_t>(index.row())];
    return displayText(index.column() == NameColumn ? row.name : row.result);
}

QVariant ResultTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
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
    case ResultColumn:
        return texts::columnResult;
    default:
        return {};
    }
}

Qt::ItemFlags ResultTableModel::flags(const QModelIndex& index) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() != NumberColumn) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

bool ResultTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid) ||
        index.column() == NumberColumn) {
        return false;
    }
    const TextField field = index.column() == NameColumn ? TextField::ResultName : TextField::ResultText;
    return document_.setCell({field, index.row() + 1, 0}, value.toString());
}

void ResultTableModel::renumberFrom(int row) {
    const int last = rowCount() - 1;
    if (row <= last) {
        emit dataChanged(index(row, NumberColumn), index(last, NumberColumn),
                         {Qt::DisplayRole, Qt::EditRole});
    }
}

} // namespace vornak
