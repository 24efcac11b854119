#include "RecordTableModel.h"

#include "ChangedCells.h"
#include "DefinitionDocument.h"
#include "EditText.h"
#include "Texts.h"

#include <algorithm>
#include <array>

namespace vornak {

namespace {

const std::array<RecordTableModel::Column, 2>& parameterColumns() {
    static const std::array<RecordTableModel::Column, 2> columns{{
        {texts::columnNumber, std::nullopt},
        {texts::columnName, TextField::ParameterName},
    }};
    return columns;
}

const std::array<RecordTableModel::Column, 3>& resultColumns() {
    static const std::array<RecordTableModel::Column, 3> columns{{
        {texts::columnNumber, std::nullopt},
        {texts::columnName, TextField::ResultName},
        {texts::columnResult, TextField::ResultText},
    }};
    return columns;
}

} // namespace

RecordTableModel::RecordTableModel(DefinitionDocument& document, RecordKind kind, QObject* parent)
    : QAbstractTableModel(parent), document_(document), kind_(kind) {
    Q_ASSERT(kind != RecordKind::ValueRow);
    if (kind == RecordKind::Parameter) {
        columns_ = parameterColumns();
    } else {
        columns_ = resultColumns();
    }
    connect(&document, &DefinitionDocument::documentAboutToBeReset, this, [this] { beginResetModel(); });
    connect(&document, &DefinitionDocument::documentReset, this, [this] { endResetModel(); });
    connect(&document, &DefinitionDocument::recordsAboutToChange, this, &RecordTableModel::aboutToChange);
    connect(&document, &DefinitionDocument::recordsChanged, this, &RecordTableModel::changed);
    connect(&document, &DefinitionDocument::textChanged, this, [this](const TextLocation& where) {
        const int column = columnOf(where.field);
        if (column >= 0) {
            const QModelIndex cell = index(where.record - 1, column);
            emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
        }
    });
    // Many texts at once: one change over the rows and columns they span.
    connect(&document, &DefinitionDocument::textsChanged, this,
            [this](const std::vector<TextLocation>& where) {
                announceChangedCells(*this, where, [this](const TextLocation& one) {
                    return std::pair(one.record - 1, columnOf(one.field));
                });
            });
}

int RecordTableModel::columnOf(TextField field) const {
    for (std::size_t column = 0; column < columns_.size(); ++column) {
        if (columns_[column].field == field) {
            return static_cast<int>(column);
        }
    }
    return -1;
}

void RecordTableModel::aboutToChange(const RecordChange& change) {
    if (!follows(change)) {
        return;
    }
    switch (change.type) {
    case RecordChange::Type::Insert:
        beginInsertRows({}, change.first, change.last());
        break;
    case RecordChange::Type::Remove:
        beginRemoveRows({}, change.first, change.last());
        break;
    case RecordChange::Type::Move:
        beginMoveRows({}, change.first, change.last(), {},
                      change.to > change.first ? change.to + change.count : change.to);
        break;
    }
}

void RecordTableModel::changed(const RecordChange& change) {
    if (!follows(change)) {
        return;
    }
    switch (change.type) {
    case RecordChange::Type::Insert:
        endInsertRows();
        renumberFrom(change.first + change.count);
        break;
    case RecordChange::Type::Remove:
        endRemoveRows();
        renumberFrom(change.first);
        break;
    case RecordChange::Type::Move:
        endMoveRows();
        renumberFrom(std::min(change.first, change.to));
        break;
    }
}

std::optional<TextLocation> RecordTableModel::locationOf(const QModelIndex& index) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return std::nullopt;
    }
    const std::optional<TextField> field = columns_[static_cast<std::size_t>(index.column())].field;
    if (!field) {
        return std::nullopt;
    }
    return TextLocation{*field, index.row() + 1, 0};
}

int RecordTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) {
        return 0;
    }
    const ReportDefinition& definition = document_.definition();
    return static_cast<int>(kind_ == RecordKind::Parameter ? definition.parameters.size()
                                                           : definition.results.size());
}

int RecordTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant RecordTableModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        return static_cast<int>(Qt::AlignLeft); // views read it with toInt()
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole) {
        return {};
    }
    const std::optional<TextLocation> where = locationOf(index);
    if (!where) {
        return QString::number(index.row() + 1);
    }
    return displayText(textAt(document_.definition(), *where));
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || section < 0) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return QString::number(section + 1);
    }
    if (static_cast<std::size_t>(section) >= columns_.size()) {
        return {};
    }
    return columns_[static_cast<std::size_t>(section)].heading;
}

Qt::ItemFlags RecordTableModel::flags(const QModelIndex& index) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (columns_[static_cast<std::size_t>(index.column())].field) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

bool RecordTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const std::optional<TextLocation> where = locationOf(index);
    if (role != Qt::EditRole || !where) {
        return false;
    }
    return document_.setCell(*where, value.toString());
}

void RecordTableModel::renumberFrom(int row) {
    const int last = rowCount() - 1;
    if (row <= last) {
        emit dataChanged(index(row, 0), index(last, 0), {Qt::DisplayRole, Qt::EditRole});
    }
}

} // namespace vornak
