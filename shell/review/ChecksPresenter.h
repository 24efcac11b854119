// The checks in the main window: the problem count beside the parameter list, the "Проверка"
// panel (a dock the user can place, F7 or a click on the count shows it), the way from a finding
// to its text, and the note after codes were renumbered.
#pragma once

#include "PlatformServices.h"

#include <QObject>

#include <array>
#include <functional>

class CellGrid;
class QDockWidget;
class QLineEdit;
class QMainWindow;

namespace vornak {

class ChecksController;
class ChecksWindow;
class DefinitionDocument;
class ParameterPanel;
class ProblemCountLabel;
struct TextLocation;

class ChecksPresenter : public QObject {
    Q_OBJECT

public:
    using Guard = std::function<void(const std::function<void()>&)>;

    struct Targets {
        CellGrid* parameters = nullptr;
        ParameterPanel* panel = nullptr;
        CellGrid* results = nullptr;
        std::array<QLineEdit*, 9> reportTexts{}; // in file order: title, document, ..., date
        ProblemCountLabel* count = nullptr;      // placed by the window's layout
    };

    // Puts the checks panel in window's bottom dock area, hidden.
    ChecksPresenter(DefinitionDocument& document, const PlatformServices& services, QMainWindow& window,
                    Targets targets, Guard guard);

    // Shows the panel with the findings of the definition as it is now, the keyboard in its list.
    void showChecks();
    // Takes the user to a text: selects its parameter, value row or result and opens the cell, or
    // puts the focus in its field. False when the text is not there (any more).
    bool goToText(const TextLocation& where);

    ProblemCountLabel* problemCount() const { return count_; }
    ChecksWindow* checksWindow() const { return window_; }
    QDockWidget* dock() const { return dock_; }
    ChecksController* controller() const { return controller_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void noteRenumberedCodes(int count);
    // Shows the panel at its remembered height, or a modest one, taken from the form's room.
    void openPanel();
    int panelHeight() const;
    // Keeps the panel's height for the next time and gives the form its room back.
    void panelClosed();
    // Writes the panel's height to the settings when it changed.
    void rememberHeight();

    DefinitionDocument& document_;
    PlatformServices services_;
    QMainWindow& mainWindow_;
    Targets targets_;
    Guard guard_;
    ProblemCountLabel* count_ = nullptr;
    ChecksWindow* window_ = nullptr;
    QDockWidget* dock_ = nullptr;
    ChecksController* controller_ = nullptr;
    bool renumberNoted_ = false;
    int storedHeight_ = 0; // the panel height the settings hold
};

} // namespace vornak
