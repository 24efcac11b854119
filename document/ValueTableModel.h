// The value rows of the current parameter, with the columns of its kind: List "Значение",
// "Результат"; Range ">=", "<", "Результат"; Input "Начальное значение", "Результат"; any other kind
// code no columns and no rows. Follows the current parameter through inserts, removals and moves of
// parameters; holds no data of its own; edits become undo commands.
#pragma once

#include "DefinitionText.h"
#include "RecordChange.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <optional>

namespace vornak {

class DefinitionDocument;

class ValueTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ValueTableModel(DefinitionDocument& document, QObject* parent = nullptr);

    // The parameter whose rows are shown (0-based), or -1 for none. Resets the model.
    void setParameter(int parameter);
    int parameter() const { return parameter_; }
    // The kind the columns are laid out for (the current parameter's), or nothing without one.
    std::optional<std::uint8_t> kind() const;
    // The text a cell of this model names, or nothing for a cell outside it.
    std::optional<TextLocation> locationOf(const QModelIndex& index) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    // The shown parameter changed: set by setParameter, or followed (its number moved, or it was
    // removed and none is shown).
    void parameterChanged(int parameter);

private:
    void aboutToChange(const RecordChange& change);
    void changed(const RecordChange& change);
    bool shows(int parameter) const;
    bool showsRows() const;

    DefinitionDocument& document_;
    int parameter_ = -1;
    bool resetting_ = false;
};

} // namespace vornak
