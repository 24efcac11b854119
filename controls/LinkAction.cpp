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
    switch (errorCode) {
    case 0:
        return QStringLiteral("The operating system is out\nof memory or resources.");
    case 2:
        return QStringLiteral("The specified file was not found.");
    case 3:
        return QStringLiteral("The specified path was not found.");
    case 5:
        return QStringLiteral("The operating system denied\naccess to the specified file.");
    case 8:
        return QStringLiteral("There was not enough memory to complete the operation.");
    case 11:
        return QStringLiteral("The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
    case 26:
        return QStringLiteral("A sharing violation occurred.");
    case 27:
        return QStringLiteral("The filename association is\nincomplete or invalid.");
    case 28:
        return QStringLiteral("The DDE transaction could not\nbe completed because the request timed out.");
    case 29:
        return QStringLiteral("The DDE transaction failed.");
    case 30:
        return QStringLiteral(
            "The DDE transaction could not\nbe completed because other DDE transactions\nwere "
            "being processed.");
    case 31:
        return QStringLiteral("There is no application associated\nwith the given filename extension.");
    case 32:
        return QStringLiteral("The specified dynamic-link library was not found.");
    default:
        return QStringLiteral("Unknown error!");
    }
}
