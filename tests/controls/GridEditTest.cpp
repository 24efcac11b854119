// The in-place edit box on its own: the key that ends an edit, how it is held over a cell, the
// fit-to-text width and the text checker.
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

    // Opens the box the way the grid does: reset, placed over a cell, showing its text.
    void open(const QString& text, QPoint position = {20, 10}, int cellWidth = 80) {
        box->ResetEdit();
        box->SetPosition(position);
        box->SetHeight(18);
        box->SetInitialText(text);
        box->Open(cellWidth);
    }

    std::unique_ptr<QWidget> window;
    QLineEdit* other = nullptr;
    GridEdit* box = nullptr;
};

struct EndKeyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    bool confirmed;
    int endKey;
    bool shift;
    bool ctrl;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const EndKeyCase& c, std::ostream* os) {
    *os << c.name;
}

class GridEditEndKeyTest : public GridEditTest, public ::testing::WithParamInterface<EndKeyCase> {};

TEST_P(GridEditEndKeyTest, RecordsTheKeyThatEndedTheEdit) {
    const EndKeyCase& c = GetParam();
    open(QStringLiteral("abc"));
    QSignalSpy ended(box, &GridEdit::editEnded);
    ASSERT_TRUE(box->hasFocus());

    QTest::keyClick(box, c.key, c.modifiers);

    ASSERT_EQ(ended.count(), 1);
    EXPECT_EQ(ended.at(0).at(0).toBool(), c.confirmed);
    int key = -1;
    bool shift = false;
    bool ctrl = false;
    EXPECT_EQ(box->GetEndKey(key, shift, ctrl), c.endKey != 0);
    EXPECT_EQ(key, c.endKey);
    EXPECT_EQ(shift, c.shift);
    EXPECT_EQ(ctrl, c.ctrl);
    EXPECT_EQ(box->text(), QStringLiteral("abc")) << "the key must not change the text";
}

INSTANTIATE_TEST_SUITE_P(
    Keys, GridEditEndKeyTest,
    ::testing::Values(EndKeyCase{"Tab", Qt::Key_Tab, Qt::NoModifier, true, 9, false, false},
                      EndKeyCase{"ShiftTab", Qt::Key_Tab, Qt::ShiftModifier, true, 9, true, false},
                      EndKeyCase{"Backtab", Qt::Key_Backtab, Qt::ShiftModifier, true, 9, true, false},
                      EndKeyCase{"CtrlTab", Qt::Key_Tab, Qt::ControlModifier, true, 9, false, true},
                      EndKeyCase{"Up", Qt::Key_Up, Qt::NoModifier, true, 38, false, false},
                      EndKeyCase{"Down", Qt::Key_Down, Qt::NoModifier, true, 40, false, false},
                      EndKeyCase{"CtrlDown", Qt::Key_Down, Qt::ControlModifier, true, 40, false, true},
                      EndKeyCase{"Insert", Qt::Key_Insert, Qt::NoModifier, true, 45, false, false},
                      EndKeyCase{"Enter", Qt::Key_Return, Qt::NoModifier, true, 0, false, false},
                      EndKeyCase{"KeypadEnter", Qt::Key_Enter, Qt::KeypadModifier, true, 0, false, false},
                      EndKeyCase{"Escape", Qt::Key_Escape, Qt::NoModifier, false, 0, false, false}),
    [](const ::testing::TestParamInfo<EndKeyCase>& info) { return std::string(info.param.name); });

TEST_F(GridEditTest, ResetClearsTheRecordedKeyAndTheRightLimit) {
    open(QStringLiteral("abc"));
    QTest::keyClick(box, Qt::Key_Tab, Qt::ShiftModifier | Qt::ControlModifier);
    ASSERT_NE(box->MaxRight(), -1);
    box->ResetEdit();
    int key = -1;
    bool shift = true;
    bool ctrl = true;
    EXPECT_FALSE(box->GetEndKey(key, shift, ctrl));
    EXPECT_EQ(key, 0);
    EXPECT_FALSE(shift);
    EXPECT_FALSE(ctrl);
    EXPECT_EQ(box->MaxRight(), -1);
}

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
    EXPECT_EQ(box->MaxRight(), window->width());
}

TEST_F(GridEditTest, AdjustGeometryAppliesPositionHeightFitAndLimit) {
    box->ResetEdit();
    // Nothing set: the proposal stands (the parent is wide enough).
    EXPECT_EQ(box->AdjustGeometry(QRect(5, 6, 70, 30)), QRect(5, 6, 70, 30));

    box->SetPosition({12, 34});
    box->SetHeight(17);
    EXPECT_EQ(box->AdjustGeometry(QRect(5, 6, 70, 30)), QRect(12, 34, 70, 17));

    // Past the right edge the width is cut; at or beyond it nothing is left.
    box->SetPosition({250, 0});
    EXPECT_EQ(box->AdjustGeometry(QRect(0, 0, 100, 20)).width(), 50);
    box->SetPosition({300, 0});
    EXPECT_EQ(box->AdjustGeometry(QRect(0, 0, 100, 20)).width(), 0);
    box->SetPosition({320, 0});
    EXPECT_EQ(box->AdjustGeometry(QRect(0, 0, 100, 20)).width(), 0);

    box->SetPosition({0, 0});
    box->setText(QStringLiteral("x"));
    box->SetFitToText(15);
    EXPECT_EQ(box->AdjustGeometry(QRect(0, 0, 100, 20)).width(), 25) << "one character: 10 plus the margin";
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
        EXPECT_EQ(box->FitTextWidth(), c.expected) << c.text.toStdString();
    }
}

TEST_F(GridEditTest, MovingTheFocusAwayConfirmsButAPopupDoesNot) {
    open(QStringLiteral("abc"));
    QSignalSpy ended(box, &GridEdit::editEnded);

    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(box, &popup);
    QFocusEvent deactivated(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(box, &deactivated);
    EXPECT_EQ(ended.count(), 0);

    other->setFocus(Qt::MouseFocusReason);
    ASSERT_EQ(ended.count(), 1);
    EXPECT_TRUE(ended.at(0).at(0).toBool());
    int key = -1;
    bool shift = false;
    bool ctrl = false;
    EXPECT_FALSE(box->GetEndKey(key, shift, ctrl));
}

TEST_F(GridEditTest, TheCheckerRefusesTypedAndPastedChangesAsAWhole) {
    std::vector<std::pair<QString, QString>> asked;
    box->setTextValidator([&asked](const QString& before, const QString& after) {
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

    EXPECT_FALSE(box->acceptsChange(QStringLiteral("a"), QStringLiteral("a\nb")));
    box->setTextValidator({});
    EXPECT_TRUE(box->acceptsChange(QStringLiteral("a"), QStringLiteral("a\nb")));
    QApplication::clipboard()->setText(QStringLiteral("\n"));
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_NE(box->text(), QStringLiteral("abcxy1")) << "without a checker everything is taken";
}

// A cell may hold what no edit may add (a line break read from a file): the box shows it, and the
// check stays on for every change after it.
TEST_F(GridEditTest, AnOddStartingTextDoesNotSwitchTheCheckerOff) {
    const auto newLines = [](const QString& text) { return text.count(QLatin1Char('\n')); };
    box->setTextValidator([&newLines](const QString& before, const QString& after) {
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

    box->ReplaceText(QStringLiteral("\n\n"));
    EXPECT_EQ(box->text(), QStringLiteral("\n\n")) << "the program's own text is not judged";
    EXPECT_EQ(box->cursorPosition(), 2);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box->text(), QStringLiteral("\n\n"));
}

} // namespace
