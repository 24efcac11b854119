// Marks a found piece of text inside one cell of a table view without opening the cell: a tinted box
// drawn over the characters, following the cell as the view scrolls, resizes or its rows move. It
// lies over the list's viewport and lets every mouse event through.
#pragma once

#include <QPersistentModelIndex>
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void follow();

    QAbstractItemView& view_;
    QPersistentModelIndex cell_;
    int start_ = 0;
    int length_ = 0;
};

} // namespace vornak
