// The checks in the form: the problem count beside the parameter list, the checks window (F7 or
// a click on the count) and the way from a finding to its text, the question before deleting a
// record other texts name, the note after codes were renumbered, and the range strip under the
// value list.
#include "CMainForm.h"

#include "CellGrid.h"
#include "ChecksController.h"
#include "ChecksWindow.h"
#include "CommandIds.h"
#include "DefinitionDocument.h"
#include "DialogUnits.h"
#include "GridEdit.h"
#include "MessageBox.h"
#include "ProblemCountLabel.h"
#include "RangeStrip.h"
#include "ReferenceTexts.h"
#include "TextCodec.h"
#include "Texts.h"
#include "ValueTableModel.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>

namespace vornak {

namespace {

// The count's place beside the "Параметры:" label, left of the add and delete buttons (dialog units).
const QRect problemCountArea(42, 43, 86, 10);
constexpr int stripGap = 2; // pixels between the value list and the strip

void selectGridRow(CellGrid* grid, int row) {
    grid->SelectRow(row);
    grid->FocusRow(row);
    grid->EnsureCellVisible(row, 0);
}

// The column of a grid row whose cell holds the text, or -1 when none shows it.
int columnOf(const QAbstractItemModel& model, int row, const std::function<bool(const QModelIndex&)>& holds) {
    for (int column = 0; column < model.columnCount(); ++column) {
        if (holds(model.index(row, column))) {
            return column;
        }
    }
    return -1;
}

} // namespace

void CMainForm::buildChecks() {
    problemCount_ = new ProblemCountLabel(client_);
    problemCount_->setObjectName(QStringLiteral("problemCount"));
    problemCount_->setGeometry(DialogUnits(font()).toPixels(problemCountArea));
    setTabOrder(parameterList, problemCount_);
    checksWindow_ = new ChecksWindow(this);
    checks_ = new ChecksController(&document_.definition(), problemCount_, checksWindow_, this);

    // Checked once after every step, undo and redo, New and Open.
    connect(&document_, &DefinitionDocument::definitionChanged, checks_, &ChecksController::scheduleCheck);
    connect(problemCount_, &ProblemCountLabel::activated, actions_.at(cmd::Checks), &QAction::trigger);
    connect(checks_, &ChecksController::findingActivated, this,
            [this](const TextLocation& where) { runGuarded([this, where] { goToText(where); }); });
    // Queued: the note must not stand in the middle of the command that renumbered.
    connect(&document_, &DefinitionDocument::codesRenumbered, this, &CMainForm::noteRenumberedCodes,
            Qt::QueuedConnection);

    rangeStrip_ = new RangeStrip(client_);
    rangeStrip_->hide();
    valueListArea_ = valueList->geometry();
    connect(&document_, &DefinitionDocument::definitionChanged, this, &CMainForm::updateRangeStrip);
    connect(valueModel_, &QAbstractItemModel::modelReset, this, &CMainForm::updateRangeStrip);
    connect(valueModel_, &ValueTableModel::parameterChanged, this, &CMainForm::updateRangeStrip);
    connect(valueList, &CellGrid::rowSelected, rangeStrip_, &RangeStrip::setCurrentRow);
    connect(rangeStrip_, &RangeStrip::rowClicked, this, [this](int row) {
        runGuarded([this, row] {
            selectGridRow(valueList, row);
            valueList->setFocus(Qt::MouseFocusReason);
        });
    });
    // While a bound is being typed the strip already shows it.
    connect(valueList, &CellGrid::editTextEdited, this, [this](const QString& text) {
        const int p = valueModel_->parameter();
        const std::optional<TextLocation> where = valueModel_->locationOf(
            valueModel_->index(valueList->GetFocusedRow(), valueList->GetEditColumn()));
        if (!rangeStrip_->isVisible() || !where || where->record != p + 1) {
            return;
        }
        std::vector<ValueRow> rows = document_.definition().parameters[static_cast<std::size_t>(p)].values;
        if (where->row < 1 || where->row > static_cast<int>(rows.size())) {
            return;
        }
        ValueRow& row = rows[static_cast<std::size_t>(where->row - 1)];
        std::string& cell = where->field == TextField::Value        ? row.value
                            : where->field == TextField::UpperBound ? row.upperBound
                                                                    : row.result;
        cell = TextCodec::encode(text);
        rangeStrip_->setRows(std::move(rows));
    });
    connect(valueList, &CellGrid::endEdit, this, &CMainForm::updateRangeStrip);
}

void CMainForm::OnChecks() {
    checks_->showWindow();
}

void CMainForm::updateRangeStrip() {
    const std::vector<ParameterRecord>& parameters = document_.definition().parameters;
    const int p = valueModel_->parameter();
    const bool range = p >= 0 && p < static_cast<int>(parameters.size()) &&
                       parameters[static_cast<std::size_t>(p)].kind == ValueKind::Range;
    if (!range) {
        rangeStrip_->setParameter(nullptr);
        rangeStrip_->hide();
        if (valueList->geometry() != valueListArea_) {
            valueList->setGeometry(valueListArea_);
        }
        return;
    }
    rangeStrip_->setParameter(&parameters[static_cast<std::size_t>(p)]);
    rangeStrip_->setCurrentRow(valueList->GetSelectedRow());
    const int height = rangeStrip_->sizeHint().height();
    const QRect list(valueListArea_.topLeft(),
                     QSize(valueListArea_.width(), std::max(0, valueListArea_.height() - height - stripGap)));
    const QRect strip(valueListArea_.left(), valueListArea_.bottom() - height + 1, valueListArea_.width(),
                      height);
    if (valueList->geometry() != list) {
        valueList->setGeometry(list);
    }
    rangeStrip_->setGeometry(strip);
    rangeStrip_->show();
}

bool CMainForm::goToText(const TextLocation& where) {
    if (!document_.contains(where)) {
        return false;
    }
    activateWindow();
    const int record = where.record - 1;
    const ReportDefinition& definition = document_.definition();
    switch (where.field) {
    case TextField::ParameterName:
    case TextField::ParameterFormula:
    case TextField::Value:
    case TextField::UpperBound:
    case TextField::ValueResult:
        selectGridRow(parameterList, record);
        if (valueModel_->parameter() != record) {
            showParameter(record);
        }
        break;
    case TextField::ResultName:
    case TextField::ResultText:
        selectGridRow(resultList, record);
        break;
    case TextField::ReportText:
        break;
    }

    switch (where.field) {
    case TextField::ParameterName:
        parameterList->setFocus(Qt::OtherFocusReason);
        parameterList->EditCell(record, 1);
        return true;
    case TextField::ParameterFormula:
        // Without the formula flag the edit is disabled: the check box is where to start.
        if (definition.parameters[static_cast<std::size_t>(record)].hasFormula != 0 &&
            formulaEdit->isEnabled()) {
            formulaEdit->setFocus(Qt::OtherFocusReason);
            formulaEdit->selectAll();
        } else {
            formulaBox_->setFocus(Qt::OtherFocusReason);
        }
        return true;
    case TextField::Value:
    case TextField::UpperBound:
    case TextField::ValueResult: {
        const int row = where.row - 1;
        selectGridRow(valueList, row);
        valueList->setFocus(Qt::OtherFocusReason);
        // A cell the kind does not show (the upper bound of a List row) leaves the row selected.
        const int column = columnOf(*valueModel_, row, [this, &where](const QModelIndex& index) {
            return valueModel_->locationOf(index) == where;
        });
        if (column >= 0) {
            valueList->EditCell(row, column);
        }
        return true;
    }
    case TextField::ResultName:
    case TextField::ResultText:
        resultList->setFocus(Qt::OtherFocusReason);
        resultList->EditCell(record, where.field == TextField::ResultName ? 1 : 2);
        return true;
    case TextField::ReportText: {
        // The nine texts in file order.
        static const int ids[9] = {ctl::TitleEdit,         ctl::DocumentFileEdit,   ctl::Input1CaptionEdit,
                                   ctl::Input2CaptionEdit, ctl::SurnameCaptionEdit, ctl::AuthorEdit,
                                   ctl::SourceEdit,        ctl::OrganisationEdit,   ctl::DateEdit};
        QLineEdit* edit = textEdits_.at(ids[record]);
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
        return true;
    }
    }
    return false;
}

bool CMainForm::confirmDeleteReferenced(bool parameter, int index) {
    const ReferencedRecord record = parameter ? ReferencedRecord::Parameter : ReferencedRecord::Result;
    const std::vector<TextLocation> referrers = referrersOf(document_.definition(), record, index + 1);
    if (referrers.empty()) {
        return true;
    }
    const ReportDefinition& definition = document_.definition();
    const std::string& name = parameter ? definition.parameters[static_cast<std::size_t>(index)].name
                                        : definition.results[static_cast<std::size_t>(index)].name;
    return services_.messageBox->askYesNo(this, deleteReferencedQuestion(record, index + 1, name, referrers),
                                          texts::savePromptCaption, MessageAnswer::No) == MessageAnswer::Yes;
}

void CMainForm::noteRenumberedCodes(int count) {
    if (count <= 0 || renumberNoted_) {
        return;
    }
    renumberNoted_ = true;
    services_.messageBox->showInformation(this, renumberedCodesNote(), texts::appTitle);
}

} // namespace vornak
