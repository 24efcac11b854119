#include "GridEdit.h"

#include "TextChangeValidator.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

// Room left after the text in the list's own sizing, so the caret has somewhere to go.
int caretRoom(const QFontMetrics& metrics) {
    return metrics.averageCharWidth() + 1;
}

} // namespace

GridEdit::GridEdit(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    // The line edit's own insets (2 pixels across, 1 down) put the text where the cell drew it.
    setTextMargins(0, 0, 0, 0);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAcceptDrops(false); // dropped files belong to the window, not to a cell
    setMaxLength(std::numeric_limits<int>::max());
    hide();
    connect(this, &QLineEdit::textChanged, this, [this] { relayout(); });
}

GridEdit::~GridEdit() {
    // Losing the focus while being destroyed must not end an edit on the grid's behalf.
    open_ = false;
}

void GridEdit::ResetEdit() {
    initialText_.clear();
    textPending_ = false;
    position_ = QPoint(0, 0);
    positionSet_ = false;
    height_ = 0;
    heightSet_ = false;
    fitMargin_ = 0;
    fitToText_ = false;
    endKey_ = NoEndKey;
    endShift_ = false;
    endCtrl_ = false;
    maxRight_ = -1;
}

void GridEdit::SetInitialText(const QString& text) {
    initialText_ = text;
    textPending_ = true;
}

void GridEdit::SetPosition(const QPoint& point) {
    position_ = point;
    positionSet_ = true;
}

void GridEdit::SetHeight(int pixels) {
    height_ = pixels;
    heightSet_ = true;
}

void GridEdit::SetFitToText(int margin) {
    fitToText_ = true;
    fitMargin_ = margin;
}

bool GridEdit::GetEndKey(int& key, bool& shift, bool& ctrl) const {
    key = endKey_;
    shift = endShift_;
    ctrl = endCtrl_;
    return endKey_ != NoEndKey;
}

void GridEdit::setTextValidator(std::function<bool(const QString& before, const QString& after)> validator) {
    validator_ = std::move(validator);
    if (validator_ && validatorAdapter_ == nullptr) {
        // Takes part in QLineEdit's own input handling, so that typing, pasting and input-method
        // commits are all refused as a whole when what they add fails.
        validatorAdapter_ =
            new vornak::TextChangeValidator(this, [this](const QString& before, const QString& after) {
                return acceptsChange(before, after);
            });
        setValidator(validatorAdapter_);
    } else if (!validator_ && validatorAdapter_ != nullptr) {
        setValidator(nullptr);
        delete validatorAdapter_;
        validatorAdapter_ = nullptr;
    }
}

bool GridEdit::acceptsChange(const QString& before, const QString& after) const {
    return !validator_ || validator_(before, after);
}

void GridEdit::ReplaceText(const QString& text) {
    setText(text);
    setCursorPosition(static_cast<int>(text.size()));
}

void GridEdit::Open(int cellWidth) {
    cellWidth_ = std::max(cellWidth, 0);
    open_ = true;
    // The box shows the edited cell's text from its first placement on.
    if (textPending_) {
        textPending_ = false;
        setText(initialText_);
    }
    relayout();
    show();
    raise();
    setFocus(Qt::OtherFocusReason);
    selectAll();
}

void GridEdit::SetCellWidth(int cellWidth) {
    cellWidth_ = std::max(cellWidth, 0);
    relayout();
}

void GridEdit::Close() {
    open_ = false;
    hide();
}

QRect GridEdit::AdjustGeometry(QRect proposed) {
    if (positionSet_) {
        proposed.moveTopLeft(position_);
    }
    if (heightSet_) {
        proposed.setHeight(height_);
    }
    if (fitToText_) {
        proposed.setWidth(FitTextWidth() + fitMargin_);
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

int GridEdit::FitTextWidth() const {
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

int GridEdit::naturalWidth() const {
    const QFontMetrics metrics = fontMetrics();
    const QMargins margins = textMargins();
    const int forText =
        metrics.horizontalAdvance(text()) + margins.left() + margins.right() + 4 + caretRoom(metrics);
    return std::max(cellWidth_, forText);
}

void GridEdit::relayout() {
    if (!open_) {
        return;
    }
    const QRect wanted = AdjustGeometry(QRect(pos(), QSize(naturalWidth(), height())));
    if (wanted != geometry()) {
        setGeometry(wanted);
    }
}

void GridEdit::recordKey(int key, Qt::KeyboardModifiers modifiers) {
    endKey_ = key;
    // Only ever set: a later key in the same edit cannot clear them.
    if (modifiers & Qt::ShiftModifier) {
        endShift_ = true;
    }
    if (modifiers & Qt::ControlModifier) {
        endCtrl_ = true;
    }
}

void GridEdit::finish(bool confirmed) {
    if (!open_ || finishing_) {
        return;
    }
    finishing_ = true;
    emit editEnded(confirmed);
    finishing_ = false;
}

bool GridEdit::event(QEvent* event) {
    // Tab and Shift+Tab never reach keyPressEvent: QWidget turns them into focus moves first.
    if (event->type() == QEvent::KeyPress && open_) {
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        if (keyEvent->key() == Qt::Key_Tab || keyEvent->key() == Qt::Key_Backtab) {
            Qt::KeyboardModifiers modifiers = keyEvent->modifiers();
            if (keyEvent->key() == Qt::Key_Backtab) {
                modifiers |= Qt::ShiftModifier;
            }
            recordKey(EndKeyTab, modifiers);
            keyEvent->accept();
            finish(true);
            return true;
        }
    }
    return QLineEdit::event(event);
}

void GridEdit::keyPressEvent(QKeyEvent* event) {
    if (!open_) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Up:
        recordKey(EndKeyUp, event->modifiers());
        event->accept();
        finish(true);
        return;
    case Qt::Key_Down:
        recordKey(EndKeyDown, event->modifiers());
        event->accept();
        finish(true);
        return;
    case Qt::Key_Insert:
        recordKey(EndKeyInsert, event->modifiers());
        event->accept();
        finish(true);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept(); // the window behind must not see it as its default button
        finish(true);
        return;
    case Qt::Key_Escape:
        event->accept();
        finish(false);
        return;
    default:
        QLineEdit::keyPressEvent(event);
        return;
    }
}

void GridEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // The box's own context menu and a switch to another application leave the edit open.
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason) {
        return;
    }
    finish(true);
}

void GridEdit::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Active, QPalette::Text));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
