// The lists' clipboard keys (Ctrl+C, Ctrl+X, Ctrl+V while no cell is open; a field or an open cell
// keeps its own) and the find bar under the lists with its two commands.
#include "MainWindow.h"

#include "CellGrid.h"
#include "CommandIds.h"
#include "FindBar.h"
#include "FindTools.h"
#include "ListClipboard.h"
#include "ParameterPanel.h"
#include "RecordActions.h"
#include "RowSelection.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>

#include <functional>

namespace vornak {

FindTools* MainWindow::buildFindTools() {
    FormMatchDisplay::Parts parts;
    parts.parameters = parameterList_;
    parts.values = panel_->valueList();
    parts.results = resultList_;
    parts.formula = panel_->formulaEdit();
    parts.reportField = [this](ReportText text) {
        return textEdit(ctl::reportTextEdits[static_cast<int>(text) - 1]);
    };
    parts.showParameter = [this](int index) {
        selectRows(*parameterList_, {index});
        if (panel_->shownParameter() != index) {
            panel_->showParameter(index);
        }
    };
    parts.shownParameter = [this] { return panel_->shownParameter(); };
    return new FindTools(document_, std::move(parts), *this);
}

void MainWindow::buildClipboardKeys() {
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
            ListClipboard& clipboard = records_->clipboard();
            if (CellGrid* list = clipboard.activeList()) {
                runGuarded([&clipboard, list, onList] { onList(clipboard, *list); });
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
