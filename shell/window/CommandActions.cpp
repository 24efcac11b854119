#include "CommandActions.h"

#include "ActionTable.h"
#include "MenuTable.h"
#include "Texts.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QUndoStack>
#include <QWidget>

#include <stdexcept>

namespace vornak {

CommandActions::CommandActions(QWidget& window, Guard guard)
    : QObject(&window), window_(window), guard_(std::move(guard)) {
}

void CommandActions::dress(QAction& action, const QString& id) {
    const ActionEntry* entry = findActionEntry(id);
    if (entry == nullptr) {
        throw std::logic_error("the action table has no command " + id.toStdString());
    }
    action.setObjectName(entry->id);
    action.setText(entry->text);
    // The menu shows the first key beside the text.
    action.setShortcuts(entry->keys());
    action.setShortcutContext(Qt::WindowShortcut);
    if (entry->picture != Picture::None) {
        action.setIcon(QIcon(picturePixmap(entry->picture)));
    }
}

QAction* CommandActions::add(Command command) {
    auto* action = new QAction(this);
    dress(*action, command.id);
    action->setAutoRepeat(true);
    const QString id = command.id;
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

void CommandActions::adopt(const QString& id, QAction* action) {
    dress(*action, id);
    actions_[id] = action;
}

void CommandActions::followUndoStack(const QUndoStack& stack) {
    const auto follow = [this, &stack] {
        refresh();
        const auto label = [](const QString& verb, const QString& step) {
            return step.isEmpty() ? verb : verb + texts::undoRedoSeparator + step;
        };
        action(QStringLiteral("editUndo"))->setText(label(texts::undoLabel, stack.undoText()));
        action(QStringLiteral("editRedo"))->setText(label(texts::redoLabel, stack.redoText()));
    };
    connect(&stack, &QUndoStack::indexChanged, this, follow);
    connect(&stack, &QUndoStack::undoTextChanged, this, follow);
    connect(&stack, &QUndoStack::redoTextChanged, this, follow);
    connect(&stack, &QUndoStack::cleanChanged, this, follow);
    follow();
}

QAction* CommandActions::action(const QString& id) const {
    const auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

bool CommandActions::available(const QString& id) const {
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
    for (const MenuPopup& popupEntry : mainMenu()) {
        QMenu* popup = bar.addMenu(popupEntry.title);
        for (const MenuEntry& entry : popupEntry.entries) {
            switch (entry.kind) {
            case MenuEntry::Kind::Separator:
                popup->addSeparator();
                break;
            case MenuEntry::Kind::RecentFiles: {
                // Greyed while the list is empty; the files take its place each time the menu opens.
                QAction* placeholder = popup->addAction(texts::recentFilesPlaceholder);
                placeholder->setEnabled(false);
                connect(popup, &QMenu::aboutToShow, this,
                        [popup, placeholder, recentFiles] { recentFiles(*popup, *placeholder); });
                break;
            }
            case MenuEntry::Kind::Command:
                if (QAction* command = action(entry.commandId)) {
                    popup->addAction(command);
                }
                break;
            }
        }
    }
}

} // namespace vornak
