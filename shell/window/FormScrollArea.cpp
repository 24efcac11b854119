#include "FormScrollArea.h"

#include <QDockWidget>
#include <QEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>

namespace vornak {

FormScrollArea::FormScrollArea(QWidget* form, QWidget* parent) : QScrollArea(parent) {
    setObjectName(QStringLiteral("formScroller"));
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus); // the form's fields take the keyboard, not the area around them
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The form's own background shows, not the area's.
    setBackgroundRole(QPalette::Window);
    setWidget(form);
}

QSize FormScrollArea::screenRoom() const {
    const auto* top = qobject_cast<const QMainWindow*>(window());
    const QScreen* where = top != nullptr ? top->screen() : nullptr;
    if (where == nullptr) {
        return {};
    }
    // Before the window is first shown its frame is not known: a title bar stands for it.
    QSize frame = (top->frameGeometry().size() - top->geometry().size()).expandedTo(QSize(0, 0));
    if (frame.isNull()) {
        frame = QSize(0, top->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, top));
    }
    int beside = top->menuBar() != nullptr && top->menuBar()->isVisibleTo(top)
                     ? top->menuBar()->sizeHint().height()
                     : 0;
    for (const QDockWidget* dock : top->findChildren<QDockWidget*>(Qt::FindDirectChildrenOnly)) {
        if (dock->isVisibleTo(top) && !dock->isFloating()) {
            beside += dock->height();
        }
    }
    return where->availableGeometry().size() - frame - QSize(0, beside);
}

QSize FormScrollArea::minimumSizeHint() const {
    const QSize need = widget() != nullptr ? widget()->minimumSizeHint() : QScrollArea::minimumSizeHint();
    const QSize room = screenRoom();
    if (room.isEmpty()) {
        return need;
    }
    // Bounded by the screen, but never below what the scroll bars themselves take.
    return need.boundedTo(room).expandedTo(QScrollArea::minimumSizeHint());
}

QSize FormScrollArea::sizeHint() const {
    return widget() != nullptr ? widget()->sizeHint() : QScrollArea::sizeHint();
}

bool FormScrollArea::event(QEvent* event) {
    // Another screen, another scale or font: the minimum is worked out afresh.
    if (event->type() == QEvent::ScreenChangeInternal || event->type() == QEvent::FontChange ||
        event->type() == QEvent::StyleChange) {
        updateGeometry();
    }
    return QScrollArea::event(event);
}

} // namespace vornak
