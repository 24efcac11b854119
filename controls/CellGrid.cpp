#include "CellGrid.h"

#include "CellDelegate.h"
#include "GridEdit.h"
#include "GridHeader.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int kFitMargin = 15; // extra width of a box that follows its text
constexpr int kRowPadding = 4; // row height over the font's height

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

QPen CellGrid::DottedPen(const QColor& colour) {
    QPen pen(colour, 1, Qt::CustomDashLine, Qt::FlatCap);
    pen.setDashPattern({1.0, 1.0});
    pen.setCosmetic(true);
    return pen;
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
        gridPen_ = DottedPen(colour);
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
