// CellDelegate: the grid's one item delegate. It moves a cell's text between the model and the
// in-place edit box, so that the grid reads and writes its model in one place.
#pragma once

#include <QStyledItemDelegate>

class CellDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit CellDelegate(QObject* parent = nullptr);

    /// The text a cell shows (its display text; empty for a cell that holds nothing).
    static QString cellText(const QModelIndex& index);

    /// Puts the cell's text into a GridEdit as the text it opens with.
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    /// Hands the GridEdit's text to the model.
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    /// The same as setModelData; false when the model refused the text (the cell keeps its own).
    bool commit(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const;
    /// The grid holds its edit box over the cell itself.
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
};
