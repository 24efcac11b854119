#include "CellDelegate.h"

#include "GridEdit.h"

CellDelegate::CellDelegate(QObject* parent) : QStyledItemDelegate(parent) {
}

QString CellDelegate::cellText(const QModelIndex& index) {
    return index.isValid() ? index.data(Qt::DisplayRole).toString() : QString();
}

void CellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* box = qobject_cast<GridEdit*>(editor)) {
        // The edit role where the model has one (it may differ from what is shown), else the shown text.
        const QVariant edited = index.data(Qt::EditRole);
        box->SetInitialText(edited.isValid() ? edited.toString() : cellText(index));
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void CellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    commit(editor, model, index);
}

bool CellDelegate::commit(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    auto* box = qobject_cast<GridEdit*>(editor);
    if (box == nullptr || model == nullptr || !index.isValid()) {
        return false;
    }
    return model->setData(index, box->text(), Qt::EditRole);
}

void CellDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    if (qobject_cast<GridEdit*>(editor) == nullptr) {
        QStyledItemDelegate::updateEditorGeometry(editor, option, index);
    }
}
