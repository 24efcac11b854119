#include "ProblemCountLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace vornak {

ProblemCountLabel::ProblemCountLabel(QWidget* parent) : QLabel(parent) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setTextFormat(Qt::PlainText);
    // Room for the focus rectangle around the text.
    setContentsMargins(2, 1, 2, 1);
    setToolTip(QStringLiteral("Открыть список замечаний (F7)"));
    applyLook();
    setText(textFor(0));
}

QString ProblemCountLabel::textFor(int count) {
    if (count <= 0) {
        return QStringLiteral("Замечаний нет");
    }
    return QStringLiteral("Замечания: %1").arg(count);
}

void ProblemCountLabel::setCount(int count) {
    count = std::max(count, 0);
    if (count == count_) {
        return;
    }
    count_ = count;
    setText(textFor(count));
    setAccessibleName(text());
}

void ProblemCountLabel::applyLook() {
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, p.color(QPalette::Link));
    setPalette(p);
}

void ProblemCountLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    // A new application palette or font would otherwise take the link look away.
    if (event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::ApplicationFontChange) {
        applyLook();
    }
}

void ProblemCountLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void ProblemCountLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && pressed_) {
        pressed_ = false;
        event->accept();
        // Like a button: releasing outside the label cancels the click.
        if (rect().contains(event->position().toPoint())) {
            emit activated();
        }
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void ProblemCountLabel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            event->accept();
            emit activated();
            return;
        }
        break;
    default:
        break;
    }
    QLabel::keyPressEvent(event);
}

void ProblemCountLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (hasFocus()) {
        QPainter painter(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.backgroundColor = palette().color(QPalette::Window);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

} // namespace vornak
