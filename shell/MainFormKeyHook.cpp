#include "MainFormKeyHook.h"

#include "CMainForm.h"
#include "CUsageHelpDialog.h"
#include "CommandIds.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace vornak {

MainFormKeyHook::MainFormKeyHook(CMainForm& form) : form_(form) {
    QCoreApplication::instance()->installEventFilter(this);
}

MainFormKeyHook::~MainFormKeyHook() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeEventFilter(this);
    }
}

int MainFormKeyHook::commandForKey(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    // Alt without Ctrl makes a system key: those are left to the window.
    if (modifiers.testFlag(Qt::AltModifier) && !ctrl) {
        return 0;
    }
    // Shift is not looked at: Ctrl+Shift+S saves too.
    switch (event.key()) {
    case Qt::Key_N:
        return ctrl ? cmd::FileNew : 0;
    case Qt::Key_O:
        return ctrl ? cmd::FileOpen : 0;
    case Qt::Key_S:
        return ctrl ? cmd::FileSave : 0;
    case Qt::Key_F2:
        return cmd::AddParameter;
    case Qt::Key_F3:
        return cmd::AddValue;
    case Qt::Key_F4:
        return cmd::AddResult;
    default:
        return 0;
    }
}

int MainFormKeyHook::helpCommandForKey(const QKeyEvent& event) {
    const Qt::KeyboardModifiers held =
        event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    return event.key() == Qt::Key_F1 && held == Qt::NoModifier ? cmd::HelpDefault : 0;
}

bool MainFormKeyHook::isInsideForm(const QObject* target) const {
    const auto* widget = qobject_cast<const QWidget*>(target);
    // isAncestorOf stops at windows: a dialog the form opened has keys of its own.
    return widget != nullptr && (widget == &form_ || form_.isAncestorOf(widget));
}

bool MainFormKeyHook::isInsideHelpWindow(const QObject* target) const {
    const auto* widget = qobject_cast<const QWidget*>(target);
    const QWidget* help = form_.usageHelpWindow();
    return widget != nullptr && help != nullptr && (widget == help || help->isAncestorOf(widget));
}

bool MainFormKeyHook::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto* key = static_cast<const QKeyEvent*>(event);
    const bool inForm = isInsideForm(watched);
    if (!inForm && !isInsideHelpWindow(watched)) {
        return false;
    }
    // Every key press counts, auto-repeats included: holding F2 adds one parameter per repeat.
    int command = inForm ? commandForKey(*key) : 0;
    if (command == 0) {
        command = helpCommandForKey(*key);
    }
    if (command == 0 || !form_.isVisible()) {
        return false;
    }
    form_.runCommand(command);
    return true; // consumed: the focused widget never sees it
}

} // namespace vornak
