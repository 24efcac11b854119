#include "CellMatchHighlight.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QPainter>

namespace vornak {

namespace {

// The grid draws a cell's text this far in from the cell's left edge, and this far below its top.
constexpr int textInset = 2;
constexpr int textLowering = 1;

} // namespace

CellMatchHighlight::CellMatchHighlight(QAbstractItemView& view) : QWidget(&view), view_(view), viewport_(view.viewport()) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    viewport_->installEventFilter(this);
    hide();
}

void CellMatchHighlight::mark(const QModelIndex& cell, int start, int length) {
    cell_ = cell;
    start_ = start;
    length_ = length;
    follow();
    show();
    raise();
    update();
}

void CellMatchHighlight::clear() {
    cell_ = QPersistentModelIndex();
    hide();
}

QRect CellMatchHighlight::markedRect() const {
    if (!cell_.isValid() || length_ <= 0) {
        return {};
    }
    const QRect cell = view_.visualRect(cell_);
    if (cell.isEmpty()) {
        return {};
    }
    const QString text = cell_.data(Qt::DisplayRole).toString();
    const QFontMetrics metrics(view_.font());
    const int left = cell.left() + textInset + metrics.horizontalAdvance(text.left(start_));
    const int width = metrics.horizontalAdvance(text.mid(start_, length_));
    // Past the cell's right edge the text is cut off: so is the mark.
    const QRect marked(left, cell.top() + 1, width, cell.height() - 2);
    return marked.intersected(cell.adjusted(0, 0, -1, 0)).intersected(view_.viewport()->rect());
}

void CellMatchHighlight::follow() {
    // Over the viewport, in the view's coordinates (a child of the viewport would scroll with it).
    setGeometry(view_.viewport()->geometry());
}

bool CellMatchHighlight::eventFilter(QObject* watched, QEvent* event) {
    if (watched == viewport_ && cell_.isValid()) {
        switch (event->type()) {
        case QEvent::Resize:
        case QEvent::Move:
            follow();
            update();
            break;
        case QEvent::Paint:
            update();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CellMatchHighlight::paintEvent(QPaintEvent*) {
    const QRect marked = markedRect();
    if (marked.isEmpty()) {
        return;
    }
    QPainter painter(this);
    painter.fillRect(marked, fillColour());
    // The marked characters again, where the grid drew them, cut where the mark is cut.
    const QRect cell = view_.visualRect(cell_);
    const QString text = cell_.data(Qt::DisplayRole).toString();
    const QFontMetrics metrics(view_.font());
    const int left = cell.left() + textInset + metrics.horizontalAdvance(text.left(start_));
    painter.setClipRect(marked);
    painter.setFont(view_.font());
    painter.setPen(textColour());
    painter.drawText(
        QRect(left, cell.top() + textLowering, metrics.horizontalAdvance(text.mid(start_, length_)) + 1,
              cell.height() - textLowering),
        static_cast<int>(Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine), text.mid(start_, length_));
    painter.setClipping(false);
    painter.setPen(edgeColour());
    painter.drawRect(marked.adjusted(0, 0, -1, -1));
}

} // namespace vornak
