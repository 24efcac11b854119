// Undo and redo as the user meets them: the Edit menu names the step and is greyed without one,
// Ctrl+Z in a cell editor first takes back the typing, the modified flag is the stack's clean
// state, New and Open start a fresh history; Save asks before replacing a file another program
// changed; a command cancels a click-edit still waiting to open.
#include "FormHarness.h"

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
    QAction* undo = form->action(cmd::Undo);
    QAction* redo = form->action(cmd::Redo);
    ASSERT_TRUE(edit->actions().contains(undo));
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
    EXPECT_EQ(label(undo), QStringLiteral("&Отменить"));

    form->runCommand(cmd::AddParameter);
    clickParameterRow(1);
    form->runCommand(cmd::DeleteParameter);
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_EQ(label(undo), QStringLiteral("&Отменить: удаление параметра"));
    EXPECT_TRUE(undo->text().endsWith(QStringLiteral("\tCtrl+Z")));
    form->runCommand(cmd::Undo);
    EXPECT_EQ(label(redo), QStringLiteral("&Повторить: удаление параметра"));
    EXPECT_TRUE(redo->isEnabled());
    EXPECT_EQ(model.parameters.size(), 2u);
    EXPECT_EQ(disagreement(*form), "");

    // The menu's update pass keeps what cannot run greyed.
    form->runCommand(cmd::Undo);
    EXPECT_FALSE(form->commandAvailable(cmd::Undo));
    EXPECT_TRUE(form->commandAvailable(cmd::Redo));
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

    QLineEdit* title = edit(ctl::TitleEdit);
    title->setFocus();
    typeText(title, QStringLiteral("ж"));
    EXPECT_EQ(shownTitle(*form), marked) << "typing";
    form->runCommand(cmd::Undo);
    EXPECT_EQ(shownTitle(*form), clean) << "undone back to the file";
    form->runCommand(cmd::Redo);
    EXPECT_EQ(shownTitle(*form), marked) << "redone";
    form->runCommand(cmd::FileSave);
    EXPECT_EQ(shownTitle(*form), clean) << "saved";
    form->runCommand(cmd::Undo);
    EXPECT_EQ(shownTitle(*form), marked) << "undone past the saved state";

    // Untitled, the mark goes after the program's name.
    messages.enqueue(MessageAnswer::No);
    form->runCommand(cmd::FileNew);
    EXPECT_EQ(shownTitle(*form), QStringLiteral("Vornak"));
    form->runCommand(cmd::AddResult);
    EXPECT_EQ(shownTitle(*form), QStringLiteral("Vornak*"));
}

TEST_F(Undo, CtrlZInACellEditorTakesBackTheTypingFirst) {
    start();
    form->runCommand(cmd::AddResult); // a step to undo
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
    form->runCommand(cmd::AddParameter);
    editCell(parameters(), 1, 1, QStringLiteral("Рост"));
    ASSERT_TRUE(form->document().isModified());
    form->runCommand(cmd::Undo);
    form->runCommand(cmd::Undo);
    // Back at the start: closing asks nothing.
    EXPECT_FALSE(form->document().isModified());
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(messages.requests().empty());
    form.reset();

    start();
    form->runCommand(cmd::AddResult);
    messages.enqueue(MessageAnswer::No);
    form->runCommand(cmd::FileNew);
    EXPECT_FALSE(form->commandAvailable(cmd::Undo)) << "New starts a fresh history";
    EXPECT_FALSE(form->commandAvailable(cmd::Redo));

    const QString path = dir.filePath(QStringLiteral("open.rpt"));
    ASSERT_TRUE(ReportDefinition(model).save(TextCodec::encodePath(path)));
    form->runCommand(cmd::AddResult);
    messages.enqueue(MessageAnswer::No);
    fileDialogs.enqueue(path);
    form->runCommand(cmd::FileOpen);
    EXPECT_FALSE(form->commandAvailable(cmd::Undo)) << "Open starts a fresh history";
    EXPECT_FALSE(form->document().isModified());
}

TEST_F(Undo, SaveAsksBeforeReplacingAFileChangedOrRemovedBehindItsBack) {
    start();
    const QString path = dir.filePath(QStringLiteral("shared.rpt"));
    fileDialogs.enqueue(path);
    form->runCommand(cmd::FileSave);
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
    form->runCommand(cmd::AddResult);
    messages.clear();
    messages.enqueue(MessageAnswer::No);
    form->runCommand(cmd::FileSave);
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
    form->runCommand(cmd::FileSave);
    EXPECT_EQ(messages.requests().size(), 1u);
    EXPECT_FALSE(form->document().isModified());
    form->runCommand(cmd::AddResult);
    messages.clear();
    form->runCommand(cmd::FileSave);
    EXPECT_TRUE(messages.requests().empty());

    // Removed behind its back: asked too, in its own words.
    ASSERT_TRUE(QFile::remove(path));
    form->runCommand(cmd::AddResult);
    messages.clear();
    messages.enqueue(MessageAnswer::No);
    form->runCommand(cmd::FileSave);
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
    EXPECT_FALSE(form->commandAvailable(cmd::MoveUp) && parameters()->selectedRow() == 0);
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
    EXPECT_FALSE(form->commandAvailable(cmd::Duplicate)) << "results are added, not duplicated";

    // Undo takes the steps back one by one, the lists following.
    form->runCommand(cmd::Undo);
    EXPECT_EQ(resultNames(), "ABC");
    form->runCommand(cmd::Undo);
    form->runCommand(cmd::Undo);
    EXPECT_EQ(names(), "ABC");
    EXPECT_EQ(model.parameters[2].formula, "#P(1)");
    EXPECT_FALSE(form->document().isModified());
    EXPECT_EQ(disagreement(*form), "");
}

} // namespace
} // namespace vornak::testing
