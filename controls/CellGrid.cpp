#include "CellGrid.h"

#include "GridEdit.h"
#include "GridHeader.h"

#include <QApplication>
#include <QContextMenuEvent>
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

CellGrid::CellGrid(QWidget* parent) : QTableWidget(parent) {
    header_ = new GridHeader(this);
    setHorizontalHeader(header_);
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

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
    connect(editBox_, &GridEdit::editEnded, this, &CellGrid::onEditEnded);

    clickEditTimer_.setSingleShot(true);
    connect(&clickEditTimer_, &QTimer::timeout, this, [this] {
        if (clickEditRow_ >= 0 && clickEditRow_ < rowCount()) {
            openEditor(clickEditRow_);
        }
    });

    QAbstractItemModel* itemModel = model();
    connect(itemModel, &QAbstractItemModel::columnsInserted, this, &CellGrid::onColumnsInserted);
    connect(itemModel, &QAbstractItemModel::columnsRemoved, this, &CellGrid::onColumnsRemoved);
    connect(itemModel, &QAbstractItemModel::rowsRemoved, this, &CellGrid::onRowsRemoved);
    connect(itemModel, &QAbstractItemModel::modelReset, this, &CellGrid::onRowsRemoved);
    connect(itemModel, &QAbstractItemModel::rowsInserted, this, [this] { placeEditor(); });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &CellGrid::onSelectionChanged);
    connect(header_, &QHeaderView::sectionResized, this, [this] {
        placeEditor();
        viewport()->update();
    });

    InitGrid();
}

CellGrid::~CellGrid() {
    // The model and the edit box die after this object's members: nothing of theirs may call back.
    editing_ = false;
    disconnect(editBox_, nullptr, this, nullptr);
    disconnect(model(), nullptr, this, nullptr);
    disconnect(selectionModel(), nullptr, this, nullptr);
    disconnect(header_, nullptr, this, nullptr);
}

void CellGrid::InitGrid() {
    SetTextFont(std::nullopt, true);
    highlightSelection_ = true;
    editable_.assign(static_cast<std::size_t>(columnCount()), 0);
}

int CellGrid::GetColumnCount() const {
    return columnCount();
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

void CellGrid::SetEditable(bool on, int column) {
    const std::uint16_t flag = on ? 1 : 0;
    if (column == -1) {
        std::fill(editable_.begin(), editable_.end(), flag);
    } else if (column >= 0 && static_cast<std::size_t>(column) < editable_.size()) {
        editable_[static_cast<std::size_t>(column)] = flag;
    }
}

bool CellGrid::SetTypeToEdit(bool on) {
    typeToEdit_ = on;
    return true;
}

GridEdit* CellGrid::GetEditBox() const {
    return editBox_;
}

int CellGrid::GetSelectedRow() const {
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
        for (int r = 0; r < rowCount(); ++r) {
            if (!SelectRow(r, on)) {
                return false;
            }
        }
        return true;
    }
    if (row < 0 || row >= rowCount() || columnCount() == 0) {
        return false;
    }
    const QItemSelectionModel::SelectionFlags flags =
        (on ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Deselect) |
        QItemSelectionModel::Rows;
    selectionModel()->select(model()->index(row, 0), flags);
    return true;
}

bool CellGrid::FocusRow(int row, bool on) {
    if (row == -1) {
        row = GetFocusedRow();
        if (row == -1) {
            return !on; // removing a mark that nobody has succeeds
        }
    }
    if (row < 0 || row >= rowCount() || columnCount() == 0) {
        return false;
    }
    if (on) {
        const int column = std::max(currentIndex().column(), 0);
        selectionModel()->setCurrentIndex(model()->index(row, std::min(column, columnCount() - 1)),
                                          QItemSelectionModel::NoUpdate);
    } else if (GetFocusedRow() == row) {
        selectionModel()->clearCurrentIndex();
    }
    return true;
}

GridEdit* CellGrid::EditCell(int row, int column) {
    if (row < 0 || row >= rowCount()) {
        return nullptr;
    }
    if (column == -1) {
        column = firstEditableColumn();
        if (column < 0) {
            return nullptr;
        }
    } else if (column < 0 || column >= columnCount()) {
        // The request names no cell: it must not fall back on an older click point.
        return nullptr;
    }
    executeDelayedItemsLayout();
    clickPoint_ = GetCellRect(row, column).topLeft();
    setFocus(Qt::OtherFocusReason); // ends an edit in progress
    openEditor(row);
    return editing_ ? editBox_ : nullptr;
}

void CellGrid::PostEditCell(int row, int column) {
    QMetaObject::invokeMethod(
        this, [this, row, column] { EditCell(row, column); }, Qt::QueuedConnection);
}

bool CellGrid::SetCellText(int row, int column, const QString& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) {
        return false;
    }
    bool allow = true;
    emit cellTextChanging(row, column, text, &allow);
    if (!allow) {
        return false;
    }
    // The handler may have changed the list.
    if (row >= rowCount() || column >= columnCount()) {
        return false;
    }
    if (QTableWidgetItem* cell = item(row, column)) {
        cell->setText(text);
    } else {
        setItem(row, column, new QTableWidgetItem(text));
    }
    emit cellTextChanged(row, column);
    return true;
}

QString CellGrid::GetCellText(int row, int column) const {
    const QTableWidgetItem* cell = item(row, column);
    return cell ? cell->text() : QString();
}

int CellGrid::InsertColumn(int column, const QString& heading, int width, Qt::Alignment alignment) {
    if (column < 0) {
        return -1;
    }
    column = std::min(column, columnCount());
    insertColumn(column);
    auto* headerItem = new QTableWidgetItem(heading);
    headerItem->setTextAlignment((alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
    setHorizontalHeaderItem(column, headerItem);
    setColumnWidth(column, std::max(width, 0));
    return column;
}

bool CellGrid::DeleteColumn(int column) {
    if (column < 0 || column >= columnCount()) {
        return false;
    }
    removeColumn(column);
    return true;
}

int CellGrid::InsertRow(int row, const QString& firstText) {
    if (row < 0) {
        return -1;
    }
    row = std::min(row, rowCount());
    insertRow(row);
    if (!firstText.isEmpty() && columnCount() > 0) {
        setItem(row, 0, new QTableWidgetItem(firstText));
    }
    return row;
}

bool CellGrid::DeleteRow(int row) {
    if (row < 0 || row >= rowCount()) {
        return false;
    }
    removeRow(row);
    return true;
}

bool CellGrid::IsEditing() const {
    return editing_;
}

bool CellGrid::EndEdit(bool confirm) {
    if (!editing_) {
        return false;
    }
    finishEdit(confirm, false);
    return true;
}

bool CellGrid::IsColumnEditable(int column) const {
    return column >= 0 && static_cast<std::size_t>(column) < editable_.size() && column < columnCount() &&
           editable_[static_cast<std::size_t>(column)] != 0;
}

QRect CellGrid::GetCellRect(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) {
        return {};
    }
    return {columnViewportPosition(column), rowViewportPosition(row), columnWidth(column), rowHeight(row)};
}

std::pair<int, int> CellGrid::NextEditCell(int row, int column, int rowStep, int columnStep) const {
    int targetRow = row;
    int targetColumn = column;
    const int rows = rowCount();
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
        const int columns = columnCount();
        int found = -1;
        if (columnStep > 0) {
            for (int c = column + 1; c < columns && found < 0; ++c) {
                found = IsColumnEditable(c) ? c : -1;
            }
            for (int c = 0; c < column && found < 0; ++c) {
                found = IsColumnEditable(c) ? c : -1;
            }
        } else {
            for (int c = column - 1; c >= 0 && found < 0; --c) {
                found = IsColumnEditable(c) ? c : -1;
            }
            for (int c = columns - 1; c > column && found < 0; --c) {
                found = IsColumnEditable(c) ? c : -1;
            }
        }
        if (found >= 0) {
            targetColumn = found;
        }
    }
    return {targetRow, targetColumn};
}

void CellGrid::EnsureCellVisible(int row, int column) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) {
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

void CellGrid::setTextValidator(std::function<bool(const QString&)> validator) {
    editBox_->setTextValidator(std::move(validator));
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

int CellGrid::firstEditableColumn() const {
    for (int c = 0; c < columnCount(); ++c) {
        if (IsColumnEditable(c)) {
            return c;
        }
    }
    return -1;
}

bool CellGrid::cellFromPoint(const QPoint& point, int& row, int& column) const {
    row = rowAt(point.y());
    column = columnAt(point.x());
    return row >= 0 && column >= 0;
}

void CellGrid::openEditor(int row) {
    cancelClickEdit();
    if (editing_) {
        finishEdit(true, false);
    }
    if (row < 0 || row >= rowCount() || columnCount() == 0) {
        return;
    }
    // The cell is the one under the point, taken before the row is brought into view.
    int pointRow = -1;
    int column = -1;
    const bool onCell = cellFromPoint(clickPoint_, pointRow, column);

    // Opening an editor makes its row the only selected row and the focused one.
    const int currentColumn = std::clamp(currentIndex().column(), 0, columnCount() - 1);
    selectionModel()->setCurrentIndex(model()->index(row, currentColumn),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    // Refused: outside every cell, or a column that is not editable (handlers of the selection
    // change may have removed the row or the column meanwhile).
    if (!onCell || row >= rowCount() || !IsColumnEditable(column)) {
        return;
    }
    editColumn_ = column;
    executeDelayedItemsLayout();
    ensureRowVisible(row);

    const QRect cell = GetCellRect(row, editColumn_);
    const int left = std::max(cell.left(), 0);
    editBox_->ResetEdit();
    editBox_->SetPosition(QPoint(left, cell.top()));
    editBox_->SetHeight(cell.height());
    if (columnViewportPosition(0) < 0) {
        editBox_->SetFitToText(kFitMargin);
    }
    editBox_->SetInitialText(GetCellText(row, editColumn_));
    editCell_ = QPersistentModelIndex(model()->index(row, editColumn_));
    editing_ = true;
    editBox_->Open(cell.left() + cell.width() - left);
    emit beginEdit(row, editColumn_);
}

void CellGrid::onEditEnded(bool confirmed) {
    finishEdit(confirmed, false);
}

void CellGrid::finishEdit(bool confirmed, bool rowGone) {
    if (!editing_) {
        return;
    }
    editing_ = false;
    int row = -1;
    if (!rowGone && editCell_.isValid()) {
        row = editCell_.row();
        editColumn_ = editCell_.column();
    }
    editCell_ = QPersistentModelIndex();
    const QString typed = editBox_->text();
    // Ending the edit hands the keyboard focus back to the list, unless the user moved it elsewhere.
    if (editBox_->hasFocus() || editBox_->window()->focusWidget() == editBox_) {
        setFocus(Qt::OtherFocusReason);
    }
    editBox_->Close();

    std::optional<QString> text;
    if (confirmed && row != -1) {
        text = typed;
    }
    bool moveOn = row != -1;
    if (text && !SetCellText(row, editColumn_, *text)) {
        moveOn = false;
    }
    int key = GridEdit::NoEndKey;
    bool shift = false;
    bool ctrl = false;
    if (moveOn && editBox_->GetEndKey(key, shift, ctrl)) {
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
    if (!box->acceptsText(typed)) {
        QApplication::beep(); // the cell keeps its text in the open editor
        return;
    }
    box->setText(typed);
    box->setCursorPosition(static_cast<int>(typed.size()));
}

void CellGrid::cancelClickEdit() {
    clickEditTimer_.stop();
    pressOnSelectedFocused_ = false;
}

// ---- bookkeeping ----

void CellGrid::onColumnsInserted(const QModelIndex& parent, int first, int last) {
    if (parent.isValid()) {
        return;
    }
    const std::size_t at = std::min(static_cast<std::size_t>(std::max(first, 0)), editable_.size());
    editable_.insert(editable_.begin() + static_cast<std::ptrdiff_t>(at),
                     static_cast<std::size_t>(last - first + 1), 0);
    placeEditor();
    viewport()->update();
}

void CellGrid::onColumnsRemoved(const QModelIndex& parent, int first, int last) {
    if (parent.isValid()) {
        return;
    }
    const auto from = std::min(static_cast<std::size_t>(std::max(first, 0)), editable_.size());
    const auto to = std::min(static_cast<std::size_t>(last + 1), editable_.size());
    editable_.erase(editable_.begin() + static_cast<std::ptrdiff_t>(from),
                    editable_.begin() + static_cast<std::ptrdiff_t>(std::max(from, to)));
    placeEditor();
    viewport()->update();
}

void CellGrid::onRowsRemoved() {
    cancelClickEdit();
    placeEditor();
}

void CellGrid::onSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
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
    if (row < 0 || row >= rowCount()) {
        return;
    }
    viewport()->update(QRect(0, rowViewportPosition(row), viewport()->width(), rowHeight(row)));
}

// ---- events ----

void CellGrid::keyPressEvent(QKeyEvent* event) {
    cancelClickEdit();
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
    QTableWidget::keyPressEvent(event);
}

void CellGrid::mousePressEvent(QMouseEvent* event) {
    cancelClickEdit();
    // A press that has just brought the focus here does not count as a click on the focused list.
    const bool hadFocus = hasFocus() && !focusArrivedByMouse_;
    focusArrivedByMouse_ = false;
    if (event->button() == Qt::LeftButton) {
        clickPoint_ = event->position().toPoint();
        const int row = rowAt(clickPoint_.y());
        pressOnSelectedFocused_ = hadFocus && row >= 0 && isRowSelected(row);
        clickEditRow_ = row;
    }
    QTableWidget::mousePressEvent(event);
}

void CellGrid::mouseReleaseEvent(QMouseEvent* event) {
    const bool startEdit = event->button() == Qt::LeftButton && pressOnSelectedFocused_ &&
                           rowAt(event->position().toPoint().y()) == clickEditRow_;
    pressOnSelectedFocused_ = false;
    QTableWidget::mouseReleaseEvent(event);
    if (startEdit) {
        // Opens unless the click turns into a double-click first.
        clickEditTimer_.start(QApplication::doubleClickInterval());
    }
}

void CellGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    cancelClickEdit();
    QTableWidget::mouseDoubleClickEvent(event);
}

void CellGrid::mouseMoveEvent(QMouseEvent* event) {
    // Dragging with a button held neither selects other rows nor starts a drag.
    if (event->buttons() != Qt::NoButton) {
        event->accept();
        return;
    }
    QTableWidget::mouseMoveEvent(event);
}

void CellGrid::contextMenuEvent(QContextMenuEvent* event) {
    emit contextMenuRequested(event->globalPos());
    event->accept();
}

void CellGrid::focusInEvent(QFocusEvent* event) {
    QTableWidget::focusInEvent(event);
    if (event->reason() == Qt::MouseFocusReason) {
        // Cleared once the press that brought the focus has been handled.
        focusArrivedByMouse_ = true;
        QTimer::singleShot(0, this, [this] { focusArrivedByMouse_ = false; });
    }
    viewport()->update();
}

void CellGrid::focusOutEvent(QFocusEvent* event) {
    QTableWidget::focusOutEvent(event);
    cancelClickEdit();
    viewport()->update();
}

void CellGrid::changeEvent(QEvent* event) {
    QTableWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateRowHeight();
        placeEditor();
    }
}

void CellGrid::scrollContentsBy(int dx, int dy) {
    QTableWidget::scrollContentsBy(dx, dy);
    cancelClickEdit();
    placeEditor();
}

void CellGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
    // Bringing a row into view scrolls only vertically; sideways scrolling is left to the user
    // and to EnsureCellVisible.
    QScrollBar* bar = horizontalScrollBar();
    const int sideways = bar->value();
    QTableWidget::scrollTo(index, hint);
    bar->setValue(sideways);
}

QModelIndex CellGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    const int column = std::max(currentIndex().column(), 0);
    switch (cursorAction) {
    case MoveLeft:
    case MoveRight: {
        // Left and Right scroll the list sideways; the focused row stays.
        QScrollBar* bar = horizontalScrollBar();
        bar->setValue(bar->value() + (cursorAction == MoveLeft ? -bar->singleStep() : bar->singleStep()));
        return currentIndex();
    }
    case MoveHome:
        return rowCount() > 0 ? model()->index(0, column) : QModelIndex();
    case MoveEnd:
        return rowCount() > 0 ? model()->index(rowCount() - 1, column) : QModelIndex();
    default:
        return QTableWidget::moveCursor(cursorAction, modifiers);
    }
}

void CellGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableWidget::currentChanged(current, previous);
    const int oldRow = previous.isValid() ? previous.row() : -1;
    const int newRow = current.isValid() ? current.row() : -1;
    updateRow(oldRow);
    updateRow(newRow);
    if (oldRow != newRow) {
        emit rowFocused(newRow);
    }
}

bool CellGrid::isRowSelected(int row) const {
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
    const int rows = rowCount();
    const int columns = columnCount();

    QRect rowsArea;
    if (rows > 0 && columns > 0) {
        paintAlignments_.resize(static_cast<std::size_t>(columns));
        for (int c = 0; c < columns; ++c) {
            const QTableWidgetItem* headerItem = horizontalHeaderItem(c);
            const Qt::Alignment alignment =
                headerItem ? Qt::Alignment(headerItem->textAlignment()) & Qt::AlignHorizontal_Mask
                           : Qt::AlignLeft;
            paintAlignments_[static_cast<std::size_t>(c)] = alignment ? alignment : Qt::AlignLeft;
        }
        const int rowsLeft = columnViewportPosition(0);
        const int rowsRight = columnViewportPosition(columns - 1) + columnWidth(columns - 1);
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
    const int columns = columnCount();
    for (int c = 0; c < columns; ++c) {
        const int width = columnWidth(c);
        const QRect cell(x, rowRect.top(), width, rowRect.height());
        if (width > 0 && cell.intersects(dirty)) {
            const QTableWidgetItem* cellItem = item(row, c);
            const Qt::Alignment alignment = static_cast<std::size_t>(c) < paintAlignments_.size()
                                                ? paintAlignments_[static_cast<std::size_t>(c)]
                                                : Qt::AlignLeft;
            DrawCellText(painter, cell, cellItem ? cellItem->text() : QString(), alignment, colours);
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
    if (verticalLines_) {
        // Start on an even line so that the dots of consecutive rows line up.
        const int top = (rowRect.top() & 1) ? rowRect.top() + 1 : rowRect.top();
        int x = rowRect.left();
        for (int c = 0; c < columnCount(); ++c) {
            x += columnWidth(c);
            if (top <= rowRect.bottom()) {
                painter.drawLine(x - 1, top, x - 1, rowRect.bottom());
            }
        }
    }
    if (horizontalLines_) {
        painter.drawLine(0, rowRect.bottom(), rowsRight - 1, rowRect.bottom());
    }
}
