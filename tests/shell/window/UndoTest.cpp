// Undo and redo as the user meets them: the Edit menu names the step and is greyed without one,
// Ctrl+Z in a cell editor first takes back the typing, the modified flag is the stack's clean
// state, New and Open start a fresh history; Save asks before replacing a file another program
// changed; a command cancels a click-edit still waiting to open; rows moved stay selected through
// undo and redo.
#include "FormHarness.h"
#include "RowSelection.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QUndoStack>

#include <chrono>
#include <filesystem>

namespace vornak::testing {
namespace {

using Undo = FormTest;

QString label(const QAction* action) {
    return action->text().section(QLatin1Char('\t'), 0, 0);
}

TEST_F(Undo, EditMenuNamesTheStepAndIsGreyedWithoutOne) {
    start();
    QMenu* edit = form->menuBar()->actions().at(1)->menu();
    ASSERT_EQ(form->menuBar()->actions().at(1)->text(), QStringLiteral("П&равка"));
    QAction* undo = form->action("editUndo");
    QAction* redo = form->action("editRedo");
    ASSERT_TRUE(edit->actions().contains(undo));
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
    EXPECT_EQ(label(undo), QStringLiteral("&Отменить"));

    form->runCommand("addParameter");
    clickParameterRow(1);
    form->runCommand("deleteParameter");
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_EQ(label(undo), QStringLiteral("&Отменить: удаление параметра"));
    // The text names the step only; the key stays the action's, for the menu to show.
    EXPECT_FALSE(undo->text().contains(QLatin1Char('\t')));
    EXPECT_EQ(undo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    form->runCommand("editUndo");
    EXPECT_EQ(label(redo), QStringLiteral("&Повторить: удаление параметра"));
    EXPECT_TRUE(redo->isEnabled());
    EXPECT_EQ(model.parameters.size(), 2u);
    EXPECT_EQ(disagreement(*form), "");

    // The menu's update pass keeps what cannot run greyed.
    form->runCommand("editUndo");
    EXPECT_FALSE(form->commandAvailable("editUndo"));
    EXPECT_TRUE(form->commandAvailable("editRedo"));
}

TEST_F(Undo, TheTitleMarksUnsavedChangesUntilSavedOrUndoneBackToTheFile) {
    start();
    ReportDefinition d;
    d.parameters.push_back({});
    d.results.push_back({});
    load(d, QStringLiteral("doc.rpt"));
    const QString clean = QStringLiteral("Vornak - doc.rpt");
    const QString marked = QStringLiteral("Vornak - doc.rpt*");
    EXPECT_EQ(shownTitle(*form), clean);

    QLineEdit* title = edit("titleEdit");
    title->setFocus();
    typeText(title, QStringLiteral("ж"));
    EXPECT_EQ(shownTitle(*form), marked) << "typing";
    form->runCommand("editUndo");
    EXPECT_EQ(shownTitle(*form), clean) << "undone back to the file";
    form->runCommand("editRedo");
    EXPECT_EQ(shownTitle(*form), marked) << "redone";
    form->runCommand("fileSave");
    EXPECT_EQ(shownTitle(*form), clean) << "saved";
    form->runCommand("editUndo");
    EXPECT_EQ(shownTitle(*form), marked) << "undone past the saved state";

    // Untitled, the mark goes after the program's name.
    messages.enqueue(MessageAnswer::No);
    form->runCommand("fileNew");
    EXPECT_EQ(shownTitle(*form), QStringLiteral("Vornak"));
    form->runCommand("addResult");
    EXPECT_EQ(shownTitle(*form), QStringLiteral("Vornak*"));
}

TEST_F(Undo, CtrlZInACellEditorTakesBackTheTypingFirst) {
    start();
    form->runCommand("addResult"); // a step to undo
    GridEdit* box = results()->editCell(0, 1);
    ASSERT_NE(box, nullptr);
    box->selectAll();
    typeText(box, QStringLiteral("итог"));
    // The editor has typing to take back: Ctrl+Z is its own, the document keeps both results.
    pressKey(box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(results()->isEditing());
    EXPECT_EQ(box->text(), QStringLiteral("Название"));
    EXPECT_EQ(model.results.size(), 2u);
    // Nothing more to take back in the editor: the next Ctrl+Z confirms it and undoes the add.
    while (box->isUndoAvailable()) {
        pressKey(box, Qt::Key_Z, Qt::ControlModifier);
    }
    pressKey(box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(results()->isEditing());
    EXPECT_EQ(model.results.size(), 1u);
    EXPECT_EQ(disagreement(*form), "");
}

TEST_F(Undo, TheModifiedFlagIsTheCleanStateAndNewOrOpenStartAFreshHistory) {
    start();
    form->runCommand("addParameter");
    editCell(parameters(), 1, 1, QStringLiteral("Рост"));
    ASSERT_TRUE(form->document().isModified());
    form->runCommand("editUndo");
    form->runCommand("editUndo");
    // Back at the start: closing asks nothing.
    EXPECT_FALSE(form->document().isModified());
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(messages.requests().empty());
    form.reset();

    start();
    form->runCommand("addResult");
    messages.enqueue(MessageAnswer::No);
    form->runCommand("fileNew");
    EXPECT_FALSE(form->commandAvailable("editUndo")) << "New starts a fresh history";
    EXPECT_FALSE(form->commandAvailable("editRedo"));

    const QString path = dir.filePath(QStringLiteral("open.rpt"));
    ASSERT_TRUE(ReportDefinition(model).save(TextCodec::encodePath(path)));
    form->runCommand("addResult");
    messages.enqueue(MessageAnswer::No);
    fileDialogs.enqueue(path);
    form->runCommand("fileOpen");
    EXPECT_FALSE(form->commandAvailable("editUndo")) << "Open starts a fresh history";
    EXPECT_FALSE(form->document().isModified());
}

TEST_F(Undo, SaveAsksBeforeReplacingAFileChangedOrRemovedBehindItsBack) {
    start();
    const QString path = dir.filePath(QStringLiteral("shared.rpt"));
    fileDialogs.enqueue(path);
    form->runCommand("fileSave");
    ASSERT_EQ(form->documents().currentFilePath(), path);

    const auto writeOther = [&](const QByteArray& bytes) {
        // Another program writes the file later: a new size, and a modification time an hour on.
        const std::filesystem::path file(QFile::encodeName(path).toStdString());
        const auto before = std::filesystem::last_write_time(file);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        std::filesystem::last_write_time(file, before + std::chrono::hours(1));
    };
    const QByteArray theirs = "R2\r\nwritten by another program\r\n";
    writeOther(theirs);

    // No: nothing is written, the document stays modified and titled as it was.
    form->runCommand("addResult");
    messages.clear();
    messages.enqueue(MessageAnswer::No);
    form->runCommand("fileSave");
    ASSERT_EQ(messages.requests().size(), 1u);
    EXPECT_TRUE(messages.requests()[0].text.contains(QStringLiteral("изменен другой программой")))
        << messages.requests()[0].text.toStdString();
    QFile check(path);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), theirs);
    check.close();
    EXPECT_TRUE(form->document().isModified());

    // Yes: written; the next save asks nothing.
    messages.clear();
    messages.enqueue(MessageAnswer::Yes);
    form->runCommand("fileSave");
    EXPECT_EQ(messages.requests().size(), 1u);
    EXPECT_FALSE(form->document().isModified());
    form->runCommand("addResult");
    messages.clear();
    form->runCommand("fileSave");
    EXPECT_TRUE(messages.requests().empty());

    // Removed behind its back: asked too, in its own words.
    ASSERT_TRUE(QFile::remove(path));
    form->runCommand("addResult");
    messages.clear();
    messages.enqueue(MessageAnswer::No);
    form->runCommand("fileSave");
    ASSERT_EQ(messages.requests().size(), 1u);
    EXPECT_TRUE(messages.requests()[0].text.contains(QStringLiteral("удален")))
        << messages.requests()[0].text.toStdString();
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(Undo, ACommandCancelsAClickEditStillWaiting) {
    start();
    // F4 and F3 right after a click on the selected row's cell: the click-edit that would open a
    // moment later on the old row never opens.
    const struct {
        CellGrid* (FormTest::*grid)() const;
        Qt::Key key;
    } cases[] = {{&FormTest::results, Qt::Key_F4}, {&FormTest::values, Qt::Key_F3}};
    for (const auto& c : cases) {
        CellGrid* grid = (this->*c.grid)();
        grid->setFocus();
        const QRect cell = grid->visualRect(grid->model()->index(grid->selectedRow(), 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        ASSERT_TRUE(grid->clickToEdit().isWaiting()) << "key " << c.key;
        pressKey(QApplication::focusWidget(), c.key);
        grid->clickToEdit().elapse(); // the moment the edit would have opened
        EXPECT_FALSE(grid->isEditing()) << "key " << c.key;
        EXPECT_EQ(disagreement(*form), "");
    }
}

TEST_F(Undo, MoveAndDuplicateActOnTheListLastWorkedIn) {
    start();
    ReportDefinition d;
    for (const char* name : {"A", "B", "C"}) {
        d.parameters.push_back(ParameterRecord{name, "", ValueKind::List, 0, 0, {{name, "", "r"}}});
        d.results.push_back(ResultRow{name, "x"});
    }
    d.parameters[2].hasFormula = 1;
    d.parameters[2].formula = "#P(1)";
    load(d);
    const auto names = [this] {
        std::string n;
        for (const ParameterRecord& p : model.parameters) {
            n += p.name;
        }
        return n;
    };
    const auto resultNames = [this] {
        std::string n;
        for (const ResultRow& r : model.results) {
            n += r.name;
        }
        return n;
    };

    // Parameters: Ctrl+Down moves the selected one, which stays selected and shown.
    clickParameterRow(0);
    pressKey(parameters(), Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(names(), "BAC");
    EXPECT_EQ(parameters()->selectedRow(), 1);
    EXPECT_EQ(form->parameterPanel().shownParameter(), 1);
    EXPECT_EQ(model.parameters[2].formula, "#P(2)") << "the code follows the parameter it names";
    EXPECT_FALSE(form->commandAvailable("editMoveUp") && parameters()->selectedRow() == 0);
    pressKey(parameters(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(names(), "BAAC");
    EXPECT_EQ(parameters()->selectedRow(), 2) << "the copy is selected";
    EXPECT_EQ(disagreement(*form), "");

    // Results: after a click in the result list the same keys act there.
    const QRect cell = results()->visualRect(results()->model()->index(2, 0));
    QTest::mouseClick(results()->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    pressKey(results(), Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(resultNames(), "ACB");
    EXPECT_EQ(names(), "BAAC") << "the parameters stay";
    EXPECT_EQ(results()->selectedRow(), 1);
    EXPECT_FALSE(form->commandAvailable("editDuplicate")) << "results are added, not duplicated";

    // Undo takes the steps back one by one, the lists following.
    form->runCommand("editUndo");
    EXPECT_EQ(resultNames(), "ABC");
    form->runCommand("editUndo");
    form->runCommand("editUndo");
    EXPECT_EQ(names(), "ABC");
    EXPECT_EQ(model.parameters[2].formula, "#P(1)");
    EXPECT_FALSE(form->document().isModified());
    EXPECT_EQ(disagreement(*form), "");
}

// Several rows moved, the move undone and redone: the moved records are the selected rows wherever
// they stand, in the parameters, the shown parameter's values and the results, and the panel shows
// one of the selected parameters.
TEST_F(Undo, MovedRowsStaySelectedThroughUndoAndRedo) {
    start();
    ReportDefinition d;
    for (const char* name : {"A", "B", "C", "D", "E"}) {
        d.parameters.push_back(ParameterRecord{name, "", ValueKind::List, 0, 0,
                                               {{"1", "", "r"}, {"2", "", "r"}, {"3", "", "r"}, {"4", "", "r"}}});
        d.results.push_back(ResultRow{name, "x"});
    }
    load(d);
    const auto order = [](const auto& items, auto text) {
        std::string n;
        for (const auto& item : items) {
            n += text(item);
        }
        return n;
    };
    struct Case {
        const char* list;
        CellGrid* grid;
        std::function<std::string()> names;
        Qt::Key key;
        std::vector<int> moved;
        const char* after;
        std::vector<int> placed;
    };
    const Case cases[] = {
        {"parameters", parameters(), [&] { return order(model.parameters, [](const ParameterRecord& p) { return p.name; }); },
         Qt::Key_Down, {1, 2}, "ADBCE", {2, 3}},
        {"values", values(), [&] { return order(model.parameters[0].values, [](const ValueRow& r) { return r.value; }); },
         Qt::Key_Up, {2, 3}, "1342", {1, 2}},
        {"results", results(), [&] { return order(model.results, [](const ResultRow& r) { return r.name; }); },
         Qt::Key_Down, {0, 2}, "BADCE", {1, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        clickParameterRow(0);
        const std::string before = c.names();
        c.grid->setFocus();
        selectRows(*c.grid, c.moved);
        pressKey(c.grid, c.key, Qt::ControlModifier);
        EXPECT_EQ(c.names(), c.after);
        EXPECT_EQ(selectedRows(*c.grid), c.placed);
        form->runCommand("editUndo");
        EXPECT_EQ(c.names(), before);
        EXPECT_EQ(selectedRows(*c.grid), c.moved) << "undone";
        form->runCommand("editRedo");
        EXPECT_EQ(c.names(), c.after);
        EXPECT_EQ(selectedRows(*c.grid), c.placed) << "redone";
        if (c.grid == parameters()) {
            const std::vector<int> selected = selectedRows(*parameters());
            EXPECT_NE(std::find(selected.begin(), selected.end(), form->parameterPanel().shownParameter()),
                      selected.end());
        }
        EXPECT_EQ(disagreement(*form), "");
        form->runCommand("editUndo");
    }
}

} // namespace
} // namespace vornak::testing
