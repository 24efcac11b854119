// The About box: its texts and link, the link's defaults and failures, modality, and the four
// ways of closing it.
#include "AboutDialog.h"
#include "HyperlinkLabel.h"
#include "PlatformServices.h"
#include "ScriptedMessageBox.h"
#include "ScriptedShellOpener.h"
#include "Texts.h"
#include "VornakVersion.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <gtest/gtest.h>

using namespace vornak;

namespace {

struct AboutFixture {
    ScriptedShellOpener shell;
    ScriptedMessageBox boxes;
    PlatformServices services;
    AboutFixture() {
        services.shellOpener = &shell;
        services.messageBox = &boxes;
    }
};

QStringList labelTexts(const QDialog& dialog) {
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        if (!label->text().isEmpty() && qobject_cast<const HyperlinkLabel*>(label) == nullptr) {
            texts << label->text();
        }
    }
    return texts;
}

} // namespace

TEST(AboutDialog, ShowsItsTextsIconAndWebAddress) {
    AboutFixture f;
    AboutDialog about(f.services);
    EXPECT_EQ(about.windowTitle(), QStringLiteral("О программе"));
    EXPECT_EQ(labelTexts(about), (QStringList{
                                     QStringLiteral("Программа \"Vornak\" позволяет"),
                                     QStringLiteral("создавать программы, вычисляющие"),
                                     QStringLiteral("некоторые значения по введенным параметрам."),
                                     QStringLiteral("Программист: Ведунов П.Р."),
                                 }));
    ASSERT_NE(about.okButton(), nullptr);
    EXPECT_EQ(about.okButton()->text(), QStringLiteral("OK"));
    EXPECT_TRUE(about.okButton()->isDefault());

    bool hasIcon = false;
    for (const QLabel* label : about.findChildren<QLabel*>()) {
        hasIcon = hasIcon || !label->pixmap().isNull();
    }
    EXPECT_TRUE(hasIcon);

    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    HyperlinkLabel* link = about.webLink();
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->text(), texts::aboutWebAddress);
    // Every default of the link.
    EXPECT_FALSE(link->IsVisited());
    EXPECT_EQ(link->CtlColor(), QColor(0, 0, 255));
    EXPECT_TRUE(link->OwnFont()->underline());
    EXPECT_EQ(link->toolTip(), texts::aboutWebAddress);
    ASSERT_TRUE(link->LinkCursor().has_value());
    EXPECT_EQ(link->cursor().hotSpot(), QPoint(5, 0));
    EXPECT_EQ(link->width(), QFontMetrics(*link->OwnFont()).horizontalAdvance(texts::aboutWebAddress))
        << "shrunk to its text";
    EXPECT_TRUE(about.rect().contains(link->geometry()));
}

// Hovering over the box's texts shows the version; the link keeps its own tip, the address.
TEST(AboutDialog, TooltipOverTheTextsNamesTheVersion) {
    AboutFixture f;
    AboutDialog about(f.services);
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    const QString version = QStringLiteral("Vornak ") + QString::fromLatin1(VORNAK_VERSION);

    const auto tipOver = [](QWidget* widget) {
        QToolTip::hideText();
        const QPoint inside(2, 2);
        QHelpEvent event(QEvent::ToolTip, inside, widget->mapToGlobal(inside));
        QApplication::sendEvent(widget, &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QLabel* description = nullptr;
    for (QLabel* label : about.findChildren<QLabel*>()) {
        if (label->text().startsWith(QStringLiteral("Программа"))) {
            description = label;
        }
    }
    ASSERT_NE(description, nullptr);
    EXPECT_EQ(tipOver(description), version);
    EXPECT_EQ(tipOver(&about), version);
    EXPECT_EQ(tipOver(about.webLink()), texts::aboutWebAddress);
    QToolTip::hideText();
}

TEST(AboutDialog, LinkOpensTheAddressAndReportsFailuresWhileTheBoxStaysOpen) {
    AboutFixture f;
    AboutDialog about(f.services);
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    HyperlinkLabel* link = about.webLink();

    f.shell.enqueueFailure(ShellFailure::NoApplication);
    QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    ASSERT_EQ(f.boxes.requests().size(), 1u);
    EXPECT_EQ(f.boxes.requests()[0].text,
              QStringLiteral("There is no application associated\nwith the given filename extension."));
    EXPECT_FALSE(link->IsVisited());
    EXPECT_TRUE(about.isVisible());

    f.shell.enqueueSuccess();
    QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    ASSERT_EQ(f.shell.requests().size(), 2u);
    EXPECT_EQ(f.shell.requests()[1].target, texts::aboutWebAddress);
    EXPECT_TRUE(link->IsVisited());
    EXPECT_EQ(link->CtlColor(), QColor(128, 0, 128));
    EXPECT_TRUE(about.isVisible());

    // A new box shows the link as not yet followed.
    AboutDialog next(f.services);
    EXPECT_FALSE(next.webLink()->IsVisited());
}

TEST(AboutDialog, OkEnterEscapeAndTheCloseBoxCloseIt) {
    enum class Way { Ok, Enter, Escape, CloseBox };
    const struct {
        Way way;
        const char* name;
        QDialog::DialogCode result;
    } cases[] = {
        {Way::Ok, "OK", QDialog::Accepted},
        {Way::Enter, "Enter", QDialog::Accepted},
        {Way::Escape, "Escape", QDialog::Rejected},
        {Way::CloseBox, "close box", QDialog::Rejected},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AboutFixture f;
        QWidget form;
        form.show();
        AboutDialog about(f.services, &form);
        bool blockedForm = false;
        QTimer::singleShot(0, &about, [&] {
            blockedForm = QApplication::activeModalWidget() == &about;
            switch (c.way) {
            case Way::Ok:
                QTest::mouseClick(about.okButton(), Qt::LeftButton);
                break;
            case Way::Enter:
                QTest::keyClick(&about, Qt::Key_Return);
                break;
            case Way::Escape:
                QTest::keyClick(&about, Qt::Key_Escape);
                break;
            case Way::CloseBox:
                about.close();
                break;
            }
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, &about, [&] { about.done(-1); });
        watchdog.start(5000);
        EXPECT_EQ(about.exec(), c.result);
        EXPECT_TRUE(blockedForm) << "the form takes no input while the box is open";
        EXPECT_FALSE(about.isVisible());
        EXPECT_TRUE(f.boxes.requests().empty());
        EXPECT_TRUE(f.shell.requests().empty());
    }
}
