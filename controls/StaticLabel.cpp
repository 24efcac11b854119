#include "StaticLabel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QMovie>
#include <QPainter>
#include <QPicture>
#include <QPixmap>
#include <QToolTip>

#include <algorithm>

StaticLabel::StaticLabel(QWidget* parent) : StaticLabel(QString(), parent) {
}

StaticLabel::StaticLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent), backgroundColor_(palette().color(QPalette::Button)),
      textColor_(palette().color(QPalette::WindowText)) {
    // A plain static shows its text as it is, from the top left.
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

StaticLabel::~StaticLabel() = default;

void StaticLabel::setText(const QString& text) {
    QLabel::setText(text);
    UpdateToolTip();
    if (fitToText_) {
        FitToText();
    }
    update();
}

void StaticLabel::SetBackgroundColor(const QColor& colour) {
    backgroundColor_ = colour;
    update();
}

void StaticLabel::SetTextColor(const QColor& colour) {
    textColor_ = colour;
    update();
}

void StaticLabel::SetToolTipEnabled(bool enabled) {
    toolTipEnabled_ = enabled;
    if (enabled) {
        UpdateToolTip();
    } else {
        setToolTip(QString());
    }
}

void StaticLabel::SetToolTipText(const QString& text) {
    toolTipText_ = text;
    fixedToolTipText_ = true;
    UpdateToolTip();
}

void StaticLabel::UnfixToolTipText() {
    fixedToolTipText_ = false;
    UpdateToolTip();
}

void StaticLabel::SetFitToText(bool fit) {
    fitToText_ = fit;
    if (fit) {
        FitToText();
    }
}

bool StaticLabel::IsTextStatic() const {
    return pixmap().isNull() && picture().isNull() && movie() == nullptr;
}

void StaticLabel::FitToText() {
    QWidget* parent = parentWidget();
    if (!IsTextStatic() || parent == nullptr || fitting_) {
        return;
    }
    QRect target = placement_;
    if (fitToText_) {
        const QRect current = geometry();
        const QFontMetrics metrics(font_ ? *font_ : font());
        const int width = std::min(metrics.horizontalAdvance(text()), parent->width());
        const int height = std::min(metrics.height(), parent->height());
        const Qt::Alignment align = alignment();

        // A centred label keeps its centre: both edges move in by half the difference (truncated),
        // so an odd difference leaves it one pixel wider (or narrower) than its text.
        int top = current.y();
        int newHeight = height;
        if (align & Qt::AlignVCenter) {
            const int inset = (current.height() - height) / 2;
            top += inset;
            newHeight = current.height() - 2 * inset;
        }
        int left = current.x();
        int newWidth = width;
        if (align & Qt::AlignHCenter) {
            const int inset = (current.width() - width) / 2;
            left += inset;
            newWidth = current.width() - 2 * inset;
        } else if (align & Qt::AlignRight) {
            left = current.x() + current.width() - width;
        }
        target = QRect(left, top, newWidth, newHeight);
    }
    if (target.isValid() && target != geometry()) {
        fitting_ = true;
        setGeometry(target);
        fitting_ = false;
    }
}

bool StaticLabel::RebuildFont() {
    return RebuildFontFrom(font());
}

bool StaticLabel::RebuildFontFrom(const QFont& font) {
    if (!IsTextStatic()) {
        return true;
    }
    font_ = font;
    if (fitToText_) {
        FitToText();
    }
    update();
    return true;
}

bool StaticLabel::Initialize() {
    placement_ = geometry();
    initialized_ = true;
    UpdateToolTip();
    if (!fontReady_ && RebuildFont()) {
        fontReady_ = true;
    }
    return true;
}

bool StaticLabel::UpdateToolTip() {
    if (!toolTipEnabled_) {
        return false;
    }
    if (!fixedToolTipText_) {
        toolTipText_ = DefaultToolTipText();
    }
    if (!initialized_) {
        return false;
    }
    setToolTip(toolTipText_);
    return true;
}

QString StaticLabel::DefaultToolTipText() const {
    return IsTextStatic() ? text() : QString();
}

QColor StaticLabel::CtlColor() const {
    return textColor_;
}

bool StaticLabel::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::Polish:
        if (!initialized_) {
            const bool handled = QLabel::event(event);
            Initialize();
            return handled;
        }
        break;
    case QEvent::FontChange:
        if (fontReady_) {
            const bool handled = QLabel::event(event);
            RebuildFont();
            return handled;
        }
        break;
    case QEvent::ToolTip:
        if (!toolTipEnabled_) {
            QToolTip::hideText();
            event->ignore();
            return true;
        }
        break;
    default:
        break;
    }
    return QLabel::event(event);
}

void StaticLabel::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(rect(), backgroundColor_);
    if (!IsTextStatic()) {
        painter.end();
        QLabel::paintEvent(event);
        return;
    }
    painter.setFont(font_ ? *font_ : font());
    painter.setPen(CtlColor());
    const int flags = static_cast<int>(alignment()) | (wordWrap() ? Qt::TextWordWrap : Qt::TextSingleLine);
    painter.drawText(contentsRect(), flags, text());
}

void StaticLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    if (fitToText_) {
        FitToText();
    } else {
        placement_ = geometry();
    }
}

void StaticLabel::moveEvent(QMoveEvent* event) {
    QLabel::moveEvent(event);
    if (!fitToText_) {
        placement_ = geometry();
    }
}

void StaticLabel::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
    }
}

void StaticLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && pressed_) {
        pressed_ = false;
        if (rect().contains(event->position().toPoint())) {
            emit clicked();
        }
    }
}
