// The checks in the form: the problem count and the window follow edits, a finding leads to its
// text, deleting a referenced record asks first, renumbered codes are noted once, and the range
// strip follows the value list.
#include "FormHarness.h"

#include "ChecksWindow.h"
#include "ProblemCountLabel.h"
#include "RangeStrip.h"

#include <QListWidget>
#include <QUndoStack>

using namespace vornak;
using namespace vornak::testing;

namespace {

ParameterRecord parameter(const char* name, ValueKind kind, std::vector<ValueRow> rows) {
    ParameterRecord p;
    p.name = name;
    p.kind = kind;
    p.values = std::move(rows);
    return p;
}

// Three parameters (the second a range table without faults) and two results naming them.
ReportDefinition cleanDefinition() {
    ReportDefinition d;
    d.parameters.push_back(parameter("a", ValueKind::List, {{"1", "", "x"}}));
    d.parameters.push_back(
        parameter("b", ValueKind::Range, {{"0", "10", "low"}, {"10", "20", "mid"}, {"20", "30", "high"}}));
    d.parameters.push_back(parameter("c", ValueKind::Input, {{"", "", "#R(2)"}}));
    d.results.push_back({"r1", "#P(1) + #P(3)"});
    d.results.push_back({"r2", "#X(1)"});
    return d;
}

class ChecksTest : public FormTest {
public:
    void startWith(const ReportDefinition& d) {
        start();
        load(d);
        QApplication::processEvents();
    }
    static void selectRow(CellGrid* grid, int row) { grid->selectRow(row); }
    ProblemCountLabel* count() const { return form->checks().problemCount(); }
    ChecksWindow* window() const { return form->checks().checksWindow(); }
    // Opens the window and activates its finding in a row, as Enter there does.
    void activateFinding(int row) {
        form->runCommand("editChecks");
        ASSERT_TRUE(window()->isVisible());
        window()->selectRow(row);
        QTest::keyClick(window()->list(), Qt::Key_Return);
        QApplication::processEvents();
    }
};

} // namespace

TEST_F(ChecksTest, TheCountAndTheWindowFollowEditsUndoAndRedo) {
    startWith(cleanDefinition());
    EXPECT_EQ(count()->text(), QStringLiteral("Замечаний нет"));
    form->runCommand("editChecks");
    ASSERT_TRUE(window()->isVisible());
    activate();

    editCell(results(), 0, 2, QStringLiteral("#P(9) + #X(8)"));
    EXPECT_EQ(count()->text(), QStringLiteral("Замечания: 2"));
    ASSERT_EQ(window()->findings().size(), 2u);
    EXPECT_EQ(window()->list()->item(0)->text(), QStringLiteral("Результат 1: «#P(9)»: параметра 9 нет"));

    form->runCommand("editUndo");
    QApplication::processEvents();
    EXPECT_EQ(count()->text(), QStringLiteral("Замечаний нет"));
    EXPECT_TRUE(window()->findings().empty());

    form->runCommand("editRedo");
    QApplication::processEvents();
    EXPECT_EQ(count()->count(), 2);

    // Deleting parameter 2, which parameter 3's result names, leaves a code that names nothing.
    messages.enqueue(MessageAnswer::Yes);
    selectRow(parameters(), 1);
    form->runCommand("deleteParameter");
    QApplication::processEvents();
    EXPECT_EQ(model.parameters[1].values[0].result, "#R(0)");
    EXPECT_EQ(count()->count(), 3);
}

TEST_F(ChecksTest, F7AndTheCountOpenTheWindow) {
    startWith(cleanDefinition());
    pressKey(edit("titleEdit"), Qt::Key_F7);
    EXPECT_TRUE(window()->isVisible());
    EXPECT_EQ(window()->windowTitle(), QStringLiteral("Проверка"));
    window()->close();
    activate();

    QTest::mouseClick(count(), Qt::LeftButton, Qt::NoModifier, count()->rect().center());
    EXPECT_TRUE(window()->isVisible());
    window()->close();
    activate();

    // From the keyboard: the count is a tab stop after the parameter list.
    parameters()->setFocus();
    QTest::keyClick(parameters(), Qt::Key_Tab);
    ASSERT_TRUE(count()->hasFocus());
    QTest::keyClick(count(), Qt::Key_Return);
    EXPECT_TRUE(window()->isVisible());
}

TEST_F(ChecksTest, AFindingLeadsToItsCellOrField) {
    ReportDefinition d = cleanDefinition();
    d.parameters[0].hasFormula = 1;
    d.parameters[0].formula = "(1";             // parameter 1, formula
    d.parameters[1].values[2].upperBound = "x"; // parameter 2, row 3, upper bound
    d.parameters[2].name.clear();               // parameter 3, name
    d.results[1].result = "#X(7)";              // result 2, text
    startWith(d);
    ASSERT_EQ(count()->count(), 4);

    activateFinding(1);
    EXPECT_EQ(parameters()->selectedRow(), 1);
    EXPECT_EQ(form->parameterPanel().shownParameter(), 1);
    EXPECT_EQ(values()->selectedRow(), 2);
    ASSERT_TRUE(values()->isEditing());
    EXPECT_EQ(values()->editedColumn(), 1);
    EXPECT_EQ(values()->openEditor()->text(), QStringLiteral("x"));

    activateFinding(3);
    EXPECT_FALSE(values()->isEditing()); // the open edit was confirmed first
    EXPECT_EQ(results()->selectedRow(), 1);
    ASSERT_TRUE(results()->isEditing());
    EXPECT_EQ(results()->editedColumn(), 2);

    activateFinding(2);
    EXPECT_EQ(parameters()->selectedRow(), 2);
    ASSERT_TRUE(parameters()->isEditing());
    EXPECT_EQ(parameters()->editedColumn(), 1);

    activateFinding(0);
    EXPECT_EQ(form->parameterPanel().shownParameter(), 0);
    EXPECT_TRUE(edit("formulaEdit")->hasFocus());
    EXPECT_TRUE(model == d); // nothing was changed on the way
}

TEST_F(ChecksTest, DeletingAReferencedRecordAsksFirstListingWhereItIsNamed) {
    startWith(cleanDefinition());

    // Parameter 1 is named by result 1: No keeps it.
    selectRow(parameters(), 0);
    messages.enqueue(MessageAnswer::No);
    form->runCommand("deleteParameter");
    ASSERT_EQ(messages.requests().size(), 1u);
    EXPECT_EQ(messages.requests()[0].kind, MessageKind::Question);
    EXPECT_EQ(messages.requests()[0].defaultButton, MessageAnswer::No);
    EXPECT_TRUE(messages.requests()[0].text.startsWith(
        QStringLiteral("Параметр 1 «a» упоминается в:\n    Результат 1\n")));
    EXPECT_EQ(model.parameters.size(), 3u);

    // Result 1 is named by result 2; Yes deletes it, and the code that named it names nothing.
    selectRow(results(), 0);
    messages.enqueue(MessageAnswer::Yes);
    form->runCommand("deleteResult");
    ASSERT_EQ(messages.requests().size(), 2u);
    EXPECT_TRUE(messages.requests()[1].text.contains(QStringLiteral("    Результат 2\n")));
    ASSERT_EQ(model.results.size(), 1u);
    EXPECT_EQ(model.results[0].result, "#X(0)");
    QApplication::processEvents();
    EXPECT_EQ(count()->count(), 1);

    // What nothing names goes without a question.
    const auto questions = [this] {
        return std::count_if(messages.requests().begin(), messages.requests().end(),
                             [](const MessageRequest& r) { return r.kind == MessageKind::Question; });
    };
    EXPECT_EQ(questions(), 2);
    selectRow(results(), 0);
    form->runCommand("deleteResult");
    EXPECT_EQ(questions(), 2);
    EXPECT_TRUE(model.results.empty());
}

TEST_F(ChecksTest, RenumberedCodesAreNotedOnce) {
    startWith(cleanDefinition());
    // A new parameter above parameter 3 renumbers #P(3).
    selectRow(parameters(), 1);
    form->runCommand("addParameter");
    EXPECT_TRUE(messages.requests().empty()); // not in the middle of the command
    QApplication::processEvents();
    EXPECT_EQ(model.results[0].result, "#P(1) + #P(4)");
    ASSERT_EQ(messages.requests().size(), 1u);
    EXPECT_EQ(messages.requests()[0].kind, MessageKind::Information);
    EXPECT_TRUE(messages.requests()[0].text.contains(QStringLiteral("документа Word")));

    selectRow(parameters(), 0);
    form->runCommand("addParameter");
    QApplication::processEvents();
    EXPECT_EQ(model.results[0].result, "#P(1) + #P(5)");
    EXPECT_EQ(messages.requests().size(), 1u);
}

TEST_F(ChecksTest, TheRangeStripFollowsTheValueList) {
    startWith(cleanDefinition());
    RangeStrip* strip = form->parameterPanel().rangeStrip();
    const QRect fullList = values()->geometry();

    clickParameterRow(1);
    ASSERT_EQ(form->parameterPanel().shownParameter(), 1);
    ASSERT_TRUE(strip->isVisible());
    EXPECT_EQ(strip->rows(), model.parameters[1].values);
    // The strip takes the bottom of the list's place; the two do not overlap.
    EXPECT_LT(values()->geometry().height(), fullList.height());
    EXPECT_LT(values()->geometry().bottom(), strip->geometry().top());
    EXPECT_EQ(strip->geometry().bottom(), fullList.bottom());
    EXPECT_TRUE(strip->rangeLayout().gaps.empty());

    // An edit that opens a gap shows in the strip, undo closes it again.
    editCell(values(), 1, 0, QStringLiteral("12"));
    ASSERT_EQ(strip->rangeLayout().gaps.size(), 1u);
    EXPECT_EQ(strip->rangeLayout().gaps[0], (RangeStretch{10, 12}));
    form->runCommand("editUndo");
    EXPECT_TRUE(strip->rangeLayout().gaps.empty());

    // While a bound is being typed, the strip already shows it.
    GridEdit* box = values()->editCell(0, 1);
    ASSERT_NE(box, nullptr);
    box->selectAll();
    typeText(box, QStringLiteral("9"));
    ASSERT_EQ(strip->rangeLayout().gaps.size(), 1u);
    EXPECT_EQ(strip->rangeLayout().gaps[0], (RangeStretch{9, 10}));
    QTest::keyClick(box, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_TRUE(strip->rangeLayout().gaps.empty());

    // A click on a bar selects its row.
    const QPoint bar = strip->barRect(2).center();
    QTest::mouseClick(strip, Qt::LeftButton, Qt::NoModifier, bar);
    EXPECT_EQ(values()->selectedRow(), 2);
    EXPECT_EQ(strip->currentRow(), 2);

    // Other kinds: no strip, the list has its whole place.
    clickParameterRow(0);
    EXPECT_FALSE(strip->isVisible());
    EXPECT_EQ(values()->geometry(), fullList);
    clickParameterRow(1);
    form->runCommand("editChecks"); // any command first confirms; then switch the kind
    click("kindListRadio");
    EXPECT_FALSE(strip->isVisible());
    form->runCommand("editUndo");
    EXPECT_TRUE(strip->isVisible());
}

namespace {

// Formulas of parameters and texts of results, in order: where the codes live.
std::vector<std::string> codeTexts(const ReportDefinition& d) {
    std::vector<std::string> texts;
    for (const ParameterRecord& p : d.parameters) {
        texts.push_back(p.formula);
    }
    texts.push_back("|");
    for (const ResultRow& r : d.results) {
        texts.push_back(r.result);
    }
    return texts;
}

ReportDefinition codedDefinition() {
    ReportDefinition d;
    for (const char* name : {"P1", "P2", "P3"}) {
        d.parameters.push_back(parameter(name, ValueKind::List, {{"1", "", "x"}}));
    }
    d.parameters[0].hasFormula = 1;
    d.parameters[0].formula = "#P(2)+#R(3)";
    d.parameters[2].hasFormula = 1;
    d.parameters[2].formula = "#N(1)*#P(3)";
    d.results.push_back({"R1", "#P(3) #X(2)"});
    d.results.push_back({"R2", "#X(1)"});
    return d;
}

} // namespace

// Each record command keeps every code naming the record it named, in one undo step.
TEST_F(ChecksTest, RecordCommandsRenumberCodesInOneUndoStep) {
    const struct {
        const char* name;
        bool onResults;
        int row;
        QString command;
        std::vector<std::string> after;
    } cases[] = {
        {"add parameter",
         false,
         0,
         "addParameter",
         {"#P(3)+#R(4)", "", "", "#N(1)*#P(4)", "|", "#P(4) #X(2)", "#X(1)"}},
        {"delete parameter",
         false,
         1,
         "deleteParameter",
         {"#P(0)+#R(2)", "#N(1)*#P(2)", "|", "#P(2) #X(2)", "#X(1)"}},
        {"move parameter up",
         false,
         2,
         "editMoveUp",
         {"#P(3)+#R(2)", "#N(1)*#P(2)", "", "|", "#P(2) #X(2)", "#X(1)"}},
        {"move parameter down",
         false,
         0,
         "editMoveDown",
         {"", "#P(1)+#R(3)", "#N(2)*#P(3)", "|", "#P(3) #X(2)", "#X(1)"}},
        {"duplicate parameter",
         false,
         0,
         "editDuplicate",
         {"#P(3)+#R(4)", "#P(3)+#R(4)", "", "#N(1)*#P(4)", "|", "#P(4) #X(2)", "#X(1)"}},
        // A new result says "Результат".
        {"add result",
         true,
         0,
         "addResult",
         {"#P(2)+#R(3)", "", "#N(1)*#P(3)", "|", "#P(3) #X(3)", "\xD0\xE5\xE7\xF3\xEB\xFC\xF2\xE0\xF2",
          "#X(1)"}},
        {"move result down",
         true,
         0,
         "editMoveDown",
         {"#P(2)+#R(3)", "", "#N(1)*#P(3)", "|", "#X(2)", "#P(3) #X(1)"}},
    };
    startWith(codedDefinition());
    for (const auto& c : cases) {
        load(codedDefinition());
        const std::string before = serializeDefinition(model);
        CellGrid* grid = c.onResults ? results() : parameters();
        grid->setFocus();
        selectRow(grid, c.row);
        messages.enqueue(MessageAnswer::Yes); // the delete question, where one is asked
        const int steps = document.undoStack()->count();
        ASSERT_TRUE(form->runCommand(c.command)) << c.name;
        QApplication::processEvents();
        EXPECT_EQ(codeTexts(model), c.after) << c.name;
        EXPECT_EQ(document.undoStack()->count(), steps + 1) << c.name;
        form->runCommand("editUndo");
        EXPECT_EQ(serializeDefinition(model), before) << c.name;
        messages.clear();
    }
}
