// LinkAction: what a click on a hyperlink label does. It hands its target to the desktop with the
// "open" verb through the platform's shell opener, keeps the outcome of the last attempt and, on
// failure, beeps and explains the shell's error value in an English message box.
#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

class QWidget;

namespace vornak {
class MessageBox;
class ShellOpener;
} // namespace vornak

class LinkAction {
public:
    LinkAction() = default;
    virtual ~LinkAction() = default;
    LinkAction(const LinkAction&) = default;
    LinkAction& operator=(const LinkAction&) = default;

    const QString& Target() const { return target_; }
    void SetTarget(const QString& target) { target_ = target; }
    const QString& Arguments() const { return arguments_; }
    void SetArguments(const QString& arguments) { arguments_ = arguments; }
    const QString& Directory() const { return directory_; }
    void SetDirectory(const QString& directory) { directory_ = directory; }
    int ShowCommand() const { return showCommand_; }
    void SetShowCommand(int showCommand) { showCommand_ = showCommand; }

    // Outcome of the last Execute: -1 no error, otherwise the shell's error value (0 to 32).
    int ErrorCode() const { return errorCode_; }
    // What the opener handed back after a success; 0 after a failure.
    quintptr InstanceHandle() const { return instanceHandle_; }

    // Where the target goes and where failures are shown; without them the desktop's own opener
    // and message boxes are used. Not owned: they must outlive the action.
    void SetShellOpener(vornak::ShellOpener* opener) { opener_ = opener; }
    void SetMessageBox(vornak::MessageBox* messageBox) { messageBox_ = messageBox; }
    // The sound played before a failure is shown; by default the desktop's beep.
    void SetBeep(std::function<void()> beep) { beep_ = std::move(beep); }
    // The window the failure message belongs to (none: the active window).
    void SetMessageParent(QWidget* parent) { messageParent_ = parent; }

    // Opens the target; true on success. On failure, with showErrors, ReportError is called.
    bool Execute(bool showErrors = true);
    // Beeps and shows the message for ErrorCode() in an error box; nothing when ErrorCode() is -1.
    virtual void ReportError();

    // The English message for the shell error values that occur here (a missing file, no application
    // for the address); "Unknown error!" for any other value.
    static QString ErrorMessage(int errorCode);

private:
    QString target_;
    QString arguments_;
    QString directory_;
    int showCommand_ = 1;
    int errorCode_ = -1;
    quintptr instanceHandle_ = 0;

    vornak::ShellOpener* opener_ = nullptr;
    vornak::MessageBox* messageBox_ = nullptr;
    std::function<void()> beep_;
    QWidget* messageParent_ = nullptr;
};
