// Find and replace as the main window has them: the find bar (for the window to place under the
// lists), the two commands Find (Ctrl+F) and Replace (Ctrl+H) as actions on the window,
// and what shows the matches in the window's lists and fields. Closing the bar puts the keyboard back
// where the user was.
#pragma once

#include "FormMatchDisplay.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QAction;
class QWidget;

namespace vornak {

class FindBar;
class FindController;

class FindTools : public QObject {
    Q_OBJECT

public:
    // parts: the window's lists and fields; window: where the actions go (window-wide keys).
    FindTools(DefinitionDocument& document, FormMatchDisplay::Parts parts, QWidget& window);
    ~FindTools() override;

    FindBar* bar() const { return bar_; }
    FindController& controller() const { return *controller_; }
    FormMatchDisplay& display() const { return *display_; }
    QAction* findAction() const { return find_; }
    QAction* replaceAction() const { return replace_; }

private:
    FindBar* bar_;
    std::unique_ptr<FormMatchDisplay> display_;
    FindController* controller_;
    QAction* find_;
    QAction* replace_;
    QPointer<QWidget> returnFocus_; // where the user was when the bar opened
};

} // namespace vornak
