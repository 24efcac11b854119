// The form's lists with several rows selected, their clipboard keys (Ctrl+C, Ctrl+X, Ctrl+V while no
// cell is open; a field or an open cell keeps its own), and the find bar with its two commands.
#include "CMainForm.h"

#include "CellGrid.h"
#include "CommandIds.h"
#include "FindBar.h"
#include "FindController.h"
#include "FindTools.h"
#include "ListClipboard.h"
#include "RowSelection.h"
#include "ValueTableModel.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>

#include <functional>

namespace vornak {

void CMainForm::buildTableTools() {
    for (CellGrid* grid : {parameterList, valueList, resultList}) {
        grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    }

    FormMatchDisplay::Parts parts;
    parts.parameters = parameterList;
    parts.values = valueList;
    parts.results = resultList;
    parts.formula = formulaEdit;
    parts.reportField = [this](ReportText text) {
        // In file order, as ReportText counts them.
        static constexpr int edits[reportTextCount] = {
            ctl::TitleEdit,         ctl::DocumentFileEdit,   ctl::Input1CaptionEdit,
            ctl::Input2CaptionEdit, ctl::SurnameCaptionEdit, ctl::AuthorEdit,
            ctl::SourceEdit,        ctl::OrganisationEdit,   ctl::DateEdit};
        return textEdits_.at(edits[static_cast<int>(text) - 1]);
    };
    parts.showParameter = [this](int index) {
        selectRows(*parameterList, {index});
        if (valueModel_->parameter() != index) {
            showParameter(index);
        }
    };
    parts.shownParameter = [this] { return valueModel_->parameter(); };
    findTools_ = new FindTools(document_, std::move(parts), *this);
    for (QAction* action : {findTools_->findAction(), findTools_->replaceAction()}) {
        connect(action, &QAction::triggered, this, [this] { placeWindow(); });
    }
    connect(&findTools_->controller(), &FindController::closed, this, [this] { placeWindow(); });

    clipboard_ = new ListClipboard(
        document_, services_, *parameterList, *valueList, *resultList,
        [this] { return valueModel_->parameter(); }, *this);
    // Each key works on a field's or an open cell editor's own text, or else on the focused list.
    using FieldWork = std::function<void(QLineEdit&)>;
    using ListWork = std::function<void(ListClipboard&, CellGrid&)>;
    const auto clipboardAction = [this](const QKeySequence& keys, FieldWork onField, ListWork onList) {
        auto* action = new QAction(this);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        connect(action, &QAction::triggered, this, [this, onField, onList] {
            if (auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget())) {
                onField(*field);
                return;
            }
            if (CellGrid* list = clipboard_->activeList()) {
                runGuarded([this, list, onList] { onList(*clipboard_, *list); });
            }
        });
    };
    clipboardAction(
        QKeySequence::Copy, [](QLineEdit& field) { field.copy(); },
        [](ListClipboard& clipboard, CellGrid& list) { clipboard.copy(list); });
    clipboardAction(
        QKeySequence::Cut, [](QLineEdit& field) { field.cut(); },
        [](ListClipboard& clipboard, CellGrid& list) { clipboard.cut(list); });
    clipboardAction(
        QKeySequence::Paste, [](QLineEdit& field) { field.paste(); },
        [](ListClipboard& clipboard, CellGrid& list) { clipboard.paste(list); });
}

} // namespace vornak
