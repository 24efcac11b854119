#include "CellGrid.h"

#include "CellDelegate.h"
#include "GridEdit.h"
#include "GridHeader.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int kRowPadding = 4; // row height over the font's height

bool isTypedText(const QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        return false;
    }
    const QString text = event->text();
    return !text.isEmpty() &&
           std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isPrint() || c.isSurrogate(); });
}

std::vector<int> rowsOf(const QItemSelection& selection) {
    std::vector<int> rows;
    for (const QItemSelectionRange& range : selection) {
        for (int r = range.top(); r <= range.bottom(); ++r) {
            rows.push_back(r);
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

} // namespace

CellGrid::CellGrid(QWidget* parent) : QTableView(parent) {
    setHorizontalHeader(new GridHeader(this));
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    delegate_ = new CellDelegate(this);
    setItemDelegate(delegate_);

    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectRows);
    // Typing and Insert are handled in keyPressEvent: they edit the row's first editable cell.
    setEditTriggers(SelectedClicked);
    setTabKeyNavigation(false); // Tab leaves the list, as in a dialog
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollMode(ScrollPerPixel);

    clickEditTimer_.setSingleShot(true);
    connect(&clickEditTimer_, &QTimer::timeout, this, [this] {
        const QPersistentModelIndex cell = std::exchange(clickCell_, {});
        if (cell.isValid()) {
            EditCell(cell.row(), cell.column());
        }
    });
    SetTextFont(std::nullopt, false);
}

CellGrid::~CellGrid() {
    // The model may outlive the grid: nothing of its may call back.
    for (const QMetaObject::Connection& connection : modelConnections_) {
        disconnect(connection);
    }
    if (editor_ != nullptr) {
        disconnect(editor_, nullptr, this, nullptr);
    }
}

void CellGrid::setModel(QAbstractItemModel* newModel) {
    if (newModel == model()) {
        return;
    }
    // What was typed goes to the model it was typed for, while that is still shown.
    EndEdit(true);
    CancelPendingEdit();
    for (const QMetaObject::Connection& connection : modelConnections_) {
        disconnect(connection);
    }
    modelConnections_.clear();
    QTableView::setModel(newModel);
    if (newModel != nullptr) {
        const auto changed = [this] { onModelChanged(); };
        modelConnections_ = {
            connect(newModel, &QAbstractItemModel::rowsInserted, this, changed),
            connect(newModel, &QAbstractItemModel::rowsRemoved, this, changed),
            connect(newModel, &QAbstractItemModel::rowsMoved, this, changed),
            connect(newModel, &QAbstractItemModel::columnsInserted, this, changed),
            connect(newModel, &QAbstractItemModel::columnsRemoved, this, changed),
            connect(newModel, &QAbstractItemModel::columnsMoved, this, changed),
            connect(newModel, &QAbstractItemModel::layoutChanged, this, changed),
            connect(newModel, &QAbstractItemModel::modelReset, this, changed),
            connect(newModel, &QObject::destroyed, this,
                    [this] {
                        editCell_ = QPersistentModelIndex();
                        onModelChanged();
                    }),
        };
    }
    updateRowHeight();
}

int CellGrid::GetColumnCount() const {
    return columnTotal();
}

bool CellGrid::SetGridLines(bool on, const QColor& colour, bool redraw) {
    gridLines_ = on;
    if (on) {
        lineColour_ = colour;
        delegate_->look().gridLines = colour;
    } else {
        delegate_->look().gridLines.reset();
    }
    if (redraw) {
        viewport()->update();
    }
    return true;
}

bool CellGrid::GetGridLines(bool& on, QColor& colour) const {
    on = gridLines_;
    colour = lineColour_.value_or(QColor(Qt::black));
    return true;
}

bool CellGrid::SetTextFont(const std::optional<QFont>& font, bool redraw) {
    setFont(font ? *font : QFont()); // an unset QFont gives the inherited font back
    updateRowHeight();
    if (redraw) {
        viewport()->update();
    }
    return true;
}

bool CellGrid::SetShowSelAlways(bool on) {
    if (delegate_->look().showSelectionAlways != on) {
        delegate_->look().showSelectionAlways = on;
        viewport()->update();
    }
    return true;
}

bool CellGrid::SetTypeToEdit(bool on) {
    typeToEdit_ = on;
    return true;
}

GridEdit* CellGrid::GetEditBox() const {
    return editor_;
}

int CellGrid::rowTotal() const {
    return model() != nullptr ? model()->rowCount(rootIndex()) : 0;
}

int CellGrid::columnTotal() const {
    return model() != nullptr ? model()->columnCount(rootIndex()) : 0;
}

int CellGrid::GetSelectedRow() const {
    if (selectionModel() == nullptr) {
        return -1;
    }
    const std::vector<int> rows = rowsOf(selectionModel()->selection());
    return rows.empty() ? -1 : rows.front();
}

int CellGrid::GetFocusedRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

bool CellGrid::SelectRow(int row, bool on) {
    if (row == -1) {
        for (int r = 0; r < rowTotal(); ++r) {
            if (!SelectRow(r, on)) {
                return false;
            }
        }
        return true;
    }
    if (row < 0 || row >= rowTotal() || columnTotal() == 0 || selectionModel() == nullptr) {
        return false;
    }
    const QItemSelectionModel::SelectionFlags flags =
        (on ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Deselect) |
        QItemSelectionModel::Rows;
    selectionModel()->select(model()->index(row, 0, rootIndex()), flags);
    return true;
}

bool CellGrid::FocusRow(int row, bool on) {
    if (row == -1) {
        row = GetFocusedRow();
        if (row == -1) {
            return !on; // removing a mark that nobody has succeeds
        }
    }
    if (row < 0 || row >= rowTotal() || columnTotal() == 0 || selectionModel() == nullptr) {
        return false;
    }
    if (on) {
        const int column = std::clamp(currentIndex().column(), 0, columnTotal() - 1);
        selectionModel()->setCurrentIndex(model()->index(row, column, rootIndex()),
                                          QItemSelectionModel::NoUpdate);
    } else if (GetFocusedRow() == row) {
        selectionModel()->clearCurrentIndex();
    }
    return true;
}

GridEdit* CellGrid::EditCell(int row, int column) {
    if (row < 0 || row >= rowTotal()) {
        return nullptr;
    }
    executeDelayedItemsLayout();
    if (column == -1) {
        column = firstEditableColumn(row);
        if (column < 0) {
            return nullptr;
        }
    } else if (column < 0 || column >= columnTotal()) {
        return nullptr;
    }
    return openCell(row, column);
}

void CellGrid::PostEditCell(int row, int column) {
    const unsigned ticket = postedEdits_;
    QMetaObject::invokeMethod(
        this,
        [this, row, column, ticket] {
            if (ticket == postedEdits_) {
                EditCell(row, column);
            }
        },
        Qt::QueuedConnection);
}

bool CellGrid::IsEditing() const {
    return editor_ != nullptr;
}

bool CellGrid::EndEdit(bool confirm) {
    if (editor_ == nullptr) {
        return false;
    }
    if (confirm) {
        commitData(editor_);
    }
    // Storing the text may have taken the row away, and the editor with it.
    if (editor_ != nullptr) {
        closeEditor(editor_,
                    confirm ? QAbstractItemDelegate::NoHint : QAbstractItemDelegate::RevertModelCache);
    }
    return true;
}

void CellGrid::CancelPendingEdit() {
    clickEditTimer_.stop();
    clickCell_ = QPersistentModelIndex();
    ++postedEdits_;
}

bool CellGrid::isCellEditable(int row, int column) const {
    if (row < 0 || column < 0 || row >= rowTotal() || column >= columnTotal()) {
        return false;
    }
    return (model()->flags(model()->index(row, column, rootIndex())) & Qt::ItemIsEditable) != 0;
}

bool CellGrid::IsColumnEditable(int column) const {
    return isCellEditable(std::max(GetFocusedRow(), 0), column);
}

QRect CellGrid::GetCellRect(int row, int column) const {
    if (row < 0 || row >= rowTotal() || column < 0 || column >= columnTotal()) {
        return {};
    }
    return {columnViewportPosition(column), rowViewportPosition(row), columnWidth(column), rowHeight(row)};
}

std::pair<int, int> CellGrid::NextEditCell(int row, int column, int rowStep, int columnStep) const {
    const int rows = rowTotal();
    int targetRow = row;
    if (rowStep != 0 && rows > 0) {
        targetRow = (row + rowStep + rows) % rows; // one above the first is the last, and back
    }
    if (columnStep == 0) {
        return {targetRow, column};
    }
    // A column dragged to nothing cannot hold an editor: the search passes over it. It runs to the
    // edge, then from the other edge back to the start, and never changes the row.
    const auto usable = [this, targetRow](int c) {
        return isCellEditable(targetRow, c) && columnWidth(c) > 0 && !isColumnHidden(c);
    };
    const int columns = columnTotal();
    for (int i = 1; i < columns; ++i) {
        const int c = ((column + columnStep * i) % columns + columns) % columns;
        if (usable(c)) {
            return {targetRow, c};
        }
    }
    return {targetRow, column};
}

void CellGrid::EnsureCellVisible(int row, int column) {
    if (row < 0 || row >= rowTotal() || column < 0 || column >= columnTotal()) {
        return;
    }
    executeDelayedItemsLayout();
    ensureRowVisible(row);
    QScrollBar* bar = horizontalScrollBar();
    const int right = columnViewportPosition(column) + columnWidth(column);
    if (right > viewport()->width()) {
        bar->setValue(bar->value() + right - viewport()->width());
    }
    // When the cell is wider than the view its left edge wins.
    const int left = columnViewportPosition(column);
    if (left < 0) {
        bar->setValue(bar->value() + left);
    }
}

void CellGrid::setTextValidator(std::function<bool(const QString& before, const QString& after)> validator) {
    delegate_->setTextChecker(std::move(validator));
}

// ---- editing ----

bool CellGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* /*event*/) {
    switch (trigger) {
    case SelectedClicked:
        // A click on the selected row of a list that already had the focus: the clicked cell opens
        // after the double-click interval, unless a double-click, a command or a change of rows or
        // selection comes first.
        if (!(editTriggers() & SelectedClicked) || !pressFoundFocus_ || doubleClicked_ || IsEditing() ||
            !index.isValid() || !isCellEditable(index.row(), index.column())) {
            return false;
        }
        clickCell_ = index;
        clickEditTimer_.start(QApplication::doubleClickInterval());
        return true;
    case DoubleClicked:
        clickEditTimer_.stop();
        clickCell_ = QPersistentModelIndex();
        doubleClicked_ = true;
        return false;
    case AllEditTriggers: // an explicit request: QAbstractItemView::edit(index)
        return index.isValid() && index.model() == model() &&
               EditCell(index.row(), index.column()) != nullptr;
    default:
        return false;
    }
}

GridEdit* CellGrid::openCell(int row, int column) {
    clickEditTimer_.stop();
    clickCell_ = QPersistentModelIndex();
    EndEdit(true);
    if (row < 0 || row >= rowTotal() || column < 0 || column >= columnTotal()) {
        return nullptr;
    }
    // Opening an editor makes its row the only selected row and the focused one.
    selectionModel()->setCurrentIndex(model()->index(row, column, rootIndex()),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    // Refused: a cell the model does not let be edited, or one without width (handlers of the
    // selection change may have removed the row or the column meanwhile).
    if (!isCellEditable(row, column) || columnWidth(column) <= 0 || isColumnHidden(column)) {
        return nullptr;
    }
    ensureRowVisible(row);
    const QModelIndex index = model()->index(row, column, rootIndex());
    if (!QTableView::edit(index, AllEditTriggers, nullptr)) {
        return nullptr;
    }
    editor_ = delegate_->openEditor();
    editCell_ = index;
    editColumn_ = column;
    stored_.reset();
    connect(editor_, &QLineEdit::textEdited, this, &CellGrid::editTextEdited);
    emit beginEdit(row, column);
    return editor_;
}

void CellGrid::commitData(QWidget* editor) {
    if (editor != nullptr && editor == editor_ && keepEditorOpen_) {
        return;
    }
    if (editor == nullptr || editor != editor_) {
        QTableView::commitData(editor);
        return;
    }
    delegate_->takeStoreResult();
    QTableView::commitData(editor);
    // The editor goes away with its row if storing the text removed it.
    if (editor_ != nullptr && delegate_->takeStoreResult().value_or(false)) {
        stored_ = editor_->text();
    }
}

void CellGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (editor != nullptr && editor == editor_ && keepEditorOpen_) {
        return;
    }
    if (editor == nullptr || editor != editor_) {
        QTableView::closeEditor(editor, hint);
        return;
    }
    std::pair<int, int> step{0, 0};
    if (hint == QAbstractItemDelegate::EditNextItem) {
        step = {0, 1};
    } else if (hint == QAbstractItemDelegate::EditPreviousItem) {
        step = {0, -1};
    } else if (hint == CellDelegate::EditItemAbove) {
        step = {-1, 0};
    } else if (hint == CellDelegate::EditItemBelow) {
        step = {1, 0};
    }
    std::optional<QString> text = hint == QAbstractItemDelegate::RevertModelCache ? std::nullopt : stored_;
    disconnect(editor_, nullptr, this, nullptr);
    editor_ = nullptr;
    // Qt hides the editor, lets it go and hands the focus back to the list if the editor had it.
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    endOpenEdit(std::move(text), step);
}

void CellGrid::endOpenEdit(std::optional<QString> text, std::pair<int, int> step) {
    const QPersistentModelIndex cell = std::exchange(editCell_, QPersistentModelIndex());
    stored_.reset();
    const int row = cell.isValid() ? cell.row() : -1;
    if (row == -1) {
        text.reset();
    } else {
        editColumn_ = cell.column();
    }
    if (text && step != std::make_pair(0, 0)) {
        const auto [nextRow, nextColumn] = NextEditCell(row, editColumn_, step.first, step.second);
        if (nextRow != row || nextColumn != editColumn_) {
            EnsureCellVisible(nextRow, nextColumn);
            PostEditCell(nextRow, nextColumn); // once this edit has completely closed
        }
    }
    emit endEdit(row, editColumn_, text);
}

void CellGrid::onModelChanged() {
    // Rows or columns moved under a pending click: it no longer names the cell the user meant.
    clickEditTimer_.stop();
    clickCell_ = QPersistentModelIndex();
    if (editor_ == nullptr) {
        return;
    }
    if (editCell_.isValid()) {
        // The edited cell moved: the editor follows it at once.
        executeDelayedItemsLayout();
        updateEditorGeometries();
        return;
    }
    // The edited cell went away; Qt has let its editor go. The edit ends without a text.
    const bool hadFocus = editor_->hasFocus() || !editor_->isVisible();
    disconnect(editor_, nullptr, this, nullptr);
    editor_ = nullptr;
    if (hadFocus && (QApplication::focusWidget() == nullptr || isAncestorOf(QApplication::focusWidget()))) {
        setFocus(Qt::OtherFocusReason);
    }
    endOpenEdit(std::nullopt);
}

int CellGrid::firstEditableColumn(int row) const {
    for (int c = 0; c < columnTotal(); ++c) {
        if (isCellEditable(row, c) && columnWidth(c) > 0 && !isColumnHidden(c)) {
            return c;
        }
    }
    return -1;
}

void CellGrid::ensureRowVisible(int row) {
    QScrollBar* bar = verticalScrollBar();
    const int top = rowViewportPosition(row);
    const int bottom = top + rowHeight(row);
    if (top < 0) {
        bar->setValue(bar->value() + top);
    } else if (bottom > viewport()->height()) {
        bar->setValue(bar->value() + std::min(bottom - viewport()->height(), top));
    }
}

void CellGrid::updateRowHeight() {
    rowHeight_ = fontMetrics().height() + kRowPadding;
    verticalHeader()->setDefaultSectionSize(rowHeight_);
}

// ---- events ----

void CellGrid::keyPressEvent(QKeyEvent* event) {
    clickEditTimer_.stop();
    clickCell_ = QPersistentModelIndex();
    const bool typed = typeToEdit_ && (event->key() == Qt::Key_Backspace || isTypedText(event));
    if (event->key() != Qt::Key_Insert && !typed) {
        QTableView::keyPressEvent(event);
        return;
    }
    event->accept();
    const int row = GetFocusedRow();
    if (row < 0) {
        return; // nothing to edit: the key is dropped
    }
    GridEdit* box = EditCell(row, -1);
    if (typed && box == nullptr) {
        QApplication::beep();
    } else if (typed) {
        // The editor opens with its text selected: the key replaces it as typing over a selection does.
        QApplication::sendEvent(box, event);
    }
}

void CellGrid::mousePressEvent(QMouseEvent* event) {
    clickEditTimer_.stop();
    clickCell_ = QPersistentModelIndex();
    // A press that has just brought the focus here does not count as a click on the focused list.
    pressFoundFocus_ = hasFocus() && !focusArrivedByMouse_;
    focusArrivedByMouse_ = false;
    doubleClicked_ = false;
    QTableView::mousePressEvent(event);
}

void CellGrid::mouseMoveEvent(QMouseEvent* event) {
    // Dragging with a button held neither selects other rows nor starts a drag.
    if (event->buttons() != Qt::NoButton) {
        event->accept();
        return;
    }
    QTableView::mouseMoveEvent(event);
}

void CellGrid::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    if (event->reason() == Qt::MouseFocusReason) {
        // Cleared once the press that brought the focus has been handled.
        focusArrivedByMouse_ = true;
        QTimer::singleShot(0, this, [this] { focusArrivedByMouse_ = false; });
    }
    viewport()->update();
}

void CellGrid::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    clickEditTimer_.stop();
    clickCell_ = QPersistentModelIndex();
    viewport()->update();
}

void CellGrid::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateRowHeight();
    }
}

void CellGrid::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    clickEditTimer_.stop();
    clickCell_ = QPersistentModelIndex();
    updateEditorGeometries(); // an editor keeps to the view's left edge
}

void CellGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
    // Bringing a row into view scrolls only vertically; sideways scrolling is left to the user
    // and to EnsureCellVisible.
    QScrollBar* bar = horizontalScrollBar();
    const int sideways = bar->value();
    QTableView::scrollTo(index, hint);
    bar->setValue(sideways);
}

QModelIndex CellGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    const int column = std::max(currentIndex().column(), 0);
    const int rows = rowTotal();
    switch (cursorAction) {
    case MoveLeft:
    case MoveRight: {
        // Left and Right scroll the list sideways; the focused row stays.
        QScrollBar* bar = horizontalScrollBar();
        bar->setValue(bar->value() + (cursorAction == MoveLeft ? -bar->singleStep() : bar->singleStep()));
        return currentIndex();
    }
    case MoveHome:
        return rows > 0 ? model()->index(0, column, rootIndex()) : QModelIndex();
    case MoveEnd:
        return rows > 0 ? model()->index(rows - 1, column, rootIndex()) : QModelIndex();
    default:
        return QTableView::moveCursor(cursorAction, modifiers);
    }
}

void CellGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // Qt's view would confirm the open editor here. The editor belongs to its cell, not to the current
    // one: it stays open when a command moves the mark, and when the edited row is being removed it
    // must not write into it (it ends without a text once the row has gone).
    keepEditorOpen_ = true;
    QTableView::currentChanged(current, previous);
    keepEditorOpen_ = false;
    const int oldRow = previous.isValid() ? previous.row() : -1;
    const int newRow = current.isValid() ? current.row() : -1;
    // The focus rectangle spans the whole row.
    for (int row : {oldRow, newRow}) {
        if (row >= 0) {
            viewport()->update(QRect(0, rowViewportPosition(row), viewport()->width(), rowHeight(row)));
        }
    }
    if (oldRow != newRow) {
        // A click-edit belongs to the row that was current when the user clicked.
        clickEditTimer_.stop();
        clickCell_ = QPersistentModelIndex();
        emit rowFocused(newRow);
    }
}

void CellGrid::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    QTableView::selectionChanged(selected, deselected);
    const std::vector<int> gained = rowsOf(selected);
    const std::vector<int> lost = rowsOf(deselected);
    // A click-edit waits for a row that is still selected.
    if (clickCell_.isValid() && !selectionModel()->isRowSelected(clickCell_.row(), rootIndex())) {
        clickEditTimer_.stop();
        clickCell_ = QPersistentModelIndex();
    }
    for (int r : lost) {
        if (!std::binary_search(gained.begin(), gained.end(), r)) {
            emit rowDeselected(r);
        }
    }
    for (int r : gained) {
        if (!std::binary_search(lost.begin(), lost.end(), r)) {
            emit rowSelected(r);
        }
    }
}
