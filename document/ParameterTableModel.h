// The parameter list: one row per parameter in definition order, column 0 its number (computed),
// column 1 its name (editable). Holds no data of its own; edits become undo commands.
#pragma once

#include <QAbstractTableModel>

namespace vornak {

class DefinitionDocument;

class ParameterTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { NumberColumn = 0, NameColumn = 1, ColumnCount = 2 };

    explicit ParameterTableModel(DefinitionDocument& document, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Refuses (false) what a definition file cannot hold; otherwise pushes an undo command.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    void renumberFrom(int row);

    DefinitionDocument& document_;
};

} // namespace vornak
