#include "GridEdit.h"

#include "TextChangeValidator.h"

#include <QPainter>

#include <algorithm>
#include <limits>

GridEdit::GridEdit(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setTextMargins(0, 0, 0, 0); // the text sits where the cell drew it
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAcceptDrops(false); // dropped files belong to the window, not to a cell
    setMaxLength(std::numeric_limits<int>::max());
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (cell_) {
            setGeometry(placement());
        }
    });
}

void GridEdit::holdOver(const QRect& cell, std::optional<int> fitMargin) {
    cell_ = cell;
    fitMargin_ = fitMargin;
    setGeometry(placement());
}

QRect GridEdit::placement() const {
    const QRect cell = cell_.value_or(geometry());
    const int left = std::max(cell.left(), 0);
    const QFontMetrics metrics = fontMetrics();
    // Room for the text and the caret after it.
    int width = fitMargin_ ? fitTextWidth() + *fitMargin_
                           : std::max(cell.right() + 1 - left,
                                      metrics.horizontalAdvance(text()) + metrics.averageCharWidth() + 5);
    if (parentWidget() != nullptr) { // a box that starts at or past the edge keeps no width at all
        width = std::min(width, std::max(parentWidget()->contentsRect().right() + 1 - left, 0));
    }
    return {left, cell.top(), width, cell.height()};
}

int GridEdit::fitTextWidth() const {
    const qsizetype n = text().size();
    if (n <= 1) {
        return n == 0 ? 0 : 10;
    }
    // Distance from the first character's start to the last one's, stretched to n characters.
    return static_cast<int>(qint64{fontMetrics().horizontalAdvance(text().left(n - 1))} * n / (n - 1));
}

void GridEdit::setTextChecker(Checker checker) {
    // Taking part in QLineEdit's own input handling refuses a typed, pasted or composed change whole.
    const QValidator* old = validator();
    setValidator(checker ? new vornak::TextChangeValidator(this, std::move(checker)) : nullptr);
    delete old;
}

void GridEdit::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Active, QPalette::Text));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
