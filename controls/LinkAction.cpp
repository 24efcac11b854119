#include "LinkAction.h"

#include "QtMessageBox.h"
#include "ShellOpen.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWidget>

namespace {

vornak::ShellOpener& desktopOpener() {
    static vornak::QtShellOpener opener;
    return opener;
}

vornak::MessageBox& desktopMessageBox() {
    static vornak::QtMessageBox box;
    return box;
}

} // namespace

bool LinkAction::Execute(bool showErrors) {
    instanceHandle_ = 0;
    vornak::ShellOpener& opener = opener_ != nullptr ? *opener_ : desktopOpener();
    const vornak::ShellOpenResult result = opener.open({target_, arguments_, directory_, showCommand_});
    if (result.opened()) {
        instanceHandle_ = result.instance;
        errorCode_ = -1;
        return true;
    }
    errorCode_ = result.errorCode;
    if (showErrors) {
        ReportError();
    }
    return false;
}

void LinkAction::ReportError() {
    if (errorCode_ == -1) {
        return;
    }
    if (beep_) {
        beep_();
    } else {
        QApplication::beep();
    }
    vornak::MessageBox& box = messageBox_ != nullptr ? *messageBox_ : desktopMessageBox();
    QWidget* parent = messageParent_ != nullptr ? messageParent_->window() : QApplication::activeWindow();
    box.showError(parent, ErrorMessage(errorCode_), QGuiApplication::applicationDisplayName());
}

QString LinkAction::ErrorMessage(int errorCode) {
    // Only these two failures occur here (see shellErrorValue); any other value has no message.
    switch (errorCode) {
    case vornak::shellerror::FileNotFound:
        return QStringLiteral("The specified file was not found.");
    case vornak::shellerror::NoAssociation:
        return QStringLiteral("There is no application associated\nwith the given filename extension.");
    default:
        return QStringLiteral("Unknown error!");
    }
}
