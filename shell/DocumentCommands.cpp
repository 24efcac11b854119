// The document commands: the save prompt, New, Open, Save, Save As, Save table, opening a named or
// recent file, closing the form, and the recent-file entries of the File menu.
//
// A save that fails is reported and changes nothing else: the document keeps its path, caption and
// modified flag, and a prompt that asked for the save does not let its command go on. A file that
// cannot be opened is reported with the reader's reason before the form starts a new definition.
// Save asks before it replaces a file that another program changed or removed meanwhile.
#include "CEditorApp.h"
#include "CMainForm.h"

#include "BitmapMenuBinder.h"
#include "CommandIds.h"
#include "DefinitionDocument.h"
#include "FileDialogs.h"
#include "FileProblemText.h"
#include "MessageBox.h"
#include "NativePath.h"
#include "RecentFileList.h"
#include "RecoverySession.h"
#include "StringTable.h"
#include "Texts.h"
#include "WaitCursor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>

#include <filesystem>
#include <system_error>

namespace vornak {
namespace {

// The name Save table suggests: everything before the last full stop of the path, or nothing.
QByteArray tableNameFor(const QByteArray& path) {
    const qsizetype dot = path.lastIndexOf('.');
    return dot < 0 ? QByteArray() : path.left(dot);
}

} // namespace

bool CMainForm::SaveModified() {
    if (!document_.isModified()) {
        return true;
    }
    switch (services_.messageBox->askYesNoCancel(this, texts::savePromptText, texts::savePromptCaption,
                                                 MessageAnswer::Yes)) {
    case MessageAnswer::Yes:
        // Going on after a save that did not happen would throw the changes away.
        return saveDocument();
    case MessageAnswer::No:
        return true;
    default:
        return false;
    }
}

void CMainForm::OnClose() {
    if (SaveModified()) {
        // Still modified after the prompt let it go: the user said No, and the copy goes too.
        if (recovery_ != nullptr && document_.isModified()) {
            recovery_->discard();
        }
        done(QDialog::Rejected);
    }
}

void CMainForm::OnFileNew() {
    if (!SaveModified()) {
        return;
    }
    // The nine texts stay; one parameter and one result; nothing to undo.
    document_.newDocument();
}

void CMainForm::OnFileOpen() {
    if (!SaveModified()) {
        return;
    }
    const std::optional<QByteArray> path = services_.fileDialogs->openNative(
        this, texts::reportFilesFilter, texts::reportExtension, currentNativePath());
    if (!path) {
        return;
    }
    if (recovery_ != nullptr && !recovery_->confirmOpen(this, *path)) {
        return;
    }
    if (LoadFile(*path)) {
        recentFiles_.add(*path);
    }
}

bool CMainForm::OpenFile(const QString& path) {
    return OpenFile(nativePath(path));
}

bool CMainForm::OpenFile(const QByteArray& path) {
    openCancelled_ = false;
    // Another editor holds it with unsaved changes: opening it here too is the user's call.
    if (recovery_ != nullptr && !recovery_->confirmOpen(this, path)) {
        openCancelled_ = true;
        return false;
    }
    if (!SaveModified()) {
        openCancelled_ = true;
        return false;
    }
    if (!LoadFile(path)) {
        return false;
    }
    recentFiles_.add(path);
    return true;
}

bool CMainForm::LoadFile(const QByteArray& path) {
    OpenResult result;
    {
        WaitCursor wait;
        result = document_.open(corePath(path));
        if (!result) {
            // What was asked for is not shown: the form starts a new definition, as after New.
            document_.newDocument();
        }
    }
    if (!result) {
        services_.messageBox->showError(
            this, texts::openFailedText.arg(displayPath(path), problemReason(result.error)),
            loadString(ids::StringAppTitle));
        return false;
    }
    return true;
}

void CMainForm::OnFileSave() {
    saveDocument();
}

bool CMainForm::saveDocument() {
    if (document_.isUntitled()) {
        return saveDocumentAs();
    }
    // Another program changed or removed the file since it was read or written here: its change
    // would be lost without a word. No leaves everything as it was.
    if (document_.changedOnDisk()) {
        std::error_code error;
        const QString question = std::filesystem::symlink_status(document_.path(), error).type() !=
                                         std::filesystem::file_type::not_found
                                     ? texts::changedOnDiskText.arg(currentFilePath())
                                     : texts::removedFromDiskText.arg(currentFilePath());
        if (services_.messageBox->askYesNo(this, question, texts::savePromptCaption, MessageAnswer::No) !=
            MessageAnswer::Yes) {
            return false;
        }
    }
    return SaveFile(currentNativePath());
}

void CMainForm::OnFileSaveAs() {
    saveDocumentAs();
}

bool CMainForm::saveDocumentAs() {
    // The suggestion is the document's own path as bytes: kept, it saves to the same file even when
    // its name is no text.
    const std::optional<QByteArray> path = services_.fileDialogs->saveNative(
        this, texts::reportFilesFilter, texts::reportExtension, currentNativePath());
    if (!path) {
        return false;
    }
    // The document takes the new path only once it is stored there.
    return SaveFile(*path);
}

bool CMainForm::SaveFile(const QByteArray& path) {
    SaveResult result;
    {
        WaitCursor wait;
        result = document_.saveAs(corePath(path));
    }
    if (!result) {
        services_.messageBox->showError(
            this, texts::saveFailedText.arg(displayPath(path), problemReason(result.error)),
            loadString(ids::StringAppTitle));
        return false;
    }
    recentFiles_.add(path);
    return true;
}

void CMainForm::OnSaveTable() {
    const std::optional<QByteArray> path = services_.fileDialogs->saveNative(
        this, texts::textFilesFilter, texts::textExtension, tableNameFor(currentNativePath()));
    if (!path) {
        return;
    }
    SaveResult result;
    {
        WaitCursor wait;
        result = document_.exportTable(corePath(*path));
    }
    if (!result) {
        services_.messageBox->showError(
            this, texts::exportFailedText.arg(displayPath(*path), problemReason(result.error)),
            loadString(ids::StringAppTitle));
    }
}

// Puts one item per recent file in the place of the recent-file items, each time the File menu
// opens; an empty list keeps the greyed placeholder.
void CMainForm::OnUpdateMenu(QMenu* popup) {
    const QList<QAction*> actions = popup->actions();
    QAction* first = nullptr;
    QList<QAction*> old;
    for (QAction* action : actions) {
        if (cmd::isRecentFileCommand(BitmapMenuBinder::CommandId(action))) {
            if (first == nullptr) {
                first = action;
            }
            old.append(action);
        }
    }
    if (first == nullptr) {
        return;
    }
    const int at = static_cast<int>(actions.indexOf(old.last())) + 1;
    QAction* before = at < actions.size() ? actions.at(at) : nullptr;
    for (const RecentFileList::MenuEntry& entry : recentFiles_.menuEntries(QDir::currentPath())) {
        auto* action = new QAction(entry.text, popup);
        BitmapMenuBinder::SetCommandId(action, entry.command);
        popup->insertAction(before, action);
        if (!entry.enabled && menuBinder != nullptr) {
            menuBinder->SetItemEnabled(action, false);
        }
        action->setEnabled(entry.enabled);
        const int id = entry.command;
        connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
    }
    for (QAction* action : old) {
        popup->removeAction(action);
        action->deleteLater();
    }
}

bool CEditorApp::OnOpenRecentFile(int commandId) {
    const int index = commandId - cmd::RecentFileFirst;
    const QByteArray path = recentFiles_.nativeAt(index);
    if (path.isEmpty() || commandSource_ == nullptr) {
        return true;
    }
    // A Cancel at the save prompt keeps the entry: only a file that could not be read goes.
    if (!commandSource_->OpenFile(path) && !commandSource_->openWasCancelled()) {
        recentFiles_.remove(static_cast<int>(recentFiles_.nativeEntries().indexOf(path)));
    }
    return true;
}

} // namespace vornak
