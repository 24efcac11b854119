#include "UndoKeyRouter.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace vornak {

UndoKeyRouter::UndoKeyRouter(QWidget& window, std::function<bool(const QLineEdit*)> isBound)
    : window_(window), isBound_(std::move(isBound)) {
    // Cell editors come and go with each edit: one filter on the application sees them all.
    QCoreApplication::instance()->installEventFilter(this);
}

UndoKeyRouter::~UndoKeyRouter() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeEventFilter(this);
    }
}

bool UndoKeyRouter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride) {
        return false;
    }
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit == nullptr || !window_.isAncestorOf(edit) || edit->isReadOnly()) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    const bool undo = key->matches(QKeySequence::Undo);
    const bool redo = key->matches(QKeySequence::Redo);
    if (!undo && !redo) {
        return false;
    }
    if (!isBound_(edit) && (undo ? edit->isUndoAvailable() : edit->isRedoAvailable())) {
        return false; // the editor's own typing goes back first
    }
    // Not claimed: the key goes on to the form's Undo or Redo action.
    event->ignore();
    return true;
}

} // namespace vornak
