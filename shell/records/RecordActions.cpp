#include "RecordActions.h"

#include "CellGrid.h"
#include "DefinitionDocument.h"
#include "FormWidgets.h"
#include "ListClipboard.h"
#include "ParameterPanel.h"
#include "RowSelection.h"

#include <QApplication>
#include <QItemSelectionModel>

#include <algorithm>

namespace vornak {

RecordActions::RecordActions(DefinitionDocument& document, const PlatformServices& services,
                             CellGrid& parameters, ParameterPanel& panel, CellGrid& results, QWidget& window)
    : QObject(&window), document_(document), parameters_(parameters), panel_(panel),
      values_(*panel.valueList()), results_(results) {
    for (CellGrid* list : {&parameters_, &values_, &results_}) {
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        list->setSelectionBehavior(QAbstractItemView::SelectRows);
        list->setRowDragging(true);
    }
    clipboard_ = new ListClipboard(
        document_, services, parameters_, values_, results_, [this] { return panel_.shownParameter(); },
        window);
    followDocument();
}

void RecordActions::followDocument() {
    // Moving and duplicating act on the list the user last worked in.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        for (CellGrid* list : {&parameters_, &values_, &results_}) {
            if (now != nullptr && (now == list || list->isAncestorOf(now))) {
                lastList_ = list;
                emit stateChanged();
            }
        }
    });
    for (CellGrid* list : {&parameters_, &values_, &results_}) {
        connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
            if (!followingNewDefinition_) {
                emit stateChanged();
            }
        });
    }

    // The panel shows the parameter list's current row, whatever the selection around it does: a
    // click inside a selection of several rows moves the current row without selecting anything new,
    // and an edit in the panel must go to the row the user sees marked. The selection is watched
    // too, for the changes that keep the current row where it was.
    QItemSelectionModel* parameterSelection = parameters_.selectionModel();
    connect(parameterSelection, &QItemSelectionModel::currentRowChanged, this,
            &RecordActions::showCurrentParameter);
    connect(parameterSelection, &QItemSelectionModel::selectionChanged, this,
            &RecordActions::showCurrentParameter);
    connect(&panel_, &ParameterPanel::parameterShown, this, [this](int parameter) {
        // The shown parameter's row becomes the current one; when it is one of several selected
        // rows the selection stays as it is.
        QItemSelectionModel* selection = parameters_.selectionModel();
        if (parameter < 0 || selection == nullptr || parameters_.currentIndex().row() == parameter) {
            return;
        }
        if (selection->isRowSelected(parameter, QModelIndex())) {
            selection->setCurrentIndex(parameters_.model()->index(parameter, 0),
                                       QItemSelectionModel::NoUpdate);
        } else {
            selectRecordRow(&parameters_, parameter);
        }
    });

    // A new definition (New, Open, a recovery copy) sets every list's selection, some of them from
    // the models' own handlers before this one: the commands are told once, when all are set.
    connect(&document_, &DefinitionDocument::documentAboutToBeReset, this,
            [this] { followingNewDefinition_ = true; });
    connect(&document_, &DefinitionDocument::documentReset, this, [this] {
        selectRecordRow(&parameters_, 0);
        selectRecordRow(&results_, 0);
        panel_.showParameter(document_.definition().parameters.empty() ? -1 : 0);
        followingNewDefinition_ = false;
        emit stateChanged();
    });
    // A parameter that appears (added, duplicated, or its deletion undone) becomes current; after
    // one goes, the one now in its place does (none after the last); a deleted value row or result
    // leaves no selection behind. Moves are selected as a whole once done (recordsPlaced below).
    connect(&document_, &DefinitionDocument::recordsChanged, this, [this](const RecordChange& change) {
        if (change.type == RecordChange::Type::Move) {
            return;
        }
        switch (change.list.kind) {
        case RecordKind::Parameter:
            if (change.type == RecordChange::Type::Remove) {
                const int count = static_cast<int>(document_.definition().parameters.size());
                const int next = std::min(change.first, count - 1);
                selectRecordRow(&parameters_, next);
                panel_.showParameter(next);
            } else {
                selectRecordRow(&parameters_, change.first);
                panel_.showParameter(change.first);
            }
            break;
        case RecordKind::ValueRow:
            if (change.list.parameter != panel_.shownParameter()) {
                break;
            }
            if (change.type == RecordChange::Type::Remove) {
                values_.clearSelection(); // no other row takes the deleted one's selection
            } else {
                selectRecordRow(&values_, change.first);
            }
            break;
        case RecordKind::Result:
            if (change.type == RecordChange::Type::Remove) {
                results_.clearSelection();
            } else {
                selectRecordRow(&results_, change.first);
            }
            break;
        }
    });
    // Once a move is done, undone or redone, the records it took are the ones selected, wherever
    // they stand now: a block's own step above may name the records it passed over instead.
    connect(&document_, &DefinitionDocument::recordsPlaced, this,
            [this](const RecordList& list, const std::vector<int>& positions) {
                CellGrid* grid = nullptr;
                switch (list.kind) {
                case RecordKind::Parameter:
                    grid = &parameters_;
                    break;
                case RecordKind::ValueRow:
                    grid = list.parameter == panel_.shownParameter() ? &values_ : nullptr;
                    break;
                case RecordKind::Result:
                    grid = &results_;
                    break;
                }
                if (grid != nullptr) {
                    selectRows(*grid, positions);
                }
            });
}

void RecordActions::showCurrentParameter() {
    // Without a current row (an emptied list) the panel keeps what the document's changes chose.
    const QModelIndex current = parameters_.currentIndex();
    if (current.isValid() && current.row() != panel_.shownParameter()) {
        panel_.showParameter(current.row());
    }
}

CellGrid* RecordActions::recordList() const {
    return lastList_ != nullptr ? lastList_ : &parameters_;
}

bool RecordActions::canMove(int step) const {
    // The selection moves as a whole, so it cannot when its first row is at the top (up) or its
    // last at the bottom (down).
    const CellGrid* list = recordList();
    const std::vector<int> rows = selectedRows(*list);
    const int count = list->model() != nullptr ? list->model()->rowCount() : 0;
    if (rows.empty()) {
        return false;
    }
    return step < 0 ? rows.front() > 0 : rows.back() + 1 < count;
}

bool RecordActions::canDuplicate() const {
    // Value rows and results are added with F3 and F4.
    const CellGrid* list = recordList();
    return list == &parameters_ && !selectedRows(*list).empty();
}

void RecordActions::addParameter() {
    // Below the selected row, or first when none is selected; it becomes current with its first
    // value row.
    document_.addParameter(parameters_.selectedRow() + 1);
    parameters_.setFocus(Qt::OtherFocusReason);
}

// The selected rows go in one step; parameters and results that other texts name only after the one
// question listing those texts.
void RecordActions::deleteParameter() {
    clipboard_->removeSelected(parameters_);
}

void RecordActions::addValue() {
    const int parameter = panel_.shownParameter();
    if (parameter < 0) {
        return; // no parameter to add a row to
    }
    const ParameterRecord& record = document_.definition().parameters[static_cast<std::size_t>(parameter)];
    if (record.kind == ValueKind::Input && !record.values.empty()) {
        return; // an input parameter has its one row
    }
    if (document_.addValueRow(parameter, values_.selectedRow() + 1) >= 0) {
        values_.setFocus(Qt::OtherFocusReason);
    }
}

void RecordActions::deleteValue() {
    if (panel_.shownParameter() >= 0) {
        clipboard_->removeSelected(values_);
    }
}

void RecordActions::addResult() {
    if (document_.addResult(results_.selectedRow() + 1) >= 0) {
        results_.setFocus(Qt::OtherFocusReason);
    }
}

void RecordActions::deleteResult() {
    clipboard_->removeSelected(results_);
}

void RecordActions::moveUp() {
    move(-1);
}

void RecordActions::moveDown() {
    move(+1);
}

void RecordActions::move(int step) {
    CellGrid* list = recordList();
    const std::vector<int> rows = selectedRows(*list);
    if (!rows.empty() && (list != &values_ || panel_.shownParameter() >= 0)) {
        document_.moveRecords(clipboard_->listOf(*list), rows, step); // selects the moved rows
    }
    list->setFocus(Qt::OtherFocusReason);
}

void RecordActions::duplicate() {
    if (canDuplicate()) {
        const std::vector<int> copies =
            document_.duplicateRecords(RecordList::parameters(), selectedRows(parameters_));
        if (copies.size() > 1) {
            selectRows(parameters_, copies);
        }
        parameters_.setFocus(Qt::OtherFocusReason);
    }
}

void RecordActions::confirmOpenEdits() {
    // A click-edit still waiting would otherwise open on a row the command has moved away from.
    // The open editors are closed directly, not by moving the focus: a command can arrive while
    // the window is inactive (a dropped file), when a focus change would not reach the editor.
    for (CellGrid* grid : {&parameters_, &values_, &results_}) {
        grid->cancelPendingEdit();
        grid->finishEdit(true);
    }
}

} // namespace vornak
