#include "ClickToEdit.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>
#include <QMouseEvent>

#include <utility>

ClickToEdit::ClickToEdit(QAbstractItemView* view, std::function<void(const QModelIndex&)> open)
    : QObject(view), view_(view), open_(std::move(open)) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &ClickToEdit::open);
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
}

bool ClickToEdit::wait(const QModelIndex& cell) {
    if (!pressFoundFocus_ || doubleClicked_) {
        return false;
    }
    cell_ = cell;
    timer_.start(QApplication::doubleClickInterval());
    return true;
}

void ClickToEdit::open() {
    const QPersistentModelIndex cell = std::exchange(cell_, {});
    if (cell.isValid()) {
        open_(cell);
    }
}

void ClickToEdit::elapse() {
    if (timer_.isActive()) {
        timer_.stop();
        open();
    }
}

void ClickToEdit::drop() {
    timer_.stop();
    cell_ = QPersistentModelIndex();
}

bool ClickToEdit::eventFilter(QObject* watched, QEvent* event) {
    // The type first: the view may be half destroyed.
    const QEvent::Type type = event->type();
    if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) && watched != view_) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QModelIndex at = view_->indexAt(mouse->position().toPoint());
        // The view takes the second press of a double-click off the first one's cell for a new press.
        if (type == QEvent::MouseButtonDblClick && at.isValid() && at == pressed_ &&
            (at.flags() & Qt::ItemIsEnabled)) {
            if (mouse->button() == Qt::LeftButton) {
                doubleClicked_ = true;
                drop();
            }
            return false;
        }
        // A press that has just brought the focus here does not count as a click on the focused list.
        pressFoundFocus_ = view_->hasFocus() && !focusArrivedByMouse_;
        focusArrivedByMouse_ = false;
        doubleClicked_ = false;
        pressed_ = at;
        drop();
    } else if (watched == view_ && type == QEvent::FocusIn &&
               static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason) {
        // Cleared once the press that brought the focus has been handled.
        focusArrivedByMouse_ = true;
        QTimer::singleShot(0, this, [this] { focusArrivedByMouse_ = false; });
    } else if (watched == view_ && (type == QEvent::FocusOut || type == QEvent::KeyPress)) {
        drop();
    }
    return false;
}
