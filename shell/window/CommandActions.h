// The window's commands as actions: one QAction per menu item, with the menu's text, its keys
// (window context, so they work in every control of the window, open cell editors included, and
// every auto-repeat counts) and its picture, shared by the menu, the buttons and the keys; the menu
// bar laid out as the menu template says; and whether each command can run now.
#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>

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
        Command(int id, std::function<void()> run, QList<QKeySequence> keys = {}, int picture = 0,
                std::function<bool()> available = {}, bool guarded = true)
            : id(id), run(std::move(run)), keys(std::move(keys)), picture(picture),
              available(std::move(available)), guarded(guarded) {}

        int id = 0; // cmd::..., an item of the menu template
        std::function<void()> run;
        QList<QKeySequence> keys;
        int picture = 0; // the resource bitmap beside the item; 0 for none
        // When it can run; empty: always.
        std::function<bool()> available;
        // Run through the window's guard, which first confirms an open cell edit. The clipboard
        // commands are not: they work on the open editor's own text.
        bool guarded = true;
    };
    using Guard = std::function<void(const std::function<void()>&)>;

    CommandActions(QWidget& window, Guard guard);

    // The command's action, added to the window.
    QAction* add(Command command);
    // An action built elsewhere takes the command's place in the menu, with the menu's text.
    void adopt(int id, QAction* action);

    // Keys that run a command whatever Ctrl and Shift do (F2 with Ctrl, Shift or both still adds).
    static QList<QKeySequence> withAnyCtrlShift(Qt::Key key);
    // Ctrl+letter, Shift and Alt not looked at (Ctrl+Shift+S saves too).
    static QList<QKeySequence> ctrlWithAnyShiftAlt(Qt::Key key);

    // Undo and Redo name their step ("&Отменить: удаление параметра\tCtrl+Z"), and every command
    // is greyed or not again after each change of the stack.
    void followUndoStack(const QUndoStack& stack);

    // The action of a command id, or null.
    QAction* action(int id) const;
    bool available(int id) const;
    // Greys the commands that cannot run now.
    void refresh();
    // The menus of the template; recentFiles fills the recent files' place each time its menu opens.
    void fillMenuBar(QMenuBar& bar, const std::function<void(QMenu&, QAction&)>& recentFiles);

signals:
    // A command has run (menu item, button or key).
    void commandRun(int id);

private:
    QWidget& window_;
    Guard guard_;
    std::map<int, QAction*> actions_;
    std::map<int, std::function<bool()>> availability_;
};

} // namespace vornak
