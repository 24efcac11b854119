// The in-place edit box on its own: how it is held over a cell, the fit-to-text width and the
// text checker.
#include "GridEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace {

class GridEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<QWidget>();
        window->resize(300, 120);
        other = new QLineEdit(window.get());
        other->setGeometry(0, 90, 100, 20);
        box = new GridEdit(window.get());
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    // Opens the box the way the grid does: placed over a cell, showing its text, with the focus.
    void open(const QString& text, QPoint position = {20, 10}, int cellWidth = 80) {
        box->setText(text);
        box->holdOver(QRect(position, QSize(cellWidth, 18)));
        box->show();
        box->setFocus();
    }

    std::unique_ptr<QWidget> window;
    QLineEdit* other = nullptr;
    GridEdit* box = nullptr;
};

TEST_F(GridEditTest, WidensWithItsTextButNeverPastTheParentsRightEdge) {
    open(QString(), {200, 10}, 60);
    EXPECT_EQ(box->width(), 60);
    int previous = box->width();
    bool grew = false;
    for (int i = 0; i < 40; ++i) {
        QTest::keyClick(box, Qt::Key_W);
        grew = grew || box->width() > previous;
        previous = box->width();
        EXPECT_LE(box->geometry().right() + 1, window->width());
    }
    EXPECT_TRUE(grew);
    EXPECT_EQ(box->geometry().right() + 1, window->width());
}

TEST_F(GridEditTest, ThePlacementFollowsTheCellTheTextAndTheRightEdge) {
    box->setText(QStringLiteral("ab"));
    const QFontMetrics metrics = box->fontMetrics();
    const int forText = metrics.horizontalAdvance(QStringLiteral("ab")) + metrics.averageCharWidth() + 5;
    struct Case {
        const char* name;
        QRect cell;
        std::optional<int> fitMargin;
        QRect expected;
    };
    const Case cases[] = {
        {"held over the cell", {12, 34, 60, 17}, {}, {12, 34, 60, 17}},
        {"a narrow cell widens to the text", {12, 34, 3, 17}, {}, {12, 34, forText, 17}},
        {"a cell starting left of the view starts at its edge", {-30, 5, 90, 17}, {}, {0, 5, 60, 17}},
        {"cut at the right edge", {250, 0, 80, 20}, {}, {250, 0, 50, 20}},
        {"at the edge nothing is left", {300, 0, 40, 20}, {}, {300, 0, 0, 20}},
        {"beyond the edge nothing is left", {320, 0, 40, 20}, {}, {320, 0, 0, 20}},
        {"fit to text: the text's width and the margin",
         {10, 0, 200, 20},
         15,
         {10, 0, box->fitTextWidth() + 15, 20}},
        {"fit to text and cut", {290, 0, 200, 20}, 15, {290, 0, 10, 20}},
    };
    for (const Case& c : cases) {
        box->holdOver(c.cell, c.fitMargin);
        EXPECT_EQ(box->placement(), c.expected) << c.name;
        EXPECT_EQ(box->geometry(), c.expected) << c.name;
    }

    box->setText(QStringLiteral("x"));
    box->holdOver(QRect(0, 0, 100, 20), 15);
    EXPECT_EQ(box->width(), 25) << "one character: 10 plus the margin";
    box->setText(QString());
    EXPECT_EQ(box->width(), 15) << "the width follows each change of the text";
}

TEST_F(GridEditTest, FitWidthIsTheAverageAdvanceTimesTheLength) {
    const QFontMetrics metrics = box->fontMetrics();
    struct Case {
        QString text;
        int expected;
    };
    const Case cases[] = {
        {QString(), 0},
        {QStringLiteral("W"), 10},
        {QStringLiteral("ab"), metrics.horizontalAdvance(QStringLiteral("a")) * 2},
        {QStringLiteral("iiiW"), metrics.horizontalAdvance(QStringLiteral("iii")) * 4 / 3},
        {QStringLiteral("жжжжж"), metrics.horizontalAdvance(QStringLiteral("жжжж")) * 5 / 4},
    };
    for (const Case& c : cases) {
        box->setText(c.text);
        EXPECT_EQ(box->fitTextWidth(), c.expected) << c.text.toStdString();
    }
}

TEST_F(GridEditTest, TheCheckerRefusesTypedAndPastedChangesAsAWhole) {
    std::vector<std::pair<QString, QString>> asked;
    box->setTextChecker([&asked](const QString& before, const QString& after) {
        asked.emplace_back(before, after);
        return !after.contains(QLatin1Char('\n')) && after.size() <= 6;
    });
    open(QStringLiteral("abc"));
    EXPECT_TRUE(asked.empty()) << "the text the box opens with is the program's, not a change to judge";
    box->setCursorPosition(3);

    QApplication::clipboard()->setText(QStringLiteral("x\ny"));
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box->text(), QStringLiteral("abc")) << "a pasted line break is refused";
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.back(), std::make_pair(QStringLiteral("abc"), QStringLiteral("abcx\ny")));

    QApplication::clipboard()->setText(QStringLiteral("xy"));
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box->text(), QStringLiteral("abcxy"));

    QTest::keyClicks(box, QStringLiteral("123"));
    EXPECT_EQ(box->text(), QStringLiteral("abcxy1")) << "typing stops at the limit";
    EXPECT_EQ(asked.back(), std::make_pair(QStringLiteral("abcxy1"), QStringLiteral("abcxy13")));

    QTest::sendKeyEvent(QTest::Press, box, Qt::Key_unknown, QStringLiteral("ж"), Qt::NoModifier);
    EXPECT_EQ(box->text(), QStringLiteral("abcxy1"));

    box->setTextChecker({});
    QApplication::clipboard()->setText(QStringLiteral("\n"));
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_NE(box->text(), QStringLiteral("abcxy1")) << "without a checker everything is taken";
}

// A cell may hold what no edit may add (a line break read from a file): the box shows it, and the
// check stays on for every change after it.
TEST_F(GridEditTest, AnOddStartingTextDoesNotSwitchTheCheckerOff) {
    const auto newLines = [](const QString& text) { return text.count(QLatin1Char('\n')); };
    box->setTextChecker([&newLines](const QString& before, const QString& after) {
        return newLines(after) <= newLines(before);
    });
    open(QStringLiteral("a\nb"));
    ASSERT_EQ(box->text(), QStringLiteral("a\nb"));
    box->end(false);

    QApplication::clipboard()->setText(QStringLiteral("\n"));
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box->text(), QStringLiteral("a\nb")) << "a pasted line break is still refused";
    QTest::keyClicks(box, QStringLiteral("cd"));
    EXPECT_EQ(box->text(), QStringLiteral("a\nbcd"));
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box->text(), QStringLiteral("a\nbcd"));

    box->setText(QStringLiteral("\n\n"));
    EXPECT_EQ(box->text(), QStringLiteral("\n\n")) << "the program's own text is not judged";
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box->text(), QStringLiteral("\n\n"));
}

} // namespace
