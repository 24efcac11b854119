// The main form's commands as actions: one QAction per command, with its keys (window context,
// so they work in every control of the form, open cell editors included, and every auto-repeat
// counts), shared by the menu, the buttons and the keys. Every command, and everything else that
// replaces or closes the document, goes through runGuarded, the one place that first confirms an
// open cell edit.
#include "CMainForm.h"

#include "BitmapMenuBinder.h"
#include "CUsageHelpDialog.h"
#include "CellGrid.h"
#include "CommandIds.h"
#include "DefinitionDocument.h"
#include "MenuTemplate.h"
#include "Texts.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QKeySequence>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
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

struct CommandSpec {
    int id;
    void (CMainForm::*handler)();
    QList<QKeySequence> keys;
};

// The label an undo or redo item shows: "&Отменить: удаление параметра\tCtrl+Z".
QString undoRedoText(const QString& label, const QString& step, const QString& key) {
    QString text = label;
    if (!step.isEmpty()) {
        text += texts::undoRedoSeparator + step;
    }
    return text + QLatin1Char('\t') + key;
}

} // namespace

void CMainForm::buildActions() {
    const CommandSpec specs[] = {
        {cmd::FileNew, &CMainForm::OnFileNew, ctrlWithOrWithoutShift(Qt::Key_N)},
        {cmd::FileOpen, &CMainForm::OnFileOpen, ctrlWithOrWithoutShift(Qt::Key_O)},
        {cmd::FileSave, &CMainForm::OnFileSave, ctrlWithOrWithoutShift(Qt::Key_S)},
        {cmd::FileSaveAs, &CMainForm::OnFileSaveAs, {}},
        {cmd::SaveTable, &CMainForm::OnSaveTable, {}},
        {cmd::Exit, &CMainForm::OnClose, {}},
        {cmd::Undo, &CMainForm::OnUndo, {QKeySequence(Qt::CTRL | Qt::Key_Z)}},
        {cmd::Redo,
         &CMainForm::OnRedo,
         {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}},
        {cmd::MoveUp, &CMainForm::OnMoveUp, {QKeySequence(Qt::CTRL | Qt::Key_Up)}},
        {cmd::MoveDown, &CMainForm::OnMoveDown, {QKeySequence(Qt::CTRL | Qt::Key_Down)}},
        {cmd::Duplicate, &CMainForm::OnDuplicate, {QKeySequence(Qt::CTRL | Qt::Key_D)}},
        {cmd::Checks, &CMainForm::OnChecks, {QKeySequence(Qt::Key_F7)}},
        {cmd::AddParameter, &CMainForm::OnAddParameter, withCtrlAndShift(Qt::Key_F2)},
        {cmd::AddValue, &CMainForm::OnAddValue, withCtrlAndShift(Qt::Key_F3)},
        {cmd::AddResult, &CMainForm::OnAddResult, withCtrlAndShift(Qt::Key_F4)},
        {cmd::DeleteParameter, &CMainForm::OnDeleteParameter, {}},
        {cmd::DeleteValue, &CMainForm::OnDeleteValue, {}},
        {cmd::DeleteResult, &CMainForm::OnDeleteResult, {}},
        {cmd::Help, &CMainForm::OnHelp, {QKeySequence(Qt::Key_F1)}},
        {cmd::About, &CMainForm::OnAbout, {}},
    };
    for (const CommandSpec& spec : specs) {
        const MenuItemTemplate* item = findMenuItem(spec.id);
        auto* action = new QAction(item != nullptr ? item->text : QString(), this);
        BitmapMenuBinder::SetCommandId(action, spec.id);
        action->setShortcuts(spec.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setAutoRepeat(true);
        const int id = spec.id;
        const auto handler = spec.handler;
        connect(action, &QAction::triggered, this, [this, id, handler] {
            runGuarded([this, handler] { (this->*handler)(); });
            emit commandRun(id);
        });
        // Added to the form, the keys work wherever the focus is inside it, menus closed or not.
        addAction(action);
        actions_[spec.id] = action;
    }
    // F1 opens the help from the help window too.
    helpWindow->addAction(actions_.at(cmd::Help));
}

QAction* CMainForm::action(int commandId) const {
    const auto it = actions_.find(commandId);
    return it == actions_.end() ? nullptr : it->second;
}

void CMainForm::refreshCommandStates() {
    for (int id : {cmd::Undo, cmd::Redo, cmd::MoveUp, cmd::MoveDown, cmd::Duplicate}) {
        actions_.at(id)->setEnabled(commandAvailable(id));
    }
    const QUndoStack* stack = document_.undoStack();
    actions_.at(cmd::Undo)->setText(
        undoRedoText(texts::undoLabel, stack->undoText(), findMenuItem(cmd::Undo)->shortcutText()));
    actions_.at(cmd::Redo)->setText(
        undoRedoText(texts::redoLabel, stack->redoText(), findMenuItem(cmd::Redo)->shortcutText()));
}

bool CMainForm::commandAvailable(int commandId) const {
    switch (commandId) {
    case cmd::Undo:
        return document_.undoStack()->canUndo();
    case cmd::Redo:
        return document_.undoStack()->canRedo();
    case cmd::MoveUp:
    case cmd::MoveDown:
    case cmd::Duplicate: {
        const CellGrid* grid = recordGrid();
        const int row = grid->GetSelectedRow();
        const int rows = grid->model() != nullptr ? grid->model()->rowCount() : 0;
        if (row < 0 || row >= rows) {
            return false;
        }
        if (commandId == cmd::Duplicate) {
            return grid == parameterList; // value rows and results are added with F3 and F4
        }
        return commandId == cmd::MoveUp ? row > 0 : row + 1 < rows;
    }
    default:
        return action(commandId) != nullptr;
    }
}

bool CMainForm::hasCommandHandler(int commandId) const {
    // A command that cannot run now (nothing to undo) has no handler for the menu's update pass,
    // so its item stays greyed.
    if (action(commandId) != nullptr) {
        return commandAvailable(commandId);
    }
    return next_ != nullptr && next_->hasCommandHandler(commandId);
}

bool CMainForm::runCommand(int commandId) {
    if (QAction* a = action(commandId)) {
        if (!commandAvailable(commandId)) {
            return false;
        }
        a->setEnabled(true);
        a->trigger();
        return true;
    }
    if (next_ == nullptr || !next_->hasCommandHandler(commandId)) {
        return false;
    }
    bool handled = false;
    runGuarded([this, commandId, &handled] { handled = next_->runCommand(commandId); });
    if (handled) {
        emit commandRun(commandId);
    }
    return handled;
}

void CMainForm::runGuarded(const std::function<void()>& command) {
    confirmOpenEdits();
    command();
}

void CMainForm::confirmOpenEdits() {
    // A click-edit still waiting would otherwise open on a row the command has moved away from.
    // The open editors are closed directly, not by moving the focus: a command can arrive while
    // the window is inactive (a dropped file), when a focus change would not reach the editor.
    for (CellGrid* grid : {parameterList, valueList, resultList}) {
        grid->CancelPendingEdit();
        grid->EndEdit(true);
    }
}

void CMainForm::connectControls() {
    // The add and delete buttons trigger the same actions as the menu and the keys.
    const std::pair<int, int> buttons[] = {
        {ctl::AddParameterButton, cmd::AddParameter}, {ctl::DeleteParameterButton, cmd::DeleteParameter},
        {ctl::AddValueButton, cmd::AddValue},         {ctl::DeleteValueButton, cmd::DeleteValue},
        {ctl::AddResultButton, cmd::AddResult},       {ctl::DeleteResultButton, cmd::DeleteResult},
    };
    for (const auto& [buttonId, commandId] : buttons) {
        auto* button = static_cast<QAbstractButton*>(controls_.at(buttonId));
        QAction* target = actions_.at(commandId);
        connect(button, &QAbstractButton::clicked, target, &QAction::trigger);
    }

    connect(browseButton, &QAbstractButton::clicked, this, [this] { runGuarded([this] { OnBrowse(); }); });
}

} // namespace vornak
