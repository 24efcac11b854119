// The document commands: the save prompt and closing the form. New, Open, Save, Save As, Save
// table and opening a named or recent file are not written yet: until then they do nothing, and a
// named file is not opened.
#include "CEditorApp.h"
#include "CMainForm.h"

#include "MessageBox.h"
#include "Texts.h"

namespace vornak {

bool CMainForm::SaveModified() {
    if (modified == 0) {
        return true;
    }
    switch (services_.messageBox->askYesNoCancel(this, texts::savePromptText, texts::savePromptCaption,
                                                 MessageAnswer::Yes)) {
    case MessageAnswer::Yes:
        OnFileSave();
        return true;
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
}
void CMainForm::OnFileOpen() {
}
void CMainForm::OnFileSave() {
}
void CMainForm::OnFileSaveAs() {
}
void CMainForm::OnSaveTable() {
}
void CMainForm::OnUpdateMenu(QMenu* /*popup*/) {
}

bool CMainForm::OpenFile(const QString& /*path*/) {
    return false;
}

bool CMainForm::LoadFile(const QString& /*path*/) {
    return false;
}

void CMainForm::SaveFile(const QString& /*path*/) {
}

bool CEditorApp::OnOpenRecentFile(int /*commandId*/) {
    return true;
}

} // namespace vornak
