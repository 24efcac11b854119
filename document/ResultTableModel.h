// The result table: one row per result, column 0 its number (computed), column 1 its name and
// column 2 its result text or formula (both editable). Holds no data; edits become undo commands.
#pragma once

#include <QAbstractTableModel>

namespace vornak {

class DefinitionDocument;

class ResultTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { NumberColumn = 0, NameColumn = 1, ResultColumn = 2, ColumnCount = 3 };

    explicit ResultTableModel(DefinitionDocument& document, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    void renumberFrom(int row);

    DefinitionDocument& document_;
};

} // namespace vornak
