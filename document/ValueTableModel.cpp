#include "ValueTableModel.h"

#include "DefinitionDocument.h"


namespace vornak {

ValueTableModel::ValueTableModel(DefinitionDocument& document, QObject* parent)
    : RecordListModel(document, parent) {
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
    beginRowChange(change);
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
    endRowChange(change);
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

RecordList ValueTableModel::list() const {
    return RecordList::valueRows(parameter_);
}

std::span<const RecordColumn> ValueTableModel::columns() const {
    const std::optional<std::uint8_t> shown = kind();
    return shown ? valueColumns(*shown) : std::span<const RecordColumn>();
}

int ValueTableModel::rowOf(const TextLocation& where) const {
    return shows(where.record - 1) ? where.row - 1 : -1;
}

bool ValueTableModel::shows(int parameter) const {
    return parameter_ >= 0 && parameter == parameter_ && !columns().empty();
}

} // namespace vornak
