// The main window's commands wired to its parts: what each menu item, key and button runs, when it
// can run, and the find tools over the window's lists and fields. Every command, and everything
// else that replaces or closes the document, goes through runGuarded, the one place that first
// confirms an open cell edit.
#include "MainWindow.h"

#include "AboutDialog.h"
#include "CellGrid.h"
#include "ChecksPresenter.h"
#include "CommandActions.h"
#include "CommandIds.h"
#include "DefinitionDocument.h"
#include "DocumentController.h"
#include "FindTools.h"
#include "ListClipboard.h"
#include "ParameterPanel.h"
#include "ReviewCommands.h"
#include "RecordActions.h"
#include "UsageHelpDialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QMenuBar>
#include <QUndoStack>

#include <tuple>

namespace vornak {

void MainWindow::buildCommands() {
    const auto guard = [this](const std::function<void()>& run) { runGuarded(run); };
    commands_ = new CommandActions(*this, guard);
    connect(commands_, &CommandActions::commandRun, this, &MainWindow::commandRun);
    DocumentController* d = documents_;
    RecordActions* r = records_;
    QUndoStack* stack = document_.undoStack();
    const auto ctrlKey = &CommandActions::ctrlWithAnyShiftAlt;
    const auto fKey = &CommandActions::withAnyCtrlShift;
    const CommandActions::Command table[] = {
        {cmd::FileNew, [d] { d->newFile(); }, ctrlKey(Qt::Key_N), ids::BitmapBlankPage},
        {cmd::FileOpen, [d] { d->open(); }, ctrlKey(Qt::Key_O), ids::BitmapOpenFolder},
        {cmd::FileSave, [d] { d->save(); }, ctrlKey(Qt::Key_S), ids::BitmapDiskette},
        {cmd::FileSaveAs, [d] { d->saveAs(); }},
        {cmd::SaveTable, [d] { d->saveTable(); }},
        {cmd::CompareWithFile, [this] { review_->compareWithFile(); }},
        {cmd::Print, [this] { review_->print(); }, ctrlKey(Qt::Key_P)},
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
        {cmd::AddParameter, [r] { r->addParameter(); }, fKey(Qt::Key_F2), ids::BitmapParameterPage},
        {cmd::AddValue, [r] { r->addValue(); }, fKey(Qt::Key_F3), ids::BitmapValuePage},
        {cmd::AddResult, [r] { r->addResult(); }, fKey(Qt::Key_F4), ids::BitmapResultPage},
        {cmd::DeleteParameter, [r] { r->deleteParameter(); }},
        {cmd::DeleteValue, [r] { r->deleteValue(); }},
        {cmd::DeleteResult, [r] { r->deleteResult(); }},
        {cmd::Help, [this] { helpWindow_->showAndActivate(); }, {QKeySequence(Qt::Key_F1)}},
        {cmd::About, [this] { AboutDialog(services_, this).exec(); }, {}, ids::BitmapQuestion},
    };
    for (const CommandActions::Command& command : table) {
        commands_->add(command);
    }
    // Not guarded: in a field or an open cell editor they work on its own text.
    using Clip = ListClipboard::Operation;
    for (const auto& [id, keys, operation] : {std::tuple{cmd::Cut, QKeySequence::Cut, Clip::Cut},
                                              std::tuple{cmd::Copy, QKeySequence::Copy, Clip::Copy},
                                              std::tuple{cmd::Paste, QKeySequence::Paste, Clip::Paste}}) {
        commands_->add({id,
                        [this, operation, guard] { records_->clipboard().runOnFocus(operation, guard); },
                        {QKeySequence(keys)},
                        0,
                        {},
                        false});
    }
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
            [this] {
                runGuarded([this] {
                    documents_->browseDocumentFile(
                        qobject_cast<QLineEdit*>(control(ctl::DocumentFileEdit))->text());
                });
            });

    commands_->fillMenuBar(*menuBar(), [d](QMenu& menu, QAction& place) { d->fillRecentFiles(menu, place); });
    commands_->followUndoStack(*stack);
    connect(records_, &RecordActions::stateChanged, commands_, &CommandActions::refresh);
}

QAction* MainWindow::action(int commandId) const {
    return commands_->action(commandId);
}

bool MainWindow::commandAvailable(int commandId) const {
    return commands_->available(commandId);
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
    records_->confirmOpenEdits();
    command();
}

} // namespace vornak
