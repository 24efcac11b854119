#include "CommandActions.h"

#include "CommandIds.h"
#include "MenuTemplate.h"
#include "Pictures.h"
#include "Texts.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QUndoStack>
#include <QWidget>

namespace vornak {

CommandActions::CommandActions(QWidget& window, Guard guard)
    : QObject(&window), window_(window), guard_(std::move(guard)) {
}

QAction* CommandActions::add(Command command) {
    auto* action = new QAction(findMenuItem(command.id)->text, this);
    action->setShortcuts(command.keys);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setAutoRepeat(true);
    if (command.picture != 0) {
        action->setIcon(QIcon(bitmapPixmap(command.picture)));
    }
    const int id = command.id;
    connect(action, &QAction::triggered, this,
            [this, id, run = std::move(command.run), guarded = command.guarded] {
                if (guarded) {
                    guard_(run);
                } else {
                    run();
                }
                emit commandRun(id);
            });
    // Added to the window, the keys work wherever the focus is inside it, menus closed or not.
    window_.addAction(action);
    actions_[id] = action;
    if (command.available) {
        availability_[id] = std::move(command.available);
    }
    return action;
}

QList<QKeySequence> CommandActions::withAnyCtrlShift(Qt::Key key) {
    return {QKeySequence(key), QKeySequence(Qt::CTRL | key), QKeySequence(Qt::SHIFT | key),
            QKeySequence(Qt::CTRL | Qt::SHIFT | key)};
}

QList<QKeySequence> CommandActions::ctrlWithAnyShiftAlt(Qt::Key key) {
    return {QKeySequence(Qt::CTRL | key), QKeySequence(Qt::CTRL | Qt::SHIFT | key),
            QKeySequence(Qt::CTRL | Qt::ALT | key), QKeySequence(Qt::CTRL | Qt::ALT | Qt::SHIFT | key)};
}

void CommandActions::followUndoStack(const QUndoStack& stack) {
    const auto follow = [this, &stack] {
        refresh();
        const auto label = [](const QString& verb, const QString& step, int id) {
            const QString named = step.isEmpty() ? verb : verb + texts::undoRedoSeparator + step;
            return named + QLatin1Char('\t') + findMenuItem(id)->shortcutText();
        };
        action(cmd::Undo)->setText(label(texts::undoLabel, stack.undoText(), cmd::Undo));
        action(cmd::Redo)->setText(label(texts::redoLabel, stack.redoText(), cmd::Redo));
    };
    connect(&stack, &QUndoStack::indexChanged, this, follow);
    connect(&stack, &QUndoStack::undoTextChanged, this, follow);
    connect(&stack, &QUndoStack::redoTextChanged, this, follow);
    connect(&stack, &QUndoStack::cleanChanged, this, follow);
    follow();
}

void CommandActions::adopt(int id, QAction* action) {
    action->setText(findMenuItem(id)->text);
    actions_[id] = action;
}

QAction* CommandActions::action(int id) const {
    const auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

bool CommandActions::available(int id) const {
    if (action(id) == nullptr) {
        return false;
    }
    const auto it = availability_.find(id);
    return it == availability_.end() || it->second();
}

void CommandActions::refresh() {
    for (const auto& [id, canRun] : availability_) {
        actions_.at(id)->setEnabled(canRun());
    }
}

void CommandActions::fillMenuBar(QMenuBar& bar, const std::function<void(QMenu&, QAction&)>& recentFiles) {
    for (const MenuPopupTemplate& popupTemplate : mainMenuTemplate()) {
        QMenu* popup = bar.addMenu(popupTemplate.title);
        for (const MenuItemTemplate& item : popupTemplate.items) {
            if (item.separator) {
                popup->addSeparator();
            } else if (item.recentFiles) {
                // Greyed while the list is empty; the files take its place each time the menu opens.
                QAction* placeholder = popup->addAction(item.text);
                placeholder->setEnabled(false);
                connect(popup, &QMenu::aboutToShow, this,
                        [popup, placeholder, recentFiles] { recentFiles(*popup, *placeholder); });
            } else {
                popup->addAction(actions_.at(item.id));
            }
        }
    }
}

} // namespace vornak
