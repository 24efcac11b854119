// The parameter panel shows the parameter list's current row, whatever clicks with Shift and Ctrl do
// to the selection around it, and an edit typed into the panel goes to that parameter.
#include "FormHarness.h"
#include "FormWidgets.h"
#include "RowSelection.h"

#include <QItemSelectionModel>

#include <string>
#include <vector>

namespace vornak::testing {
namespace {

struct Click {
    int row;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};

struct Sequence {
    const char* what;
    std::vector<Click> clicks;
    int current; // the row that ends up current, and so shown
};

class CurrentParameter : public FormTest {
public:
    void loadSix() {
        ReportDefinition d;
        for (int i = 0; i < 6; ++i) {
            const std::string n = std::to_string(i + 1);
            d.parameters.push_back({"P" + n, "", ValueKind::List, 0, 0, {{"v" + n, "", "r" + n}}});
        }
        load(d);
    }

    void clickRow(int row, Qt::KeyboardModifiers modifiers) const {
        CellGrid* grid = parameters();
        const QRect cell = grid->visualRect(grid->model()->index(row, 0));
        // Moving away first keeps two clicks on one row from counting as a double click.
        QTest::mouseMove(grid->viewport(), cell.center());
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers, cell.center());
        QApplication::processEvents();
    }
};

TEST_F(CurrentParameter, ThePanelShowsTheCurrentRowAfterEveryClickAndEditsGoThere) {
    const Sequence sequences[] = {
        {"click inside a selection of several rows",
         {{0}, {2, Qt::ShiftModifier}, {4, Qt::ControlModifier}, {0}},
         0},
        {"click on a middle row of a selection",
         {{0}, {2, Qt::ShiftModifier}, {4, Qt::ControlModifier}, {2}},
         2},
        {"Shift+click upwards", {{3}, {1, Qt::ShiftModifier}}, 1},
        {"Shift+click downwards past others", {{1}, {4, Qt::ShiftModifier}}, 4},
        {"Ctrl+click takes the current row out of the selection",
         {{1}, {4, Qt::ControlModifier}, {1, Qt::ControlModifier}},
         1},
        {"Ctrl+click the row just added again", {{5}, {0, Qt::ControlModifier}, {0, Qt::ControlModifier}}, 0},
        {"plain click after a range", {{0}, {5, Qt::ShiftModifier}, {3}}, 3},
        {"Ctrl+Shift+click extends from the anchor",
         {{2}, {0, Qt::ControlModifier}, {4, Qt::ControlModifier | Qt::ShiftModifier}},
         4},
    };
    start();
    for (const Sequence& sequence : sequences) {
        SCOPED_TRACE(sequence.what);
        loadSix();
        const ReportDefinition before = model;
        for (const Click& click : sequence.clicks) {
            clickRow(click.row, click.modifiers);
            ASSERT_EQ(form->parameterPanel().shownParameter(), parameters()->currentIndex().row())
                << "after a click on row " << click.row;
        }
        ASSERT_EQ(parameters()->currentIndex().row(), sequence.current);
        ASSERT_EQ(form->parameterPanel().shownParameter(), sequence.current);
        EXPECT_EQ(disagreement(*form), "");

        // A value typed into the panel changes the shown parameter and no other.
        editCell(values(), 0, 0, QStringLiteral("новое"));
        ReportDefinition expected = before;
        expected.parameters[static_cast<std::size_t>(sequence.current)].values[0].value =
            bytes(QStringLiteral("новое"));
        EXPECT_EQ(model.parameters, expected.parameters);
        // The formula flag, too, goes to the shown parameter.
        form->parameterPanel().formulaBox()->click();
        QApplication::processEvents();
        for (std::size_t i = 0; i < model.parameters.size(); ++i) {
            EXPECT_EQ(model.parameters[i].hasFormula != 0, static_cast<int>(i) == sequence.current)
                << "parameter " << i + 1;
        }
    }
}

TEST_F(CurrentParameter, SelectionChangesThatKeepTheCurrentRowKeepThePanel) {
    start();
    loadSix();
    clickRow(2, Qt::NoModifier);
    QItemSelectionModel* selection = parameters()->selectionModel();
    // Other rows join and leave the selection; the current row stays, and so does the panel.
    selection->select(parameters()->model()->index(4, 0),
                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(form->parameterPanel().shownParameter(), 2);
    selection->select(parameters()->model()->index(2, 0),
                      QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    EXPECT_EQ(form->parameterPanel().shownParameter(), 2);
    // The panel asked to show another parameter that is already selected makes it current without
    // changing the selection.
    form->parameterPanel().showParameter(4);
    EXPECT_EQ(parameters()->currentIndex().row(), 4);
    EXPECT_TRUE(selection->isRowSelected(4, QModelIndex()));
    EXPECT_EQ(disagreement(*form), "");
}

} // namespace
} // namespace vornak::testing

namespace vornak::testing {
namespace {

// Another parameter made current while a value row is being typed (a finding or a difference gone
// to, an editor opened on the parameter list): the typed text goes to the parameter it was typed
// for, not lost with the rows that replace it.
TEST_F(CurrentParameter, AValueBeingTypedGoesToItsParameterWhenAnotherBecomesCurrent) {
    start();
    loadSix();
    parameters()->editCell(1, 1);
    parameters()->finishEdit(false);
    GridEdit* box = values()->editCell(0, 0);
    ASSERT_NE(box, nullptr);
    typeText(box, QStringLiteral("x9"));
    ASSERT_NE(parameters()->editCell(4, 1), nullptr);
    const ReportDefinition& d = form->document().definition();
    EXPECT_EQ(d.parameters[1].values[0].value, "x9");
    EXPECT_EQ(d.parameters[4].values[0].value, "v5");
    EXPECT_EQ(form->parameterPanel().shownParameter(), 4);
}

} // namespace
} // namespace vornak::testing

namespace vornak::testing {
namespace {

// Selecting a record's row (what a new definition, a step and a finding do) leaves that row the
// current and only selected one, scrolled into view, from whatever the list held before; a row
// that already is both is kept as it is, yet still brought into view.
TEST_F(CurrentParameter, SelectingARowLeavesItTheOnlySelectedAndCurrentOne) {
    enum class Before { OnlyThatRow, ThatRowAndOthers, SelectedButAnotherCurrent, CurrentInAnotherColumn };
    const struct {
        const char* what;
        Before before;
        int row;
    } cases[] = {
        {"the row is already the only one", Before::OnlyThatRow, 0},
        {"a selection of several rows around the current one", Before::ThatRowAndOthers, 3},
        {"the row selected, another current", Before::SelectedButAnotherCurrent, 2},
        {"the row current in its second column", Before::CurrentInAnotherColumn, 5},
    };
    start();
    ReportDefinition d;
    for (int i = 0; i < 80; ++i) {
        d.parameters.push_back({"P" + std::to_string(i + 1), "", ValueKind::List, 0, 0, {{"v", "", "r"}}});
    }
    load(d);
    CellGrid* grid = parameters();
    QItemSelectionModel* selection = grid->selectionModel();
    const auto index = [grid](int row, int column) { return grid->model()->index(row, column); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        selection->clearSelection();
        switch (c.before) {
        case Before::OnlyThatRow:
            selection->setCurrentIndex(index(c.row, 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            break;
        case Before::ThatRowAndOthers:
            selection->setCurrentIndex(index(c.row, 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            selection->select(index(c.row + 1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
            break;
        case Before::SelectedButAnotherCurrent:
            selection->select(index(c.row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            selection->setCurrentIndex(index(c.row + 4, 0), QItemSelectionModel::NoUpdate);
            break;
        case Before::CurrentInAnotherColumn:
            selection->setCurrentIndex(index(c.row, 1),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            break;
        }
        grid->scrollToBottom();
        QApplication::processEvents();
        ASSERT_FALSE(grid->visualRect(index(c.row, 0)).intersects(grid->viewport()->rect()));

        selectRecordRow(grid, c.row);
        QApplication::processEvents();

        EXPECT_EQ(selection->currentIndex(), index(c.row, 0));
        EXPECT_EQ(selectedRows(*grid), std::vector<int>{c.row});
        EXPECT_TRUE(selection->isRowSelected(c.row, QModelIndex()));
        EXPECT_TRUE(grid->viewport()->rect().contains(grid->visualRect(index(c.row, 0))));
        EXPECT_EQ(form->parameterPanel().shownParameter(), c.row);
    }
}

} // namespace
} // namespace vornak::testing
