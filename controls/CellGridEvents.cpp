// CellGrid's event handlers: keys and clicks that start edits, focus and scrolling, and the
// drawing of its rows.
#include "CellGrid.h"

#include "CellDelegate.h"
#include "GridEdit.h"

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
#include <QTimer>

#include <algorithm>

namespace {

constexpr int kTextInset = 2;    // cell text keeps this far from the cell's left and right edges
constexpr int kTextLowering = 1; // and starts this far below the cell's top

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
                    painter.setPen(DottedPen(rowColours.text));
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
    painter.setPen(gridPen_ ? *gridPen_ : DottedPen(Qt::black));
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
