// Marks a found piece of text inside one cell of a table view without opening the cell: a box with
// the characters drawn over it, following the cell as the view scrolls, resizes or its rows move. It
// lies over the list's viewport and lets every mouse event through.
#pragma once

#include <QPersistentModelIndex>
#include <QPointer>
#include <QWidget>

class QAbstractItemView;

namespace vornak {

class CellMatchHighlight : public QWidget {
    Q_OBJECT

public:
    explicit CellMatchHighlight(QAbstractItemView& view);

    // Marks characters [start, start + length) of the cell's shown text.
    void mark(const QModelIndex& cell, int start, int length);
    void clear();
    bool isMarking() const { return cell_.isValid(); }
    // Where the marked characters are drawn, in the view's viewport coordinates; empty when none.
    QRect markedRect() const;

    // The mark's colours, the same on any row: an opaque box with the characters drawn again over
    // it, so that they read as well on a selected row as on any other.
    static QColor fillColour() { return {255, 214, 64}; }
    static QColor textColour() { return {0, 0, 0}; }
    static QColor edgeColour() { return {170, 100, 0}; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void follow();

    QAbstractItemView& view_;
    // Held apart from the view: the filter still sees the viewport's events while the view, already
    // half destroyed, can no longer be asked for it.
    QPointer<QWidget> viewport_;
    QPersistentModelIndex cell_;
    int start_ = 0;
    int length_ = 0;
};

} // namespace vornak
