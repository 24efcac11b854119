// The form's lists with spreadsheets and find: Ctrl+C puts the selected rows' shown cells on the
// clipboard in both formats, Ctrl+V of tab-separated or Calc-style HTML rows inserts them below the
// selection in one undo step, a paste the file could not hold is refused whole naming the cell,
// parameters travel whole, a field keeps its own clipboard keys, and Ctrl+F finds across the form.
#include "FindBar.h"
#include "FindTools.h"
#include "FiveParameters.h"
#include "FormHarness.h"
#include "PastedRows.h"
#include "RecordClipboard.h"
#include "RowSelection.h"

#include <QClipboard>
#include <QMimeData>

namespace vornak::testing {
namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

ReportDefinition rangeTable() {
    ReportDefinition d;
    d.parameters = {{"Bone", "", ValueKind::Range, 1, 0, {{"22.2", "23.7", "A"}, {"23.7", "27.7", "B"}}},
                    {"Input", "", ValueKind::Input, 0, 0, {{"0", "", ""}}}};
    d.results = {{"Height", "#R(1)"}};
    return d;
}

class TablesTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        start();
        load(rangeTable());
    }
    QClipboard* clipboard() const { return QGuiApplication::clipboard(); }
    void putText(const QString& text) { clipboard()->setText(text); }
};

TEST_F(TablesTest, MoveDuplicateAndDeleteTakeEverySelectedRowInOneStep) {
    load(fiveParameters());
    QUndoStack* stack = form->document().undoStack();
    parameters()->setFocus();
    clickParameterRow(1);
    const QRect fourth = parameters()->visualRect(parameters()->model()->index(3, 0));
    QTest::mouseClick(parameters()->viewport(), Qt::LeftButton, Qt::ControlModifier, fourth.center());
    ASSERT_EQ(selectedRows(*parameters()), (std::vector<int>{1, 3}));

    pressKey(parameters(), Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(names(form->document().definition()), "BADCE");
    EXPECT_EQ(form->document().definition().results[0].result, "#P(3)+#P(5)") << "the code follows D";
    EXPECT_EQ(selectedRows(*parameters()), (std::vector<int>{0, 2}));
    EXPECT_EQ(stack->count(), 1);
    pressKey(parameters(), Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(names(form->document().definition()), "BADCE") << "the first row is at the top: nothing moves";

    pressKey(parameters(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(names(form->document().definition()), "BBADDCE");
    EXPECT_EQ(selectedRows(*parameters()), (std::vector<int>{1, 4}));
    EXPECT_EQ(stack->count(), 2);

    // The copies are named by nothing: they go without a question.
    const std::size_t asked = messages.requests().size();
    click("deleteParameterButton");
    EXPECT_EQ(names(form->document().definition()), "BADCE");
    EXPECT_EQ(messages.requests().size(), asked);
    EXPECT_EQ(stack->count(), 3);

    // D and E are named by the result: one question for both; No keeps them, Yes deletes both.
    clickParameterRow(2);
    const QRect fifth = parameters()->visualRect(parameters()->model()->index(4, 0));
    QTest::mouseClick(parameters()->viewport(), Qt::LeftButton, Qt::ControlModifier, fifth.center());
    messages.enqueue(MessageAnswer::No);
    click("deleteParameterButton");
    EXPECT_EQ(names(form->document().definition()), "BADCE");
    EXPECT_EQ(messages.requests().size(), asked + 1);
    messages.enqueue(MessageAnswer::Yes);
    click("deleteParameterButton");
    EXPECT_EQ(names(form->document().definition()), "BAC");
    EXPECT_EQ(messages.requests().size(), asked + 2);
    EXPECT_EQ(stack->count(), 4);

    for (int step = 0; step < 4; ++step) {
        stack->undo();
    }
    EXPECT_EQ(names(form->document().definition()), "ABCDE");
    EXPECT_EQ(form->document().definition().results[0].result, "#P(4)+#P(5)");
}

TEST_F(TablesTest, CopyPutsTheSelectedRowsShownCellsInBothFormats) {
    values()->setFocus();
    values()->selectAll();
    pressKey(values(), Qt::Key_C, Qt::ControlModifier);
    const QMimeData* data = clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->text(), u("22.2\t23.7\tA\n23.7\t27.7\tB"));
    EXPECT_TRUE(data->html().contains(u("<td>22.2</td><td>23.7</td><td>A</td>")));
}

TEST_F(TablesTest, PasteInsertsBelowTheSelectionAsOneStepAndSelectsTheRows) {
    values()->setFocus();
    values()->selectRow(0);
    const int steps = form->document().undoStack()->count();
    putText(u("1\t2\tx\r\n2\t3\tж\r\n"));
    pressKey(values(), Qt::Key_V, Qt::ControlModifier);
    const auto& rows = form->document().definition().parameters[0].values;
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1], (ValueRow{"1", "2", "x"}));
    EXPECT_EQ(rows[2], (ValueRow{"2", "3", "\xe6"}));
    EXPECT_EQ(form->document().undoStack()->count(), steps + 1);
    EXPECT_EQ(values()->selectionModel()->selectedRows().size(), 2);
    form->document().undoStack()->undo();
    EXPECT_EQ(form->document().definition().parameters[0].values.size(), 2u);
}

TEST_F(TablesTest, CalcHtmlPastesAsCells) {
    results()->setFocus();
    results()->selectRow(0);
    auto* data = new QMimeData;
    data->setHtml(u("<html><body><table><tr><td height=\"17\" align=\"left\">Вес</td><td>#R(1)*2</td>"
                    "<td>extra</td></tr></table></body></html>"));
    clipboard()->setMimeData(data);
    pressKey(results(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(form->document().definition().results.size(), 2u);
    EXPECT_EQ(form->document().definition().results[1], (ResultRow{"\xc2\xe5\xf1", "#R(1)*2"}));
    // The third column was left out, and the message said so.
    ASSERT_FALSE(messages.requests().empty());
    EXPECT_TRUE(messages.requests().back().text.contains(u("лишние столбцы (1)")));
}

TEST_F(TablesTest, APasteTheFileCannotHoldChangesNothing) {
    const std::string before = serializeDefinition(form->document().definition());
    values()->setFocus();
    values()->selectRow(1);
    putText(u("1\t2\tok\n3\t≥4\tx"));
    pressKey(values(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(serializeDefinition(form->document().definition()), before);
    ASSERT_FALSE(messages.requests().empty());
    EXPECT_EQ(
        messages.requests().back().text,
        u("Вставка отменена: строка 2, столбец «<» — знак «≥» нельзя записать в кодировке Windows-1251. "
          "Ничего не изменено."));
    // An Input parameter keeps its one row.
    clickParameterRow(1);
    values()->setFocus();
    putText(u("5"));
    pressKey(values(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form->document().definition().parameters[1].values.size(), 1u);
    EXPECT_TRUE(messages.requests().back().text.contains(u("«Ввод»")));
}

// A few kilobytes of merged cells that would make millions of cells are refused before they are
// made, with the budget named; the editor goes on with the document as it was. The largest table
// the budget takes still pastes.
TEST_F(TablesTest, ATableOverTheBudgetIsRefusedAndChangesNothing) {
    const std::string before = serializeDefinition(form->document().definition());
    QString bomb = u("<table>");
    for (int i = 0; i < 800; ++i) {
        bomb += u("<tr><td colspan=1000 rowspan=1000>x</td></tr>");
    }
    auto* data = new QMimeData;
    data->setHtml(bomb + u("</table>"));
    clipboard()->setMimeData(data);
    results()->setFocus();
    pressKey(results(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(serializeDefinition(form->document().definition()), before);
    ASSERT_EQ(messages.requests().size(), 1u);
    EXPECT_EQ(messages.requests().back().kind, MessageKind::Error);
    EXPECT_EQ(messages.requests().back().text, pasteTooLargeText());
    EXPECT_TRUE(messages.requests().back().text.contains(u("100\u00a0000")))
        << messages.requests().back().text.toStdString();

    const TableBudget budget;
    putText(u("1\t2\n").repeated(budget.maxCells / 2));
    results()->setFocus();
    pressKey(results(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form->document().definition().results.size(),
              1u + static_cast<std::size_t>(budget.maxCells / 2));
    EXPECT_EQ(messages.requests().size(), 1u);
    clipboard()->clear();
}

TEST_F(TablesTest, ParametersTravelWhole) {
    parameters()->setFocus();
    parameters()->selectRow(0);
    pressKey(parameters(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(clipboard()->mimeData()->hasFormat(QString::fromLatin1(parametersMimeType)));
    parameters()->selectRow(1);
    pressKey(parameters(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(form->document().definition().parameters.size(), 3u);
    EXPECT_EQ(form->document().definition().parameters[2], form->document().definition().parameters[0]);
}

TEST_F(TablesTest, AFieldKeepsItsOwnClipboard) {
    putText(u("pasted"));
    QLineEdit* title = edit("titleEdit");
    title->setFocus();
    title->clear();
    pressKey(title, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(title->text(), u("pasted"));
    EXPECT_EQ(form->document().definition().parameters[0].values.size(), 2u);
}

TEST_F(TablesTest, CtrlFFindsAcrossTheFormAndEscapeCloses) {
    parameters()->setFocus();
    pressKey(parameters(), Qt::Key_F, Qt::ControlModifier);
    FindBar* bar = form->findTools()->bar();
    ASSERT_TRUE(bar->isVisible());
    typeText(bar->findField(), u("Height"));
    EXPECT_EQ(bar->matchCountText(), u("1 из 1"));
    EXPECT_EQ(results()->currentIndex().row(), 0);
    EXPECT_EQ(results()->currentIndex().column(), 1);
    pressKey(bar->findField(), Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_TRUE(parameters()->hasFocus());
}

} // namespace
} // namespace vornak::testing
