// UsageHelpDialog: the modeless usage help window. It shows the fixed help text on value kinds,
// formula codes, functions and the Word document codes, read-only but selectable, from its first
// line each time it becomes visible; Escape and the close box only hide it.
#pragma once

#include <QDialog>
#include <QPointer>

class QPlainTextEdit;

namespace vornak {

class UsageHelpDialog : public QDialog {
    Q_OBJECT

public:
    // Built hidden; with no parent it is a window of its own that does not follow the main form.
    explicit UsageHelpDialog(QWidget* parent = nullptr);
    ~UsageHelpDialog() override;

    // The window the keyboard focus goes back to when the help window is hidden.
    void setMainWindow(QWidget* mainWindow) { mainWindow_ = mainWindow; }
    QWidget* mainWindow() const { return mainWindow_; }

    // Shows the window (from line 1 when it was hidden) and makes it the active window.
    void showAndActivate();

    // The read-only edit 1031.
    QPlainTextEdit* helpEdit() const { return helpEdit_; }

    // Enter leaves the window open and changes nothing.
    void accept() override;
    // Escape and the close box: the focus goes back to the main window, then the window hides.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Makes the window tall enough for every line of the text.
    void showAllLines();
    // Makes the window and its text taller by this much, as far as the screen lets it.
    void grow(int pixels);

    QPlainTextEdit* helpEdit_ = nullptr;
    bool fitted_ = false; // the first show has checked that every line shows
    QPointer<QWidget> mainWindow_;
};

} // namespace vornak
