// The mark of a found text in a cell sits over those characters and follows the cell when the
// view scrolls or rows are inserted above it; the clicks go through to the list.
#include "CellMatchHighlight.h"

#include <QPointer>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace vornak {
namespace {

class CellMatchHighlightTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int r = 0; r < 60; ++r) {
            model.appendRow({new QStandardItem(QStringLiteral("row %1 см").arg(r)),
                             new QStandardItem(QStringLiteral("x"))});
        }
        view.setModel(&model);
        view.resize(300, 200);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    QStandardItemModel model;
    QTableView view;
    CellMatchHighlight* highlight = new CellMatchHighlight(view);
};

TEST_F(CellMatchHighlightTest, MarksTheCharactersInsideTheCell) {
    highlight->mark(model.index(2, 0), 6, 2);
    EXPECT_TRUE(highlight->isVisible());
    const QRect cell = view.visualRect(model.index(2, 0));
    const QRect marked = highlight->markedRect();
    ASSERT_FALSE(marked.isEmpty());
    EXPECT_TRUE(cell.contains(marked));
    const QFontMetrics metrics(view.font());
    EXPECT_EQ(marked.width(), metrics.horizontalAdvance(QStringLiteral("см")));
    EXPECT_GT(marked.left(), cell.left() + metrics.horizontalAdvance(QStringLiteral("row 2")));
    // Drawn where it says, over the viewport.
    const QImage picture = highlight->grab().toImage();
    EXPECT_NE(picture.pixelColor(marked.center()).alpha(), 0);
    EXPECT_EQ(picture.pixelColor(cell.right() - 1, cell.center().y()).alpha(), 0);
}

TEST_F(CellMatchHighlightTest, FollowsTheCellThroughScrollingAndInsertedRows) {
    highlight->mark(model.index(40, 0), 0, 3);
    EXPECT_TRUE(highlight->markedRect().isEmpty()) << "not in view yet";
    view.scrollTo(model.index(40, 0), QAbstractItemView::PositionAtCenter);
    EXPECT_EQ(highlight->markedRect().top(), view.visualRect(model.index(40, 0)).top() + 1);
    model.insertRow(0, {new QStandardItem(QStringLiteral("new")), new QStandardItem()});
    EXPECT_EQ(highlight->markedRect().top(), view.visualRect(model.index(41, 0)).top() + 1);
    model.removeRow(41);
    EXPECT_FALSE(highlight->isMarking());
    EXPECT_TRUE(highlight->markedRect().isEmpty());
}

TEST_F(CellMatchHighlightTest, ClicksGoThroughAndClearHides) {
    highlight->mark(model.index(1, 0), 0, 3);
    const QRect cell = view.visualRect(model.index(1, 0));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    EXPECT_EQ(view.currentIndex(), model.index(1, 0));
    highlight->clear();
    EXPECT_FALSE(highlight->isVisible());
}

// A view of a derived class, destroyed with a mark showing: the viewport goes after the view's own
// part is gone, and the mark must not ask the half-destroyed view for it.
TEST(CellMatchHighlightLifetime, TheViewCanGoWhileAMarkShows) {
    class DerivedView : public QTableView {};
    QStandardItemModel model;
    model.appendRow({new QStandardItem(QStringLiteral("см"))});
    auto* view = new DerivedView;
    view->setModel(&model);
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
    auto* highlight = new CellMatchHighlight(*view);
    highlight->mark(model.index(0, 0), 0, 2);
    QPointer<CellMatchHighlight> watch(highlight);
    delete view;
    EXPECT_TRUE(watch.isNull());
}

} // namespace
} // namespace vornak
