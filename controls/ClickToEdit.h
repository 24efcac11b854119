// ClickToEdit: a list's click on its selected row. A click on a cell of the selected row of a list
// that already had the focus opens the cell's editor after the double-click interval, unless a
// double-click, another press, a key or the loss of focus comes first, or the list drops it.
#pragma once

#include <QObject>
#include <QPersistentModelIndex>
#include <QTimer>

#include <functional>

class QAbstractItemView;

class ClickToEdit : public QObject {
public:
    /// Watches the view's presses, keys and focus; `open` is called with the cell when the wait ends.
    ClickToEdit(QAbstractItemView* view, std::function<void(const QModelIndex&)> open);

    /// Starts the wait for this cell; false when the click does not count (part of a double-click,
    /// or the press that brought the focus to the list).
    bool wait(const QModelIndex& cell);
    /// Stops the wait, if any.
    void drop();
    /// The cell waited for; invalid when none.
    QModelIndex cell() const { return cell_; }
    /// A wait is running.
    bool isWaiting() const { return timer_.isActive(); }
    /// Ends a running wait as its interval passing would: the cell's editor opens if the cell is
    /// still there. Lets whoever drives the list step the wait without a clock.
    void elapse();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void open();

    QAbstractItemView* view_;
    std::function<void(const QModelIndex&)> open_;
    QTimer timer_;
    QPersistentModelIndex cell_;
    QPersistentModelIndex pressed_; // the cell under the last press, as the view keeps it
    bool pressFoundFocus_ = false;
    bool focusArrivedByMouse_ = false;
    bool doubleClicked_ = false;
};
