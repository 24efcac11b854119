// Form and model in step: the kind radios (no row is ever converted), the number and formula
// check boxes, the formula edit, the nine text edits, selecting a parameter, the end of every cell
// edit and refilling the lists from the model.
#include "../shell/FormHarness.h"

#include <QHeaderView>

namespace vornak::testing {
namespace {

using Binding = FormTest;

ValueRow row(const char* value, const char* upper, const char* result) {
    return ValueRow{value, upper, result};
}

// A definition as a file would bring it, opened into the document.
void loadIntoForm(FormTest& t, std::vector<ParameterRecord> parameters, std::vector<ResultRow> results) {
    ReportDefinition d;
    d.parameters = std::move(parameters);
    d.results = std::move(results);
    t.load(d);
}

ParameterRecord parameter(const char* name, ValueKind kind, std::vector<ValueRow> rows) {
    ParameterRecord p;
    p.name = name;
    p.kind = kind;
    p.values = std::move(rows);
    return p;
}

QStringList headings(const CellGrid* grid) {
    QStringList h;
    for (int c = 0; c < grid->model()->columnCount(); ++c) {
        h << grid->model()->headerData(c, Qt::Horizontal).toString();
    }
    return h;
}

TEST_F(Binding, KindSwitchesShowTheSameCellsUnderNewHeadingsAndConvertNothing) {
    start();
    loadIntoForm(*this, {parameter("P", ValueKind::List, {row("a", "up1", "ra"), row("b", "", "rb")})}, {});
    const std::vector<ValueRow> original = model.parameters[0].values;

    const struct {
        const char* radio;
        ValueKind kind;
        QStringList headings;
    } steps[] = {
        {"kindRangeRadio", ValueKind::Range, {">=", "<", "Результат"}},
        {"kindListRadio", ValueKind::List, {"Значение", "Результат"}},
        {"kindRangeRadio", ValueKind::Range, {">=", "<", "Результат"}},
        {"kindRangeRadio", ValueKind::Range, {">=", "<", "Результат"}}, // the kind already shown
    };
    for (const auto& s : steps) {
        click(s.radio);
        EXPECT_EQ(model.parameters[0].kind, s.kind);
        EXPECT_EQ(model.parameters[0].values, original) << "a kind switch changed a cell";
        EXPECT_EQ(headings(values()), s.headings);
        EXPECT_EQ(disagreement(*form), "");
        EXPECT_TRUE(form->document().isModified()) << "every click on a kind radio counts as a change";
    }
    // Range shows the upper bound kept from before.
    EXPECT_EQ(cellText(values(), 0, 1), QStringLiteral("up1"));
    EXPECT_EQ(cellText(values(), 0, 2), QStringLiteral("ra"));
    // Widths from the client width: thirds for Range.
    const int w = values()->viewport()->width();
    EXPECT_EQ(values()->columnWidth(0), w / 3);
    EXPECT_GE(values()->columnWidth(2), w / 3) << "the last column takes what rounding leaves";
    EXPECT_LE(values()->columnWidth(2), w / 3 + 2);
}

TEST_F(Binding, EveryKindLaysOutItsOwnHeadingsAndWidths) {
    start();
    const int w = values()->viewport()->width();
    const struct {
        const char* radio;
        QStringList headings;
        std::vector<int> widths;
    } layouts[] = {
        {"kindInputRadio", {"Начальное значение", "Результат"}, {2 * w / 3, w / 3}},
        {"kindRangeRadio", {">=", "<", "Результат"}, {w / 3, w / 3, w / 3}},
        {"kindListRadio", {"Значение", "Результат"}, {2 * w / 3, w / 3}},
    };
    for (const auto& l : layouts) {
        click(l.radio);
        EXPECT_EQ(headings(values()), l.headings);
        ASSERT_EQ(values()->model()->columnCount(), static_cast<int>(l.widths.size()));
        for (int c = 0; c < values()->model()->columnCount(); ++c) {
            // The last column takes what rounding leaves.
            const int wanted = l.widths[static_cast<std::size_t>(c)];
            const bool last = c + 1 == values()->model()->columnCount();
            EXPECT_GE(values()->columnWidth(c), wanted)
                << l.headings.join('|').toStdString() << " column " << c;
            EXPECT_LE(values()->columnWidth(c), wanted + (last ? 2 : 0))
                << l.headings.join('|').toStdString() << " column " << c;
            EXPECT_TRUE(values()->model()->index(0, c).flags().testFlag(Qt::ItemIsEditable))
                << l.headings.join('|').toStdString() << " column " << c;
            const QVariant alignment = values()->model()->index(0, c).data(Qt::TextAlignmentRole);
            EXPECT_TRUE(!alignment.isValid() ||
                        (alignment.toInt() & Qt::AlignHorizontal_Mask) == Qt::AlignLeft);
        }
    }
}

TEST_F(Binding, InputKeepsOnlyTheFirstRowWithAllItsCells) {
    start();
    loadIntoForm(
        *this,
        {parameter("P", ValueKind::Range, {row("1", "2", "r1"), row("2", "3", "r2"), row("3", "4", "r3")}),
         parameter("Q", ValueKind::Input, {row("q1", "u", "x"), row("q2", "", "y")})},
        {});
    click("kindInputRadio");
    ASSERT_EQ(model.parameters[0].values.size(), 1u);
    EXPECT_EQ(model.parameters[0].values[0], row("1", "2", "r1"));
    EXPECT_EQ(headings(values()), (QStringList{"Начальное значение", "Результат"}));
    EXPECT_EQ(disagreement(*form), "");

    click("kindListRadio");
    EXPECT_EQ(rowCount(values()), 1);
    EXPECT_EQ(model.parameters[0].values[0], row("1", "2", "r1"));

    // A parameter already of kind Input with several rows (from a file): the click keeps one.
    clickParameterRow(1);
    ASSERT_EQ(form->parameterPanel().shownParameter(), 1);
    EXPECT_EQ(rowCount(values()), 2) << "shown as read, before the click";
    click("kindInputRadio");
    ASSERT_EQ(model.parameters[1].values.size(), 1u);
    EXPECT_EQ(model.parameters[1].values[0], row("q1", "u", "x"));
    EXPECT_EQ(disagreement(*form), "");
}

TEST_F(Binding, SelectingAParameterShowsItsOwnKindFlagsAndFormulaWithoutModifying) {
    start();
    ParameterRecord withFormula = parameter("F", ValueKind::Range, {row("0", "10", "low")});
    withFormula.isNumber = 1;
    withFormula.hasFormula = 1;
    withFormula.formula = "#P(1)*2";
    loadIntoForm(*this, {parameter("L", ValueKind::List, {row("a", "", "b")}), withFormula}, {});
    EXPECT_FALSE(form->document().isModified());

    clickParameterRow(1);
    EXPECT_EQ(form->parameterPanel().shownParameter(), 1);
    EXPECT_TRUE(button("kindRangeRadio")->isChecked());
    EXPECT_EQ(edit("formulaEdit")->text(), QStringLiteral("#P(1)*2"));
    EXPECT_TRUE(edit("formulaEdit")->isEnabled());
    EXPECT_EQ(headings(values()), (QStringList{">=", "<", "Результат"}));
    EXPECT_EQ(disagreement(*form), "");
    EXPECT_FALSE(form->document().isModified());
    EXPECT_EQ(model.parameters[0].kind, ValueKind::List) << "showing a parameter leaves the others' kinds";

    clickParameterRow(0);
    EXPECT_EQ(form->parameterPanel().shownParameter(), 0);
    EXPECT_FALSE(edit("formulaEdit")->isEnabled());
    EXPECT_EQ(disagreement(*form), "");
    EXPECT_FALSE(form->document().isModified());
    EXPECT_EQ(model.parameters[1].kind, ValueKind::Range);
}

TEST_F(Binding, FormulaAndNumberBoxes) {
    start();
    click("numberCheck");
    EXPECT_EQ(model.parameters[0].isNumber, 1);
    click("numberCheck");
    EXPECT_EQ(model.parameters[0].isNumber, 0);

    click("formulaCheck");
    EXPECT_EQ(model.parameters[0].hasFormula, 1);
    QLineEdit* formula = edit("formulaEdit");
    ASSERT_TRUE(formula->isEnabled());
    formula->setFocus();
    typeText(formula, QStringLiteral("sin(PI/2)+#R(1)"));
    EXPECT_EQ(model.parameters[0].formula, "sin(PI/2)+#R(1)");

    // Unchecking empties the edit and the formula; checking again gives an empty, enabled edit.
    click("formulaCheck");
    EXPECT_EQ(model.parameters[0].hasFormula, 0);
    EXPECT_TRUE(model.parameters[0].formula.empty());
    EXPECT_TRUE(formula->text().isEmpty());
    EXPECT_FALSE(formula->isEnabled());
    click("formulaCheck");
    EXPECT_TRUE(formula->isEnabled());
    EXPECT_TRUE(formula->text().isEmpty());
    EXPECT_TRUE(model.parameters[0].formula.empty());
    EXPECT_EQ(disagreement(*form), "");
    EXPECT_TRUE(form->document().isModified());
}

TEST_F(Binding, TypingInATextEditIsOneStepOfTheDocument) {
    start();
    QLineEdit* author = edit("authorEdit");
    author->setFocus();
    author->end(false);
    typeText(author, QStringLiteral(" и др."));
    // The document holds what the edit shows at once: there is no copy to take at save time.
    EXPECT_EQ(model.author, bytes(QStringLiteral("Ведунов П.Р. и др.")));
    EXPECT_TRUE(form->document().isModified());
    EXPECT_EQ(form->document().undoStack()->count(), 1) << "the typing merged into one step";

    // Ctrl+Z in the field takes the typing back, Ctrl+Y brings it again.
    pressKey(author, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(author->text(), QStringLiteral("Ведунов П.Р."));
    EXPECT_EQ(model.author, bytes(QStringLiteral("Ведунов П.Р.")));
    EXPECT_FALSE(form->document().isModified()) << "back at the saved state";
    pressKey(author, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(author->text(), QStringLiteral("Ведунов П.Р. и др."));

    // Leaving the field ends the step: typing in another field is a step of its own.
    QLineEdit* date = edit("dateEdit");
    date->setFocus();
    date->end(false);
    typeText(date, QStringLiteral("!"));
    EXPECT_EQ(form->document().undoStack()->count(), 2);
}

TEST_F(Binding, EndOfACellEditStoresIntoTheCellTheLayoutChooses) {
    start();
    loadIntoForm(*this, {parameter("P", ValueKind::List, {row("v", "kept", "r")})}, {ResultRow{"n", "res"}});

    // List: column 1 is the result; the upper bound is not shown and never changes.
    editCell(values(), 0, 1, QStringLiteral("новый"));
    EXPECT_EQ(model.parameters[0].values[0], row("v", "kept", "\xED\xEE\xE2\xFB\xE9"));
    // Range: column 1 is the upper bound, column 2 the result.
    click("kindRangeRadio");
    editCell(values(), 0, 1, QStringLiteral("10"));
    editCell(values(), 0, 2, QStringLiteral("abc"));
    editCell(values(), 0, 0, QStringLiteral("не число"));
    EXPECT_EQ(model.parameters[0].values[0].value, bytes(QStringLiteral("не число")));
    EXPECT_EQ(model.parameters[0].values[0].upperBound, "10");
    EXPECT_EQ(model.parameters[0].values[0].result, "abc");

    // Escape keeps cell and model; an empty text confirmed is stored as empty.
    editCell(values(), 0, 2, QStringLiteral("ignored"), false);
    EXPECT_EQ(cellText(values(), 0, 2), QStringLiteral("abc"));
    EXPECT_EQ(model.parameters[0].values[0].result, "abc");
    editCell(values(), 0, 2, QString());
    EXPECT_EQ(model.parameters[0].values[0].result, "");

    // The parameter's name, the result's name and result.
    editCell(parameters(), 0, 1, QStringLiteral("Рост"));
    EXPECT_EQ(model.parameters[0].name, bytes(QStringLiteral("Рост")));
    editCell(results(), 0, 1, QStringLiteral("Итог"));
    editCell(results(), 0, 2, QStringLiteral("#X(1)+1"));
    EXPECT_EQ(model.results[0], (ResultRow{bytes(QStringLiteral("Итог")), "#X(1)+1"}));
    EXPECT_EQ(disagreement(*form), "");

    // Non-editable columns open no editor.
    EXPECT_EQ(parameters()->editCell(0, 0), nullptr);
    EXPECT_EQ(results()->editCell(0, 0), nullptr);
}

TEST_F(Binding, CancelledEditIsNoChange) {
    start();
    ASSERT_FALSE(form->document().isModified());
    editCell(results(), 0, 1, QStringLiteral("x"), false);
    EXPECT_FALSE(form->document().isModified());
    EXPECT_EQ(model.results[0].name, bytes(QStringLiteral("Название")));
}

TEST_F(Binding, UnknownKindShowsNoColumnsAndStoresNothing) {
    start();
    ParameterRecord odd = parameter("odd", static_cast<ValueKind>(7), {row("a", "b", "c")});
    loadIntoForm(*this, {parameter("L", ValueKind::List, {row("x", "", "y")}), odd}, {});
    clickParameterRow(1);
    EXPECT_EQ(values()->model()->columnCount(), 0);
    EXPECT_EQ(rowCount(values()), 0);
    for (QRadioButton* r : {qobject_cast<QRadioButton*>(button("kindListRadio")),
                            qobject_cast<QRadioButton*>(button("kindRangeRadio")),
                            qobject_cast<QRadioButton*>(button("kindInputRadio"))}) {
        EXPECT_FALSE(r->isChecked());
    }
    EXPECT_EQ(model.parameters[1].kind, static_cast<ValueKind>(7));
    EXPECT_EQ(model.parameters[1].values[0], row("a", "b", "c"));
    EXPECT_EQ(disagreement(*form), "");

    // Back to the List parameter: its columns come back.
    clickParameterRow(0);
    EXPECT_EQ(headings(values()), (QStringList{"Значение", "Результат"}));
    EXPECT_EQ(disagreement(*form), "");
}

TEST_F(Binding, ReloadListsShowsTheModelWithTheFirstParameterCurrent) {
    start();
    clickParameterRow(0);
    form->runCommand("addParameter");
    ASSERT_EQ(form->parameterPanel().shownParameter(), 1);

    ParameterRecord second = parameter("B", ValueKind::Input, {row("init", "", "res")});
    loadIntoForm(*this, {parameter("A", ValueKind::Range, {row("1", "2", "3"), row("4", "5", "6")}), second},
                 {ResultRow{"r1", "x1"}, ResultRow{"r2", "x2"}, ResultRow{"r3", "x3"}});
    EXPECT_EQ(form->parameterPanel().shownParameter(), 0);
    EXPECT_EQ(parameters()->selectedRow(), 0);
    EXPECT_EQ(results()->selectedRow(), 0);
    EXPECT_EQ(values()->selectedRow(), 0);
    EXPECT_TRUE(button("kindRangeRadio")->isChecked());
    EXPECT_EQ(disagreement(*form), "");

    // An empty definition: no current parameter, nothing in the value list.
    loadIntoForm(*this, {}, {});
    EXPECT_EQ(rowCount(parameters()), 0);
    EXPECT_EQ(rowCount(values()), 0);
    EXPECT_EQ(rowCount(results()), 0);
    EXPECT_EQ(disagreement(*form), "");
    // Nothing to add a value row to; a parameter can be added again.
    form->runCommand("addValue");
    EXPECT_EQ(rowCount(values()), 0);
    form->runCommand("addParameter");
    EXPECT_EQ(model.parameters.size(), 1u);
    EXPECT_EQ(disagreement(*form), "");
}

} // namespace
} // namespace vornak::testing
