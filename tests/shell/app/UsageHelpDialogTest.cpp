// The usage help window: its exact text, read-only but selectable, shown from line 1 each time it
// becomes visible, Enter ignored, Escape and the close box hiding it and handing the focus back.
#include "UsageHelpDialog.h"
#include "TextCodec.h"

#include <QApplication>
#include <QClipboard>
#include <QCryptographicHash>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace vornak;

namespace {

// The window's text as the file era stored it: its lines joined by CR LF, in Windows-1251.
std::string shownBytes(const UsageHelpDialog& help) {
    const QString text = help.helpEdit()->toPlainText().replace(QChar(u'\n'), QStringLiteral("\r\n"));
    return vornak::TextCodec::encode(text);
}

// A stand-in for the main form: a window with an edit that has the focus.
struct Form {
    QWidget window;
    QLineEdit* edit = new QLineEdit(&window);
    Form() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        window.show();
        window.activateWindow();
        edit->setFocus();
    }
};

} // namespace

TEST(UsageHelpDialog, ShowsTheHelpTextByteForByte) {
    UsageHelpDialog help;
    EXPECT_EQ(help.windowTitle(), QStringLiteral("Краткая информация по использованию программы"));
    const std::string bytes = shownBytes(help);
    EXPECT_EQ(bytes.size(), 1275u);
    const QByteArray digest =
        QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha256).toHex();
    EXPECT_EQ(digest, QByteArray("b4898d3b7a08cabcd11281d6222418ace9cc5ef9090f7ca6b2c6ec2f87258e6a"));

    const QStringList lines = help.helpEdit()->toPlainText().split(QChar(u'\n'));
    ASSERT_EQ(lines.size(), 31);
    for (int line : {8, 17, 20, 26}) {
        EXPECT_TRUE(lines[line - 1].isEmpty()) << "line " << line;
    }
    EXPECT_EQ(
        lines[18],
        QStringLiteral("Если результат кода - строка, то она объединяется с другими числами или строками."));
    EXPECT_EQ(lines[30], QStringLiteral("#X(n) - результат № n в таблице результатов"));
}

TEST(UsageHelpDialog, IsCreatedHiddenAsAWindowOfItsOwn) {
    UsageHelpDialog help;
    EXPECT_FALSE(help.isVisible());
    EXPECT_TRUE(help.isWindow());
    EXPECT_EQ(help.parentWidget(), nullptr);
    EXPECT_FALSE(help.isModal());
}

TEST(UsageHelpDialog, TextCanBeSelectedAndCopiedButNotChanged) {
    Form form;
    UsageHelpDialog help;
    help.setMainWindow(&form.window);
    help.showAndActivate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&help));
    QPlainTextEdit* edit = help.helpEdit();
    const QString before = edit->toPlainText();

    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClick(edit, Qt::Key_X);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->toPlainText(), before);

    QTest::keyClick(edit, Qt::Key_End, Qt::ShiftModifier);
    const QString firstLine = before.section(QChar(u'\n'), 0, 0);
    EXPECT_EQ(edit->textCursor().selectedText(), firstLine);
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), firstLine);
}

TEST(UsageHelpDialog, ShowsLineOneWithNothingSelectedEachTimeItBecomesVisible) {
    Form form;
    UsageHelpDialog help;
    help.setMainWindow(&form.window);
    help.showAndActivate();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    QPlainTextEdit* edit = help.helpEdit();
    EXPECT_EQ(edit->textCursor().position(), 0);
    EXPECT_FALSE(edit->textCursor().hasSelection());

    QTextCursor far = edit->textCursor();
    far.movePosition(QTextCursor::End);
    far.movePosition(QTextCursor::PreviousWord, QTextCursor::KeepAnchor);
    edit->setTextCursor(far);
    edit->verticalScrollBar()->setValue(edit->verticalScrollBar()->maximum());

    // Help again while visible only activates: the selection stays.
    help.showAndActivate();
    EXPECT_TRUE(edit->textCursor().hasSelection());

    help.reject();
    ASSERT_FALSE(help.isVisible());
    help.showAndActivate();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    EXPECT_EQ(edit->textCursor().position(), 0);
    EXPECT_FALSE(edit->textCursor().hasSelection());
    EXPECT_EQ(edit->verticalScrollBar()->value(), 0);
}

TEST(UsageHelpDialog, EnterDoesNothing) {
    Form form;
    UsageHelpDialog help;
    help.setMainWindow(&form.window);
    help.showAndActivate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&help));
    const QString before = help.helpEdit()->toPlainText();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        QTest::keyClick(help.helpEdit(), key);
        QTest::keyClick(&help, key);
    }
    EXPECT_TRUE(help.isVisible());
    EXPECT_EQ(help.helpEdit()->toPlainText(), before);
}

TEST(UsageHelpDialog, EscapeAndTheCloseBoxHideItAndGiveTheFocusBack) {
    enum class Way { Escape, CloseBox };
    for (Way way : {Way::Escape, Way::CloseBox}) {
        SCOPED_TRACE(way == Way::Escape ? "Escape" : "close box");
        Form form;
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form.window));
        UsageHelpDialog help;
        help.setMainWindow(&form.window);
        help.showAndActivate();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&help));

        if (way == Way::Escape) {
            QTest::keyClick(help.helpEdit(), Qt::Key_Escape);
        } else {
            help.close();
        }
        EXPECT_FALSE(help.isVisible());
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form.window));
        EXPECT_EQ(QApplication::focusWidget(), form.edit);

        // Hidden, not gone: the next Help shows the same window and text.
        help.showAndActivate();
        EXPECT_TRUE(help.isVisible());
        EXPECT_EQ(help.helpEdit()->toPlainText().split(QChar(u'\n')).size(), 31);
    }
}
