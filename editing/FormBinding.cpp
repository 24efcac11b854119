// Keeping the form and the model in step: the value list's columns per value kind, showing the
// current parameter, refilling the lists after a load, and turning every click, typed text and
// finished cell edit into a change of the model.
#include "CMainForm.h"

#include "CellGrid.h"
#include "TextCodec.h"
#include "Texts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace vornak {

namespace {

constexpr std::uint8_t kindList = static_cast<std::uint8_t>(ValueKind::List);
constexpr std::uint8_t kindRange = static_cast<std::uint8_t>(ValueKind::Range);
constexpr std::uint8_t kindInput = static_cast<std::uint8_t>(ValueKind::Input);

std::uint8_t codeOf(ValueKind kind) {
    return static_cast<std::uint8_t>(kind);
}

// The texts a value row shows under the columns of a kind; nothing for a kind without columns.
std::vector<const std::string*> shownCells(const ValueRow& row, std::uint8_t kind) {
    switch (kind) {
    case kindList:
    case kindInput:
        return {&row.value, &row.result};
    case kindRange:
        return {&row.value, &row.upperBound, &row.result};
    default:
        return {};
    }
}

// The cell of a value row that a column of a kind's layout edits, or null for none.
std::string* editedCell(ValueRow& row, std::uint8_t kind, int column) {
    switch (kind) {
    case kindList:
    case kindInput:
        return column == 0 ? &row.value : &row.result;
    case kindRange:
        return column == 0 ? &row.value : column == 1 ? &row.upperBound : &row.result;
    default:
        return nullptr;
    }
}

} // namespace

bool CMainForm::isValidParameter(int index) const {
    return index >= 0 && index < parameterCount();
}

int CMainForm::parameterCount() const {
    return static_cast<int>(model_.parameters.size());
}

void CMainForm::clearRows(CellGrid* grid) {
    // Rows going away are no selection by the user: the current parameter stays as it is.
    const bool wasIgnoring = ignoreSelectionChanges_;
    ignoreSelectionChanges_ = true;
    grid->setRowCount(0);
    ignoreSelectionChanges_ = wasIgnoring;
}

void CMainForm::renumberRows(CellGrid* grid, int from) {
    for (int row = std::max(from, 0); row < grid->rowCount(); ++row) {
        grid->SetCellText(row, 0, QString::number(row + 1));
    }
}

void CMainForm::layoutValueColumns(std::uint8_t kind) {
    clearRows(valueList);
    if (kind == shownKind) {
        return;
    }
    shownKind = kind;
    if (isValidParameter(selectedParameter)) {
        model_.parameters[static_cast<std::size_t>(selectedParameter)].kind = static_cast<ValueKind>(kind);
    }
    for (int column = valueList->GetColumnCount() - 1; column >= 0; --column) {
        valueList->DeleteColumn(column);
    }

    valueList->ensurePolished();
    const int w = valueList->contentsRect().width();
    switch (kind) {
    case kindList:
        valueList->InsertColumn(0, texts::columnValue, 2 * w / 3, Qt::AlignLeft);
        valueList->InsertColumn(1, texts::columnResult, w / 3, Qt::AlignLeft);
        break;
    case kindRange:
        valueList->InsertColumn(0, texts::columnLowerBound, w / 3, Qt::AlignLeft);
        valueList->InsertColumn(1, texts::columnUpperBound, w / 3, Qt::AlignLeft);
        valueList->InsertColumn(2, texts::columnResult, w / 3, Qt::AlignLeft);
        break;
    case kindInput:
        valueList->InsertColumn(0, texts::columnInitialValue, 2 * w / 3, Qt::AlignLeft);
        valueList->InsertColumn(1, texts::columnResult, w / 3, Qt::AlignLeft);
        break;
    default:
        break; // a kind the editor does not know has no columns
    }
    valueList->SetEditable(true, -1);
}

void CMainForm::showParameter(int index) {
    if (!isValidParameter(index)) {
        return;
    }
    const ParameterRecord& parameter = model_.parameters[static_cast<std::size_t>(index)];
    layoutValueColumns(codeOf(parameter.kind)); // also empties the value list

    const std::size_t rows = parameter.values.size();
    if (!shownCells(ValueRow{}, shownKind).empty()) {
        valueList->setRowCount(static_cast<int>(rows));
        for (std::size_t r = 0; r < rows; ++r) {
            const std::vector<const std::string*> cells = shownCells(parameter.values[r], shownKind);
            for (std::size_t c = 0; c < cells.size(); ++c) {
                valueList->SetCellText(static_cast<int>(r), static_cast<int>(c),
                                       TextCodec::decode(*cells[c]));
            }
        }
    }
    valueList->SelectRow(0);

    setParameterControlsEnabled(true);
    kindChoice = shownKind;
    numberCheck = parameter.isNumber != 0 ? 1 : 0;
    formulaCheck = parameter.hasFormula != 0 ? 1 : 0;
    formulaText = TextCodec::decode(parameter.formula);
    formulaEdit->setEnabled(parameter.hasFormula != 0);
    UpdateData(Exchange::ToControls);
}

void CMainForm::showNoParameter() {
    // With no current parameter the value list and the parameter's controls show nothing, and
    // nothing in them can be changed until a parameter is chosen again: edits there would have no
    // parameter to go into.
    clearRows(valueList);
    numberCheck = 0;
    formulaCheck = 0;
    formulaText.clear();
    formulaEdit->setEnabled(false);
    UpdateData(Exchange::ToControls);
    setParameterControlsEnabled(false);
}

void CMainForm::setParameterControlsEnabled(bool enabled) {
    for (QRadioButton* b : kindButtons_) {
        b->setEnabled(enabled);
    }
    numberBox_->setEnabled(enabled);
    formulaBox_->setEnabled(enabled);
    addValueButton->setEnabled(enabled);
    deleteValueButton->setEnabled(enabled);
    valueList->setEnabled(enabled);
}

void CMainForm::reloadLists() {
    selectedParameter = 0;
    clearRows(parameterList);
    clearRows(valueList);
    clearRows(resultList);

    const int parameters = parameterCount();
    parameterList->setRowCount(parameters);
    for (int i = 0; i < parameters; ++i) {
        parameterList->SetCellText(i, 0, QString::number(i + 1));
        parameterList->SetCellText(i, 1,
                                   TextCodec::decode(model_.parameters[static_cast<std::size_t>(i)].name));
    }
    parameterList->SelectRow(0);

    const int results = static_cast<int>(model_.results.size());
    resultList->setRowCount(results);
    for (int i = 0; i < results; ++i) {
        const ResultRow& row = model_.results[static_cast<std::size_t>(i)];
        resultList->SetCellText(i, 0, QString::number(i + 1));
        resultList->SetCellText(i, 1, TextCodec::decode(row.name));
        resultList->SetCellText(i, 2, TextCodec::decode(row.result));
    }
    resultList->SelectRow(0);

    if (parameters > 0) {
        showParameter(0);
    } else {
        showNoParameter();
    }
}

// ---------------------------------------------------------------------------------------------
// Selection of a parameter

void CMainForm::OnParameterSelected(int row) {
    if (ignoreSelectionChanges_ || row < 0 || row == selectedParameter || row >= parameterCount()) {
        return;
    }
    parameterList->setFocus(Qt::OtherFocusReason);
    selectedParameter = row;
    showParameter(row);
}

// ---------------------------------------------------------------------------------------------
// Kind radios, flag check boxes, formula and the nine texts

void CMainForm::OnKindList() {
    layoutValueColumns(kindList);
    showParameter(selectedParameter);
    modified = 1;
}

void CMainForm::OnKindRange() {
    layoutValueColumns(kindRange);
    showParameter(selectedParameter);
    modified = 1;
}

void CMainForm::OnKindInput() {
    // An input parameter has one row: the first is kept with all three of its cells.
    if (isValidParameter(selectedParameter) &&
        model_.parameters[static_cast<std::size_t>(selectedParameter)].values.size() > 1) {
        model_.keepFirstValueRow(static_cast<std::size_t>(selectedParameter));
    }
    layoutValueColumns(kindInput);
    showParameter(selectedParameter);
    modified = 1;
}

void CMainForm::OnNumberCheck() {
    UpdateData(Exchange::ToFields);
    if (isValidParameter(selectedParameter)) {
        model_.parameters[static_cast<std::size_t>(selectedParameter)].isNumber = numberCheck != 0 ? 1 : 0;
    }
    modified = 1;
}

void CMainForm::OnFormulaCheck() {
    UpdateData(Exchange::ToFields);
    const bool valid = isValidParameter(selectedParameter);
    if (valid) {
        model_.parameters[static_cast<std::size_t>(selectedParameter)].hasFormula = formulaCheck != 0 ? 1 : 0;
    }
    formulaEdit->setEnabled(formulaCheck != 0);
    if (formulaCheck == 0) {
        // A parameter without a formula keeps none: checking the box again starts empty.
        formulaText.clear();
        if (valid) {
            model_.parameters[static_cast<std::size_t>(selectedParameter)].formula.clear();
        }
        UpdateData(Exchange::ToControls);
    }
    modified = 1;
}

void CMainForm::OnFormulaChange() {
    UpdateData(Exchange::ToFields);
    if (isValidParameter(selectedParameter)) {
        model_.parameters[static_cast<std::size_t>(selectedParameter)].formula =
            TextCodec::encode(formulaText);
    }
    modified = 1;
}

void CMainForm::OnFieldChange() {
    // The model takes the nine texts when the document is saved.
    UpdateData(Exchange::ToFields);
    modified = 1;
}

// ---------------------------------------------------------------------------------------------
// The end of a cell edit: the grid has already put a confirmed text into the cell

void CMainForm::OnParameterEndEdit(int row, int /*column*/, const std::optional<QString>& text) {
    if (row == -1) {
        return;
    }
    if (text) {
        // The edited row is the current parameter (starting the edit selected it). Should the two
        // ever differ, the name goes to the row that shows it, so list and model keep agreeing.
        const int target = isValidParameter(row) ? row : selectedParameter;
        if (isValidParameter(target)) {
            model_.parameters[static_cast<std::size_t>(target)].name = TextCodec::encode(*text);
        }
    }
    modified = 1;
}

void CMainForm::OnValueEndEdit(int row, int column, const std::optional<QString>& text) {
    if (row == -1 || !isValidParameter(selectedParameter)) {
        return;
    }
    ParameterRecord& parameter = model_.parameters[static_cast<std::size_t>(selectedParameter)];
    if (row < 0 || row >= static_cast<int>(parameter.values.size())) {
        return;
    }
    if (text) {
        if (std::string* cell =
                editedCell(parameter.values[static_cast<std::size_t>(row)], shownKind, column)) {
            *cell = TextCodec::encode(*text);
        }
    }
    modified = 1;
}

void CMainForm::OnResultEndEdit(int row, int column, const std::optional<QString>& text) {
    if (row == -1) {
        return;
    }
    if (text && row >= 0 && row < static_cast<int>(model_.results.size())) {
        ResultRow& result = model_.results[static_cast<std::size_t>(row)];
        if (column == 1) {
            result.name = TextCodec::encode(*text);
        } else if (column == 2) {
            result.result = TextCodec::encode(*text);
        }
    }
    modified = 1;
}

} // namespace vornak
