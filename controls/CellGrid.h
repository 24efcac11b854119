// CellGrid: a list in report view (rows of cells under a column header) whose cells, in the
// columns marked editable, are edited in place with GridEdit. It draws its own rows, moves from
// cell to cell with Tab, Shift+Tab, Insert, Up and Down, and tells its parent about every edit.
#pragma once

#include <QColor>
#include <QFont>
#include <QPen>
#include <QPersistentModelIndex>
#include <QPoint>
#include <QString>
#include <QTableWidget>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class GridEdit;
class GridHeader;

class CellGrid : public QTableWidget {
    Q_OBJECT

public:
    explicit CellGrid(QWidget* parent = nullptr);
    ~CellGrid() override;

    /// Default colours and font, selection highlighting on, every editable mark cleared; the constructor
    /// already runs it.
    virtual void InitGrid();
    /// Number of columns.
    virtual int GetColumnCount() const;
    /// Turns grid lines on or off; when on, they are drawn dotted in the colour given. Always true.
    virtual bool SetGridLines(bool on, const QColor& colour = Qt::black, bool redraw = true);
    /// Reports whether grid lines are on and their colour (black while none was ever set). Always true.
    virtual bool GetGridLines(bool& on, QColor& colour) const;
    /// Gives the grid its own copy of a font, or with no font returns it to the default font. Always true.
    virtual bool SetTextFont(const std::optional<QFont>& font, bool redraw = true);
    /// Keeps the selected row highlighted while the grid has no keyboard focus. Always true.
    virtual bool SetShowSelAlways(bool on);
    /// Marks one existing column (or, with -1, every existing column) editable or not.
    virtual void SetEditable(bool on, int column = -1);
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
    /// none opened.
    GridEdit* EditCell(int row, int column = -1);
    /// The same as EditCell, queued behind the events already waiting (after the current edit has fully
    /// closed).
    void PostEditCell(int row, int column = -1);
    /// Sets a cell's text, announcing it with cellTextChanging (refusable) and cellTextChanged. False when
    /// refused or no such cell.
    bool SetCellText(int row, int column, const QString& text);
    /// A cell's text; empty for a cell that holds nothing or does not exist.
    QString GetCellText(int row, int column) const;

    /// Inserts a column (index past the end appends) with a heading, width and text alignment; a new column
    /// is not editable. Its index, or -1.
    int InsertColumn(int column, const QString& heading, int width, Qt::Alignment alignment = Qt::AlignLeft);
    /// Deletes a column with its editable mark. False when there is no such column.
    bool DeleteColumn(int column);
    /// Inserts an empty row (index past the end appends) and sets its first cell's text. Its index, or -1.
    int InsertRow(int row, const QString& firstText = QString());
    /// Deletes a row. False when there is no such row.
    bool DeleteRow(int row);

    /// True while a cell editor is open.
    bool IsEditing() const;
    /// Ends an open edit as moving the focus away does (confirm) or as Escape does, without waiting for the
    /// window to be active. False when no edit was open.
    bool EndEdit(bool confirm = true);
    /// Column of the cell being edited, or last edited.
    int GetEditColumn() const { return editColumn_; }
    /// Whether a column is marked editable (false for a column that does not exist).
    bool IsColumnEditable(int column) const;
    /// A cell's rectangle in the viewport's coordinates (moves with scrolling); empty when there is no such
    /// cell.
    QRect GetCellRect(int row, int column) const;
    /// Cell that a navigation step leads to from (row, column): rowStep ±1 wraps over the rows,
    /// columnStep ±1 looks for the nearest editable column and wraps within the row.
    std::pair<int, int> NextEditCell(int row, int column, int rowStep, int columnStep) const;
    /// Scrolls so that the whole row is visible and the cell's right (then left) edge lies in the viewport.
    void EnsureCellVisible(int row, int column);
    /// The fixed height of every row, in pixels.
    int RowHeight() const { return rowHeight_; }

    /// Checks every typed or pasted text in the cell editor; a refused change keeps the old text. Empty:
    /// accept all.
    void setTextValidator(std::function<bool(const QString&)> validator);

signals:
    /// An editor has opened on (row, column).
    void beginEdit(int row, int column);
    /// An edit has ended; text is the confirmed text (already in the cell) or nullopt when cancelled. Row is
    /// -1 when the row went away meanwhile.
    void endEdit(int row, int column, const std::optional<QString>& text);
    /// A cell's text is about to change through SetCellText (any column); set *allow to false to refuse.
    void cellTextChanging(int row, int column, const QString& newText, bool* allow);
    /// A cell's text has changed through SetCellText (any column).
    void cellTextChanged(int row, int column);
    /// A row has become selected (by the user or by the program).
    void rowSelected(int row);
    /// A row has lost its selected state.
    void rowDeselected(int row);
    /// The focus mark has moved to a row (-1: no row has it).
    void rowFocused(int row);
    /// The user asked for a context menu over the grid, at a point on the screen.
    void contextMenuRequested(const QPoint& globalPos);

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

    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void openEditor(int row);
    void onEditEnded(bool confirmed);
    void finishEdit(bool confirmed, bool rowGone);
    void placeEditor();
    bool cellFromPoint(const QPoint& point, int& row, int& column) const;
    int firstEditableColumn() const;
    void updateRowHeight();
    void updateRow(int row);
    void onColumnsInserted(const QModelIndex& parent, int first, int last);
    void onColumnsRemoved(const QModelIndex& parent, int first, int last);
    void onRowsRemoved();
    void onSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void cancelClickEdit();
    void ensureRowVisible(int row);
    void typeCharacter(const QString& typed);
    bool isRowSelected(int row) const;

    std::vector<std::uint16_t> editable_;
    bool typeToEdit_ = false;
    bool highlightSelection_ = false;
    bool showSelAlways_ = false;
    bool gridLines_ = false;
    std::optional<QPen> gridPen_;
    bool horizontalLines_ = true;
    bool verticalLines_ = true;
    std::optional<QFont> textFont_;
    GridEdit* editBox_ = nullptr;
    GridHeader* header_ = nullptr;
    QPoint clickPoint_;
    int editColumn_ = 0;
    int rowHeight_ = 0;

    QPersistentModelIndex editCell_;
    bool editing_ = false;
    QTimer clickEditTimer_;
    int clickEditRow_ = -1;
    bool pressOnSelectedFocused_ = false;
    bool focusArrivedByMouse_ = false;
    std::vector<Qt::Alignment> paintAlignments_;
};
