// The steps of a randomized session, played on the real window as a user plays them.
#include "RandomSession.h"

#include "../shell/FormHarness.h"

#include "DefinitionDocument.h"
#include "FindBar.h"
#include "FindTools.h"
#include "MainWindow.h"
#include "NativePath.h"
#include "ParameterPanel.h"

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <algorithm>
#include <memory>

namespace vornak::testing {
namespace {

const char* modifierName(int modifiers) {
    return modifiers == 1 ? "Shift+" : modifiers == 2 ? "Ctrl+" : "";
}

// A text in a step's description, on one line.
std::string quotedText(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('\n'), QStringLiteral("\\n"))
        .replace(QLatin1Char('\r'), QStringLiteral("\\r"))
        .replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    return "\"" + shown.toStdString() + "\"";
}

// The next mouse event comes later than a double click could (the test's own clock: no waiting).
void separateClick() {
    QTest::lastMouseTimestamp += RandomSession::clickInterval + 1;
}

void clickButton(QAbstractButton* button) {
    separateClick();
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
}

QPoint rowCentre(CellGrid* list, int row) {
    separateClick();
    list->ensureCellVisible(row, 0);
    return list->visualRect(list->model()->index(row, 0)).center();
}

} // namespace

std::string RandomSession::execute(const Step& step, Effect& effect) {
    switch (step.action) {
    case StepAction::Click:
        return click(step);
    case StepAction::Drag:
        return drag(step);
    case StepAction::EditCell:
        return editCell(step, effect);
    case StepAction::TypeInEditor:
        return typeInEditor(step, effect);
    case StepAction::TypeField:
        return typeField(step, effect);
    case StepAction::UndoRedo:
        return undoRedo(step, effect);
    case StepAction::Record:
        return record(step, effect);
    case StepAction::Kind:
        return kind(step, effect);
    case StepAction::Flag: {
        QAbstractButton* box = step.a % 2 == 0
                                   ? static_cast<QAbstractButton*>(form_->parameterPanel().numberBox())
                                   : static_cast<QAbstractButton*>(form_->parameterPanel().formulaBox());
        if (!box->isEnabled()) {
            return "flag box disabled";
        }
        clickButton(box);
        return step.a % 2 == 0 ? "click the number box" : "click the formula box";
    }
    case StepAction::Find:
        return find(step, effect);
    case StepAction::Paste:
        return paste(step, effect);
    case StepAction::Drop:
        return drop(step, effect);
    case StepAction::Panel:
        return panel(step, effect);
    case StepAction::Save:
        return save(step, effect);
    case StepAction::Kill:
        return kill(step, effect);
    }
    return "?";
}

std::string RandomSession::click(const Step& step) {
    const int id = step.a % GridCount;
    CellGrid* list = grid(id);
    const int rows = rowCount(list);
    if (rows == 0) {
        return std::string("click on the empty ") + gridName(id) + " list";
    }
    const int row = step.b % rows;
    const int modifiers = step.c % 3;
    const Qt::KeyboardModifiers keys = modifiers == 1   ? Qt::ShiftModifier
                                       : modifiers == 2 ? Qt::ControlModifier
                                                        : Qt::NoModifier;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, keys, rowCentre(list, row));
    return std::string(modifierName(modifiers)) + "click " + gridName(id) + " row " +
           std::to_string(row + 1) + " of " + std::to_string(rows);
}

std::string RandomSession::drag(const Step& step) {
    const int id = step.a % GridCount;
    CellGrid* list = grid(id);
    const int rows = rowCount(list);
    if (rows == 0) {
        return std::string("drag over the empty ") + gridName(id) + " list";
    }
    const int from = step.b % rows;
    const int to = step.c % rows;
    const QPoint start = rowCentre(list, from);
    QTest::mousePress(list->viewport(), Qt::LeftButton, Qt::NoModifier, start);
    const QPoint end = list->visualRect(list->model()->index(to, 0)).center();
    QTest::mouseMove(list->viewport(), end);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, Qt::NoModifier, end);
    return std::string("drag over ") + gridName(id) + " rows " + std::to_string(from + 1) + " to " +
           std::to_string(to + 1);
}

std::string RandomSession::editCell(const Step& step, Effect& effect) {
    const int id = step.a % GridCount;
    CellGrid* list = grid(id);
    const int rows = rowCount(list);
    const int columns = list->model()->columnCount();
    if (rows == 0 || columns == 0) {
        return std::string("no cell to edit in the empty ") + gridName(id) + " list";
    }
    const int row = step.b % rows;
    const int column = step.c % columns;
    const OpenEdit before = openEdit();
    GridEdit* box = list->editCell(row, column);
    if (box == nullptr) {
        return std::string("no editor on ") + gridName(id) + " column " + std::to_string(column + 1);
    }
    // An editor open before was confirmed as this one opened (on the same cell too: the list ends its
    // edit before it starts another), or as this one took the focus: nothing typed is lost.
    if (before.open()) {
        effect.confirmed.push_back(before);
    }
    box->selectAll();
    typeText(box, step.text);
    return std::string("edit ") + gridName(id) + " row " + std::to_string(row + 1) + " column " +
           std::to_string(column + 1) + ", type " + quotedText(step.text) + ", " +
           endEditor(box, step.d, effect);
}

std::string RandomSession::typeInEditor(const Step& step, Effect& effect) {
    if (!openEdit().open()) {
        // Type-to-edit: the first character opens the current row's first editable cell.
        const int id = step.a % GridCount;
        CellGrid* list = grid(id);
        list->setFocus();
        if (QApplication::focusWidget() != list) {
            return std::string("the ") + gridName(id) + " list takes no focus (disabled)";
        }
        // Each key goes where the focus is: the editor the first one opened takes the rest.
        for (const QChar c : step.text) {
            typeCharacter(focused(), QString(c));
        }
        auto* box = qobject_cast<GridEdit*>(QApplication::focusWidget());
        if (box == nullptr) {
            return std::string("type ") + quotedText(step.text) + " into the " + gridName(id) +
                   " list: no editor";
        }
        return std::string("type ") + quotedText(step.text) + " into the " + gridName(id) + " list, " +
               endEditor(box, step.d, effect);
    }
    const OpenEdit open = openEdit();
    GridEdit* box = grid(open.grid)->openEditor();
    typeText(box, step.text);
    return "type " + quotedText(step.text) + " into the open editor, " + endEditor(box, step.d, effect);
}

std::string RandomSession::endEditor(QWidget* editor, int ending, Effect& effect) {
    const OpenEdit typed = openEdit();
    effect.editorHandled = true;
    std::string name;
    switch (ending % EndingCount) {
    case Enter:
        QTest::keyClick(editor, Qt::Key_Return);
        effect.confirmed.push_back(typed);
        name = "Enter";
        break;
    case Tab:
        QTest::keyClick(editor, Qt::Key_Tab);
        effect.confirmed.push_back(typed);
        name = "Tab";
        break;
    case BackTab:
        QTest::keyClick(editor, Qt::Key_Backtab, Qt::ShiftModifier);
        effect.confirmed.push_back(typed);
        name = "Shift+Tab";
        break;
    case Escape:
        QTest::keyClick(editor, Qt::Key_Escape);
        name = "Escape";
        break;
    case Up:
    case Down:
        pressKey(editor, ending % EndingCount == Up ? Qt::Key_Up : Qt::Key_Down);
        effect.confirmed.push_back(typed);
        name = ending % EndingCount == Up ? "Up" : "Down";
        break;
    case CtrlUp:
    case CtrlDown:
        // In an editor these are Up and Down: the text is confirmed and no record moves.
        pressKey(editor, ending % EndingCount == CtrlUp ? Qt::Key_Up : Qt::Key_Down, Qt::ControlModifier);
        effect.confirmed.push_back(typed);
        effect.ctrlArrows = true;
        name = ending % EndingCount == CtrlUp ? "Ctrl+Up" : "Ctrl+Down";
        break;
    default:
        return "left open";
    }
    QApplication::processEvents();
    return name;
}

std::string RandomSession::typeField(const Step& step, Effect& effect) {
    static const char* const fields[] = {"titleEdit", "authorEdit", "sourceEdit", "dateEdit"};
    const int which = step.a % 4;
    auto* field = form_->findChild<QLineEdit*>(QLatin1String(fields[which]));
    field->setFocus();
    QTest::keyClick(field, Qt::Key_End);
    typeText(field, step.text);
    if (which == 0) {
        effect.titleTyped = step.text;
    } else {
        effect.resync = true; // the other report texts are not followed
    }
    return "type " + quotedText(step.text) + " at the end of report text " + std::to_string(which);
}

std::string RandomSession::undoRedo(const Step& step, Effect& effect) {
    const bool undo = step.a % 2 == 0;
    effect.undoRedo = true;
    if (step.b % 2 == 1) {
        QWidget* target = focused();
        pressKey(target, undo ? Qt::Key_Z : Qt::Key_Y, Qt::ControlModifier);
        return std::string(undo ? "Ctrl+Z" : "Ctrl+Y") + " in " + target->metaObject()->className();
    }
    form_->runCommand(undo ? "editUndo" : "editRedo");
    return undo ? "Undo from the menu" : "Redo from the menu";
}

std::string RandomSession::record(const Step& step, Effect& effect) {
    static const std::pair<const char*, const char*> commands[] = {
        {"addParameter", "add parameter"}, {"deleteParameter", "delete parameter"},
        {"addValue", "add value"},         {"deleteValue", "delete value"},
        {"addResult", "add result"},       {"deleteResult", "delete result"},
        {"editMoveUp", "move up"},         {"editMoveDown", "move down"},
        {"editDuplicate", "duplicate"}};
    const auto& [command, name] = commands[step.a % 9];
    const int id = step.b % GridCount;
    grid(id)->setFocus();
    if (step.c % 2 == 0) {
        messages_.enqueue(MessageAnswer::Yes); // deleting several rows asks first
    }
    form_->runCommand(QLatin1String(command));
    messages_.clear();
    effect.resync = true;
    return std::string(name) + " (focus in " + gridName(id) +
           (step.c % 2 == 0 ? ", Yes to a question)" : ")");
}

std::string RandomSession::kind(const Step& step, Effect& effect) {
    const int kindCode = step.a % 3;
    QRadioButton* button = form_->parameterPanel().kindButton(kindCode);
    if (!button->isEnabled()) {
        return "kind button disabled";
    }
    messages_.enqueue(MessageAnswer::Yes);
    clickButton(button);
    messages_.clear();
    effect.kindParameter = currentParameter();
    effect.kind = kindCode;
    return "switch the kind to " + std::to_string(kindCode) + " (list, range, input)";
}

std::string RandomSession::find(const Step& step, Effect& effect) {
    FindBar* bar = form_->findTools()->bar();
    const int mode = step.a % FindModeCount;
    const bool replace = mode == ReplaceOne || mode == ReplaceAll;
    form_->runCommand(replace ? "editReplace" : "editFind");
    QLineEdit* field = bar->findField();
    field->selectAll();
    typeText(field, step.text);
    std::string done =
        std::string(replace ? "replace bar: find " : "find bar: find ") + quotedText(step.text);
    if (mode == FindNext) {
        QTest::keyClick(field, Qt::Key_Return);
        done += ", Enter";
    }
    if (replace) {
        QLineEdit* with = bar->replaceField();
        with->setFocus();
        with->selectAll();
        typeText(with, step.text2);
        done += " with " + quotedText(step.text2);
        if (mode == ReplaceOne) {
            QTest::keyClick(with, Qt::Key_Return);
            done += ", Enter (replace one)";
        } else {
            for (QPushButton* button : bar->findChildren<QPushButton*>()) {
                if (button->text().contains(QStringLiteral("все"))) {
                    clickButton(button);
                    done += ", replace all";
                }
            }
        }
        effect.resync = true;
    }
    QApplication::processEvents();
    return done;
}

std::string RandomSession::paste(const Step& step, Effect& effect) {
    const int id = step.a % GridCount;
    CellGrid* list = grid(id);
    std::string where = std::string(gridName(id)) + " list";
    if (const int rows = rowCount(list); rows > 0) {
        const int row = step.b % rows;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rowCentre(list, row));
        where += " at row " + std::to_string(row + 1);
    }
    auto* data = new QMimeData;
    std::string what;
    switch (step.c % 4) {
    case 0:
        data->setText(step.text);
        what = "TSV " + quotedText(step.text);
        break;
    case 1:
        data->setHtml(step.text);
        what = "HTML " + quotedText(step.text);
        break;
    case 2:
        data->setText(step.text);
        data->setHtml(step.text2);
        what = "TSV " + quotedText(step.text) + " beside HTML " + quotedText(step.text2);
        break;
    default: {
        // A thousand rows of two cells spanning a thousand columns each: two million cells from
        // 60 KB. (A rowspan alone makes no rows the table does not have.)
        const QString cell = QStringLiteral("<td colspan=\"1000\">ж</td>");
        data->setHtml(QStringLiteral("<table>") +
                      (QStringLiteral("<tr>") + cell + cell + QStringLiteral("</tr>")).repeated(1000) +
                      QStringLiteral("</table>"));
        data->setText(QStringLiteral("ж"));
        effect.pastedCells = 2LL * 1000 * 1000;
        what = "HTML of 1,000 rows of two cells spanning 1,000 columns each";
    }
    }
    QGuiApplication::clipboard()->setMimeData(data);
    list->setFocus();
    QApplication::processEvents();
    if (!list->hasFocus()) {
        // A list that takes no focus (the value list without a parameter) gets no paste; Ctrl+V
        // would go to the field that has the focus.
        effect.pastedCells = -1;
        effect.resync = true;
        return std::string("no paste: the ") + gridName(id) + " list takes no focus";
    }
    if (effect.pastedCells >= 0) {
        // What the change of focus confirmed (a field's typing) is not the paste's.
        effect.before = document_->definition();
    }
    pressKey(list, Qt::Key_V, Qt::ControlModifier);
    QApplication::processEvents();
    messages_.clear();
    effect.resync = true;
    return "paste " + what + " into the " + where;
}

std::string RandomSession::panel(const Step& step, Effect& effect) {
    QWidget* target = focused();
    switch (step.a % 3) {
    case 0:
        pressKey(target, Qt::Key_F7);
        return "F7 (checks panel)";
    case 1:
        pressKey(target, Qt::Key_F, Qt::ControlModifier);
        return "Ctrl+F (find bar)";
    default: {
        const OpenEdit open = openEdit();
        const bool inEditor = open.open() && target == grid(open.grid)->openEditor();
        QTest::keyClick(target, Qt::Key_Escape);
        if (inEditor) {
            effect.editorHandled = true; // Escape cancels the edit
        }
        return std::string("Escape in ") + target->metaObject()->className();
    }
    }
}

} // namespace vornak::testing

namespace vornak::testing {

// What tells a list's rows apart for a move: a parameter or result by its name, a value row by its
// texts (codes in them follow parameter moves, not value-row moves).
std::vector<std::string> RandomSession::rowKeys(int grid) const {
    return rowKeys(grid, document_->definition());
}

std::vector<std::string> RandomSession::rowKeys(int grid, const ReportDefinition& d) const {
    std::vector<std::string> keys;
    if (grid == ParameterGrid) {
        for (const ParameterRecord& p : d.parameters) {
            keys.push_back(p.name);
        }
    } else if (grid == ResultGrid) {
        for (const ResultRow& r : d.results) {
            keys.push_back(r.name);
        }
    } else if (const int p = currentParameter(); p >= 0 && p < static_cast<int>(d.parameters.size())) {
        for (const ValueRow& v : d.parameters[static_cast<std::size_t>(p)].values) {
            keys.push_back(v.value + '\t' + v.upperBound + '\t' + v.result);
        }
    }
    return keys;
}

// Rows dropped onto a list as the window system delivers a drop: the list's own selected rows (a
// move, checked against the order it must give), a spreadsheet's text, or the parameter list's rows
// carried to another list.
std::string RandomSession::drop(const Step& step, Effect& effect) {
    const int id = step.a % GridCount;
    CellGrid* list = grid(id);
    const int rows = rowCount(list);
    const int destination = step.b % (rows + 1);
    // In the upper half of the row the rows go in front of, or the lower half of the last row for the
    // end, scrolled into view first as a user's drag scrolls the list near its edge.
    QPoint point(2, 2);
    if (rows > 0) {
        const QModelIndex target = list->model()->index(std::min(destination, rows - 1), 0);
        static_cast<QAbstractItemView*>(list)->scrollTo(target);
        const QRect cell = list->visualRect(target);
        point = QPoint(cell.left() + 2, destination < rows ? cell.center().y() - 1 : cell.center().y() + 2);
    }
    std::unique_ptr<QMimeData> data;
    std::string what;
    const int source = step.c % 3;
    if (source == 1) {
        data = std::make_unique<QMimeData>();
        data->setText(step.text);
        what = "TSV " + quotedText(step.text);
    } else {
        CellGrid* from = source == 0 ? list : grid(ParameterGrid);
        const QModelIndexList cells = from->selectionModel()->selectedIndexes();
        if (cells.isEmpty()) {
            return std::string("no selected rows to drop on the ") + gridName(id) + " list";
        }
        data.reset(from->model()->mimeData(cells));
        what = std::string("the selected rows of the ") + gridName(source == 0 ? id : ParameterGrid) + " list";
        if (from == list && data != nullptr) {
            std::vector<int> selected;
            for (const QModelIndex& cell : cells) {
                selected.push_back(cell.row());
            }
            std::sort(selected.begin(), selected.end());
            selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
            // An editor open in this list is confirmed before its rows move.
            ReportDefinition confirmed = document_->definition();
            const OpenEdit open = openEdit();
            if (open.open() && open.grid == id) {
                confirmInto(confirmed, open);
            }
            const std::vector<std::string> before = rowKeys(id, confirmed);
            std::vector<std::string> moved;
            std::vector<std::string> rest;
            int restBefore = 0;
            for (int r = 0; r < static_cast<int>(before.size()); ++r) {
                if (std::binary_search(selected.begin(), selected.end(), r)) {
                    moved.push_back(before[static_cast<std::size_t>(r)]);
                } else {
                    rest.push_back(before[static_cast<std::size_t>(r)]);
                    restBefore += r < destination ? 1 : 0;
                }
            }
            rest.insert(rest.begin() + restBefore, moved.begin(), moved.end());
            effect.orderGrid = id;
            effect.expectedOrder = rest;
        }
    }
    if (data == nullptr) {
        return std::string("nothing to drag from the ") + gridName(id) + " list";
    }
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(point, actions, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &enter);
    QDragMoveEvent move(point, actions, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &move);
    if (move.isAccepted()) {
        QDropEvent dropped(QPointF(point), actions, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &dropped);
    } else {
        QDragLeaveEvent leave;
        QApplication::sendEvent(list->viewport(), &leave);
    }
    QApplication::processEvents();
    messages_.clear();
    effect.resync = true;
    return "drop " + what + " on the " + gridName(id) + " list in front of row " + std::to_string(destination + 1);
}

} // namespace vornak::testing
