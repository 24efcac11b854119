// The parameter list and the result table: one row per record in definition order, column 0 its
// number (computed, not editable), then one column per text as the list's column table says.
// Holds no data of its own; edits become undo commands.
#pragma once

#include "RecordListModel.h"

namespace vornak {

class RecordTableModel : public RecordListModel {
    Q_OBJECT

public:
    // RecordKind::Parameter ("N", "Название") or RecordKind::Result ("N", "Название", "Результат").
    RecordTableModel(DefinitionDocument& document, RecordKind kind, QObject* parent = nullptr);

    RecordKind kind() const { return kind_; }

    RecordList list() const override { return {kind_, -1}; }
    std::span<const RecordColumn> columns() const override { return columns_; }

protected:
    int rowOf(const TextLocation& where) const override { return where.record - 1; }

private:
    bool follows(const RecordChange& change) const { return change.list.kind == kind_; }
    void aboutToChange(const RecordChange& change);
    void changed(const RecordChange& change);
    void renumberFrom(int row);

    RecordKind kind_;
    std::span<const RecordColumn> columns_;
};

} // namespace vornak
