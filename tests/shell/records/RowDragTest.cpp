// Rows dragged in the form's lists: a drop between rows of the same list moves the dragged rows
// there in one undo step, the codes naming them following and the moved rows selected (also after
// an undo or redo, in their places then); rows from
// elsewhere go in at the drop row as a paste would, or are refused with its message; a press and
// release on a row without moving still only selects it.
#include "FiveParameters.h"
#include "FormHarness.h"
#include "PastedRows.h"
#include "RecordListModel.h"
#include "RowSelection.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>

namespace vornak::testing {
namespace {

enum class Spot { TopEdge, UpperHalf, LowerHalf, BottomEdge };

class RowDragTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        start();
        load(fiveParameters());
    }

    // A point of a parameter row, in the list's viewport.
    QPoint at(int row, Spot spot) const {
        const QRect cell = parameters()->visualRect(parameters()->model()->index(row, 1));
        switch (spot) {
        case Spot::TopEdge:
            return {cell.center().x(), cell.top() + 1};
        case Spot::UpperHalf:
            return {cell.center().x(), cell.center().y() - 1};
        case Spot::LowerHalf:
            return {cell.center().x(), cell.center().y() + 2};
        case Spot::BottomEdge:
            break;
        }
        return {cell.center().x(), cell.bottom() - 1};
    }

    // What the list's drag of its selected rows carries.
    std::unique_ptr<QMimeData> dragSelected(CellGrid* list) const {
        return std::unique_ptr<QMimeData>(list->model()->mimeData(list->selectionModel()->selectedIndexes()));
    }

    // The drag arriving over the viewport and dropped there, as the window system delivers it.
    static bool drop(CellGrid* list, const QMimeData* data, QPoint point) {
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(point, actions, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &enter);
        QDragMoveEvent move(point, actions, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &move);
        if (!move.isAccepted()) {
            QDragLeaveEvent leave;
            QApplication::sendEvent(list->viewport(), &leave);
            return false;
        }
        QDropEvent dropped(QPointF(point), actions, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &dropped);
        QApplication::processEvents();
        return dropped.isAccepted();
    }

    void selectParameterRows(const std::vector<int>& rows) const {
        parameters()->setFocus();
        selectRows(*parameters(), rows);
    }
};

TEST_F(RowDragTest, RowsDroppedBetweenRowsOfTheirListMoveThere) {
    struct Case {
        std::vector<int> dragged;
        int row;
        Spot spot;
        const char* order;
        const char* sum;
        std::vector<int> selected;
    };
    const Case cases[] = {
        {{0}, 3, Spot::TopEdge, "BCADE", "#P(4)+#P(5)", {2}},
        {{0}, 3, Spot::UpperHalf, "BCADE", "#P(4)+#P(5)", {2}},
        {{0}, 3, Spot::LowerHalf, "BCDAE", "#P(3)+#P(5)", {3}},
        {{0, 1}, 4, Spot::BottomEdge, "CDEAB", "#P(2)+#P(3)", {3, 4}},
        {{3, 4}, 0, Spot::TopEdge, "DEABC", "#P(1)+#P(2)", {0, 1}},
        {{1, 3}, 4, Spot::TopEdge, "ACBDE", "#P(4)+#P(5)", {2, 3}},
    };
    QUndoStack* stack = form->document().undoStack();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.order);
        selectParameterRows(c.dragged);
        const std::unique_ptr<QMimeData> data = dragSelected(parameters());
        EXPECT_TRUE(drop(parameters(), data.get(), at(c.row, c.spot)));
        EXPECT_EQ(names(form->document().definition()), c.order);
        EXPECT_EQ(form->document().definition().results[0].result, c.sum);
        EXPECT_EQ(selectedRows(*parameters()), c.selected);
        EXPECT_EQ(stack->count(), 1);
        EXPECT_TRUE(disagreement(*form).empty()) << disagreement(*form);
        pressKey(parameters(), Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(form->document().definition(), fiveParameters());
        EXPECT_EQ(selectedRows(*parameters()), c.dragged) << "undone: the dragged rows, back in their places";
        EXPECT_TRUE(disagreement(*form).empty()) << disagreement(*form);
        pressKey(parameters(), Qt::Key_Y, Qt::ControlModifier);
        EXPECT_EQ(names(form->document().definition()), c.order);
        EXPECT_EQ(selectedRows(*parameters()), c.selected) << "redone";
        EXPECT_TRUE(disagreement(*form).empty()) << disagreement(*form);
        pressKey(parameters(), Qt::Key_Z, Qt::ControlModifier);
        stack->clear();
    }
    // The one message: that codes were renumbered, as after Ctrl+Up.
    for (const auto& request : messages.requests()) {
        EXPECT_NE(request.kind, MessageKind::Error) << request.text.toStdString();
    }
}

TEST_F(RowDragTest, BelowTheLastRowIsTheEndOfTheList) {
    selectParameterRows({1});
    const std::unique_ptr<QMimeData> data = dragSelected(parameters());
    const QPoint below(parameters()->viewport()->width() / 2, parameters()->viewport()->height() - 2);
    ASSERT_FALSE(parameters()->indexAt(below).isValid()) << "the list has room below its rows";
    EXPECT_TRUE(drop(parameters(), data.get(), below));
    EXPECT_EQ(names(form->document().definition()), "ACDEB");
}

TEST_F(RowDragTest, RowsFromElsewhereGoInAtTheDropRowOrAreRefusedAsAPasteIs) {
    auto rows = std::make_unique<QMimeData>();
    rows->setText(QStringLiteral("X\nY"));
    EXPECT_TRUE(drop(parameters(), rows.get(), at(2, Spot::TopEdge)));
    EXPECT_EQ(names(form->document().definition()), "ABXYCDE");
    EXPECT_EQ(selectedRows(*parameters()), (std::vector<int>{2, 3}));
    EXPECT_EQ(form->document().undoStack()->count(), 1);

    // Value rows dragged onto the result table are copied there as cells.
    clickParameterRow(0);
    selectRows(*values(), {0});
    const std::unique_ptr<QMimeData> value = dragSelected(values());
    const QRect first = results()->visualRect(results()->model()->index(0, 1));
    EXPECT_TRUE(drop(results(), value.get(), {first.center().x(), first.top() + 1}));
    ASSERT_EQ(form->document().definition().results.size(), 2u);
    EXPECT_EQ(form->document().definition().results[0], (ResultRow{"1", "x"}));
    EXPECT_EQ(form->document().definition().parameters[0].values.size(), 1u) << "the source keeps its row";

    const ReportDefinition before = form->document().definition();
    auto unfit = std::make_unique<QMimeData>();
    unfit->setText(QString::fromUtf8("ok\n≥"));
    const std::size_t told = messages.requests().size();
    EXPECT_FALSE(drop(parameters(), unfit.get(), at(0, Spot::TopEdge)));
    EXPECT_EQ(form->document().definition(), before);
    QApplication::processEvents(); // the message waits until the drop is over
    ASSERT_EQ(messages.requests().size(), told + 1);
    EXPECT_EQ(messages.requests().back().kind, MessageKind::Error);
    EXPECT_EQ(messages.requests().back().text,
              pasteRefusalText({2, 1, DefinitionTextProblem::Unencodable, QString::fromUtf8("≥")},
                               {texts::columnName}));

    auto image = std::make_unique<QMimeData>();
    image->setData(QStringLiteral("image/png"), "png");
    EXPECT_FALSE(drop(parameters(), image.get(), at(0, Spot::TopEdge)));
    EXPECT_EQ(form->document().definition(), before);
}

TEST_F(RowDragTest, APressAndReleaseWithoutMovingStillSelects) {
    selectParameterRows({0, 2});
    const QPoint third = at(2, Spot::UpperHalf);
    QTest::mousePress(parameters()->viewport(), Qt::LeftButton, Qt::NoModifier, third);
    EXPECT_EQ(selectedRows(*parameters()), (std::vector<int>{0, 2})) << "a press inside a selection keeps it";
    QTest::mouseRelease(parameters()->viewport(), Qt::LeftButton, Qt::NoModifier, third);
    EXPECT_EQ(selectedRows(*parameters()), (std::vector<int>{0, 2})) << "as without dragging";
    EXPECT_EQ(parameters()->currentIndex().row(), 2);
    EXPECT_EQ(form->parameterPanel().shownParameter(), 2);

    // A press on one row and a move with the button held over others selects nothing more and moves
    // nothing (no window system here takes the drag).
    const QPoint fourth = at(3, Spot::UpperHalf);
    QTest::mousePress(parameters()->viewport(), Qt::LeftButton, Qt::NoModifier, fourth);
    QTest::mouseMove(parameters()->viewport(), at(1, Spot::UpperHalf));
    QTest::mouseRelease(parameters()->viewport(), Qt::LeftButton, Qt::NoModifier, at(1, Spot::UpperHalf));
    EXPECT_EQ(selectedRows(*parameters()), (std::vector<int>{3}));
    EXPECT_EQ(form->document().definition(), fiveParameters());
    EXPECT_FALSE(parameters()->isEditing());
}

} // namespace
} // namespace vornak::testing
