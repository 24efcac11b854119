// CellGrid: a table view (rows of cells under a column header) over any item model, whose editable
// cells are edited in place with GridEdit through Qt's own item-view editing. A click on the
// selected row's cell, a typed character or Insert opens an editor; Tab, Shift+Tab, Insert, Up and
// Down confirm and move on with their wraps; the parent hears of every begin and end of an edit.
#pragma once

#include <QColor>
#include <QFont>
#include <QPen>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QString>
#include <QTableView>
#include <QTimer>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

class CellDelegate;
class GridEdit;

class CellGrid : public QTableView {
    Q_OBJECT

public:
    explicit CellGrid(QWidget* parent = nullptr);
    ~CellGrid() override;

    /// Shows another model (or none); an open edit is first confirmed into the model it was typed for,
    /// and a pending one is dropped.
    void setModel(QAbstractItemModel* model) override;
    /// QAbstractItemView::edit(index) opens the editor on that cell by the grid's rules.
    using QTableView::edit;

    /// Number of columns of the model.
    int GetColumnCount() const;
    /// Turns dotted grid lines on or off in the colour given. Always true.
    bool SetGridLines(bool on, const QColor& colour = Qt::black, bool redraw = true);
    /// Reports whether grid lines are on and their colour (black while none was ever set). Always true.
    bool GetGridLines(bool& on, QColor& colour) const;
    /// Gives the grid its own copy of a font, or with no font returns it to the default font. Always true.
    bool SetTextFont(const std::optional<QFont>& font, bool redraw = true);
    /// Keeps the selected row highlighted while the grid has no keyboard focus. Always true.
    bool SetShowSelAlways(bool on);
    /// A typed character (Backspace included) on the focused row opens its first editable cell. Always true.
    bool SetTypeToEdit(bool on);
    /// The open cell editor, or null.
    GridEdit* GetEditBox() const;

    /// First selected row, or -1.
    int GetSelectedRow() const;
    /// Row carrying the focus mark (the current row), or -1.
    int GetFocusedRow() const;
    /// Selects (or deselects) a row; -1 does so for every row in order. False when the row does not exist.
    bool SelectRow(int row, bool on = true);
    /// Puts the focus mark on a row (or removes it); -1 stands for the row that has it. False when the row
    /// does not exist.
    bool FocusRow(int row, bool on = true);
    /// Opens the editor on a cell at once; column -1 is the first editable column. The editor, or null when
    /// none opened (no such cell, not editable, or no width to edit in).
    GridEdit* EditCell(int row, int column = -1);
    /// The same as EditCell, queued behind the events already waiting (after the current edit has fully
    /// closed). CancelPendingEdit drops it.
    void PostEditCell(int row, int column = -1);

    /// True while a cell editor is open.
    bool IsEditing() const;
    /// Ends an open edit as moving the focus away does (confirm: the text goes to the model) or as Escape
    /// does, without moving on. False when no edit was open.
    bool EndEdit(bool confirm = true);
    /// Drops a pending click-edit and a queued PostEditCell; commands call it before they run.
    void CancelPendingEdit();
    /// Column of the cell being edited, or last edited.
    int GetEditColumn() const { return editColumn_; }
    /// Whether the model lets the cells of a column be edited, judged on the focused row (or the first
    /// row when none is focused); false for a column that does not exist.
    bool IsColumnEditable(int column) const;
    /// A cell's rectangle in the viewport's coordinates (moves with scrolling); empty when there is no such
    /// cell.
    QRect GetCellRect(int row, int column) const;
    /// Cell that a navigation step leads to from (row, column): rowStep ±1 wraps over the rows,
    /// columnStep ±1 looks for the nearest editable column of the target row that has a width, and wraps
    /// within the row.
    std::pair<int, int> NextEditCell(int row, int column, int rowStep, int columnStep) const;
    /// Scrolls so that the whole row is visible and the cell's right (then left) edge lies in the viewport.
    void EnsureCellVisible(int row, int column);
    /// The fixed height of every row, in pixels.
    int RowHeight() const { return rowHeight_; }

    /// Judges each change of an editor's text by what it adds: called with the text before and after
    /// the change; false keeps the text before. Empty: accept all.
    void setTextValidator(std::function<bool(const QString& before, const QString& after)> validator);

signals:
    /// An editor has opened on (row, column).
    void beginEdit(int row, int column);
    /// The user changed the open editor's text.
    void editTextEdited(const QString& text);
    /// An edit has ended; text is the confirmed text (already given to the model) or nullopt when
    /// cancelled or refused by the model. Row is -1 when the row went away meanwhile.
    void endEdit(int row, int column, const std::optional<QString>& text);
    /// A row has become selected (by the user or by the program).
    void rowSelected(int row);
    /// A row has lost its selected state.
    void rowDeselected(int row);
    /// The focus mark has moved to a row (-1: no row has it).
    void rowFocused(int row);

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    int rowTotal() const;
    int columnTotal() const;
    bool isCellEditable(int row, int column) const;
    int firstEditableColumn(int row) const;
    GridEdit* openCell(int row, int column);
    void endOpenEdit(std::optional<QString> text, std::pair<int, int> step = {0, 0});
    void onModelChanged();
    void ensureRowVisible(int row);
    void updateRowHeight();

    CellDelegate* delegate_ = nullptr;
    bool typeToEdit_ = false;
    bool gridLines_ = false;
    std::optional<QColor> lineColour_;
    int editColumn_ = 0;
    int rowHeight_ = 0;

    QPersistentModelIndex editCell_; // the cell the open editor belongs to
    QPointer<GridEdit> editor_;      // the open editor; Qt's view owns it
    std::optional<QString> stored_;  // the text the model took from the open editor
    QTimer clickEditTimer_;
    QPersistentModelIndex clickCell_;
    bool pressFoundFocus_ = false;
    bool focusArrivedByMouse_ = false;
    bool doubleClicked_ = false;
    bool keepEditorOpen_ = false; // while Qt's view reacts to a new current cell
    unsigned postedEdits_ = 0;    // bumping it drops every queued PostEditCell
    std::vector<QMetaObject::Connection> modelConnections_;
};
