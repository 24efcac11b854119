// Ties the form's fields to the document: the nine report texts, and the kind, flags and formula
// of the parameter the value list shows. Typing becomes the document's typing step (merged while
// the user types in one field); a click on a radio or a check box becomes its command; every
// change of the document, undo and redo included, comes back to the controls. Nothing is copied
// at save time: the document is the only copy.
#pragma once

#include "DefinitionText.h"

#include <QObject>

#include <array>
#include <functional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QWidget;

namespace vornak {

class DefinitionDocument;
class ParameterPanel;
class ValueTableModel;

class FormBinder : public QObject {
    Q_OBJECT

public:
    using Guard = std::function<void(const std::function<void()>&)>;

    struct Controls {
        std::array<QLineEdit*, 9> reportTexts; // in file order: title, document, ..., date
        QLineEdit* formula = nullptr;
        QButtonGroup* kinds = nullptr; // button ids are the kind codes 0, 1, 2
        QCheckBox* number = nullptr;
        QCheckBox* hasFormula = nullptr;
        std::vector<QWidget*> needParameter; // usable only while a parameter is shown
    };

    // What the binder ties to the document: the nine report fields and the panel's controls.
    static Controls controlsOf(const ParameterPanel& panel, const std::array<QLineEdit*, 9>& reportTexts);

    // guard runs each user command (it confirms open cell edits first).
    FormBinder(DefinitionDocument& document, ValueTableModel& values, Controls controls, Guard guard);

    // Shows the document in every bound control.
    void refreshAll();
    // Shows the current parameter's kind, flags and formula (or nothing, disabled, without one).
    void refreshParameterControls();
    // True for the line edits whose typing is a document step.
    bool isBound(const QLineEdit* edit) const;

private:
    void bindText(QLineEdit* edit, std::function<TextLocation()> where);
    void show(QLineEdit* edit, const TextLocation& where);
    void onTextChanged(const TextLocation& where);
    void onKindClicked(int kind);
    void onNumberClicked(bool on);
    void onFormulaClicked(bool on);
    int current() const;
    TextLocation formulaLocation() const;

    DefinitionDocument& document_;
    ValueTableModel& values_;
    Controls controls_;
    Guard guard_;
};

} // namespace vornak
