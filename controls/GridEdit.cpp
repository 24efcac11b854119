#include "GridEdit.h"

#include "TextChangeValidator.h"

#include <QPainter>

#include <algorithm>
#include <limits>
#include <utility>

GridEdit::GridEdit(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    // The line edit's own insets (2 pixels across, 1 down) put the text where the cell drew it.
    setTextMargins(0, 0, 0, 0);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAcceptDrops(false); // dropped files belong to the window, not to a cell
    setMaxLength(std::numeric_limits<int>::max());
    connect(this, &QLineEdit::textChanged, this, &GridEdit::relayout);
}

void GridEdit::holdOver(const QRect& cell) {
    position_ = QPoint(std::max(cell.left(), 0), cell.top());
    positionSet_ = true;
    height_ = cell.height();
    heightSet_ = true;
    cellWidth_ = std::max(cell.left() + cell.width() - position_.x(), 0);
    relayout();
}

void GridEdit::setFitToText(int margin) {
    fitToText_ = true;
    fitMargin_ = margin;
    relayout();
}

QRect GridEdit::adjustedGeometry(QRect proposed) {
    if (positionSet_) {
        proposed.moveTopLeft(position_);
    }
    if (heightSet_) {
        proposed.setHeight(height_);
    }
    if (fitToText_) {
        proposed.setWidth(fitTextWidth() + fitMargin_);
    }
    if (maxRight_ == -1 && parentWidget() != nullptr) {
        maxRight_ = parentWidget()->contentsRect().right() + 1;
    }
    if (maxRight_ != -1 && proposed.left() + proposed.width() > maxRight_) {
        // A box that starts at or past the edge keeps no width at all.
        proposed.setWidth(std::max(maxRight_ - proposed.left(), 0));
    }
    return proposed;
}

int GridEdit::fitTextWidth() const {
    const QString current = text();
    const qsizetype n = current.size();
    if (n == 0) {
        return 0;
    }
    if (n == 1) {
        return 10;
    }
    // Distance from the first character's start to the last one's, stretched to n characters.
    const qint64 span = fontMetrics().horizontalAdvance(current.left(n - 1));
    return static_cast<int>(span * n / (n - 1));
}

void GridEdit::setTextChecker(Checker checker) {
    checker_ = std::move(checker);
    if (!checker_) {
        setValidator(nullptr);
    } else if (validator() == nullptr) {
        // Takes part in QLineEdit's own input handling, so that typing, pasting and input-method
        // commits are all refused as a whole when what they add fails.
        setValidator(
            new vornak::TextChangeValidator(this, [this](const QString& before, const QString& after) {
                return acceptsChange(before, after);
            }));
    }
}

bool GridEdit::acceptsChange(const QString& before, const QString& after) const {
    return !checker_ || checker_(before, after);
}

void GridEdit::relayout() {
    // Wide enough for the text and the caret after it, never narrower than the cell.
    const QFontMetrics metrics = fontMetrics();
    const int forText = metrics.horizontalAdvance(text()) + 4 + metrics.averageCharWidth() + 1;
    const QRect wanted = adjustedGeometry(QRect(pos(), QSize(std::max(cellWidth_, forText), height())));
    if (wanted != geometry()) {
        setGeometry(wanted);
    }
}

void GridEdit::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Active, QPalette::Text));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
