// The definition-text validator on real line edits: typed and pasted changes are judged by what
// they add, texts the program sets are shown as they are and never switch the check off.
#include "DefinitionTextValidator.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

using namespace vornak;

namespace {

// The validator on the kind of edit the form uses.
class ValidatedLineEdit : public ::testing::Test {
protected:
    void SetUp() override {
        edit.setValidator(new DefinitionTextValidator(&edit));
        edit.setText(QStringLiteral("Эксперт"));
        edit.show();
        edit.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&edit));
        edit.setFocus();
        edit.end(false);
    }

    void paste(const QString& clip) {
        QGuiApplication::clipboard()->setText(clip);
        ASSERT_EQ(QGuiApplication::clipboard()->text(), clip);
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    }

    void type(const QString& text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
        QApplication::sendEvent(&edit, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, text);
        QApplication::sendEvent(&edit, &release);
    }

    QLineEdit edit;
};

TEST_F(ValidatedLineEdit, PastingALineBreakOrAnEmojiChangesNothing) {
    const QString refused[] = {
        QStringLiteral("a\nb"),          QStringLiteral("a\r\nb"),        QStringLiteral("😀"),
        QString::fromUtf16(u"x\u2028y"), QString(2047, QLatin1Char('z')),
    };
    for (const QString& clip : refused) {
        paste(clip);
        EXPECT_EQ(edit.text(), QStringLiteral("Эксперт")) << clip.left(10).toStdString();
        EXPECT_EQ(edit.cursorPosition(), 7);
    }
    // Undo after a refused paste does not lose the text either.
    edit.undo();
    EXPECT_EQ(edit.text(), QStringLiteral("Эксперт"));
}

TEST_F(ValidatedLineEdit, PastingAFittingTextInsertsIt) {
    paste(QStringLiteral(" № 7"));
    EXPECT_EQ(edit.text(), QStringLiteral("Эксперт № 7"));
}

TEST_F(ValidatedLineEdit, TypingCyrillicIsAcceptedAndAnEmojiIsNot) {
    type(QStringLiteral("ж"));
    EXPECT_EQ(edit.text(), QStringLiteral("Экспертж"));
    type(QStringLiteral("😀"));
    EXPECT_EQ(edit.text(), QStringLiteral("Экспертж"));
}

TEST_F(ValidatedLineEdit, TypingStopsAtTheLongestLine) {
    edit.setText(QString(2046, QLatin1Char('a')));
    edit.end(false);
    type(QStringLiteral("ж"));
    EXPECT_EQ(edit.text().size(), 2047);
    type(QStringLiteral("ж"));
    EXPECT_EQ(edit.text().size(), 2047);
    EXPECT_TRUE(edit.hasAcceptableInput());
}

// Texts the program sets from a file may already hold what no edit may add; they are shown as they
// are and the check stays on for every change after them.
struct OddStartCase {
    const char* name;
    QString start;
    bool growthAllowed;
};

void PrintTo(const OddStartCase& c, std::ostream* os) {
    *os << c.name;
}

class ValidatedLineEditOddStart : public ValidatedLineEdit,
                                  public ::testing::WithParamInterface<OddStartCase> {};

TEST_P(ValidatedLineEditOddStart, TheCheckStaysOnAfterAnOddText) {
    const OddStartCase& c = GetParam();
    edit.setText(c.start);
    ASSERT_EQ(edit.text(), c.start) << "the program's text is shown as it is";
    edit.end(false);

    paste(QStringLiteral("x\ny"));
    EXPECT_EQ(edit.text(), c.start) << "a pasted line break";
    type(QStringLiteral("😀"));
    EXPECT_EQ(edit.text(), c.start) << "a character Windows-1251 lacks";
    paste(QStringLiteral("\u20AC\u03BB"));
    EXPECT_EQ(edit.text(), c.start) << "a paste holding one unencodable character";

    type(QStringLiteral("ж"));
    EXPECT_EQ(edit.text(), c.growthAllowed ? c.start + QStringLiteral("ж") : c.start);
    QTest::keyClick(&edit, Qt::Key_Home);
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text().size(), c.start.size() - (c.growthAllowed ? 0 : 1)) << "deleting is always allowed";
    paste(QStringLiteral("\r"));
    EXPECT_FALSE(edit.text().startsWith(QLatin1Char('\r')));
}

INSTANTIATE_TEST_SUITE_P(FromFile, ValidatedLineEditOddStart,
                         ::testing::Values(OddStartCase{"CarriageReturn", QStringLiteral("Рост\rстоя"), true},
                                           OddStartCase{"LineFeedAtEnd", QStringLiteral("Рост\n"), true},
                                           OddStartCase{"Unencodable", QStringLiteral("λ-индекс"), true},
                                           OddStartCase{"OverLong", QString(2050, QChar(0x0436)), false}),
                         [](const ::testing::TestParamInfo<OddStartCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(DefinitionTextValidator, WithoutALineEditJudgesTheWholeText) {
    DefinitionTextValidator validator;
    QString text = QStringLiteral("a\rb");
    int pos = 0;
    EXPECT_EQ(validator.validate(text, pos), QValidator::Invalid);
    text = QStringLiteral("ab");
    EXPECT_EQ(validator.validate(text, pos), QValidator::Acceptable);
}

} // namespace
