#include "GridEdit.h"

#include "TextChangeValidator.h"

#include <QPainter>

#include <algorithm>
#include <limits>
#include <utility>

GridEdit::GridEdit(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    // Without the line edit's own insets the text sits where the cell drew it.
    setTextMargins(0, 0, 0, 0);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAcceptDrops(false); // dropped files belong to the window, not to a cell
    setMaxLength(std::numeric_limits<int>::max());
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (cell_ && placement() != geometry()) {
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
    int width = 0;
    if (fitMargin_) {
        width = fitTextWidth() + *fitMargin_;
    } else {
        // Room for the text and the caret after it.
        const QFontMetrics metrics = fontMetrics();
        width = std::max(cell.right() + 1 - left,
                         metrics.horizontalAdvance(text()) + metrics.averageCharWidth() + 5);
    }
    if (parentWidget() != nullptr) {
        // A box that starts at or past the edge keeps no width at all.
        width = std::min(width, std::max(parentWidget()->contentsRect().right() + 1 - left, 0));
    }
    return {left, cell.top(), width, cell.height()};
}

int GridEdit::fitTextWidth() const {
    const QString current = text();
    const qsizetype n = current.size();
    if (n <= 1) {
        return n == 0 ? 0 : 10;
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
        // Taking part in QLineEdit's own input handling refuses typing, pasting and input-method
        // commits as a whole when what they add fails.
        setValidator(
            new vornak::TextChangeValidator(this, [this](const QString& before, const QString& after) {
                return acceptsChange(before, after);
            }));
    }
}

bool GridEdit::acceptsChange(const QString& before, const QString& after) const {
    return !checker_ || checker_(before, after);
}

void GridEdit::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Active, QPalette::Text));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
