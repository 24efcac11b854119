#include "ProblemCountLabel.h"

#include "QStringPrinter.h"
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using vornak::ProblemCountLabel;

TEST(ProblemCountLabel, WordsEveryCount) {
    const struct {
        int count;
        const char* text;
    } cases[] = {
        {0, "Замечаний нет"},  {1, "Замечания: 1"},       {2, "Замечания: 2"},   {5, "Замечания: 5"},
        {21, "Замечания: 21"}, {1000, "Замечания: 1000"}, {-3, "Замечаний нет"},
    };
    ProblemCountLabel label;
    for (const auto& c : cases) {
        label.setCount(c.count);
        EXPECT_EQ(label.text(), QString::fromUtf8(c.text)) << c.count;
        EXPECT_EQ(label.count(), std::max(c.count, 0));
    }
    // Back to none after some.
    label.setCount(4);
    label.setCount(0);
    EXPECT_EQ(label.text(), QStringLiteral("Замечаний нет"));
}

TEST(ProblemCountLabel, AClickActivatesItButNotADragOffItOrAnotherButton) {
    ProblemCountLabel label;
    label.setCount(3);
    label.resize(label.sizeHint());
    label.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&label));
    QSignalSpy activated(&label, &ProblemCountLabel::activated);

    QTest::mouseClick(&label, Qt::LeftButton, Qt::NoModifier, label.rect().center());
    EXPECT_EQ(activated.count(), 1);

    QTest::mouseClick(&label, Qt::RightButton, Qt::NoModifier, label.rect().center());
    EXPECT_EQ(activated.count(), 1);

    // Pressed on the label, released beside it: cancelled, as a button does.
    QTest::mousePress(&label, Qt::LeftButton, Qt::NoModifier, label.rect().center());
    QTest::mouseRelease(&label, Qt::LeftButton, Qt::NoModifier, QPoint(label.width() + 20, 2));
    EXPECT_EQ(activated.count(), 1);
}

TEST(ProblemCountLabel, EnterAndSpaceActivateItFromTheKeyboard) {
    ProblemCountLabel label;
    label.show();
    label.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&label));
    label.setFocus();
    QSignalSpy activated(&label, &ProblemCountLabel::activated);

    QTest::keyClick(&label, Qt::Key_Return);
    QTest::keyClick(&label, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(&label, Qt::Key_Space);
    EXPECT_EQ(activated.count(), 3);

    // Other keys and modified ones do nothing.
    QTest::keyClick(&label, Qt::Key_A);
    QTest::keyClick(&label, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(activated.count(), 3);
}
