#include "ValueTableModel.h"

#include "DefinitionDocument.h"
#include "EditText.h"
#include "Texts.h"

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

    // The shown parameter keeps being shown when its number changes.
    connect(&document, &DefinitionDocument::parameterInserted, this, [this](int position) {
        if (parameter_ >= position) {
            ++parameter_;
            emit parameterChanged(parameter_);
        }
    });
    connect(&document, &DefinitionDocument::parameterAboutToBeRemoved, this, [this](int position) {
        if (position == parameter_) {
            beginResetModel();
            resetting_ = true;
        }
    });
    connect(&document, &DefinitionDocument::parameterRemoved, this, [this](int position) {
        if (resetting_) {
            resetting_ = false;
            parameter_ = -1;
            endResetModel();
            emit parameterChanged(parameter_);
        } else if (parameter_ > position) {
            --parameter_;
            emit parameterChanged(parameter_);
        }
    });
    connect(&document, &DefinitionDocument::parameterMoved, this, [this](int from, int to) {
        int now = parameter_;
        if (parameter_ == from) {
            now = to;
        } else if (from < to && parameter_ > from && parameter_ <= to) {
            now = parameter_ - 1;
        } else if (to < from && parameter_ >= to && parameter_ < from) {
            now = parameter_ + 1;
        }
        if (now != parameter_) {
            parameter_ = now;
            emit parameterChanged(parameter_);
        }
    });

    connect(&document, &DefinitionDocument::valueRowAboutToBeInserted, this,
            [this](int parameter, int position) {
                if (shows(parameter)) {
                    beginInsertRows({}, position, position);
                }
            });
    connect(&document, &DefinitionDocument::valueRowInserted, this, [this](int parameter, int) {
        if (shows(parameter)) {
            endInsertRows();
        }
    });
    connect(&document, &DefinitionDocument::valueRowAboutToBeRemoved, this,
            [this](int parameter, int position) {
                if (shows(parameter)) {
                    beginRemoveRows({}, position, position);
                }
            });
    connect(&document, &DefinitionDocument::valueRowRemoved, this, [this](int parameter, int) {
        if (shows(parameter)) {
            endRemoveRows();
        }
    });
    connect(&document, &DefinitionDocument::valueRowAboutToBeMoved, this,
            [this](int parameter, int from, int to) {
                if (shows(parameter)) {
                    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
                }
            });
    connect(&document, &DefinitionDocument::valueRowMoved, this, [this](int parameter, int, int) {
        if (shows(parameter)) {
            endMoveRows();
        }
    });
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
