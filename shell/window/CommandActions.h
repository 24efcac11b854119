// The window's commands as actions: one QAction per row of the action table, found by its id (also
// its object name), with the row's text, keys (window context, so they work in every control of the
// window, open cell editors included, and every auto-repeat counts) and picture, shared by the
// menu, the buttons and the keys; the menu bar laid out as the menu table says; and whether each
// command can run now.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <map>

class QAction;
class QMenu;
class QMenuBar;
class QUndoStack;
class QWidget;

namespace vornak {

class CommandActions : public QObject {
    Q_OBJECT

public:
    struct Command {
        Command(QString id, std::function<void()> run, std::function<bool()> available = {},
                bool guarded = true)
            : id(std::move(id)), run(std::move(run)), available(std::move(available)), guarded(guarded) {}

        QString id; // a row of the action table
        std::function<void()> run;
        // When it can run; empty: always.
        std::function<bool()> available;
        // Run through the window's guard, which first confirms an open cell edit. The clipboard
        // commands are not: they work on the open editor's own text.
        bool guarded = true;
    };
    using Guard = std::function<void(const std::function<void()>&)>;

    CommandActions(QWidget& window, Guard guard);

    // The command's action, added to the window. An id the action table lacks is a fault of the
    // program: std::logic_error.
    QAction* add(Command command);
    // An action built elsewhere takes the command's place, with the table's text, keys and picture.
    void adopt(const QString& id, QAction* action);

    // Undo and Redo name their step ("&Отменить: удаление параметра"), and every command is greyed
    // or not again after each change of the stack.
    void followUndoStack(const QUndoStack& stack);

    // The action of a command id, or null.
    QAction* action(const QString& id) const;
    bool available(const QString& id) const;
    // Greys the commands that cannot run now.
    void refresh();
    // The menus of the menu table; recentFiles fills the recent files' place each time its menu
    // opens. A command without an action is left out of the menu.
    void fillMenuBar(QMenuBar& bar, const std::function<void(QMenu&, QAction&)>& recentFiles);

signals:
    // A command has run (menu item, button or key).
    void commandRun(const QString& id);

private:
    // The action takes the row's text, keys, picture and id.
    static void dress(QAction& action, const QString& id);

    QWidget& window_;
    Guard guard_;
    std::map<QString, QAction*> actions_;
    std::map<QString, std::function<bool()>> availability_;
};

} // namespace vornak
