#include "ValueTableModel.h"

#include "ChangedCells.h"
#include "DefinitionDocument.h"
#include "EditText.h"
#include "Texts.h"

#include <algorithm>

namespace vornak {

namespace {

constexpr auto listKind = static_cast<std::uint8_t>(ValueKind::List);
constexpr auto rangeKind = static_cast<std::uint8_t>(ValueKind::Range);
constexpr auto inputKind = static_cast<std::uint8_t>(ValueKind::Input);

int columnsOf(std::uint8_t kind) {
    switch (kind) {
    case listKind:
    case inputKind:
        return 2;
    case rangeKind:
        return 3;
    default:
        return 0;
    }
}

// The cell a column shows for a kind.
TextField fieldOf(std::uint8_t kind, int column) {
    if (column == 0) {
        return TextField::Value;
    }
    if (kind == rangeKind && column == 1) {
        return TextField::UpperBound;
    }
    return TextField::ValueResult;
}

// The column a cell is shown in for a kind, or -1.
int columnOf(std::uint8_t kind, TextField field) {
    switch (field) {
    case TextField::Value:
        return 0;
    case TextField::UpperBound:
        return kind == rangeKind ? 1 : -1;
    case TextField::ValueResult:
        return kind == rangeKind ? 2 : 1;
    default:
        return -1;
    }
}

const std::string& cellOf(const ValueRow& row, TextField field) {
    switch (field) {
    case TextField::Value:
        return row.value;
    case TextField::UpperBound:
        return row.upperBound;
    default:
        return row.result;
    }
}

} // namespace

ValueTableModel::ValueTableModel(DefinitionDocument& document, QObject* parent)
    : QAbstractTableModel(parent), document_(document) {
    parameter_ = document.definition().parameters.empty() ? -1 : 0;

    connect(&document, &DefinitionDocument::documentAboutToBeReset, this, [this] { beginResetModel(); });
    connect(&document, &DefinitionDocument::documentReset, this, [this] {
        parameter_ = document_.definition().parameters.empty() ? -1 : 0;
        endResetModel();
        emit parameterChanged(parameter_);
    });
    connect(&document, &DefinitionDocument::kindAboutToChange, this, [this](int parameter) {
        if (parameter == parameter_) {
            beginResetModel();
        }
    });
    connect(&document, &DefinitionDocument::kindChanged, this, [this](int parameter) {
        if (parameter == parameter_) {
            endResetModel();
        }
    });

    connect(&document, &DefinitionDocument::recordsAboutToChange, this, &ValueTableModel::aboutToChange);
    connect(&document, &DefinitionDocument::recordsChanged, this, &ValueTableModel::changed);
    connect(&document, &DefinitionDocument::textChanged, this, [this](const TextLocation& where) {
        if (!shows(where.record - 1)) {
            return;
        }
        const int column = columnOf(*kind(), where.field);
        if (column >= 0) {
            const QModelIndex cell = index(where.row - 1, column);
            emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
        }
    });
    // Many texts at once: one change over the shown rows and columns they span.
    connect(&document, &DefinitionDocument::textsChanged, this,
            [this](const std::vector<TextLocation>& where) {
                announceChangedCells(*this, where, [this](const TextLocation& one) {
                    return std::pair(one.row - 1, shows(one.record - 1) ? columnOf(*kind(), one.field) : -1);
                });
            });
}

void ValueTableModel::aboutToChange(const RecordChange& change) {
    if (change.list.kind == RecordKind::Parameter) {
        if (change.type == RecordChange::Type::Remove && parameter_ >= 0 && change.follow(parameter_) < 0) {
            beginResetModel(); // the shown parameter goes
            resetting_ = true;
        }
        return;
    }
    if (change.list.kind != RecordKind::ValueRow || !shows(change.list.parameter)) {
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

void ValueTableModel::changed(const RecordChange& change) {
    if (change.list.kind == RecordKind::Parameter) {
        // The shown parameter keeps being shown when its number changes.
        if (resetting_) {
            resetting_ = false;
            parameter_ = -1;
            endResetModel();
            emit parameterChanged(parameter_);
        } else if (parameter_ >= 0 && change.follow(parameter_) != parameter_) {
            parameter_ = change.follow(parameter_);
            emit parameterChanged(parameter_);
        }
        return;
    }
    if (change.list.kind != RecordKind::ValueRow || !shows(change.list.parameter)) {
        return;
    }
    switch (change.type) {
    case RecordChange::Type::Insert:
        endInsertRows();
        break;
    case RecordChange::Type::Remove:
        endRemoveRows();
        break;
    case RecordChange::Type::Move:
        endMoveRows();
        break;
    }
}

void ValueTableModel::setParameter(int parameter) {
    const auto count = static_cast<int>(document_.definition().parameters.size());
    if (parameter < 0 || parameter >= count) {
        parameter = -1;
    }
    if (parameter == parameter_) {
        return;
    }
    beginResetModel();
    parameter_ = parameter;
    endResetModel();
    emit parameterChanged(parameter_);
}

std::optional<std::uint8_t> ValueTableModel::kind() const {
    if (parameter_ < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(
        document_.definition().parameters[static_cast<std::size_t>(parameter_)].kind);
}

bool ValueTableModel::showsRows() const {
    const std::optional<std::uint8_t> shown = kind();
    return shown && columnsOf(*shown) > 0;
}

bool ValueTableModel::shows(int parameter) const {
    return parameter == parameter_ && showsRows();
}

std::optional<TextLocation> ValueTableModel::locationOf(const QModelIndex& index) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return std::nullopt;
    }
    return TextLocation{fieldOf(*kind(), index.column()), parameter_ + 1, index.row() + 1};
}

int ValueTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !showsRows()) {
        return 0;
    }
    return static_cast<int>(
        document_.definition().parameters[static_cast<std::size_t>(parameter_)].values.size());
}

int ValueTableModel::columnCount(const QModelIndex& parent) const {
    const std::optional<std::uint8_t> shown = kind();
    return parent.isValid() || !shown ? 0 : columnsOf(*shown);
}

QVariant ValueTableModel::data(const QModelIndex& index, int role) const {
    const std::optional<TextLocation> where = locationOf(index);
    if (!where) {
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        return static_cast<int>(Qt::AlignLeft); // views read it with toInt()
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole) {
        return {};
    }
    const ParameterRecord& record = document_.definition().parameters[static_cast<std::size_t>(parameter_)];
    return displayText(cellOf(record.values[static_cast<std::size_t>(index.row())], where->field));
}

QVariant ValueTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    const std::optional<std::uint8_t> shown = kind();
    if (role != Qt::DisplayRole || !shown || section < 0) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return QString::number(section + 1);
    }
    switch (*shown) {
    case listKind:
        return section == 0 ? texts::columnValue : section == 1 ? texts::columnResult : QVariant();
    case rangeKind:
        return section == 0   ? texts::columnLowerBound
               : section == 1 ? texts::columnUpperBound
               : section == 2 ? texts::columnResult
                              : QVariant();
    case inputKind:
        return section == 0 ? texts::columnInitialValue : section == 1 ? texts::columnResult : QVariant();
    default:
        return {};
    }
}

Qt::ItemFlags ValueTableModel::flags(const QModelIndex& index) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

bool ValueTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const std::optional<TextLocation> where = locationOf(index);
    if (role != Qt::EditRole || !where) {
        return false;
    }
    return document_.setCell(*where, value.toString());
}

} // namespace vornak
