// What the parameter list, the value table and the result table have in common: a row per record
// of one list of the document, the columns its column table gives, edits as undo commands, and rows
// that travel. Dragged or copied rows leave as the cells the list shows (and parameters whole);
// rows dropped from elsewhere go in as a paste does, at the drop row; rows dragged within the same
// list move there as one undo step, the codes naming them following.
#pragma once

#include "DefinitionText.h"
#include "RecordChange.h"
#include "RecordColumns.h"
#include "RowTransfer.h"

#include <QAbstractTableModel>

#include <optional>
#include <span>
#include <vector>

namespace vornak {

class DefinitionDocument;

class RecordListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // The document's list the rows show (for value rows, of a parameter that may be -1: none).
    virtual RecordList list() const = 0;
    // The columns laid out now.
    virtual std::span<const RecordColumn> columns() const = 0;

    // The text a cell names, or nothing for the number column and cells outside the model.
    std::optional<TextLocation> locationOf(const QModelIndex& index) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Refuses (false) what a definition file cannot hold; otherwise pushes an undo command.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // Rows leaving and arriving. The rows of the indexes go out; a drop lands in front of `row`
    // (-1: at the end) and says what it did with rowsPlaced, or why it did nothing with refused.
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    // Ctrl+C: the rows (0-based) as the clipboard takes them; null when none is in the list.
    std::unique_ptr<QMimeData> copyRows(const std::vector<int>& rows) const;
    // Ctrl+V: what the data offers, in front of `row`, as one undo step (see insertOfferedRows).
    RowTransfer pasteRows(const QMimeData* data, int row);

signals:
    // A drop put rows in or moved them: where they stand now.
    void rowsPlaced(const std::vector<int>& rows);
    // A drop took nothing in, for this reason (the text a paste refused with).
    void refused(const QString& message);
    // A drop took rows in but left something out (columns the list does not have).
    void noted(const QString& message);

protected:
    explicit RecordListModel(DefinitionDocument& document, QObject* parent = nullptr);

    // The row showing a text of this list, or -1.
    virtual int rowOf(const TextLocation& where) const = 0;
    // The model's side of a change of its own list: the rows inserted, removed or moved.
    void beginRowChange(const RecordChange& change);
    void endRowChange(const RecordChange& change);
    // The column that shows a field's texts, or -1.
    int columnOf(TextField field) const;

    DefinitionDocument& document_;

private:
    // The rows a drag from this very model carries, or nothing for data from anywhere else.
    std::optional<std::vector<int>> ownDraggedRows(const QMimeData* data) const;
};

} // namespace vornak
