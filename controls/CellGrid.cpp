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
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int kFitMargin = 15;   // extra width of a box that follows its text
constexpr int kTextInset = 2;    // cell text keeps this far from the cell's left and right edges
constexpr int kTextLowering = 1; // and starts this far below the cell's top
constexpr int kRowPadding = 4;   // row height over the font's height

// A 1-pixel pen that sets every other pixel.
QPen dottedPen(const QColor& colour) {
    QPen pen(colour, 1, Qt::CustomDashLine, Qt::FlatCap);
    pen.setDashPattern({1.0, 1.0});
    pen.setCosmetic(true);
    return pen;
}

bool isTypedText(const QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        return false;
    }
    const QString text = event->text();
    if (text.isEmpty()) {
        return false;
    }
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isPrint() || c.isSurrogate(); });
}

} // namespace

CellGrid::CellGrid(QWidget* parent) : QTableView(parent) {
    header_ = new GridHeader(this);
    setHorizontalHeader(header_);
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    delegate_ = new CellDelegate(this);
    setItemDelegate(delegate_);

    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectRows);
    setEditTriggers(NoEditTriggers); // the grid opens its own editor by its own rules
    setTabKeyNavigation(false);      // Tab leaves the list, as in a dialog
    setSortingEnabled(false);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollMode(ScrollPerPixel);

    // Every pixel of the viewport is painted by paintEvent: cells opaquely, the rest as background.
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);

    editBox_ = new GridEdit(viewport());
    connect(editBox_, &GridEdit::editEnded, this, [this](bool confirmed) { finishEdit(confirmed); });

    clickEditTimer_.setSingleShot(true);
    connect(&clickEditTimer_, &QTimer::timeout, this, [this] {
        const int row = rowAt(clickPoint_.y());
        const int column = columnAt(clickPoint_.x());
        // The cell edited is the one under the recorded point, on the row that was clicked.
        if (row == clickEditRow_ && row >= 0 && column >= 0) {
            openEditor(row, column);
        }
    });

    connect(header_, &QHeaderView::sectionResized, this, [this] {
        placeEditor();
        viewport()->update();
    });

    InitGrid();
}

CellGrid::~CellGrid() {
    // The model and the edit box may outlive this object's members: nothing of theirs may call back.
    editing_ = false;
    disconnect(editBox_, nullptr, this, nullptr);
    for (const QMetaObject::Connection& connection : modelConnections_) {
        disconnect(connection);
    }
    disconnect(header_, nullptr, this, nullptr);
}

void CellGrid::setModel(QAbstractItemModel* newModel) {
    if (newModel == model()) {
        return;
    }
    // What was typed goes to the model it was typed for, while that is still shown.
    if (editing_) {
        finishEdit(true);
    }
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
                        CancelPendingEdit();
                        if (editing_) {
                            finishEdit(false, true);
                        }
                    }),
        };
    }
    updateRowHeight();
    viewport()->update();
}

void CellGrid::InitGrid() {
    SetTextFont(std::nullopt, true);
    highlightSelection_ = true;
}

int CellGrid::GetColumnCount() const {
    return columnTotal();
}

bool CellGrid::SetGridLines(bool on, const QColor& colour, bool redraw) {
    gridLines_ = on;
    if (on) {
        gridPen_ = dottedPen(colour);
    }
    if (redraw) {
        viewport()->update();
    }
    return true;
}

bool CellGrid::GetGridLines(bool& on, QColor& colour) const {
    on = gridLines_;
    colour = gridPen_ ? gridPen_->color() : QColor(Qt::black);
    return true;
}

bool CellGrid::SetTextFont(const std::optional<QFont>& font, bool redraw) {
    textFont_ = font;
    setFont(font ? *font : QFont()); // an unset QFont gives the inherited font back
    updateRowHeight();
    if (redraw) {
        viewport()->update();
    }
    return true;
}

bool CellGrid::SetShowSelAlways(bool on) {
    if (showSelAlways_ != on) {
        showSelAlways_ = on;
        viewport()->update();
    }
    return true;
}

bool CellGrid::SetTypeToEdit(bool on) {
    typeToEdit_ = on;
    return true;
}

GridEdit* CellGrid::GetEditBox() const {
    return editBox_;
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
    int first = -1;
    const QItemSelection selection = selectionModel()->selection();
    for (const QItemSelectionRange& range : selection) {
        if (first < 0 || range.top() < first) {
            first = range.top();
        }
    }
    return first;
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
    setFocus(Qt::OtherFocusReason); // ends an edit in progress
    openEditor(row, column);
    return editing_ ? editBox_ : nullptr;
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
    return editing_;
}

bool CellGrid::EndEdit(bool confirm) {
    if (!editing_) {
        return false;
    }
    finishEdit(confirm);
    return true;
}

void CellGrid::CancelPendingEdit() {
    clickEditTimer_.stop();
    pressOnSelectedFocused_ = false;
    ++postedEdits_;
}

bool CellGrid::isCellEditable(int row, int column) const {
    if (row < 0 || column < 0 || row >= rowTotal() || column >= columnTotal()) {
        return false;
    }
    return (model()->flags(model()->index(row, column, rootIndex())) & Qt::ItemIsEditable) != 0;
}

bool CellGrid::IsColumnEditable(int column) const {
    int row = GetFocusedRow();
    if (row < 0) {
        row = 0;
    }
    return isCellEditable(row, column);
}

QRect CellGrid::GetCellRect(int row, int column) const {
    if (row < 0 || row >= rowTotal() || column < 0 || column >= columnTotal()) {
        return {};
    }
    return {columnViewportPosition(column), rowViewportPosition(row), columnWidth(column), rowHeight(row)};
}

std::pair<int, int> CellGrid::NextEditCell(int row, int column, int rowStep, int columnStep) const {
    int targetRow = row;
    int targetColumn = column;
    const int rows = rowTotal();
    if (rowStep != 0 && rows > 0) {
        int next = row + rowStep;
        if (next < 0) {
            next = rows - 1;
        } else if (next >= rows) {
            next = 0;
        }
        targetRow = next;
    }
    if (columnStep != 0) {
        // A column dragged to nothing cannot hold an editor: the search passes over it.
        const auto usable = [this, targetRow](int c) {
            return isCellEditable(targetRow, c) && columnWidth(c) > 0 && !isColumnHidden(c);
        };
        const int columns = columnTotal();
        int found = -1;
        if (columnStep > 0) {
            for (int c = column + 1; c < columns && found < 0; ++c) {
                found = usable(c) ? c : -1;
            }
            for (int c = 0; c < column && found < 0; ++c) {
                found = usable(c) ? c : -1;
            }
        } else {
            for (int c = column - 1; c >= 0 && found < 0; --c) {
                found = usable(c) ? c : -1;
            }
            for (int c = columns - 1; c > column && found < 0; --c) {
                found = usable(c) ? c : -1;
            }
        }
        if (found >= 0) {
            targetColumn = found;
        }
    }
    return {targetRow, targetColumn};
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
    editBox_->setTextValidator(std::move(validator));
}

bool CellGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* /*event*/) {
    // Only an explicit request (QAbstractItemView::edit) opens an editor this way; clicks, keys and
    // double-clicks follow the grid's own rules.
    if (trigger != AllEditTriggers || !index.isValid() || index.model() != model()) {
        return false;
    }
    return EditCell(index.row(), index.column()) != nullptr;
}

// ---- editing ----

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

int CellGrid::firstEditableColumn(int row) const {
    for (int c = 0; c < columnTotal(); ++c) {
        if (isCellEditable(row, c) && columnWidth(c) > 0 && !isColumnHidden(c)) {
            return c;
        }
    }
    return -1;
}

void CellGrid::openEditor(int row, int column) {
    clickEditTimer_.stop();
    pressOnSelectedFocused_ = false;
    if (editing_) {
        finishEdit(true);
    }
    if (row < 0 || row >= rowTotal() || column < 0 || column >= columnTotal()) {
        return;
    }
    // Opening an editor makes its row the only selected row and the focused one.
    const int currentColumn = std::clamp(currentIndex().column(), 0, columnTotal() - 1);
    selectionModel()->setCurrentIndex(model()->index(row, currentColumn, rootIndex()),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    // Refused: a cell the model does not let be edited, or one without width (handlers of the
    // selection change may have removed the row or the column meanwhile).
    if (!isCellEditable(row, column) || columnWidth(column) <= 0 || isColumnHidden(column)) {
        return;
    }
    editColumn_ = column;
    executeDelayedItemsLayout();
    ensureRowVisible(row);

    const QModelIndex index = model()->index(row, column, rootIndex());
    const QRect cell = GetCellRect(row, column);
    const int left = std::max(cell.left(), 0);
    editBox_->ResetEdit();
    editBox_->SetPosition(QPoint(left, cell.top()));
    editBox_->SetHeight(cell.height());
    if (columnViewportPosition(0) < 0) {
        editBox_->SetFitToText(kFitMargin);
    }
    delegate_->setEditorData(editBox_, index);
    editCell_ = QPersistentModelIndex(index);
    editing_ = true;
    editBox_->Open(cell.left() + cell.width() - left);
    emit beginEdit(row, column);
}

void CellGrid::finishEdit(bool confirmed, bool cellGone) {
    if (!editing_) {
        return;
    }
    editing_ = false;
    const QPersistentModelIndex cell = cellGone ? QPersistentModelIndex() : editCell_;
    editCell_ = QPersistentModelIndex();
    if (cell.isValid()) {
        editColumn_ = cell.column();
    }
    // Ending the edit hands the keyboard focus back to the list, unless the user moved it elsewhere.
    if (editBox_->hasFocus() || editBox_->window()->focusWidget() == editBox_) {
        setFocus(Qt::OtherFocusReason);
    }
    editBox_->Close();

    std::optional<QString> text;
    if (confirmed && cell.isValid() && delegate_->commit(editBox_, model(), cell)) {
        text = editBox_->text();
    }
    // The model may have moved or dropped the row while taking the text.
    const int row = cell.isValid() ? cell.row() : -1;
    int key = GridEdit::NoEndKey;
    bool shift = false;
    bool ctrl = false;
    if (text && row != -1 && editBox_->GetEndKey(key, shift, ctrl)) {
        int rowStep = 0;
        int columnStep = 0;
        switch (key) {
        case GridEdit::EndKeyTab:
            columnStep = shift ? -1 : 1;
            break;
        case GridEdit::EndKeyInsert:
            columnStep = 1;
            break;
        case GridEdit::EndKeyUp:
            rowStep = -1;
            break;
        case GridEdit::EndKeyDown:
            rowStep = 1;
            break;
        default:
            break;
        }
        const auto [nextRow, nextColumn] = NextEditCell(row, editColumn_, rowStep, columnStep);
        if (nextRow != row || nextColumn != editColumn_) {
            EnsureCellVisible(nextRow, nextColumn);
            PostEditCell(nextRow, nextColumn);
        }
    }
    if (row != -1) {
        updateRow(row);
    }
    emit endEdit(row, editColumn_, text);
}

void CellGrid::placeEditor() {
    if (!editing_) {
        return;
    }
    if (!editCell_.isValid()) {
        finishEdit(false, true);
        return;
    }
    const QRect cell = GetCellRect(editCell_.row(), editCell_.column());
    const int left = std::max(cell.left(), 0);
    editBox_->SetPosition(QPoint(left, cell.top()));
    editBox_->SetHeight(cell.height());
    editBox_->SetCellWidth(cell.left() + cell.width() - left);
}

void CellGrid::typeCharacter(const QString& typed) {
    const int row = GetFocusedRow();
    if (row < 0) {
        return; // nothing to edit: the character is dropped
    }
    GridEdit* box = EditCell(row, -1);
    if (box == nullptr) {
        QApplication::beep();
        return;
    }
    if (!box->acceptsChange(box->text(), typed)) {
        QApplication::beep(); // the cell keeps its text in the open editor
        return;
    }
    box->ReplaceText(typed);
}

void CellGrid::onModelChanged() {
    // Rows or columns moved under a pending click: it no longer names the cell the user meant. An
    // edited cell that went away (its persistent index is invalid now) ends the edit without a text.
    clickEditTimer_.stop();
    pressOnSelectedFocused_ = false;
    placeEditor();
    viewport()->update();
}

void CellGrid::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    QTableView::selectionChanged(selected, deselected);
    auto rowsOf = [](const QItemSelection& selection) {
        std::vector<int> rows;
        for (const QItemSelectionRange& range : selection) {
            for (int r = range.top(); r <= range.bottom(); ++r) {
                rows.push_back(r);
            }
        }
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        return rows;
    };
    const std::vector<int> gained = rowsOf(selected);
    const std::vector<int> lost = rowsOf(deselected);
    for (int r : lost) {
        updateRow(r);
    }
    for (int r : gained) {
        updateRow(r);
    }
    // A click-edit waits for a row that is still the selected one.
    if (clickEditTimer_.isActive() && !isRowSelected(clickEditRow_)) {
        clickEditTimer_.stop();
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

void CellGrid::updateRowHeight() {
    rowHeight_ = fontMetrics().height() + kRowPadding;
    verticalHeader()->setDefaultSectionSize(rowHeight_);
}

void CellGrid::updateRow(int row) {
    if (row < 0 || row >= rowTotal()) {
        return;
    }
    viewport()->update(QRect(0, rowViewportPosition(row), viewport()->width(), rowHeight(row)));
}

// ---- events ----

void CellGrid::keyPressEvent(QKeyEvent* event) {
    clickEditTimer_.stop();
    pressOnSelectedFocused_ = false;
    if (event->key() == Qt::Key_Insert) {
        const int row = GetFocusedRow();
        if (row >= 0) {
            EditCell(row, -1);
        }
        event->accept();
        return;
    }
    if (typeToEdit_ && (event->key() == Qt::Key_Backspace || isTypedText(event))) {
        // Backspace over the whole selected text leaves nothing; any other character replaces it.
        typeCharacter(event->key() == Qt::Key_Backspace ? QString() : event->text());
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void CellGrid::mousePressEvent(QMouseEvent* event) {
    clickEditTimer_.stop();
    // A press that has just brought the focus here does not count as a click on the focused list.
    const bool hadFocus = hasFocus() && !focusArrivedByMouse_;
    focusArrivedByMouse_ = false;
    if (event->button() == Qt::LeftButton) {
        clickPoint_ = event->position().toPoint();
        const int row = rowAt(clickPoint_.y());
        pressOnSelectedFocused_ = hadFocus && row >= 0 && isRowSelected(row);
        clickEditRow_ = row;
    }
    QTableView::mousePressEvent(event);
}

void CellGrid::mouseReleaseEvent(QMouseEvent* event) {
    const bool startEdit = event->button() == Qt::LeftButton && pressOnSelectedFocused_ &&
                           rowAt(event->position().toPoint().y()) == clickEditRow_;
    pressOnSelectedFocused_ = false;
    QTableView::mouseReleaseEvent(event);
    if (startEdit && isRowSelected(clickEditRow_)) {
        // Opens unless the click turns into a double-click first.
        clickEditTimer_.start(QApplication::doubleClickInterval());
    }
}

void CellGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    clickEditTimer_.stop();
    pressOnSelectedFocused_ = false;
    QTableView::mouseDoubleClickEvent(event);
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
    pressOnSelectedFocused_ = false;
    viewport()->update();
}

void CellGrid::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateRowHeight();
        placeEditor();
    }
}

void CellGrid::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    clickEditTimer_.stop();
    placeEditor();
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
    QTableView::currentChanged(current, previous);
    const int oldRow = previous.isValid() ? previous.row() : -1;
    const int newRow = current.isValid() ? current.row() : -1;
    updateRow(oldRow);
    updateRow(newRow);
    if (oldRow != newRow) {
        // A click-edit belongs to the row that was current when the user clicked.
        clickEditTimer_.stop();
        pressOnSelectedFocused_ = false;
        emit rowFocused(newRow);
    }
}

bool CellGrid::isRowSelected(int row) const {
    if (selectionModel() == nullptr || row < 0) {
        return false;
    }
    const QItemSelection selection = selectionModel()->selection();
    return std::any_of(selection.cbegin(), selection.cend(), [row](const QItemSelectionRange& range) {
        return row >= range.top() && row <= range.bottom();
    });
}

// ---- drawing ----

void CellGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect dirty = event->rect();
    const QPalette& colours = palette();
    const QColor background = colours.color(QPalette::Active, QPalette::Base);
    const int rows = rowTotal();
    const int columns = columnTotal();

    QRect rowsArea;
    if (rows > 0 && columns > 0) {
        const int rowsLeft = columnViewportPosition(0);
        const int rowsRight = rowsLeft + horizontalHeader()->length();
        const int rowsTop = rowViewportPosition(0);
        const int rowsBottom = rowViewportPosition(rows - 1) + rowHeight(rows - 1);
        rowsArea = QRect(QPoint(rowsLeft, rowsTop), QPoint(rowsRight - 1, rowsBottom - 1));

        int first = rowAt(std::max(dirty.top(), rowsTop));
        int last = rowAt(dirty.bottom());
        if (last < 0) {
            last = rows - 1;
        }
        if (first >= 0) {
            // The selected rows among those to paint.
            std::vector<char> selected(static_cast<std::size_t>(last - first + 1), 0);
            const QItemSelection selection = selectionModel()->selection();
            for (const QItemSelectionRange& range : selection) {
                for (int r = std::max(range.top(), first); r <= std::min(range.bottom(), last); ++r) {
                    selected[static_cast<std::size_t>(r - first)] = 1;
                }
            }
            const bool focused = hasFocus();
            const int focusedRow = GetFocusedRow();
            const bool enabled = isEnabled();
            for (int r = first; r <= last; ++r) {
                const bool highlight = highlightSelection_ && selected[static_cast<std::size_t>(r - first)] &&
                                       (focused || showSelAlways_);
                RowColours rowColours;
                rowColours.text =
                    colours.color(QPalette::Active, highlight ? QPalette::HighlightedText : QPalette::Text);
                if (enabled) {
                    rowColours.background =
                        highlight ? colours.color(QPalette::Active, QPalette::Highlight) : background;
                } else {
                    rowColours.background = colours.color(QPalette::Active, QPalette::Window);
                }
                QRect rowRect(rowsLeft, rowViewportPosition(r), rowsRight - rowsLeft, rowHeight(r));
                const int right = DrawRowCells(painter, r, rowRect, dirty, rowColours);
                rowRect.setRight(right - 1);
                if (r == focusedRow && focused && highlightSelection_) {
                    painter.setPen(dottedPen(rowColours.text));
                    painter.setBrush(Qt::NoBrush);
                    painter.drawRect(rowRect.adjusted(0, 0, -1, -1));
                }
                if (gridLines_) {
                    DrawGridLines(painter, rowRect, right);
                }
            }
        }
    }
    // Everything outside the rows is background.
    const QRegion rest = QRegion(dirty).subtracted(QRegion(rowsArea));
    for (const QRect& part : rest) {
        painter.fillRect(part, background);
    }
}

int CellGrid::DrawRowCells(QPainter& painter, int row, const QRect& rowRect, const QRect& dirty,
                           const RowColours& colours) {
    int x = rowRect.left();
    const int columns = columnTotal();
    for (int c = 0; c < columns; ++c) {
        const int width = isColumnHidden(c) ? 0 : columnWidth(c);
        const QRect cell(x, rowRect.top(), width, rowRect.height());
        if (width > 0 && cell.intersects(dirty)) {
            // Only the cells being painted are asked for: a model may compute its texts on demand.
            const QModelIndex index = model()->index(row, c, rootIndex());
            const QVariant aligned = index.data(Qt::TextAlignmentRole);
            Qt::Alignment alignment = aligned.isValid()
                                          ? Qt::Alignment(aligned.toInt()) & Qt::AlignHorizontal_Mask
                                          : Qt::Alignment();
            if (!alignment) {
                alignment = Qt::AlignLeft;
            }
            DrawCellText(painter, cell, CellDelegate::cellText(index), alignment, colours);
        }
        x += width;
    }
    return x;
}

void CellGrid::DrawCellText(QPainter& painter, const QRect& cell, const QString& text,
                            Qt::Alignment alignment, const RowColours& colours) {
    painter.fillRect(cell, colours.background);
    if (text.isEmpty()) {
        return;
    }
    const QRect textRect = cell.adjusted(kTextInset, kTextLowering, -kTextInset, 0);
    if (textRect.width() <= 0 || textRect.height() <= 0) {
        return;
    }
    const QString shown = painter.fontMetrics().elidedText(text, Qt::ElideRight, textRect.width());
    painter.setPen(colours.text);
    painter.drawText(textRect, static_cast<int>(alignment | Qt::AlignTop | Qt::TextSingleLine), shown);
}

void CellGrid::DrawGridLines(QPainter& painter, const QRect& rowRect, int rowsRight) {
    painter.setPen(gridPen_ ? *gridPen_ : dottedPen(Qt::black));
    // Start on an even line so that the dots of consecutive rows line up.
    const int top = (rowRect.top() & 1) ? rowRect.top() + 1 : rowRect.top();
    int x = rowRect.left();
    for (int c = 0; c < columnTotal(); ++c) {
        x += isColumnHidden(c) ? 0 : columnWidth(c);
        if (top <= rowRect.bottom()) {
            painter.drawLine(x - 1, top, x - 1, rowRect.bottom());
        }
    }
    painter.drawLine(0, rowRect.bottom(), rowsRight - 1, rowRect.bottom());
}
