// Adding and deleting parameters, value rows and results: where the new row goes, the numbering,
// which row is selected and current afterwards, the focus, and the modified flag.
#include "../shell/FormHarness.h"

namespace vornak::testing {
namespace {

using AddDelete = FormTest;

std::vector<std::string> names(const ReportDefinition& model) {
    std::vector<std::string> n;
    for (const ParameterRecord& p : model.parameters) {
        n.push_back(p.name);
    }
    return n;
}

std::vector<std::string> resultNames(const ReportDefinition& model) {
    std::vector<std::string> n;
    for (const ResultRow& r : model.results) {
        n.push_back(r.name);
    }
    return n;
}

// Exactly three parameters named P1, P2, P3 (one value row each) and three results R1, R2, R3.
ReportDefinition threeOfEach() {
    ReportDefinition d;
    for (int i = 0; i < 3; ++i) {
        ParameterRecord p;
        p.name = "P" + std::to_string(i + 1);
        p.values = {ValueRow{"v" + std::to_string(i + 1), "", "r"}};
        d.parameters.push_back(p);
        d.results.push_back(ResultRow{"R" + std::to_string(i + 1), "x"});
    }
    return d;
}

void threeOfEach(FormTest& t) {
    t.load(threeOfEach());
}

TEST_F(AddDelete, NewParameterGoesBelowTheSelectedRowOrFirst) {
    start();
    const struct {
        int selected; // -1: no row selected
        std::vector<std::string> after;
        int current;
    } cases[] = {
        {1, {"P1", "P2", "\xCD\xE0\xE7\xE2\xE0\xED\xE8\xE5", "P3"}, 2},
        {-1, {"\xCD\xE0\xE7\xE2\xE0\xED\xE8\xE5", "P1", "P2", "P3"}, 0},
        {2, {"P1", "P2", "P3", "\xCD\xE0\xE7\xE2\xE0\xED\xE8\xE5"}, 3},
    };
    for (const auto& c : cases) {
        threeOfEach(*this);
        if (c.selected >= 0) {
            clickParameterRow(c.selected);
        } else {
            parameters()->clearSelection();
        }
        button("addParameterButton")->click();
        EXPECT_EQ(names(model), c.after) << "selected " << c.selected;
        EXPECT_EQ(form->parameterPanel().shownParameter(), c.current);
        EXPECT_EQ(parameters()->selectedRow(), c.current);
        EXPECT_EQ(parameters()->currentIndex().row(), c.current);
        EXPECT_TRUE(parameters()->hasFocus());
        EXPECT_EQ(disagreement(*form), "") << "selected " << c.selected;

        // The new parameter: List, no flags, an empty disabled formula, one row.
        const ParameterRecord& p = model.parameters[static_cast<std::size_t>(c.current)];
        EXPECT_EQ(p.kind, ValueKind::List);
        ASSERT_EQ(p.values.size(), 1u);
        EXPECT_EQ(p.values[0],
                  (ValueRow{bytes(QStringLiteral("Значение")), "", bytes(QStringLiteral("Результат"))}));
        EXPECT_FALSE(edit("formulaEdit")->isEnabled());
        EXPECT_TRUE(qobject_cast<QRadioButton*>(button("kindListRadio"))->isChecked());
        EXPECT_TRUE(form->document().isModified());
    }
}

TEST_F(AddDelete, DeletingAParameterShowsTheOneNowInItsPlace) {
    start();
    const struct {
        int selected; // row selected when deleting; -1 none
        std::vector<std::string> after;
        int current; // selectedParameter afterwards
    } cases[] = {
        {1, {"P1", "P3"}, 1},        // the following one moves up and is shown
        {2, {"P1", "P2"}, 1},        // the last: the new last one is shown
        {-1, {"P1", "P2", "P3"}, 0}, // nothing selected: nothing deleted, the shown one stays
    };
    for (const auto& c : cases) {
        ReportDefinition d = threeOfEach();
        d.parameters[2].values.push_back(ValueRow{"third", "", "row"});
        d.parameters[2].hasFormula = 1;
        d.parameters[2].formula = "#P(3)+#N(2)";
        load(d);
        if (c.selected >= 0) {
            clickParameterRow(c.selected);
        } else {
            parameters()->clearSelection();
        }
        QWidget* focusBefore = QApplication::focusWidget();
        // P2 is named in P3's formula: the deletion asks first.
        if (c.selected == 1) {
            messages.enqueue(MessageAnswer::Yes);
        }
        button("deleteParameterButton")->click();
        EXPECT_EQ(names(model), c.after) << "selected " << c.selected;
        EXPECT_EQ(form->parameterPanel().shownParameter(), c.current);
        // The row shown is the row selected: the list and the value list never disagree.
        EXPECT_EQ(parameters()->selectedRow(), c.selected >= 0 ? c.current : -1);
        EXPECT_EQ(form->document().isModified(), c.selected >= 0) << "nothing deleted is no change";
        EXPECT_EQ(disagreement(*form), "") << "selected " << c.selected;
        EXPECT_EQ(QApplication::focusWidget(), focusBefore) << "the focus stays where it was";
    }
    // Undo brings the deleted parameter back with its place, its row in the list and every code
    // the deletion rewrote.
    ReportDefinition d = threeOfEach();
    d.parameters[2].hasFormula = 1;
    d.parameters[2].formula = "#P(3)+#N(2)";
    load(d);
    clickParameterRow(1);
    messages.enqueue(MessageAnswer::Yes);
    form->runCommand("deleteParameter");
    EXPECT_EQ(names(model), (std::vector<std::string>{"P1", "P3"}));
    form->runCommand("editUndo");
    EXPECT_EQ(names(model), (std::vector<std::string>{"P1", "P2", "P3"}));
    EXPECT_EQ(model.parameters[2].formula, "#P(3)+#N(2)");
    EXPECT_EQ(form->parameterPanel().shownParameter(), 1) << "the restored parameter is shown";
    EXPECT_EQ(disagreement(*form), "");
}

TEST_F(AddDelete, DeletingTheOnlyParameterLeavesNoneCurrentAndNoStrayValueRows) {
    start();
    clickParameterRow(0);
    form->runCommand("deleteParameter");
    EXPECT_TRUE(model.parameters.empty());
    EXPECT_EQ(form->parameterPanel().shownParameter(), -1);
    EXPECT_EQ(rowCount(parameters()), 0);
    EXPECT_EQ(disagreement(*form), "");

    // Commands on the value list have nothing to work on, and edits there store nothing.
    form->runCommand("addValue");
    form->runCommand("deleteValue");
    click("numberCheck");
    EXPECT_EQ(disagreement(*form), "");
    EXPECT_TRUE(model.parameters.empty());

    // Adding brings back parameter 1, current and shown.
    form->runCommand("addParameter");
    EXPECT_EQ(form->parameterPanel().shownParameter(), 0);
    EXPECT_EQ(cellText(parameters(), 0, 0), QStringLiteral("1"));
    EXPECT_EQ(disagreement(*form), "");
    EXPECT_TRUE(button("kindRangeRadio")->isEnabled());
}

TEST_F(AddDelete, NewValueRowDependsOnTheKindShown) {
    start();
    const struct {
        const char* radio;
        ValueRow added;
        QStringList shownCells;
    } cases[] = {
        {"kindListRadio",
         {bytes(QStringLiteral("Значение")), "", bytes(QStringLiteral("Результат"))},
         {"Значение", "Результат"}},
        {"kindRangeRadio", {"0", "1", bytes(QStringLiteral("Результат"))}, {"0", "1", "Результат"}},
    };
    for (const auto& c : cases) {
        form->runCommand("addParameter");
        click(c.radio);
        // Rows A and B, with A selected: the new row goes between them and is selected.
        const std::size_t current = static_cast<std::size_t>(form->parameterPanel().shownParameter());
        editCell(values(), 0, 0, QStringLiteral("A"));
        form->runCommand("addValue");
        editCell(values(), 1, 0, QStringLiteral("B"));
        values()->selectRow(0);
        button("addValueButton")->click();
        ASSERT_EQ(model.parameters[current].values.size(), 3u);
        EXPECT_EQ(model.parameters[current].values[0].value, "A");
        EXPECT_EQ(model.parameters[current].values[1], c.added);
        EXPECT_EQ(model.parameters[current].values[2].value, "B");
        EXPECT_EQ(values()->selectedRow(), 1);
        EXPECT_EQ(values()->currentIndex().row(), 1);
        EXPECT_TRUE(values()->hasFocus());
        for (int col = 0; col < c.shownCells.size(); ++col) {
            EXPECT_EQ(cellText(values(), 1, col), c.shownCells[col]);
        }
        EXPECT_EQ(disagreement(*form), "");

        // With no row selected the new row goes first.
        values()->clearSelection();
        form->runCommand("addValue");
        EXPECT_EQ(model.parameters[current].values[0], c.added);
        EXPECT_EQ(disagreement(*form), "");
    }
}

TEST_F(AddDelete, InputParameterHoldsOneRow) {
    start();
    click("kindInputRadio");
    form->runCommand("deleteValue"); // row 0 is selected after showing
    ASSERT_TRUE(model.parameters[0].values.empty());
    form->runCommand("addValue");
    ASSERT_EQ(model.parameters[0].values.size(), 1u);
    EXPECT_EQ(model.parameters[0].values[0], (ValueRow{bytes(QStringLiteral("Начальное значение")), "", ""}));
    EXPECT_EQ(cellText(values(), 0, 0), QStringLiteral("Начальное значение"));
    EXPECT_EQ(cellText(values(), 0, 1), QString());

    // Adding again does nothing and does not count as a change (checked on a fresh form).
    ReportDefinition input;
    input.parameters.push_back(ParameterRecord{"p", "", ValueKind::Input, 0, 0, {ValueRow{"x", "", ""}}});
    load(input);
    ASSERT_FALSE(form->document().isModified());
    form->runCommand("addValue");
    EXPECT_EQ(model.parameters[0].values.size(), 1u);
    EXPECT_FALSE(form->document().isModified());
    EXPECT_EQ(disagreement(*form), "");
}

TEST_F(AddDelete, ValueRowOfAnUnknownKindGoesIntoTheModelOnly) {
    start();
    ReportDefinition odd;
    odd.parameters.push_back(ParameterRecord{"p", "", static_cast<ValueKind>(5), 0, 0, {}});
    load(odd);
    form->runCommand("addValue");
    ASSERT_EQ(model.parameters[0].values.size(), 1u);
    EXPECT_EQ(model.parameters[0].values[0], (ValueRow{bytes(QStringLiteral("Начальное значение")), "",
                                                       bytes(QStringLiteral("Результат"))}));
    EXPECT_EQ(rowCount(values()), 0);
    EXPECT_EQ(disagreement(*form), "");
}

TEST_F(AddDelete, DeletingWithNothingSelectedDeletesNothingAndIsNoChange) {
    start();
    const struct {
        const char* command;
        CellGrid* (FormTest::*grid)() const;
    } cases[] = {
        {"deleteParameter", &FormTest::parameters},
        {"deleteValue", &FormTest::values},
        {"deleteResult", &FormTest::results},
    };
    // Nothing selected by the program, or by a click on the empty part of the list (which leaves
    // the focus mark on the row it was on).
    for (const bool byClick : {false, true}) {
        for (const auto& c : cases) {
            form.reset();
            start();
            ASSERT_FALSE(form->document().isModified());
            ReportDefinition before = model;
            CellGrid* grid = (this->*c.grid)();
            if (byClick) {
                const QPoint below(grid->viewport()->width() / 2, grid->viewport()->height() - 2);
                QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, below);
                ASSERT_EQ(grid->selectedRow(), -1);
            } else {
                grid->clearSelection();
            }
            const int rowsBefore = rowCount((this->*c.grid)());
            form->runCommand(c.command);
            EXPECT_EQ(model.parameters.size(), before.parameters.size());
            EXPECT_EQ(model.results, before.results);
            EXPECT_EQ(rowCount((this->*c.grid)()), rowsBefore);
            // Nothing changed, so nothing is to be undone and nothing to be saved.
            EXPECT_FALSE(form->document().isModified());
            EXPECT_FALSE(form->commandAvailable("editUndo"));
        }
    }
}

TEST_F(AddDelete, ResultsAreNumberedInOrder) {
    start();
    // Row 1 selected: the new row is number 2, the former 2 becomes 3.
    ReportDefinition d = threeOfEach();
    d.results.resize(2);
    load(d);
    results()->selectRow(0);
    button("addResultButton")->click();
    EXPECT_EQ(resultNames(model), (std::vector<std::string>{"R1", bytes(QStringLiteral("Название")), "R2"}));
    EXPECT_EQ(results()->selectedRow(), 1);
    EXPECT_TRUE(results()->hasFocus());
    EXPECT_EQ(disagreement(*form), "");

    // Deleting row 2 of 3 renumbers the third as 2.
    results()->selectRow(1);
    button("deleteResultButton")->click();
    EXPECT_EQ(resultNames(model), (std::vector<std::string>{"R1", "R2"}));
    EXPECT_EQ(cellText(results(), 1, 0), QStringLiteral("2"));
    EXPECT_EQ(results()->selectedRow(), -1);
    EXPECT_EQ(disagreement(*form), "");

    // Down to an empty table, then row 1 again.
    results()->selectRow(0);
    form->runCommand("deleteResult");
    results()->selectRow(0);
    form->runCommand("deleteResult");
    EXPECT_TRUE(model.results.empty());
    form->runCommand("addResult");
    EXPECT_EQ(model.results.size(), 1u);
    EXPECT_EQ(cellText(results(), 0, 0), QStringLiteral("1"));
    EXPECT_EQ(disagreement(*form), "");
}

} // namespace
} // namespace vornak::testing
