#include "ChecksPresenter.h"

#include "CellGrid.h"
#include "ChecksController.h"
#include "ChecksWindow.h"
#include "DefinitionDocument.h"
#include "FormWidgets.h"
#include "MessageBox.h"
#include "ParameterPanel.h"
#include "ProblemCountLabel.h"
#include "ReferenceTexts.h"
#include "SettingsStore.h"
#include "Texts.h"
#include "ValueTableModel.h"

#include <QCheckBox>
#include <QDockWidget>
#include <QEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QStyle>

#include <algorithm>

namespace vornak {

namespace {

// The column of a list row whose cell holds the text, or -1 when none shows it.
int columnOf(const ValueTableModel& model, int row, const TextLocation& where) {
    for (int column = 0; column < model.columnCount(); ++column) {
        if (model.locationOf(model.index(row, column)) == where) {
            return column;
        }
    }
    return -1;
}

} // namespace

ChecksPresenter::ChecksPresenter(DefinitionDocument& document, const PlatformServices& services,
                                 QMainWindow& window, Targets targets, Guard guard)
    : QObject(&window), document_(document), services_(services), mainWindow_(window),
      targets_(std::move(targets)), guard_(std::move(guard)) {
    count_ = targets_.count;

    // A panel of the window, not a window over it: a cell opened from a finding is never hidden
    // under the list of findings, and the user can dock the panel on any side or float it.
    window_ = new ChecksWindow;
    dock_ = new QDockWidget(window_->windowTitle(), &window);
    dock_->setObjectName(QStringLiteral("checksDock"));
    dock_->setWidget(window_);
    window.addDockWidget(Qt::BottomDockWidgetArea, dock_);
    dock_->hide();
    if (services_.settings != nullptr) {
        storedHeight_ = services_.settings->readChecksPanelHeight();
    }
    connect(dock_, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (!visible && dock_->isHidden()) {
            panelClosed();
        }
    });
    // The height is kept when the window goes too, with the panel still open.
    mainWindow_.installEventFilter(this);

    controller_ = new ChecksController(&document_.definition(), count_, window_, this);
    // Checked after every step, undo and redo, New and Open.
    connect(&document_, &DefinitionDocument::definitionChanged, controller_,
            &ChecksController::scheduleCheck);
    connect(count_, &ProblemCountLabel::activated, this, [this] { guard_([this] { showChecks(); }); });
    connect(controller_, &ChecksController::findingActivated, this,
            [this](const TextLocation& where) { guard_([this, where] { goToText(where); }); });
    connect(window_, &ChecksWindow::dismissed, this, [this] {
        dock_->hide();
        mainWindow_.activateWindow();
    });
    // Queued: the note must not stand in the middle of the command that renumbered.
    connect(&document_, &DefinitionDocument::codesRenumbered, this, &ChecksPresenter::noteRenumberedCodes,
            Qt::QueuedConnection);
}

void ChecksPresenter::showChecks() {
    if (dock_->isHidden()) {
        openPanel();
    }
    dock_->raise();
    controller_->showWindow();
}

int ChecksPresenter::panelHeight() const {
    // A fifth of the window, or what the user left it at, but never more than half the window.
    const int least = dock_->minimumSizeHint().height();
    const int wanted = storedHeight_ > 0 ? storedHeight_ : mainWindow_.height() / 5;
    return std::max(least, std::min(wanted, mainWindow_.height() / 2));
}

void ChecksPresenter::openPanel() {
    const int height = panelHeight();
    // The panel's room comes out of the form, which scrolls where it must: the window keeps its
    // size.
    QWidget* form = mainWindow_.centralWidget();
    if (form != nullptr && mainWindow_.isVisible() && !dock_->isFloating()) {
        const int separator =
            mainWindow_.style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent, nullptr, &mainWindow_);
        const int left = form->height() - height - separator;
        form->setMinimumHeight(std::clamp(left, 1, std::max(1, form->minimumSizeHint().height())));
    }
    dock_->show();
    mainWindow_.resizeDocks({dock_}, {height}, Qt::Vertical);
}

void ChecksPresenter::rememberHeight() {
    // A hidden panel keeps the height it had when last shown.
    const int height = dock_->height();
    if (services_.settings != nullptr && !dock_->isFloating() && height > 0 && height != storedHeight_ &&
        services_.settings->writeChecksPanelHeight(height)) {
        storedHeight_ = height;
    }
}

void ChecksPresenter::panelClosed() {
    rememberHeight();
    if (QWidget* form = mainWindow_.centralWidget()) {
        form->setMinimumHeight(0); // the form's own minimum again
    }
}

bool ChecksPresenter::eventFilter(QObject* watched, QEvent* event) {
    // Closed by the user or ended with the session (hidden without a close), the window keeps the
    // open panel's height.
    if (watched == &mainWindow_ && (event->type() == QEvent::Close || event->type() == QEvent::Hide) &&
        !dock_->isHidden()) {
        rememberHeight();
    }
    return QObject::eventFilter(watched, event);
}

bool ChecksPresenter::goToText(const TextLocation& where) {
    if (!document_.contains(where)) {
        return false;
    }
    mainWindow_.activateWindow();
    const int record = where.record - 1;
    ParameterPanel& panel = *targets_.panel;
    CellGrid* values = panel.valueList();
    switch (where.field) {
    case TextField::ParameterName:
    case TextField::ParameterFormula:
    case TextField::Value:
    case TextField::UpperBound:
    case TextField::ValueResult:
        selectRecordRow(targets_.parameters, record);
        if (panel.shownParameter() != record) {
            panel.showParameter(record);
        }
        break;
    case TextField::ResultName:
    case TextField::ResultText:
        selectRecordRow(targets_.results, record);
        break;
    case TextField::ReportText:
        break;
    }

    switch (where.field) {
    case TextField::ParameterName:
        targets_.parameters->setFocus(Qt::OtherFocusReason);
        targets_.parameters->editCell(record, 1);
        return true;
    case TextField::ParameterFormula:
        // Without the formula flag the edit is disabled: the check box is where to start.
        if (document_.definition().parameters[static_cast<std::size_t>(record)].hasFormula != 0 &&
            panel.formulaEdit()->isEnabled()) {
            panel.formulaEdit()->setFocus(Qt::OtherFocusReason);
            panel.formulaEdit()->selectAll();
        } else {
            panel.formulaBox()->setFocus(Qt::OtherFocusReason);
        }
        return true;
    case TextField::Value:
    case TextField::UpperBound:
    case TextField::ValueResult: {
        const int row = where.row - 1;
        selectRecordRow(values, row);
        values->setFocus(Qt::OtherFocusReason);
        // A cell the kind does not show (the upper bound of a List row) leaves the row selected.
        const auto* model = qobject_cast<const ValueTableModel*>(values->model());
        const int column = model != nullptr ? columnOf(*model, row, where) : -1;
        if (column >= 0) {
            values->editCell(row, column);
        }
        return true;
    }
    case TextField::ResultName:
    case TextField::ResultText:
        targets_.results->setFocus(Qt::OtherFocusReason);
        targets_.results->editCell(record, where.field == TextField::ResultName ? 1 : 2);
        return true;
    case TextField::ReportText: {
        QLineEdit* edit = targets_.reportTexts.at(static_cast<std::size_t>(record));
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
        return true;
    }
    }
    return false;
}

void ChecksPresenter::noteRenumberedCodes(int count) {
    if (count <= 0 || renumberNoted_) {
        return;
    }
    renumberNoted_ = true;
    services_.messageBox->showInformation(&mainWindow_, renumberedCodesNote(), texts::appTitle);
}

} // namespace vornak
