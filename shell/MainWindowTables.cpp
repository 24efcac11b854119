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
    const auto clipboardAction = [this](const QKeySequence& keys, auto onField, auto onList) {
        auto* action = new QAction(this);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        connect(action, &QAction::triggered, this, [this, onField, onList] {
            // A field or an open cell editor works on its own text.
            if (auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget())) {
                (field->*onField)();
                return;
            }
            ListClipboard& clipboard = records_->clipboard();
            if (CellGrid* list = clipboard.activeList()) {
                runGuarded([&clipboard, list, onList] { (clipboard.*onList)(*list); });
            }
        });
    };
    clipboardAction(QKeySequence::Copy, &QLineEdit::copy, &ListClipboard::copy);
    clipboardAction(QKeySequence::Cut, &QLineEdit::cut, &ListClipboard::cut);
    clipboardAction(QKeySequence::Paste, &QLineEdit::paste,
                    static_cast<bool (ListClipboard::*)(CellGrid&)>(&ListClipboard::paste));
}

} // namespace vornak
