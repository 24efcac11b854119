// The main form's key hook: an application event filter that sees every key press aimed at the
// form or any widget inside it (the grids' cell editors included) before that widget does. It runs
// Ctrl+N, Ctrl+O, Ctrl+S, F2, F3 and F4 and consumes them; F1 opens the help from the form and
// from the help window. It lives exactly as long as the form.
#pragma once

#include <QObject>

class QKeyEvent;

namespace vornak {

class CMainForm;

class MainFormKeyHook : public QObject {
    Q_OBJECT

public:
    explicit MainFormKeyHook(CMainForm& form);
    ~MainFormKeyHook() override;
    MainFormKeyHook(const MainFormKeyHook&) = delete;
    MainFormKeyHook& operator=(const MainFormKeyHook&) = delete;

    // The command a key press runs when it is aimed at the form, or 0 for none.
    static int commandForKey(const QKeyEvent& event);
    // The command F1 runs in a window of the editor, or 0.
    static int helpCommandForKey(const QKeyEvent& event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isInsideForm(const QObject* target) const;
    bool isInsideHelpWindow(const QObject* target) const;

    CMainForm& form_;
};

} // namespace vornak
