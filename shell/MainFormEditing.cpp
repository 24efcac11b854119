// The record commands (add, delete, move, duplicate, undo, redo) and the views following the
// document: every change arrives as a document signal, whether a command made it or an undo or
// redo did, so the same code selects the row it concerns in both cases.
#include "CMainForm.h"

#include "CellGrid.h"
#include "CommandIds.h"
#include "DefinitionDocument.h"
#include "FormBinder.h"
#include "RecordTableModel.h"
#include "ValueTableModel.h"

#include <QAction>
#include <QApplication>
#include <QUndoStack>

#include <algorithm>

namespace vornak {

namespace {

// Makes a row the selected and focused one and scrolls it into view; -1 selects none.
void selectRow(CellGrid* grid, int row) {
    if (row < 0 || grid->model() == nullptr || row >= grid->model()->rowCount()) {
        grid->clearSelection();
        return;
    }
    grid->SelectRow(row);
    grid->FocusRow(row);
    grid->EnsureCellVisible(row, 0);
}

} // namespace

void CMainForm::connectDocument() {
    QUndoStack* stack = document_.undoStack();
    connect(stack, &QUndoStack::indexChanged, this, &CMainForm::refreshCommandStates);
    connect(stack, &QUndoStack::cleanChanged, this, &CMainForm::refreshCommandStates);
    connect(stack, &QUndoStack::undoTextChanged, this, &CMainForm::refreshCommandStates);
    connect(stack, &QUndoStack::redoTextChanged, this, &CMainForm::refreshCommandStates);

    // Moving and duplicating act on the list the user last worked in.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        for (CellGrid* grid : {parameterList, valueList, resultList}) {
            if (now != nullptr && (now == grid || grid->isAncestorOf(now))) {
                lastRecordGrid_ = grid;
                refreshCommandStates();
            }
        }
    });
    for (CellGrid* grid : {parameterList, valueList, resultList}) {
        connect(grid, &CellGrid::rowSelected, this, &CMainForm::refreshCommandStates);
        connect(grid, &CellGrid::rowDeselected, this, &CMainForm::refreshCommandStates);
    }

    // The parameter list's selection chooses the parameter the value list and controls show.
    connect(parameterList, &CellGrid::rowSelected, this, [this](int row) {
        if (row != valueModel_->parameter()) {
            showParameter(row);
        }
    });
    // The value list follows its parameter when it moves; the selection goes with it.
    connect(valueModel_, &ValueTableModel::parameterChanged, this, [this](int parameter) {
        if (parameter >= 0 && parameterList->GetSelectedRow() != parameter) {
            selectRow(parameterList, parameter);
        }
    });

    connect(&document_, &DefinitionDocument::documentReset, this, [this] {
        selectRow(parameterList, 0);
        selectRow(resultList, 0);
        showParameter(document_.definition().parameters.empty() ? -1 : 0);
        refreshCommandStates();
    });
    connect(&document_, &DefinitionDocument::pathChanged, this, &CMainForm::updateCaption);
    connect(&document_, &DefinitionDocument::documentReset, this, &CMainForm::updateCaption);

    // A parameter that appears (added, duplicated, or its deletion undone) becomes current; after
    // one goes, the one now in its place does (none after the last). Moved rows stay selected; a
    // deleted value row or result leaves no selection behind.
    connect(&document_, &DefinitionDocument::recordsChanged, this, [this](const RecordChange& change) {
        const int moved = change.to + change.count - 1;
        switch (change.list.kind) {
        case RecordKind::Parameter:
            if (change.type == RecordChange::Type::Remove) {
                const int count = static_cast<int>(document_.definition().parameters.size());
                const int next = std::min(change.first, count - 1);
                selectRow(parameterList, next);
                showParameter(next);
            } else if (change.type == RecordChange::Type::Insert) {
                selectRow(parameterList, change.first);
                showParameter(change.first);
            } else {
                selectRow(parameterList, moved);
            }
            break;
        case RecordKind::ValueRow:
            if (change.list.parameter != valueModel_->parameter()) {
                break;
            }
            if (change.type == RecordChange::Type::Remove) {
                valueList->clearSelection(); // no other row takes the deleted one's selection
            } else {
                selectRow(valueList, change.type == RecordChange::Type::Insert ? change.first : moved);
            }
            break;
        case RecordKind::Result:
            if (change.type == RecordChange::Type::Remove) {
                resultList->clearSelection();
            } else {
                selectRow(resultList, change.type == RecordChange::Type::Insert ? change.first : moved);
            }
            break;
        }
    });
}

void CMainForm::showParameter(int index) {
    const int count = static_cast<int>(document_.definition().parameters.size());
    valueModel_->setParameter(index >= 0 && index < count ? index : -1);
    selectRow(valueList, 0);
    binder_->refreshParameterControls();
}

CellGrid* CMainForm::recordGrid() const {
    return lastRecordGrid_ != nullptr ? lastRecordGrid_ : parameterList;
}

// ---------------------------------------------------------------------------------------------
// Add and delete

void CMainForm::OnAddParameter() {
    // Below the selected row, or first when none is selected; it becomes current with its first
    // value row.
    document_.addParameter(parameterList->GetSelectedRow() + 1);
    parameterList->setFocus(Qt::OtherFocusReason);
}

void CMainForm::OnDeleteParameter() {
    const int row = parameterList->GetSelectedRow();
    if (row >= 0 && confirmDeleteReferenced(true, row)) {
        document_.deleteParameter(row);
    }
}

void CMainForm::OnAddValue() {
    const int parameter = valueModel_->parameter();
    if (parameter < 0) {
        return; // no parameter to add a row to
    }
    const ParameterRecord& record = document_.definition().parameters[static_cast<std::size_t>(parameter)];
    if (record.kind == ValueKind::Input && !record.values.empty()) {
        return; // an input parameter has its one row
    }
    if (document_.addValueRow(parameter, valueList->GetSelectedRow() + 1) >= 0) {
        valueList->setFocus(Qt::OtherFocusReason);
    }
}

void CMainForm::OnDeleteValue() {
    const int row = valueList->GetSelectedRow();
    if (valueModel_->parameter() >= 0 && row >= 0) {
        document_.deleteValueRow(valueModel_->parameter(), row);
    }
}

void CMainForm::OnAddResult() {
    if (document_.addResult(resultList->GetSelectedRow() + 1) >= 0) {
        resultList->setFocus(Qt::OtherFocusReason);
    }
}

void CMainForm::OnDeleteResult() {
    const int row = resultList->GetSelectedRow();
    if (row >= 0 && confirmDeleteReferenced(false, row)) {
        document_.deleteResult(row);
    }
}

// ---------------------------------------------------------------------------------------------
// Move, duplicate, undo, redo

namespace {

int moveIn(DefinitionDocument& document, CellGrid* grid, CellGrid* parameters, CellGrid* values,
           int parameter, int step) {
    const int row = grid->GetSelectedRow();
    if (row < 0) {
        return -1;
    }
    if (grid == parameters) {
        return document.moveParameter(row, step);
    }
    if (grid == values) {
        return document.moveValueRow(parameter, row, step);
    }
    return document.moveResult(row, step);
}

} // namespace

void CMainForm::OnMoveUp() {
    moveIn(document_, recordGrid(), parameterList, valueList, valueModel_->parameter(), -1);
    recordGrid()->setFocus(Qt::OtherFocusReason);
}

void CMainForm::OnMoveDown() {
    moveIn(document_, recordGrid(), parameterList, valueList, valueModel_->parameter(), +1);
    recordGrid()->setFocus(Qt::OtherFocusReason);
}

void CMainForm::OnDuplicate() {
    if (recordGrid() == parameterList && parameterList->GetSelectedRow() >= 0) {
        document_.duplicateParameter(parameterList->GetSelectedRow());
        parameterList->setFocus(Qt::OtherFocusReason);
    }
}

void CMainForm::OnUndo() {
    document_.finishTyping();
    document_.undoStack()->undo();
}

void CMainForm::OnRedo() {
    document_.undoStack()->redo();
}

} // namespace vornak
