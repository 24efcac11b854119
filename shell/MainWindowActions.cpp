// The main window's commands wired to its parts: what each menu item, key and button runs, when it
// can run, and the find tools over the window's lists and fields. Every command, and everything
// else that replaces or closes the document, goes through runGuarded, the one place that first
// confirms an open cell edit.
#include "MainWindow.h"

#include "CellGrid.h"
#include "ChecksPresenter.h"
#include "CommandActions.h"
#include "CommandIds.h"
#include "DefinitionDocument.h"
#include "DocumentController.h"
#include "FindTools.h"
#include "ListClipboard.h"
#include "MenuTemplate.h"
#include "ParameterPanel.h"
#include "RecordActions.h"
#include "RowSelection.h"
#include "Texts.h"
#include "UsageHelpDialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
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

void MainWindow::buildCommands() {
    commands_ = new CommandActions(*this, [this](const std::function<void()>& run) { runGuarded(run); });
    connect(commands_, &CommandActions::commandRun, this, &MainWindow::commandRun);
    DocumentController* d = documents_;
    RecordActions* r = records_;
    QUndoStack* stack = document_.undoStack();
    const CommandActions::Command table[] = {
        {cmd::FileNew, [d] { d->newFile(); }, ctrlWithOrWithoutShift(Qt::Key_N), ids::BitmapBlankPage},
        {cmd::FileOpen, [d] { d->open(); }, ctrlWithOrWithoutShift(Qt::Key_O), ids::BitmapOpenFolder},
        {cmd::FileSave, [d] { d->save(); }, ctrlWithOrWithoutShift(Qt::Key_S), ids::BitmapDiskette},
        {cmd::FileSaveAs, [d] { d->saveAs(); }},
        {cmd::SaveTable, [d] { d->saveTable(); }},
        {cmd::Exit, [this] { close(); }},
        {cmd::Undo,
         [this, stack] {
             document_.finishTyping();
             stack->undo();
         },
         {QKeySequence(Qt::CTRL | Qt::Key_Z)},
         0,
         [stack] { return stack->canUndo(); }},
        {cmd::Redo,
         [stack] { stack->redo(); },
         {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
         0,
         [stack] { return stack->canRedo(); }},
        {cmd::MoveUp,
         [r] { r->moveUp(); },
         {QKeySequence(Qt::CTRL | Qt::Key_Up)},
         0,
         [r] { return r->canMove(-1); }},
        {cmd::MoveDown,
         [r] { r->moveDown(); },
         {QKeySequence(Qt::CTRL | Qt::Key_Down)},
         0,
         [r] { return r->canMove(+1); }},
        {cmd::Duplicate,
         [r] { r->duplicate(); },
         {QKeySequence(Qt::CTRL | Qt::Key_D)},
         0,
         [r] { return r->canDuplicate(); }},
        {cmd::Checks, [this] { checks_->showChecks(); }, {QKeySequence(Qt::Key_F7)}},
        {cmd::AddParameter, [r] { r->addParameter(); }, withCtrlAndShift(Qt::Key_F2),
         ids::BitmapParameterPage},
        {cmd::AddValue, [r] { r->addValue(); }, withCtrlAndShift(Qt::Key_F3), ids::BitmapValuePage},
        {cmd::AddResult, [r] { r->addResult(); }, withCtrlAndShift(Qt::Key_F4), ids::BitmapResultPage},
        {cmd::DeleteParameter, [r] { r->deleteParameter(); }},
        {cmd::DeleteValue, [r] { r->deleteValue(); }},
        {cmd::DeleteResult, [r] { r->deleteResult(); }},
        {cmd::Help, [this] { showHelp(); }, {QKeySequence(Qt::Key_F1)}},
        {cmd::About, [this] { showAbout(); }, {}, ids::BitmapQuestion},
    };
    for (const CommandActions::Command& command : table) {
        commands_->add(command);
    }
    buildClipboardCommands();
    commands_->adopt(cmd::Find, findTools_->findAction());
    commands_->adopt(cmd::Replace, findTools_->replaceAction());
    // F1 opens the help from the help window too.
    helpWindow_->addAction(action(cmd::Help));

    // The add and delete buttons trigger the same actions as the menu and the keys.
    for (const auto& [button, command] :
         std::initializer_list<std::pair<int, int>>{{ctl::AddParameterButton, cmd::AddParameter},
                                                    {ctl::DeleteParameterButton, cmd::DeleteParameter},
                                                    {ctl::AddValueButton, cmd::AddValue},
                                                    {ctl::DeleteValueButton, cmd::DeleteValue},
                                                    {ctl::AddResultButton, cmd::AddResult},
                                                    {ctl::DeleteResultButton, cmd::DeleteResult}}) {
        connect(static_cast<QAbstractButton*>(control(button)), &QAbstractButton::clicked, action(command),
                &QAction::trigger);
    }
    connect(static_cast<QAbstractButton*>(control(ctl::BrowseButton)), &QAbstractButton::clicked, this,
            [this] { runGuarded([this] { browse(); }); });

    commands_->fillMenuBar(*menuBar(), [d](QMenu& menu, QAction& place) { d->fillRecentFiles(menu, place); });
    connect(stack, &QUndoStack::indexChanged, this, &MainWindow::refreshCommandStates);
    connect(stack, &QUndoStack::cleanChanged, this, &MainWindow::refreshCommandStates);
    connect(stack, &QUndoStack::undoTextChanged, this, &MainWindow::refreshCommandStates);
    connect(stack, &QUndoStack::redoTextChanged, this, &MainWindow::refreshCommandStates);
    connect(records_, &RecordActions::stateChanged, this, &MainWindow::refreshCommandStates);
    refreshCommandStates();
}

void MainWindow::buildClipboardCommands() {
    // Each works on a field's or an open cell editor's own text, or else on the focused list.
    // Plain callables, not member pointers: GCC's optimiser takes captured member pointers for
    // uninitialised.
    using FieldWork = std::function<void(QLineEdit&)>;
    using ListWork = std::function<void(ListClipboard&, CellGrid&)>;
    const auto clipboardCommand = [this](int id, const QKeySequence& keys, FieldWork onField,
                                         ListWork onList) {
        commands_->add({id,
                        [this, onField, onList] {
                            if (auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget())) {
                                onField(*field);
                                return;
                            }
                            ListClipboard& clipboard = records_->clipboard();
                            if (CellGrid* list = clipboard.activeList()) {
                                runGuarded([&clipboard, list, onList] { onList(clipboard, *list); });
                            }
                        },
                        {keys},
                        0,
                        {},
                        false});
    };
    clipboardCommand(
        cmd::Cut, QKeySequence::Cut, [](QLineEdit& field) { field.cut(); },
        [](ListClipboard& clipboard, CellGrid& list) { clipboard.cut(list); });
    clipboardCommand(
        cmd::Copy, QKeySequence::Copy, [](QLineEdit& field) { field.copy(); },
        [](ListClipboard& clipboard, CellGrid& list) { clipboard.copy(list); });
    clipboardCommand(
        cmd::Paste, QKeySequence::Paste, [](QLineEdit& field) { field.paste(); },
        [](ListClipboard& clipboard, CellGrid& list) { clipboard.paste(list); });
}

FindTools* MainWindow::buildFindTools() {
    FormMatchDisplay::Parts parts;
    parts.parameters = parameterList_;
    parts.values = panel_->valueList();
    parts.results = resultList_;
    parts.formula = panel_->formulaEdit();
    parts.reportField = [this](ReportText text) {
        return textEdit(ctl::reportTextEdits[static_cast<int>(text) - 1]);
    };
    parts.showParameter = [this](int index) {
        selectRows(*parameterList_, {index});
        if (panel_->shownParameter() != index) {
            panel_->showParameter(index);
        }
    };
    parts.shownParameter = [this] { return panel_->shownParameter(); };
    return new FindTools(document_, std::move(parts), *this);
}

QAction* MainWindow::action(int commandId) const {
    return commands_->action(commandId);
}

bool MainWindow::commandAvailable(int commandId) const {
    return commands_->available(commandId);
}

void MainWindow::refreshCommandStates() {
    commands_->refresh();
    const QUndoStack* stack = document_.undoStack();
    action(cmd::Undo)->setText(undoRedoText(texts::undoLabel, stack->undoText(), cmd::Undo));
    action(cmd::Redo)->setText(undoRedoText(texts::redoLabel, stack->redoText(), cmd::Redo));
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
        grid->cancelPendingEdit();
        grid->finishEdit(true);
    }
}

} // namespace vornak
