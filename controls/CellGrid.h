// CellGrid: a table view (rows of cells under a column header) over any item model, whose
// editable cells are edited in place with GridEdit. It draws its own rows, moves from cell to cell
// with Tab, Shift+Tab, Insert, Up and Down, writes finished texts through its item delegate and
// tells its parent about every edit.
#pragma once

#include <QColor>
#include <QFont>
#include <QItemSelection>
#include <QPen>
#include <QPersistentModelIndex>
#include <QPoint>
#include <QString>
#include <QTableView>
#include <QTimer>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

class CellDelegate;
class GridEdit;
class GridHeader;

class CellGrid : public QTableView {
    Q_OBJECT

public:
    explicit CellGrid(QWidget* parent = nullptr);
    ~CellGrid() override;

    /// Shows another model (or none); an open edit is first confirmed into the model it was typed for,
    /// and a pending one is dropped.
    void setModel(QAbstractItemModel* model) override;
    /// QAbstractItemView::edit(index) opens the grid's editor on that cell by the grid's rules.
    using QTableView::edit;

    /// Default colours and font, selection highlighting on; the constructor already runs it.
    virtual void InitGrid();
    /// Number of columns of the model.
    virtual int GetColumnCount() const;
    /// Turns grid lines on or off; when on, they are drawn dotted in the colour given. Always true.
    virtual bool SetGridLines(bool on, const QColor& colour = Qt::black, bool redraw = true);
    /// Reports whether grid lines are on and their colour (black while none was ever set). Always true.
    virtual bool GetGridLines(bool& on, QColor& colour) const;
    /// Gives the grid its own copy of a font, or with no font returns it to the default font. Always true.
    virtual bool SetTextFont(const std::optional<QFont>& font, bool redraw = true);
    /// Keeps the selected row highlighted while the grid has no keyboard focus. Always true.
    virtual bool SetShowSelAlways(bool on);
    /// A typed character (Backspace included) on the focused row opens its first editable cell. Always true.
    virtual bool SetTypeToEdit(bool on);
    /// The in-place edit box the grid owns.
    virtual GridEdit* GetEditBox() const;

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
    /// does, without waiting for the window to be active and without moving on. False when no edit was
    /// open.
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

    /// Judges each change of the edit box's text by what it adds: called with the text before and after
    /// the change; false keeps the text before. Empty: accept all.
    void setTextValidator(std::function<bool(const QString& before, const QString& after)> validator);

signals:
    /// An editor has opened on (row, column).
    void beginEdit(int row, int column);
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
    /// Colours that one row is drawn in.
    struct RowColours {
        QColor text;
        QColor background;
    };

    /// Draws the cells of a row from left to right; returns the right edge of the last column.
    virtual int DrawRowCells(QPainter& painter, int row, const QRect& rowRect, const QRect& dirty,
                             const RowColours& colours);
    /// Fills a cell and draws its text inset by 2 pixels, lowered by 1, with an ellipsis when it does not
    /// fit.
    virtual void DrawCellText(QPainter& painter, const QRect& cell, const QString& text,
                              Qt::Alignment alignment, const RowColours& colours);
    /// Dotted lines at each column's right edge and under the row.
    virtual void DrawGridLines(QPainter& painter, const QRect& rowRect, int rowsRight);

    /// Qt's own ways into an edit (QAbstractItemView::edit) follow the grid's rules.
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
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
    /// A 1-pixel pen that sets every other pixel.
    static QPen DottedPen(const QColor& colour);
    int rowTotal() const;
    int columnTotal() const;
    bool isCellEditable(int row, int column) const;
    int firstEditableColumn(int row) const;
    void openEditor(int row, int column);
    void finishEdit(bool confirmed, bool cellGone = false);
    void placeEditor();
    void onModelChanged();
    void typeCharacter(const QString& typed);
    void ensureRowVisible(int row);
    void updateRowHeight();
    void updateRow(int row);
    bool isRowSelected(int row) const;

    bool typeToEdit_ = false;
    bool highlightSelection_ = false;
    bool showSelAlways_ = false;
    bool gridLines_ = false;
    std::optional<QPen> gridPen_;
    std::optional<QFont> textFont_;
    GridEdit* editBox_ = nullptr;
    GridHeader* header_ = nullptr;
    CellDelegate* delegate_ = nullptr;
    int editColumn_ = 0;
    int rowHeight_ = 0;

    QPersistentModelIndex editCell_;
    bool editing_ = false;
    QTimer clickEditTimer_;
    QPoint clickPoint_;
    int clickEditRow_ = -1;
    bool pressOnSelectedFocused_ = false;
    bool focusArrivedByMouse_ = false;
    unsigned postedEdits_ = 0; // bumping it drops every queued PostEditCell
    std::vector<QMetaObject::Connection> modelConnections_;
};
