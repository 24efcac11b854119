// The parameter list and the result table: one row per record in definition order, column 0 its
// number (computed, not editable), then one column per text as the list's column table says.
// Holds no data of its own; edits become undo commands.
#pragma once

#include "DefinitionText.h"
#include "RecordChange.h"

#include <QAbstractTableModel>

#include <optional>
#include <span>

namespace vornak {

class DefinitionDocument;

class RecordTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // One column: its heading and the text it shows, or none for the computed number.
    struct Column {
        QString heading;
        std::optional<TextField> field;
    };

    // RecordKind::Parameter ("N", "Название") or RecordKind::Result ("N", "Название", "Результат").
    RecordTableModel(DefinitionDocument& document, RecordKind kind, QObject* parent = nullptr);

    RecordKind kind() const { return kind_; }
    // The text a cell names, or nothing for the number column and cells outside the model.
    std::optional<TextLocation> locationOf(const QModelIndex& index) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Refuses (false) what a definition file cannot hold; otherwise pushes an undo command.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    bool follows(const RecordChange& change) const { return change.list.kind == kind_; }
    void aboutToChange(const RecordChange& change);
    void changed(const RecordChange& change);
    void renumberFrom(int row);
    // The column that shows a field's texts, or -1.
    int columnOf(TextField field) const;

    DefinitionDocument& document_;
    RecordKind kind_;
    std::span<const Column> columns_;
};

} // namespace vornak
