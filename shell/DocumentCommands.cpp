// The document commands: the save prompt, New, Open, Save, Save As, Save table, opening a named or
// recent file, closing the form, and the recent-file entries of the File menu.
//
// A save that fails is reported and changes nothing else: the document keeps its path, caption and
// modified flag, and a prompt that asked for the save does not let its command go on. A file that
// cannot be opened is reported with the reader's reason before the form starts a new definition.
#include "CEditorApp.h"
#include "CMainForm.h"

#include "BitmapMenuBinder.h"
#include "CellGrid.h"
#include "CommandIds.h"
#include "FileDialogs.h"
#include "FileProblemText.h"
#include "MessageBox.h"
#include "NativePath.h"
#include "RecentFileList.h"
#include "StringTable.h"
#include "TextCodec.h"
#include "Texts.h"
#include "WaitCursor.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>

namespace vornak {
namespace {

// The nine texts pair by name, never by position: the form and the model keep different orders.
struct TextPair {
    QString FormTexts::*form;
    std::string ReportDefinition::*model;
};
constexpr TextPair textPairs[] = {
    {&FormTexts::title, &ReportDefinition::title},
    {&FormTexts::documentFile, &ReportDefinition::documentFile},
    {&FormTexts::input1Caption, &ReportDefinition::input1Caption},
    {&FormTexts::input2Caption, &ReportDefinition::input2Caption},
    {&FormTexts::surnameCaption, &ReportDefinition::surnameCaption},
    {&FormTexts::author, &ReportDefinition::author},
    {&FormTexts::organisation, &ReportDefinition::organisation},
    {&FormTexts::source, &ReportDefinition::source},
    {&FormTexts::date, &ReportDefinition::date},
};

void copyTextsToModel(const FormTexts& form, ReportDefinition& model) {
    for (const TextPair& pair : textPairs) {
        model.*pair.model = TextCodec::encode(form.*pair.form);
    }
}

void copyTextsFromModel(const ReportDefinition& model, FormTexts& form) {
    for (const TextPair& pair : textPairs) {
        form.*pair.form = TextCodec::decode(model.*pair.model);
    }
}

// The name Save table suggests: everything before the last full stop of the path, or nothing.
QString tableNameFor(const QString& path) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : path.left(dot);
}

} // namespace

bool CMainForm::SaveModified() {
    if (modified == 0) {
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
        done(QDialog::Rejected);
    }
}

void CMainForm::OnFileNew() {
    if (!SaveModified()) {
        return;
    }
    resetToNewDefinition();
}

void CMainForm::resetToNewDefinition() {
    model_.clear();
    clearRows(parameterList);
    clearRows(valueList);
    clearRows(resultList);
    layoutValueColumns(static_cast<std::uint8_t>(ValueKind::List));
    OnAddParameter();
    OnAddResult();
    currentPath.clear();
    setUntitledCaption();
    modified = 0;
}

void CMainForm::OnFileOpen() {
    if (!SaveModified()) {
        return;
    }
    const std::optional<QString> path = services_.fileDialogs->open(
        this, texts::reportFilesFilter, texts::reportExtension, currentFilePath());
    if (!path) {
        return;
    }
    if (LoadFile(nativePath(*path))) {
        recentFiles_.add(nativePath(*path));
    }
}

bool CMainForm::OpenFile(const QString& path) {
    return OpenFile(nativePath(path));
}

bool CMainForm::OpenFile(const QByteArray& path) {
    openCancelled_ = false;
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
    bool loaded = false;
    {
        WaitCursor wait;
        model_.clear();
        loaded = model_.load(corePath(path));
        if (!loaded) {
            // What the reader put into the model before it stopped is not a definition.
            resetToNewDefinition();
        }
    }
    if (!loaded) {
        services_.messageBox->showError(
            this, texts::openFailedText.arg(displayPath(path), problemReason(model_.loadError())),
            loadString(ids::StringAppTitle));
        return false;
    }
    WaitCursor wait;
    currentPath = path;
    setTitledCaption(path);
    copyTextsFromModel(model_, reportTexts);
    UpdateData(Exchange::ToControls);
    reloadLists();
    modified = 0;
    return true;
}

void CMainForm::OnFileSave() {
    saveDocument();
}

bool CMainForm::saveDocument() {
    if (!currentPath.isEmpty()) {
        return SaveFile(currentPath);
    }
    return saveDocumentAs();
}

void CMainForm::OnFileSaveAs() {
    saveDocumentAs();
}

bool CMainForm::saveDocumentAs() {
    const std::optional<QString> path = services_.fileDialogs->save(
        this, texts::reportFilesFilter, texts::reportExtension, currentFilePath());
    if (!path) {
        return false;
    }
    // The document takes the new path only once it is stored there.
    return SaveFile(nativePath(*path));
}

bool CMainForm::SaveFile(const QByteArray& path) {
    UpdateData(Exchange::ToFields);
    copyTextsToModel(reportTexts, model_);
    bool saved = false;
    {
        WaitCursor wait;
        saved = model_.save(corePath(path));
    }
    if (!saved) {
        services_.messageBox->showError(
            this, texts::saveFailedText.arg(displayPath(path), problemReason(model_.saveError())),
            loadString(ids::StringAppTitle));
        return false;
    }
    currentPath = path;
    setTitledCaption(path);
    recentFiles_.add(path);
    modified = 0;
    return true;
}

void CMainForm::OnSaveTable() {
    const std::optional<QString> path = services_.fileDialogs->save(
        this, texts::textFilesFilter, texts::textExtension, tableNameFor(currentFilePath()));
    if (!path) {
        return;
    }
    bool written = false;
    {
        WaitCursor wait;
        written = model_.exportTable(corePath(nativePath(*path)));
    }
    if (!written) {
        services_.messageBox->showError(
            this,
            texts::exportFailedText.arg(QDir::toNativeSeparators(*path), problemReason(model_.saveError())),
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
