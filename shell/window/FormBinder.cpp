#include "FormBinder.h"

#include "CellGrid.h"
#include "DefinitionDocument.h"
#include "EditText.h"
#include "ParameterPanel.h"
#include "ValueTableModel.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QUndoStack>

#include <algorithm>

namespace vornak {

FormBinder::Controls FormBinder::controlsOf(const ParameterPanel& panel,
                                            const std::array<QLineEdit*, 9>& reportTexts) {
    return {reportTexts,        panel.formulaEdit(),
            panel.kindGroup(),  panel.numberBox(),
            panel.formulaBox(), {panel.addValueButton(), panel.deleteValueButton(), panel.valueList()}};
}

FormBinder::FormBinder(DefinitionDocument& document, ValueTableModel& values, Controls controls, Guard guard)
    : document_(document), values_(values), controls_(std::move(controls)), guard_(std::move(guard)) {
    for (int i = 0; i < static_cast<int>(controls_.reportTexts.size()); ++i) {
        bindText(controls_.reportTexts[static_cast<std::size_t>(i)], [i] {
            return TextLocation{TextField::ReportText, i + 1, 0};
        });
    }
    bindText(controls_.formula, [this] { return formulaLocation(); });

    connect(controls_.kinds, &QButtonGroup::idClicked, this, &FormBinder::onKindClicked);
    connect(controls_.number, &QAbstractButton::clicked, this, &FormBinder::onNumberClicked);
    connect(controls_.hasFormula, &QAbstractButton::clicked, this, &FormBinder::onFormulaClicked);

    connect(&document_, &DefinitionDocument::textChanged, this, &FormBinder::onTextChanged);
    connect(&document_, &DefinitionDocument::documentReset, this, &FormBinder::refreshAll);
    connect(&document_, &DefinitionDocument::parameterChanged, this, [this](int p) {
        if (p == current()) {
            refreshParameterControls();
        }
    });
    connect(&document_, &DefinitionDocument::kindChanged, this, [this](int p) {
        if (p == current()) {
            refreshParameterControls();
        }
    });
    connect(&values_, &ValueTableModel::parameterChanged, this, &FormBinder::refreshParameterControls);
}

bool FormBinder::isBound(const QLineEdit* edit) const {
    return edit == controls_.formula || std::find(controls_.reportTexts.begin(), controls_.reportTexts.end(),
                                                  edit) != controls_.reportTexts.end();
}

int FormBinder::current() const {
    const int p = values_.parameter();
    return p >= 0 && p < static_cast<int>(document_.definition().parameters.size()) ? p : -1;
}

TextLocation FormBinder::formulaLocation() const {
    return TextLocation{TextField::ParameterFormula, current() + 1, 0};
}

void FormBinder::bindText(QLineEdit* edit, std::function<TextLocation()> where) {
    // Only the user's typing (textEdited) becomes a step; texts set from the document do not.
    connect(edit, &QLineEdit::textEdited, this, [this, edit, where](const QString& text) {
        const TextLocation at = where();
        if (!document_.contains(at)) {
            return;
        }
        document_.typeText(at, text);
        // A change the document refused leaves the field showing what the document holds.
        show(edit, at);
    });
    // Leaving the field ends its typing step: the next typing there is a step of its own.
    connect(edit, &QLineEdit::editingFinished, this, [this] { document_.finishTyping(); });
}

void FormBinder::show(QLineEdit* edit, const TextLocation& where) {
    const QString text =
        document_.contains(where) ? displayText(textAt(document_.definition(), where)) : QString();
    if (edit->text() == text) {
        return;
    }
    const bool typingHere = edit->hasFocus();
    const int cursor = edit->cursorPosition();
    edit->setText(text);
    // An undo while the field has the keyboard keeps the caret near where it was; a text shown
    // afresh starts from its beginning.
    edit->setCursorPosition(typingHere ? std::min(cursor, static_cast<int>(text.size())) : 0);
}

void FormBinder::onTextChanged(const TextLocation& where) {
    if (where.field == TextField::ReportText && where.record >= 1 &&
        where.record <= static_cast<int>(controls_.reportTexts.size())) {
        show(controls_.reportTexts[static_cast<std::size_t>(where.record - 1)], where);
    } else if (where.field == TextField::ParameterFormula && where.record - 1 == current()) {
        show(controls_.formula, where);
    }
}

void FormBinder::refreshAll() {
    for (int i = 0; i < static_cast<int>(controls_.reportTexts.size()); ++i) {
        show(controls_.reportTexts[static_cast<std::size_t>(i)],
             TextLocation{TextField::ReportText, i + 1, 0});
    }
    refreshParameterControls();
}

void FormBinder::refreshParameterControls() {
    const int p = current();
    const bool valid = p >= 0;
    const ParameterRecord* parameter =
        valid ? &document_.definition().parameters[static_cast<std::size_t>(p)] : nullptr;

    const int kind = valid ? static_cast<int>(parameter->kind) : -1;
    if (QAbstractButton* button = controls_.kinds->button(kind)) {
        button->setChecked(true);
    } else {
        // A kind without a button (read from a file), or no parameter: no button is checked.
        controls_.kinds->setExclusive(false);
        for (QAbstractButton* b : controls_.kinds->buttons()) {
            b->setChecked(false);
        }
        controls_.kinds->setExclusive(true);
    }
    controls_.number->setChecked(valid && parameter->isNumber != 0);
    controls_.hasFormula->setChecked(valid && parameter->hasFormula != 0);
    show(controls_.formula, formulaLocation());
    controls_.formula->setEnabled(valid && parameter->hasFormula != 0);

    for (QAbstractButton* b : controls_.kinds->buttons()) {
        b->setEnabled(valid);
    }
    controls_.number->setEnabled(valid);
    controls_.hasFormula->setEnabled(valid);
    for (QWidget* w : controls_.needParameter) {
        w->setEnabled(valid);
    }
}

void FormBinder::onKindClicked(int kind) {
    guard_([this, kind] { document_.setKind(current(), static_cast<ValueKind>(kind)); });
    refreshParameterControls();
}

void FormBinder::onNumberClicked(bool on) {
    guard_([this, on] { document_.setNumber(current(), on); });
    refreshParameterControls();
}

void FormBinder::onFormulaClicked(bool on) {
    guard_([this, on] {
        const int p = current();
        if (on || !document_.contains(formulaLocation()) ||
            textAt(document_.definition(), formulaLocation()).empty()) {
            document_.setHasFormula(p, on);
            return;
        }
        // A parameter without a formula keeps none: checking the box again starts empty. One step.
        QUndoStack* stack = document_.undoStack();
        stack->beginMacro(QStringLiteral("снятие формулы"));
        document_.setHasFormula(p, false);
        document_.setCell(formulaLocation(), QString());
        stack->endMacro();
    });
    refreshParameterControls();
}

} // namespace vornak
