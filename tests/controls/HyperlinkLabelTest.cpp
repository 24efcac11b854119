// The hyperlink label and its base: colours before and after a scripted success and failure, the
// failure messages, fit-to-text for the three alignments, tooltip and cursor.
#include "HyperlinkLabel.h"
#include "StaticLabel.h"
#include "LinkAction.h"
#include "ScriptedMessageBox.h"
#include "ScriptedShellOpener.h"

#include <QApplication>
#include <QBitmap>
#include <QPixmap>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using vornak::MessageKind;
using vornak::ScriptedMessageBox;
using vornak::ScriptedShellOpener;
using vornak::ShellFailure;

namespace {

const QColor blue(0, 0, 255);
const QColor purple(128, 0, 128);
const QString address = QStringLiteral("http://vornak.example/");

struct LinkFixture {
    QWidget parent;
    HyperlinkLabel* link = nullptr;
    ScriptedShellOpener shell;
    ScriptedMessageBox boxes;
    int beeps = 0;

    explicit LinkFixture(const QString& text = address) {
        parent.resize(400, 200);
        link = new HyperlinkLabel(text, &parent);
        link->setGeometry(100, 50, 200, 40);
        QFont crisp = link->font();
        crisp.setStyleStrategy(QFont::NoAntialias);
        link->setFont(crisp);
        link->Action().SetShellOpener(&shell);
        link->Action().SetMessageBox(&boxes);
        link->Action().SetBeep([this] { ++beeps; });
    }

    void show() {
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }

    void click() { QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2)); }

    // Whether the painted label shows some pixel of that colour (text drawn without smoothing).
    bool painted(const QColor& colour) const {
        const QImage image = link->grab().toImage();
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixelColor(x, y) == colour) {
                    return true;
                }
            }
        }
        return false;
    }
};

} // namespace

TEST(HyperlinkLabel, ScriptedSuccessTurnsTheLinkPurple) {
    LinkFixture f;
    f.show();
    EXPECT_EQ(f.link->CtlColor(), blue);
    EXPECT_TRUE(f.painted(blue));
    EXPECT_FALSE(f.link->IsVisited());
    EXPECT_TRUE(f.link->OwnFont().has_value());
    EXPECT_TRUE(f.link->OwnFont()->underline());

    f.shell.enqueueSuccess();
    f.click();

    ASSERT_EQ(f.shell.requests().size(), 1u);
    EXPECT_EQ(f.shell.requests()[0].target, address) << "the text is the target";
    EXPECT_TRUE(f.link->IsVisited());
    EXPECT_EQ(f.link->CtlColor(), purple);
    EXPECT_TRUE(f.painted(purple));
    EXPECT_FALSE(f.painted(blue));
    EXPECT_EQ(f.link->Action().ErrorCode(), -1);
    EXPECT_NE(f.link->Action().InstanceHandle(), 0u);
    EXPECT_TRUE(f.link->Action().Target().isEmpty()) << "the borrowed target is given back";
    EXPECT_TRUE(f.boxes.requests().empty());
    EXPECT_EQ(f.beeps, 0);

    // A later failure does not make it unvisited.
    f.shell.enqueueFailure(ShellFailure::NoApplication);
    f.click();
    EXPECT_TRUE(f.link->IsVisited());
    EXPECT_EQ(f.link->CtlColor(), purple);
}

TEST(HyperlinkLabel, ScriptedFailureBeepsShowsItsMessageAndStaysBlue) {
    struct Case {
        int errorCode;
        const char* message;
    };
    const Case cases[] = {
        {2, "The specified file was not found."},
        {31, "There is no application associated\nwith the given filename extension."},
        {0, "Unknown error!"}, // the original platform's failures that cannot occur here
        {30, "Unknown error!"},
        {1, "Unknown error!"},
        {4, "Unknown error!"},
        {33, "Unknown error!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.errorCode);
        LinkFixture f;
        f.show();
        f.shell.enqueueError(c.errorCode);
        f.click();

        EXPECT_FALSE(f.link->IsVisited());
        EXPECT_EQ(f.link->CtlColor(), blue);
        EXPECT_TRUE(f.painted(blue));
        EXPECT_EQ(f.link->Action().ErrorCode(), c.errorCode);
        EXPECT_EQ(f.link->Action().InstanceHandle(), 0u);
        EXPECT_EQ(f.beeps, 1);
        ASSERT_EQ(f.boxes.requests().size(), 1u);
        EXPECT_EQ(f.boxes.requests()[0].kind, MessageKind::Error);
        EXPECT_EQ(f.boxes.requests()[0].text, QString::fromUtf8(c.message));
    }
}

TEST(HyperlinkLabel, PlatformFailuresMapToTheirMessages) {
    const struct {
        ShellFailure failure;
        const char* message;
    } cases[] = {
        {ShellFailure::MissingFile, "The specified file was not found."},
        {ShellFailure::NoApplication,
         "There is no application associated\nwith the given filename extension."},
    };
    for (const auto& c : cases) {
        LinkFixture f;
        f.show();
        f.shell.enqueueFailure(c.failure);
        f.click();
        ASSERT_EQ(f.boxes.requests().size(), 1u);
        EXPECT_EQ(f.boxes.requests()[0].text, QString::fromUtf8(c.message));
    }
}

TEST(HyperlinkLabel, FailureWithoutShowErrorsIsSilent) {
    LinkFixture f;
    f.link->SetShowErrors(false);
    f.show();
    f.shell.enqueueFailure(ShellFailure::MissingFile);
    EXPECT_FALSE(f.link->FollowLink());
    EXPECT_EQ(f.link->Action().ErrorCode(), 2);
    EXPECT_TRUE(f.boxes.requests().empty());
    EXPECT_EQ(f.beeps, 0);
}

TEST(HyperlinkLabel, AnExplicitTargetIsOpenedAndShownInTheTooltip) {
    LinkFixture f;
    f.link->Action().SetTarget(QStringLiteral("/tmp/report.doc"));
    f.link->Action().SetDirectory(QStringLiteral("/tmp"));
    f.show();
    EXPECT_EQ(f.link->toolTip(), QStringLiteral("/tmp/report.doc"));
    f.click();
    ASSERT_EQ(f.shell.requests().size(), 1u);
    EXPECT_EQ(f.shell.requests()[0].target, QStringLiteral("/tmp/report.doc"));
    EXPECT_EQ(f.shell.requests()[0].directory, QStringLiteral("/tmp"));
    EXPECT_EQ(f.link->Action().Target(), QStringLiteral("/tmp/report.doc"));
}

TEST(HyperlinkLabel, TooltipFollowsTheText) {
    LinkFixture f;
    f.show();
    EXPECT_EQ(f.link->toolTip(), address);
    f.link->setText(QStringLiteral("http://other.example/"));
    EXPECT_EQ(f.link->toolTip(), QStringLiteral("http://other.example/"));
    f.link->SetToolTipEnabled(false);
    EXPECT_TRUE(f.link->toolTip().isEmpty());
    f.link->SetToolTipEnabled(true);
    f.link->SetToolTipText(QStringLiteral("fixed"));
    f.link->setText(QStringLiteral("http://third.example/"));
    EXPECT_EQ(f.link->toolTip(), QStringLiteral("fixed"));
}

TEST(HyperlinkLabel, HandCursorComesFromItsSource) {
    QPixmap hand(32, 32);
    hand.fill(Qt::black);
    const QCursor cursor(QBitmap::fromPixmap(hand), QBitmap::fromPixmap(hand), 5, 0);
    {
        LinkFixture f;
        f.link->SetCursorSource([&] { return std::optional<QCursor>(cursor); });
        f.show();
        ASSERT_TRUE(f.link->LinkCursor().has_value());
        EXPECT_EQ(f.link->cursor().shape(), Qt::BitmapCursor);
        EXPECT_EQ(f.link->cursor().hotSpot(), QPoint(5, 0));
    }
    {
        LinkFixture f;
        f.link->SetCursorSource([] { return std::optional<QCursor>(); });
        f.show();
        EXPECT_FALSE(f.link->LinkCursor().has_value());
        EXPECT_FALSE(f.link->testAttribute(Qt::WA_SetCursor)) << "the cursor stays as it was";
    }
}

TEST(StaticLabel, FitToTextKeepsTheEdgeItsAlignmentNames) {
    const QString text = QStringLiteral("abc");
    struct Case {
        const char* name;
        Qt::Alignment alignment;
        int extraWidth;  // the label's width over its text's before fitting
        int extraHeight; // and its height over the text's
        QRect expected;  // relative to the text's size w x h at the label's old top-left corner
    };
    // A centred label moves both edges in by half the difference, truncated: an odd difference
    // leaves one pixel more than the text needs. The other alignments take the text's size.
    const Case cases[] = {
        {"left", Qt::AlignLeft | Qt::AlignTop, 40, 20, QRect(0, 0, 0, 0)},
        {"right", Qt::AlignRight | Qt::AlignTop, 40, 20, QRect(40, 0, 0, 0)},
        {"right, odd difference", Qt::AlignRight | Qt::AlignTop, 41, 21, QRect(41, 0, 0, 0)},
        {"centre", Qt::AlignHCenter | Qt::AlignTop, 40, 20, QRect(20, 0, 0, 0)},
        {"centre, odd difference", Qt::AlignHCenter | Qt::AlignTop, 41, 20, QRect(20, 0, 1, 0)},
        {"vertically centred", Qt::AlignLeft | Qt::AlignVCenter, 40, 20, QRect(0, 10, 0, 0)},
        {"vertically centred, odd difference", Qt::AlignLeft | Qt::AlignVCenter, 40, 21,
         QRect(0, 10, 0, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkFixture f(text);
        f.link->setAlignment(c.alignment);
        QFont font = f.link->font();
        font.setUnderline(true);
        const QFontMetrics metrics(font);
        const int width = metrics.horizontalAdvance(text);
        const int height = metrics.height();
        const QPoint origin(100, 50);
        f.link->setGeometry(QRect(origin, QSize(width + c.extraWidth, height + c.extraHeight)));
        f.show();
        ASSERT_EQ(QFontMetrics(*f.link->OwnFont()).horizontalAdvance(text), width);
        const QRect expected(origin + c.expected.topLeft(),
                             QSize(width + c.expected.width(), height + c.expected.height()));
        EXPECT_EQ(f.link->geometry(), expected);
        // A second fit finds nothing to change.
        f.link->FitToText();
        EXPECT_EQ(f.link->geometry(), expected);
    }
}

TEST(StaticLabel, FitToTextFollowsNewTextAndIsCutToTheParent) {
    LinkFixture f(QStringLiteral("short"));
    f.show();
    const QFontMetrics metrics(*f.link->OwnFont());
    const QString longer = QStringLiteral("a noticeably longer text");
    f.link->setText(longer);
    EXPECT_EQ(f.link->width(), metrics.horizontalAdvance(longer));
    EXPECT_EQ(f.link->x(), 100);

    f.link->setText(QString(200, QChar(u'W')));
    EXPECT_EQ(f.link->width(), f.parent.width());

    // Resizing a fitting label from outside fits it back to its text.
    f.link->setText(longer);
    f.link->resize(300, 60);
    EXPECT_EQ(f.link->size(), QSize(metrics.horizontalAdvance(longer), metrics.height()));
}

TEST(StaticLabel, PlainStaticKeepsItsSizeAndColours) {
    QWidget parent;
    parent.resize(300, 100);
    auto* label = new StaticLabel(QStringLiteral("plain"), &parent);
    label->setGeometry(10, 10, 150, 30);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    EXPECT_EQ(label->geometry(), QRect(10, 10, 150, 30));
    EXPECT_EQ(label->Placement(), QRect(10, 10, 150, 30));
    EXPECT_EQ(label->CtlColor(), label->palette().color(QPalette::WindowText));
    EXPECT_FALSE(label->OwnFont()->underline());
    EXPECT_TRUE(label->toolTip().isEmpty()) << "the base label's tooltip starts disabled";
    label->move(20, 15);
    EXPECT_EQ(label->Placement(), QRect(20, 15, 150, 30));
}

TEST(StaticLabel, PictureLabelGetsNoFontAndIsNotResized) {
    QWidget parent;
    parent.resize(300, 100);
    auto* link = new HyperlinkLabel(&parent);
    QPixmap picture(20, 20);
    picture.fill(Qt::red);
    link->setPixmap(picture);
    link->setGeometry(10, 10, 150, 30);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    EXPECT_FALSE(link->IsTextStatic());
    EXPECT_FALSE(link->OwnFont().has_value());
    EXPECT_EQ(link->geometry(), QRect(10, 10, 150, 30));
}

TEST(StaticLabel, ClickIsALeftButtonReleasedOverTheLabel) {
    QWidget parent;
    parent.resize(300, 100);
    auto* label = new StaticLabel(QStringLiteral("press"), &parent);
    label->setGeometry(10, 10, 100, 30);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    int clicks = 0;
    QObject::connect(label, &StaticLabel::clicked, [&] { ++clicks; });
    QTest::mouseClick(label, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseClick(label, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mousePress(label, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseRelease(label, Qt::LeftButton, Qt::NoModifier, QPoint(500, 5));
    EXPECT_EQ(clicks, 1);
}
