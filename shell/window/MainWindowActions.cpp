// The main window's commands wired to its parts: what each menu item, key and button runs, when it
// can run, and the find tools over the window's lists and fields. Every command, and everything
// else that replaces or closes the document, goes through runGuarded, the one place that first
// confirms an open cell edit.
#include "MainWindow.h"

#include "AboutDialog.h"
#include "CellGrid.h"
#include "ChecksPresenter.h"
#include "CommandActions.h"
#include "DefinitionDocument.h"
#include "DocumentController.h"
#include "FindTools.h"
#include "ListClipboard.h"
#include "ParameterPanel.h"
#include "RecordActions.h"
#include "ReviewCommands.h"
#include "UsageHelpDialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QMenuBar>
#include <QUndoStack>

#include <utility>

namespace vornak {

void MainWindow::buildCommands() {
    const auto guard = [this](const std::function<void()>& run) { runGuarded(run); };
    commands_ = new CommandActions(*this, guard);
    connect(commands_, &CommandActions::commandRun, this, &MainWindow::commandRun);
    DocumentController* d = documents_;
    RecordActions* r = records_;
    QUndoStack* stack = document_.undoStack();
    // What each command of the action table runs, and when it can run.
    const CommandActions::Command table[] = {
        {QStringLiteral("fileNew"), [d] { d->newFile(); }},
        {QStringLiteral("fileOpen"), [d] { d->open(); }},
        {QStringLiteral("fileSave"), [d] { d->save(); }},
        {QStringLiteral("fileSaveAs"), [d] { d->saveAs(); }},
        {QStringLiteral("fileSaveTable"), [d] { d->saveTable(); }},
        {QStringLiteral("fileCompare"), [this] { review_->compareWithFile(); }},
        {QStringLiteral("filePrint"), [this] { review_->print(); }},
        {QStringLiteral("fileExit"), [this] { close(); }},
        {QStringLiteral("editUndo"),
         [this, stack] {
             document_.finishTyping();
             stack->undo();
         },
         [stack] { return stack->canUndo(); }},
        {QStringLiteral("editRedo"), [stack] { stack->redo(); }, [stack] { return stack->canRedo(); }},
        {QStringLiteral("editMoveUp"), [r] { r->moveUp(); }, [r] { return r->canMove(-1); }},
        {QStringLiteral("editMoveDown"), [r] { r->moveDown(); }, [r] { return r->canMove(+1); }},
        {QStringLiteral("editDuplicate"), [r] { r->duplicate(); }, [r] { return r->canDuplicate(); }},
        {QStringLiteral("editChecks"), [this] { checks_->showChecks(); }},
        {QStringLiteral("addParameter"), [r] { r->addParameter(); }},
        {QStringLiteral("addValue"), [r] { r->addValue(); }},
        {QStringLiteral("addResult"), [r] { r->addResult(); }},
        {QStringLiteral("deleteParameter"), [r] { r->deleteParameter(); }},
        {QStringLiteral("deleteValue"), [r] { r->deleteValue(); }},
        {QStringLiteral("deleteResult"), [r] { r->deleteResult(); }},
        {QStringLiteral("helpUsage"), [this] { helpWindow_->showAndActivate(); }},
        {QStringLiteral("helpAbout"), [this] { AboutDialog(services_, this).exec(); }},
    };
    for (const CommandActions::Command& command : table) {
        commands_->add(command);
    }
    // Not guarded: in a field or an open cell editor they work on its own text.
    using Clip = ListClipboard::Operation;
    for (const auto& [id, operation] : {std::pair{"editCut", Clip::Cut}, std::pair{"editCopy", Clip::Copy},
                                        std::pair{"editPaste", Clip::Paste}}) {
        commands_->add({QLatin1String(id),
                        [this, operation, guard] { records_->clipboard().runOnFocus(operation, guard); },
                        {},
                        false});
    }
    commands_->adopt(QStringLiteral("editFind"), findTools_->findAction());
    commands_->adopt(QStringLiteral("editReplace"), findTools_->replaceAction());
    // F1 opens the help from the help window too.
    helpWindow_->addAction(action(QStringLiteral("helpUsage")));

    // The add and delete buttons trigger the same actions as the menu and the keys.
    for (const auto& [button, command] :
         {std::pair{"addParameterButton", "addParameter"},
          std::pair{"deleteParameterButton", "deleteParameter"}, std::pair{"addValueButton", "addValue"},
          std::pair{"deleteValueButton", "deleteValue"}, std::pair{"addResultButton", "addResult"},
          std::pair{"deleteResultButton", "deleteResult"}}) {
        connect(findChild<QAbstractButton*>(QLatin1String(button)), &QAbstractButton::clicked,
                action(QLatin1String(command)), &QAction::trigger);
    }
    connect(findChild<QAbstractButton*>(QStringLiteral("browseButton")), &QAbstractButton::clicked, this,
            [this, field = findChild<QLineEdit*>(QStringLiteral("documentFileEdit"))] {
                runGuarded([this, field] { documents_->browseDocumentFile(field->text()); });
            });

    commands_->fillMenuBar(*menuBar(), [d](QMenu& menu, QAction& place) { d->fillRecentFiles(menu, place); });
    commands_->followUndoStack(*stack);
    connect(records_, &RecordActions::stateChanged, commands_, &CommandActions::refresh);
}

QAction* MainWindow::action(const QString& commandId) const {
    return commands_->action(commandId);
}

bool MainWindow::commandAvailable(const QString& commandId) const {
    return commands_->available(commandId);
}

bool MainWindow::runCommand(const QString& commandId) {
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
