// CellGrid's rows as a drag source and a drop target: which presses may start a drag, the picture
// that goes with it, the row a drop goes in front of, and the line that shows it.
#include "CellGrid.h"

#include <QDrag>
#include <QDragMoveEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

constexpr int kDragPictureHeight = 120; // the most of the dragged rows the picture shows
constexpr int kDragPictureOffset = 14;  // from the cursor to the picture's corner

} // namespace

void CellGrid::setRowDragging(bool on) {
    setDragEnabled(on);
    setAcceptDrops(on);
    setDropIndicatorShown(false); // the grid draws its own line between rows
    setDragDropOverwriteMode(false);
    setDragDropMode(on ? DragDrop : NoDragDrop);
    setDefaultDropAction(Qt::CopyAction);
}

void CellGrid::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    // Pressed on a row that is selected now (a press inside a selection keeps it until the release).
    const QModelIndex pressed = indexAt(event->position().toPoint());
    pressOnSelectedRow_ = dragEnabled() && event->button() == Qt::LeftButton && pressed.isValid() &&
                          selectionModel() != nullptr && selectionModel()->isRowSelected(pressed.row(), rootIndex());
}

void CellGrid::mouseMoveEvent(QMouseEvent* event) {
    // Moving with a button held never selects other rows; it drags the selected rows it was pressed on.
    if (event->buttons() == Qt::NoButton || (pressOnSelectedRow_ && (event->buttons() & Qt::LeftButton))) {
        QTableView::mouseMoveEvent(event);
    }
}

void CellGrid::startDrag(Qt::DropActions supportedActions) {
    // The press that started the drag must not open an editor on its cell.
    cancelPendingEdit();
    pressOnSelectedRow_ = false;
    QModelIndexList cells;
    QRect shown;
    for (const QModelIndex& cell : selectedIndexes()) {
        if (model()->flags(cell) & Qt::ItemIsDragEnabled) {
            cells.append(cell);
            shown |= visualRect(cell);
        }
    }
    QMimeData* data = cells.isEmpty() ? nullptr : model()->mimeData(cells);
    if (data == nullptr) {
        return;
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    // A faint picture of the rows in view, beside the cursor rather than under it, so that the line
    // showing where they go stays visible.
    shown &= viewport()->rect();
    shown.setHeight(std::min(shown.height(), kDragPictureHeight));
    if (shown.isValid()) {
        const QPixmap rows = viewport()->grab(shown);
        QPixmap picture(rows.size());
        picture.setDevicePixelRatio(rows.devicePixelRatio());
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setOpacity(0.7);
        painter.drawPixmap(0, 0, rows);
        painter.end();
        drag->setPixmap(picture);
        drag->setHotSpot(QPoint(-kDragPictureOffset, -kDragPictureOffset));
    }
    // A drop back onto this list moves the rows there itself: nothing is removed here afterwards.
    drag->exec(supportedActions, defaultDropAction());
}

int CellGrid::dropRowAt(const QPoint& point) const {
    const int rows = model() != nullptr ? model()->rowCount(rootIndex()) : 0;
    const int row = rowAt(point.y());
    if (row < 0) {
        return point.y() < 0 ? 0 : rows;
    }
    return point.y() - rowViewportPosition(row) < rowHeight(row) / 2 ? row : row + 1;
}

void CellGrid::dragMoveEvent(QDragMoveEvent* event) {
    QTableView::dragMoveEvent(event); // scrolls near the edges
    const int row = dropRowAt(event->position().toPoint());
    const bool takes = model() != nullptr && model()->canDropMimeData(event->mimeData(), event->dropAction(),
                                                                     row, 0, rootIndex());
    if (takes) {
        // Rows dropped back onto their own list move there: the cursor says so.
        if (event->source() == this && (event->possibleActions() & Qt::MoveAction)) {
            event->setDropAction(Qt::MoveAction);
        }
        event->accept();
    } else {
        event->ignore();
    }
    const int shown = takes ? row : -1;
    if (shown != dropRow_) {
        dropRow_ = shown;
        viewport()->update();
    }
}

void CellGrid::dragLeaveEvent(QDragLeaveEvent* event) {
    QTableView::dragLeaveEvent(event);
    dropRow_ = -1;
    viewport()->update();
}

void CellGrid::dropEvent(QDropEvent* event) {
    // What was typed into this list goes in first, as before any other change of its rows, so that it
    // lands in the cell it was typed into.
    cancelPendingEdit();
    finishEdit(true);
    // The row is the one the line showed, not Qt's guess at a cell to drop onto.
    const int row = dropRowAt(event->position().toPoint());
    dropRow_ = -1;
    stopAutoScroll();
    setState(NoState);
    viewport()->update();
    const Qt::DropAction action =
        event->source() == this && (event->possibleActions() & Qt::MoveAction) ? Qt::MoveAction : event->dropAction();
    if (model() != nullptr && model()->dropMimeData(event->mimeData(), action, row, 0, rootIndex())) {
        event->setDropAction(action);
        event->accept();
    } else {
        event->ignore();
    }
}

void CellGrid::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    if (dropRow_ < 0 || model() == nullptr) {
        return;
    }
    const int rows = model()->rowCount(rootIndex());
    int y = 0;
    if (dropRow_ < rows) {
        y = rowViewportPosition(dropRow_);
    } else if (rows > 0) {
        y = rowViewportPosition(rows - 1) + rowHeight(rows - 1);
    }
    QPainter painter(viewport());
    painter.setPen(QPen(palette().color(QPalette::Text), 2));
    painter.drawLine(0, std::max(y, 1), viewport()->width(), std::max(y, 1));
}

