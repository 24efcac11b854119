// CellGrid: a table view whose editable cells are edited in place with GridEdit through Qt's own
// item-view editing. A click on the selected row's cell, a typed character or Insert opens an
// editor; Tab, Shift+Tab, Insert, Up and Down confirm and move on with their wraps.
#pragma once

#include "CellDelegate.h"
#include "ClickToEdit.h"

#include <QPersistentModelIndex>
#include <QPointer>
#include <QTableView>

class CellGrid : public QTableView {
    Q_OBJECT

public:
    explicit CellGrid(QWidget* parent = nullptr);

    /// An open edit is first confirmed into the model it was typed for; a pending one is dropped.
    void setModel(QAbstractItemModel* model) override;
    /// QAbstractItemView::edit(index) opens the editor on that cell by the grid's rules.
    using QTableView::edit;

    /// Dotted lines at the column edges and under the rows.
    void setGridLines(bool on, const QColor& colour = Qt::black);
    /// Selected rows stay highlighted while the grid has no keyboard focus.
    void setShowSelectionAlways(bool on) {
        delegate_->showSelectionAlways = on;
        viewport()->update();
    }
    /// Selected rows can be dragged: a press on a selected row (or one the press selects) followed by
    /// a move drags them; other lists and programs may drop rows here. The model decides what a
    /// drop does. Off by default: a move with the button held then does nothing.
    void setRowDragging(bool on);
    /// The row a drop at this viewport point goes in front of: the row whose upper half holds it, the
    /// one after it for its lower half, the row count below the last row.
    int dropRowAt(const QPoint& point) const;
    /// A typed character (Backspace included) opens the current row's first editable cell.
    void setTypeToEdit(bool on) { typeToEdit_ = on; }
    /// Judges each change of an editor's text by the texts before and after it. Empty: accept all.
    void setTextChecker(const GridEdit::Checker& checker);

    /// First selected row, or -1.
    int selectedRow() const;
    /// Opens the editor on a cell (column -1: the row's first editable column with a width) and makes
    /// its row the selected and current one. Null when none opened.
    GridEdit* editCell(int row, int column = -1);
    /// The same, queued behind the events already waiting, so that the current edit has fully closed.
    void postEditCell(int row, int column = -1);
    bool isEditing() const { return editor_ != nullptr; }
    GridEdit* openEditor() const { return editor_; }
    /// The cell the open editor belongs to (invalid while none is open).
    QModelIndex editedIndex() const { return editor_ != nullptr ? QModelIndex(editCell_) : QModelIndex(); }
    /// Column of the cell being edited, or last edited.
    int editedColumn() const { return editColumn_; }
    /// Ends an open edit as moving the focus away does (confirm) or as Escape does, without moving
    /// on. False when none was open.
    bool finishEdit(bool confirm = true);
    /// Drops a pending click-edit and a queued postEditCell; commands call it before they run.
    void cancelPendingEdit();
    /// The wait of a click on the selected row before its cell's editor opens.
    ClickToEdit& clickToEdit() const { return *clickToEdit_; }
    /// Where a step leads: rowStep ±1 wraps over the rows; columnStep ±1 finds the nearest editable
    /// column with a width, wrapping within the row.
    std::pair<int, int> nextEditCell(int row, int column, int rowStep, int columnStep) const;
    /// Scrolls the row into view, then the cell's right or left edge (the left one when it is wider).
    void ensureCellVisible(int row, int column);

signals:
    void editStarted(int row, int column);
    void editTextEdited(const QString& text);
    /// The text the model took, or nullopt when cancelled or refused; row -1: the row went away.
    void editFinished(int row, int column, const std::optional<QString>& text);

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    /// The current row, in view before, stays in view when the list's visible part grows shorter.
    bool viewportEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    QModelIndex cellIndex(int row, int column) const; // invalid outside the model
    bool canEdit(const QModelIndex& index) const;
    void endOpenEdit(std::optional<QString> text, int rowStep = 0, int columnStep = 0);
    void onModelChanged();

    CellDelegate* delegate_;
    bool typeToEdit_ = false;
    int editColumn_ = 0;
    QPersistentModelIndex editCell_; // the cell the open editor belongs to
    QPointer<GridEdit> editor_;      // the open editor; Qt's view owns it
    ClickToEdit* clickToEdit_;
    bool pressOnSelectedRow_ = false; // the last press may start a drag
    int dropRow_ = -1;                // where the drag over the list would go in, shown as a line
    unsigned postedEdits_ = 0; // bumping it drops every queued postEditCell
    QObject watch_; // context of the model's and the editor's connections; goes before the view does
};
