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
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress) {
        return false;
    }
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit == nullptr || !window_.isAncestorOf(edit) || edit->isReadOnly()) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    const bool undo = key->matches(QKeySequence::Undo);
    // Ctrl+Y redoes as the platform's own redo key does, everywhere.
    const bool ctrlY = key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Y);
    const bool redo = key->matches(QKeySequence::Redo) || ctrlY;
    if (!undo && !redo) {
        return false;
    }
    const bool editorsOwn = !isBound_(edit) && (undo ? edit->isUndoAvailable() : edit->isRedoAvailable());
    const bool unknownToEdit = ctrlY && !key->matches(QKeySequence::Redo);
    if (event->type() == QEvent::KeyPress) {
        // The line edit knows only the platform's redo key: Ctrl+Y redoes its typing here.
        if (editorsOwn && unknownToEdit) {
            edit->redo();
            return true;
        }
        return false;
    }
    if (editorsOwn) {
        if (unknownToEdit) {
            event->accept(); // claimed, so that the key press reaches the edit
            return true;
        }
        return false; // the editor's own typing goes back or forth first
    }
    // Not claimed: the key goes on to the form's Undo or Redo action.
    event->ignore();
    return true;
}

} // namespace vornak
