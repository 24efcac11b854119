// The value rows of the current parameter, with the columns of its kind: List "Значение",
// "Результат"; Range ">=", "<", "Результат"; Input "Начальное значение", "Результат"; any other kind
// code no columns and no rows. Follows the current parameter through inserts, removals and moves of
// parameters; holds no data of its own; edits become undo commands.
#pragma once

#include "RecordListModel.h"

#include <cstdint>
#include <optional>

namespace vornak {

class ValueTableModel : public RecordListModel {
    Q_OBJECT

public:
    explicit ValueTableModel(DefinitionDocument& document, QObject* parent = nullptr);

    // The parameter whose rows are shown (0-based), or -1 for none. Resets the model.
    void setParameter(int parameter);
    int parameter() const { return parameter_; }
    // The kind the columns are laid out for (the current parameter's), or nothing without one.
    std::optional<std::uint8_t> kind() const;

    RecordList list() const override;
    std::span<const RecordColumn> columns() const override;

signals:
    // The shown parameter changed: set by setParameter, or followed (its number moved, or it was
    // removed and none is shown).
    void parameterChanged(int parameter);

protected:
    int rowOf(const TextLocation& where) const override;

private:
    void aboutToChange(const RecordChange& change);
    void changed(const RecordChange& change);
    // Whether the rows of this parameter are the ones shown.
    bool shows(int parameter) const;

    int parameter_ = -1;
    bool resetting_ = false;
};

} // namespace vornak
