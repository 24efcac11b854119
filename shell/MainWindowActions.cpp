// The main window's commands as actions: one QAction per command, with its keys (window context,
// so they work in every control of the window, open cell editors included, and every auto-repeat
// counts) and its picture, shared by the menu, the buttons and the keys. Every command, and
// everything else that replaces or closes the document, goes through runGuarded, the one place
// that first confirms an open cell edit.
#include "MainWindow.h"

#include "CellGrid.h"
#include "ChecksPresenter.h"
#include "CommandIds.h"
#include "DefinitionDocument.h"
#include "DocumentController.h"
#include "MenuTemplate.h"
#include "ParameterPanel.h"
#include "Pictures.h"
#include "RecordActions.h"
#include "Texts.h"
#include "UsageHelpDialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QUndoStack>

namespace vornak {

namespace {

// Keys that run a command whatever Ctrl and Shift do: F2 with Ctrl, Shift or both still adds.
QList<QKeySequence> withCtrlAndShift(Qt::Key key) {
    return {QKeySequence(key), QKeySequence(Qt::CTRL | key), QKeySequence(Qt::SHIFT | key),
            QKeySequence(Qt::CTRL | Qt::SHIFT | key)};
}

// Ctrl+letter, with Shift and Alt not looked at: Ctrl+Shift+S saves too.
QList<QKeySequence> ctrlWithOrWithoutShift(Qt::Key key) {
    return {QKeySequence(Qt::CTRL | key), QKeySequence(Qt::CTRL | Qt::SHIFT | key),
            QKeySequence(Qt::CTRL | Qt::ALT | key), QKeySequence(Qt::CTRL | Qt::ALT | Qt::SHIFT | key)};
}

// The label an undo or redo item shows: "&Отменить: удаление параметра\tCtrl+Z".
QString undoRedoText(const QString& label, const QString& step, int commandId) {
    QString text = label;
    if (!step.isEmpty()) {
        text += texts::undoRedoSeparator + step;
    }
    return text + QLatin1Char('\t') + findMenuItem(commandId)->shortcutText();
}

} // namespace

void MainWindow::buildActions() {
    DocumentController* d = documents_;
    RecordActions* r = records_;
    QUndoStack* stack = document_.undoStack();
    const struct {
        int id;
        std::function<void()> run;
        QList<QKeySequence> keys;
        int picture;
    } commands[] = {
        {cmd::FileNew, [d] { d->newFile(); }, ctrlWithOrWithoutShift(Qt::Key_N), ids::BitmapBlankPage},
        {cmd::FileOpen, [d] { d->open(); }, ctrlWithOrWithoutShift(Qt::Key_O), ids::BitmapOpenFolder},
        {cmd::FileSave, [d] { d->save(); }, ctrlWithOrWithoutShift(Qt::Key_S), ids::BitmapDiskette},
        {cmd::FileSaveAs, [d] { d->saveAs(); }, {}, 0},
        {cmd::SaveTable, [d] { d->saveTable(); }, {}, 0},
        {cmd::Exit, [this] { close(); }, {}, 0},
        {cmd::Undo,
         [this, stack] {
             document_.finishTyping();
             stack->undo();
         },
         {QKeySequence(Qt::CTRL | Qt::Key_Z)},
         0},
        {cmd::Redo,
         [stack] { stack->redo(); },
         {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
         0},
        {cmd::MoveUp, [r] { r->moveUp(); }, {QKeySequence(Qt::CTRL | Qt::Key_Up)}, 0},
        {cmd::MoveDown, [r] { r->moveDown(); }, {QKeySequence(Qt::CTRL | Qt::Key_Down)}, 0},
        {cmd::Duplicate, [r] { r->duplicate(); }, {QKeySequence(Qt::CTRL | Qt::Key_D)}, 0},
        {cmd::Checks, [this] { checks_->showChecks(); }, {QKeySequence(Qt::Key_F7)}, 0},
        {cmd::AddParameter, [r] { r->addParameter(); }, withCtrlAndShift(Qt::Key_F2),
         ids::BitmapParameterPage},
        {cmd::AddValue, [r] { r->addValue(); }, withCtrlAndShift(Qt::Key_F3), ids::BitmapValuePage},
        {cmd::AddResult, [r] { r->addResult(); }, withCtrlAndShift(Qt::Key_F4), ids::BitmapResultPage},
        {cmd::DeleteParameter, [r] { r->deleteParameter(); }, {}, 0},
        {cmd::DeleteValue, [r] { r->deleteValue(); }, {}, 0},
        {cmd::DeleteResult, [r] { r->deleteResult(); }, {}, 0},
        {cmd::Help, [this] { showHelp(); }, {QKeySequence(Qt::Key_F1)}, 0},
        {cmd::About, [this] { showAbout(); }, {}, ids::BitmapQuestion},
    };
    for (const auto& command : commands) {
        auto* action = new QAction(findMenuItem(command.id)->text, this);
        action->setShortcuts(command.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setAutoRepeat(true);
        if (command.picture != 0) {
            action->setIcon(QIcon(bitmapPixmap(command.picture)));
        }
        const int id = command.id;
        connect(action, &QAction::triggered, this, [this, id, run = command.run] {
            runGuarded(run);
            emit commandRun(id);
        });
        // Added to the window, the keys work wherever the focus is inside it, menus closed or not.
        addAction(action);
        actions_[id] = action;
    }
    // F1 opens the help from the help window too.
    helpWindow_->addAction(actions_.at(cmd::Help));

    // The add and delete buttons trigger the same actions as the menu and the keys.
    for (const auto& [button, command] :
         std::initializer_list<std::pair<int, int>>{{ctl::AddParameterButton, cmd::AddParameter},
                                                    {ctl::DeleteParameterButton, cmd::DeleteParameter},
                                                    {ctl::AddValueButton, cmd::AddValue},
                                                    {ctl::DeleteValueButton, cmd::DeleteValue},
                                                    {ctl::AddResultButton, cmd::AddResult},
                                                    {ctl::DeleteResultButton, cmd::DeleteResult}}) {
        connect(static_cast<QAbstractButton*>(control(button)), &QAbstractButton::clicked,
                actions_.at(command), &QAction::trigger);
    }
    connect(static_cast<QAbstractButton*>(control(ctl::BrowseButton)), &QAbstractButton::clicked, this,
            [this] { runGuarded([this] { browse(); }); });

    connect(stack, &QUndoStack::indexChanged, this, &MainWindow::refreshCommandStates);
    connect(stack, &QUndoStack::cleanChanged, this, &MainWindow::refreshCommandStates);
    connect(stack, &QUndoStack::undoTextChanged, this, &MainWindow::refreshCommandStates);
    connect(stack, &QUndoStack::redoTextChanged, this, &MainWindow::refreshCommandStates);
    refreshCommandStates();
}

void MainWindow::buildMenus() {
    for (const MenuPopupTemplate& popupTemplate : mainMenuTemplate()) {
        QMenu* popup = menuBar()->addMenu(popupTemplate.title);
        for (const MenuItemTemplate& item : popupTemplate.items) {
            if (item.separator) {
                popup->addSeparator();
            } else if (item.recentFiles) {
                // Greyed while the list is empty; the files take its place each time the menu opens.
                QAction* placeholder = popup->addAction(item.text);
                placeholder->setEnabled(false);
                connect(popup, &QMenu::aboutToShow, this,
                        [this, popup, placeholder] { documents_->fillRecentFiles(*popup, *placeholder); });
            } else {
                popup->addAction(actions_.at(item.id));
            }
        }
    }
}

QAction* MainWindow::action(int commandId) const {
    const auto it = actions_.find(commandId);
    return it == actions_.end() ? nullptr : it->second;
}

bool MainWindow::commandAvailable(int commandId) const {
    switch (commandId) {
    case cmd::Undo:
        return document_.undoStack()->canUndo();
    case cmd::Redo:
        return document_.undoStack()->canRedo();
    case cmd::MoveUp:
        return records_->canMove(-1);
    case cmd::MoveDown:
        return records_->canMove(+1);
    case cmd::Duplicate:
        return records_->canDuplicate();
    default:
        return action(commandId) != nullptr;
    }
}

void MainWindow::refreshCommandStates() {
    for (int id : {cmd::Undo, cmd::Redo, cmd::MoveUp, cmd::MoveDown, cmd::Duplicate}) {
        actions_.at(id)->setEnabled(commandAvailable(id));
    }
    const QUndoStack* stack = document_.undoStack();
    actions_.at(cmd::Undo)->setText(undoRedoText(texts::undoLabel, stack->undoText(), cmd::Undo));
    actions_.at(cmd::Redo)->setText(undoRedoText(texts::redoLabel, stack->redoText(), cmd::Redo));
}

bool MainWindow::runCommand(int commandId) {
    QAction* a = action(commandId);
    if (a == nullptr || !commandAvailable(commandId)) {
        return false;
    }
    a->setEnabled(true);
    a->trigger();
    return true;
}

void MainWindow::runGuarded(const std::function<void()>& command) {
    confirmOpenEdits();
    command();
}

void MainWindow::confirmOpenEdits() {
    // A click-edit still waiting would otherwise open on a row the command has moved away from.
    // The open editors are closed directly, not by moving the focus: a command can arrive while
    // the window is inactive (a dropped file), when a focus change would not reach the editor.
    for (CellGrid* grid : {parameterList_, panel_->valueList(), resultList_}) {
        grid->CancelPendingEdit();
        grid->EndEdit(true);
    }
}

} // namespace vornak
