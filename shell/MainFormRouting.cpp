// The main form's routing table: which handler each command, button and notification runs. Menu
// items, buttons and keys all dispatch through runCommand; what the form does not handle goes on
// to the application object.
#include "CMainForm.h"

#include "CellGrid.h"
#include "CommandIds.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace vornak {

void CMainForm::buildRoutingTable() {
    routes_ = {
        // Enter while no push button has the focus, and Escape: neither closes the form.
        {cmd::Ok, &CMainForm::OnOk},
        {cmd::Cancel, &CMainForm::OnCancel},
        {cmd::Exit, &CMainForm::OnClose},
        // Kind radios and flag check boxes.
        {ctl::KindList, &CMainForm::OnKindList},
        {ctl::KindRange, &CMainForm::OnKindRange},
        {ctl::KindInput, &CMainForm::OnKindInput},
        {ctl::NumberCheck, &CMainForm::OnNumberCheck},
        {ctl::FormulaCheck, &CMainForm::OnFormulaCheck},
        // Add and delete: the buttons and the menu commands share their handlers.
        {ctl::AddParameterButton, &CMainForm::OnAddParameter},
        {cmd::AddParameter, &CMainForm::OnAddParameter},
        {ctl::DeleteParameterButton, &CMainForm::OnDeleteParameter},
        {cmd::DeleteParameter, &CMainForm::OnDeleteParameter},
        {ctl::AddValueButton, &CMainForm::OnAddValue},
        {cmd::AddValue, &CMainForm::OnAddValue},
        {ctl::DeleteValueButton, &CMainForm::OnDeleteValue},
        {cmd::DeleteValue, &CMainForm::OnDeleteValue},
        {ctl::AddResultButton, &CMainForm::OnAddResult},
        {cmd::AddResult, &CMainForm::OnAddResult},
        {ctl::DeleteResultButton, &CMainForm::OnDeleteResult},
        {cmd::DeleteResult, &CMainForm::OnDeleteResult},
        // Help.
        {cmd::Help, &CMainForm::OnHelp},
        {cmd::HelpDefault, &CMainForm::OnHelp},
        {cmd::About, &CMainForm::OnAbout},
        // Document commands.
        {cmd::FileNew, &CMainForm::OnFileNew},
        {cmd::FileOpen, &CMainForm::OnFileOpen},
        {cmd::FileSave, &CMainForm::OnFileSave},
        {cmd::FileSaveAs, &CMainForm::OnFileSaveAs},
        {cmd::SaveTable, &CMainForm::OnSaveTable},
        // Browse for the Word document.
        {ctl::BrowseButton, &CMainForm::OnBrowse},
    };
}

bool CMainForm::hasCommandHandler(int commandId) const {
    return routes_.count(commandId) != 0 || (next_ != nullptr && next_->hasCommandHandler(commandId));
}

bool CMainForm::runCommand(int commandId) {
    // A cell still being edited is confirmed first: the command then sees what the screen shows.
    commitOpenEdits();
    const auto it = routes_.find(commandId);
    if (it != routes_.end()) {
        (this->*(it->second))();
        emit commandRun(commandId);
        return true;
    }
    if (next_ != nullptr && next_->runCommand(commandId)) {
        emit commandRun(commandId);
        return true;
    }
    return false;
}

void CMainForm::connectControls() {
    // Buttons, radios and check boxes: a click runs the command of the control's id.
    for (int id : {ctl::AddParameterButton, ctl::DeleteParameterButton, ctl::AddValueButton,
                   ctl::DeleteValueButton, ctl::AddResultButton, ctl::DeleteResultButton, ctl::BrowseButton,
                   ctl::KindList, ctl::KindRange, ctl::KindInput, ctl::NumberCheck, ctl::FormulaCheck}) {
        auto* button = static_cast<QAbstractButton*>(controls_.at(id));
        connect(button, &QAbstractButton::clicked, this, [this, id] { runCommand(id); });
    }

    // Text changes: the nine report texts and the formula. Filling the controls never counts.
    for (const auto& [id, edit] : textEdits_) {
        connect(edit, &QLineEdit::textChanged, this, [this] {
            if (!fillingControls_) {
                OnFieldChange();
            }
        });
    }
    connect(formulaEdit, &QLineEdit::textChanged, this, [this] {
        if (!fillingControls_) {
            OnFormulaChange();
        }
    });

    // The grids: selection of a parameter row (gained or lost) and the end of every cell edit.
    connect(parameterList, &CellGrid::rowSelected, this, &CMainForm::OnParameterSelected);
    connect(parameterList, &CellGrid::rowDeselected, this, &CMainForm::OnParameterSelected);
    connect(parameterList, &CellGrid::endEdit, this, &CMainForm::OnParameterEndEdit);
    connect(valueList, &CellGrid::endEdit, this, &CMainForm::OnValueEndEdit);
    connect(resultList, &CellGrid::endEdit, this, &CMainForm::OnResultEndEdit);
}

} // namespace vornak
