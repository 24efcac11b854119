#include "CellGrid.h"

#include "GridHeader.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int kRowMargin = 4; // a row's height over its font's

bool isTypedText(const QKeyEvent* event) {
    const QString text = event->text();
    return !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) &&
           !text.isEmpty() &&
           std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isPrint() || c.isSurrogate(); });
}

} // namespace

CellGrid::CellGrid(QWidget* parent)
    : QTableView(parent), delegate_(new CellDelegate(this)),
      clickToEdit_(
          new ClickToEdit(this, [this](const QModelIndex& cell) { editCell(cell.row(), cell.column()); })) {
    setHorizontalHeader(new GridHeader(this));
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setItemDelegate(delegate_);
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectRows);
    setEditTriggers(SelectedClicked); // typing and Insert are handled in keyPressEvent
    setTabKeyNavigation(false);       // Tab leaves the list, as in a dialog
    setShowGrid(false);               // the delegate draws the lines
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollMode(ScrollPerPixel);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + kRowMargin);
}

void CellGrid::setModel(QAbstractItemModel* newModel) {
    if (newModel == model()) {
        return;
    }
    // What was typed goes to the model it was typed for, while that is still shown.
    finishEdit(true);
    cancelPendingEdit();
    if (model() != nullptr) {
        disconnect(model(), nullptr, &watch_, nullptr);
    }
    QTableView::setModel(newModel);
    if (newModel != nullptr) {
        const auto changed = [this] { onModelChanged(); };
        connect(newModel, &QAbstractItemModel::rowsInserted, &watch_, changed);
        connect(newModel, &QAbstractItemModel::rowsRemoved, &watch_, changed);
        connect(newModel, &QAbstractItemModel::rowsMoved, &watch_, changed);
        connect(newModel, &QAbstractItemModel::columnsInserted, &watch_, changed);
        connect(newModel, &QAbstractItemModel::columnsRemoved, &watch_, changed);
        connect(newModel, &QAbstractItemModel::columnsMoved, &watch_, changed);
        connect(newModel, &QAbstractItemModel::layoutChanged, &watch_, changed);
        connect(newModel, &QAbstractItemModel::modelReset, &watch_, changed);
        connect(newModel, &QObject::destroyed, &watch_, [this] {
            editCell_ = QPersistentModelIndex();
            onModelChanged();
        });
    }
}

void CellGrid::setGridLines(bool on, const QColor& colour) {
    delegate_->gridLines = on ? std::optional(colour) : std::nullopt;
    viewport()->update();
}

void CellGrid::setTextChecker(const GridEdit::Checker& checker) {
    delegate_->textChecker = checker;
    if (editor_ != nullptr) {
        editor_->setTextChecker(checker);
    }
}

int CellGrid::selectedRow() const {
    const QModelIndexList cells =
        selectionModel() != nullptr ? selectionModel()->selectedIndexes() : QModelIndexList();
    return cells.isEmpty() ? -1 : std::min_element(cells.cbegin(), cells.cend())->row();
}

QModelIndex CellGrid::cellIndex(int row, int column) const {
    const bool inside = model() != nullptr && model()->hasIndex(row, column, rootIndex());
    return inside ? model()->index(row, column, rootIndex()) : QModelIndex();
}

bool CellGrid::canEdit(const QModelIndex& index) const {
    // A column dragged to nothing cannot hold an editor.
    return index.isValid() && (model()->flags(index) & Qt::ItemIsEditable) &&
           columnWidth(index.column()) > 0 && !isColumnHidden(index.column());
}

GridEdit* CellGrid::editCell(int row, int column) {
    executeDelayedItemsLayout();
    column = column == -1 ? nextEditCell(row, -1, 0, 1).second : column;
    if (!cellIndex(row, column).isValid()) {
        return nullptr;
    }
    clickToEdit_->drop();
    finishEdit(true);
    // The row becomes the only selected and the current one. Storing the text before, and what the
    // change of rows sets off, may take the cell away.
    if (cellIndex(row, column).isValid()) {
        selectionModel()->setCurrentIndex(cellIndex(row, column),
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    const QModelIndex index = cellIndex(row, column);
    if (!canEdit(index)) {
        return nullptr;
    }
    scrollTo(index);
    if (!QTableView::edit(index, AllEditTriggers, nullptr)) {
        return nullptr;
    }
    editor_ = qobject_cast<GridEdit*>(indexWidget(index));
    editCell_ = index;
    editColumn_ = column;
    delegate_->takeStoredText(); // nothing stored yet for this edit
    connect(editor_, &QLineEdit::textEdited, &watch_,
            [this](const QString& text) { emit editTextEdited(text); });
    emit editStarted(row, column);
    return editor_;
}

void CellGrid::postEditCell(int row, int column) {
    QMetaObject::invokeMethod(
        this,
        [this, row, column, ticket = postedEdits_] {
            if (ticket == postedEdits_) {
                editCell(row, column);
            }
        },
        Qt::QueuedConnection);
}

bool CellGrid::finishEdit(bool confirm) {
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

void CellGrid::cancelPendingEdit() {
    clickToEdit_->drop();
    ++postedEdits_;
}

std::pair<int, int> CellGrid::nextEditCell(int row, int column, int rowStep, int columnStep) const {
    const int rows = model() != nullptr ? model()->rowCount(rootIndex()) : 0;
    const int columns = model() != nullptr ? model()->columnCount(rootIndex()) : 0;
    if (rowStep != 0 && rows > 0) {
        row = (row + rowStep + rows) % rows; // one above the first is the last, and back
    }
    // The search runs to the edge, then from the other edge back to the start column, which wins
    // when nothing else does; it never changes the row.
    for (int i = 1; columnStep != 0 && i <= columns; ++i) {
        const int c = ((column + columnStep * i) % columns + columns) % columns;
        if (canEdit(cellIndex(row, c))) {
            return {row, c};
        }
    }
    return {row, column};
}

void CellGrid::ensureCellVisible(int row, int column) {
    // Qt's own rule: the row, then the cell's right or left edge; a cell wider than the view shows
    // its left edge.
    executeDelayedItemsLayout();
    QTableView::scrollTo(cellIndex(row, column));
}

bool CellGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* /*event*/) {
    if (trigger == SelectedClicked) {
        // The clicked cell opens after the double-click interval, unless a change of rows or of the
        // selection, or a command, comes first.
        return (editTriggers() & SelectedClicked) && !isEditing() && canEdit(index) &&
               clickToEdit_->wait(index);
    }
    // AllEditTriggers is an explicit request: QAbstractItemView::edit(index).
    return trigger == AllEditTriggers && index.isValid() && index.model() == model() &&
           editCell(index.row(), index.column()) != nullptr;
}

void CellGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (editor == nullptr || editor != editor_) {
        QTableView::closeEditor(editor, hint);
        return;
    }
    const std::optional<QString> stored = delegate_->takeStoredText();
    editor_ = nullptr;
    // Qt hides the editor, lets it go and hands the focus back to the list if the editor had it.
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    const int rowStep =
        hint == CellDelegate::EditItemBelow ? 1 : (hint == CellDelegate::EditItemAbove ? -1 : 0);
    const int columnStep =
        hint == CellDelegate::EditNextItem ? 1 : (hint == CellDelegate::EditPreviousItem ? -1 : 0);
    endOpenEdit(hint == QAbstractItemDelegate::RevertModelCache ? std::nullopt : stored, rowStep, columnStep);
}

void CellGrid::endOpenEdit(std::optional<QString> text, int rowStep, int columnStep) {
    const QPersistentModelIndex cell = std::exchange(editCell_, QPersistentModelIndex());
    const int row = cell.isValid() ? cell.row() : -1;
    if (row == -1) {
        text.reset();
    } else {
        editColumn_ = cell.column();
    }
    const auto [nextRow, nextColumn] = nextEditCell(row, editColumn_, rowStep, columnStep);
    if (text && (nextRow != row || nextColumn != editColumn_)) {
        ensureCellVisible(nextRow, nextColumn);
        postEditCell(nextRow, nextColumn); // once this edit has completely closed
    }
    emit editFinished(row, editColumn_, text);
}

void CellGrid::onModelChanged() {
    // Rows or columns moved under a pending click: it no longer names the cell the user meant.
    clickToEdit_->drop();
    if (editor_ != nullptr && editCell_.isValid()) {
        // The edited cell moved: the editor follows it at once.
        executeDelayedItemsLayout();
        updateEditorGeometries();
    } else if (editor_ != nullptr) {
        // The edited cell went away and Qt has let its editor go: the edit ends without a text.
        const bool hadFocus = editor_->hasFocus() || !editor_->isVisible();
        editor_ = nullptr;
        if (hadFocus &&
            (QApplication::focusWidget() == nullptr || isAncestorOf(QApplication::focusWidget()))) {
            setFocus(Qt::OtherFocusReason);
        }
        endOpenEdit(std::nullopt);
    }
}

void CellGrid::keyPressEvent(QKeyEvent* event) {
    const bool typed = typeToEdit_ && (event->key() == Qt::Key_Backspace || isTypedText(event));
    if (event->key() != Qt::Key_Insert && !typed) {
        QTableView::keyPressEvent(event);
        return;
    }
    event->accept();
    if (!currentIndex().isValid()) {
        return; // nothing to edit: the key is dropped
    }
    GridEdit* box = editCell(currentIndex().row());
    if (typed && box == nullptr) {
        QApplication::beep();
    } else if (typed) {
        // The editor opens with its text selected: the key replaces it as typing over a selection does.
        QApplication::sendEvent(box, event);
    }
}

void CellGrid::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        verticalHeader()->setDefaultSectionSize(fontMetrics().height() + kRowMargin);
    }
}

bool CellGrid::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Resize && currentIndex().isValid()) {
        // The viewport is resized with the list and when a scroll bar comes or goes; the scroll
        // range follows only once the whole change is laid out, so the row is brought back then.
        const auto* resize = static_cast<QResizeEvent*>(event);
        const QRect row = visualRect(currentIndex());
        const bool wasInView = row.isValid() && row.top() >= 0 && row.bottom() < resize->oldSize().height();
        if (wasInView && row.bottom() >= resize->size().height()) {
            QMetaObject::invokeMethod(
                this,
                [this, cell = QPersistentModelIndex(currentIndex())] {
                    if (cell.isValid() && cell == currentIndex()) {
                        scrollTo(cell);
                    }
                },
                Qt::QueuedConnection);
        }
    }
    return QTableView::viewportEvent(event);
}

void CellGrid::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    clickToEdit_->drop();
    updateEditorGeometries(); // an editor keeps to the view's left edge
}

void CellGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
    // Bringing a row into view scrolls only vertically; sideways scrolling is the user's and
    // ensureCellVisible's.
    const int sideways = horizontalScrollBar()->value();
    QTableView::scrollTo(index, hint);
    horizontalScrollBar()->setValue(sideways);
}

QModelIndex CellGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    QScrollBar* bar = horizontalScrollBar();
    const int rows = model() != nullptr ? model()->rowCount(rootIndex()) : 0;
    switch (cursorAction) {
    case MoveLeft: // Left and Right scroll the list sideways; the current row stays
    case MoveRight:
        bar->setValue(bar->value() + (cursorAction == MoveLeft ? -bar->singleStep() : bar->singleStep()));
        return currentIndex();
    case MoveHome: // the first and the last row, not the row's first and last cell
    case MoveEnd:
        return cellIndex(cursorAction == MoveHome ? 0 : rows - 1, std::max(currentIndex().column(), 0));
    default:
        return QTableView::moveCursor(cursorAction, modifiers);
    }
}

void CellGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // Qt's view would confirm an editor on the previous cell. The editor belongs to its cell, not to
    // the current one: it stays open when a command moves the mark, and must not write into a row
    // being removed.
    QTableView::currentChanged(current, QModelIndex());
    viewport()->update(); // the focus rectangle spans the whole row
    if (previous.row() != current.row()) {
        clickToEdit_->drop(); // a click-edit belongs to the row that was current at the click
    }
}

void CellGrid::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    QTableView::selectionChanged(selected, deselected);
    // A click-edit waits for a row that is still selected.
    if (clickToEdit_->cell().isValid() &&
        !selectionModel()->isRowSelected(clickToEdit_->cell().row(), rootIndex())) {
        clickToEdit_->drop();
    }
}
