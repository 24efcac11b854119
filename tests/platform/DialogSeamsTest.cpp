// File dialogs and message boxes: the filter and extension conversions, the scripted seams the
// editor's tests rely on, and the real Qt dialogs driven as a user would.
#include "QtFileDialogs.h"
#include "QtMessageBox.h"
#include "ScriptedFileDialogs.h"
#include "ScriptedMessageBox.h"
#include "Texts.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <deque>
#include <functional>
#include <gtest/gtest.h>

using namespace vornak;

TEST(FileDialogs, FilterConversion) {
    struct Case {
        QString windows;
        QString qt;
    };
    const Case cases[] = {
        {QStringLiteral("Report Files(*.rpt)|*.rpt||"), QStringLiteral("Report Files (*.rpt)")},
        {QStringLiteral("Text Files(*.txt)|*.txt||"), QStringLiteral("Text Files (*.txt)")},
        {QStringLiteral("Word Files (*.doc)|*.doc|Text Files (*.txt)|*.txt|All Files (*.*)|*.*||"),
         QStringLiteral("Word Files (*.doc);;Text Files (*.txt);;All Files (*)")},
        {QStringLiteral("Documents|*.doc;*.docx||"), QStringLiteral("Documents (*.doc *.docx)")},
        {QStringLiteral("Файлы отчётов|*.rpt|"), QStringLiteral("Файлы отчётов (*.rpt)")},
        {QStringLiteral("|*.rpt||"), QStringLiteral("*.rpt (*.rpt)")},
        {QStringLiteral("Lonely description||"), QString()},
        {QString(), QString()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(convertFilter(c.windows), c.qt) << c.windows.toStdString();
    }
}

TEST(FileDialogs, DefaultExtension) {
    struct Case {
        QString path;
        QString extension;
        QString expected;
    };
    const Case cases[] = {
        {QStringLiteral("/data/stature"), QStringLiteral("rpt"), QStringLiteral("/data/stature.rpt")},
        {QStringLiteral("/data/stature.rpt"), QStringLiteral("rpt"), QStringLiteral("/data/stature.rpt")},
        {QStringLiteral("/data/stature.txt"), QStringLiteral("rpt"), QStringLiteral("/data/stature.txt")},
        {QStringLiteral("/my.files/stature"), QStringLiteral("txt"), QStringLiteral("/my.files/stature.txt")},
        {QStringLiteral("/data/stature"), QString(), QStringLiteral("/data/stature")},
        {QStringLiteral("/data/stature"), QStringLiteral(".rpt"), QStringLiteral("/data/stature.rpt")},
        {QStringLiteral("отчёт"), QStringLiteral("rpt"), QStringLiteral("отчёт.rpt")},
        {QString(), QStringLiteral("rpt"), QString()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(appendDefaultExtension(c.path, c.extension), c.expected) << c.path.toStdString();
    }
}

TEST(ScriptedFileDialogs, AnswersInOrderAndRecordsRequests) {
    ScriptedFileDialogs dialogs;
    dialogs.enqueue(QStringLiteral("/data/stature"));
    dialogs.enqueue(std::nullopt);
    dialogs.enqueue(QStringLiteral("/data/table.csv"));

    EXPECT_EQ(
        dialogs.save(nullptr, texts::reportFilesFilter, QStringLiteral("rpt"), QStringLiteral("/old.rpt")),
        QStringLiteral("/data/stature.rpt"));
    EXPECT_EQ(dialogs.open(nullptr, texts::reportFilesFilter, QStringLiteral("rpt"), QString()),
              std::nullopt);
    EXPECT_EQ(
        dialogs.save(nullptr, texts::textFilesFilter, QStringLiteral("txt"), QStringLiteral("/data/stature")),
        QStringLiteral("/data/table.csv"));
    EXPECT_EQ(dialogs.pendingAnswers(), 0u);
    EXPECT_EQ(dialogs.unansweredCount(), 0);
    // Nothing queued: answered as Cancel, and counted so a test can tell.
    EXPECT_EQ(dialogs.open(nullptr, QString(), QString(), QString()), std::nullopt);
    EXPECT_EQ(dialogs.unansweredCount(), 1);

    ASSERT_EQ(dialogs.requests().size(), 4u);
    const FileDialogRequest& first = dialogs.requests()[0];
    EXPECT_EQ(first.kind, FileDialogKind::Save);
    EXPECT_TRUE(first.askOverwrite);
    EXPECT_EQ(first.initialFileName, QStringLiteral("/old.rpt"));
    EXPECT_EQ(first.filter, QStringLiteral("Report Files(*.rpt)|*.rpt||"));
    EXPECT_EQ(dialogs.requests()[1].kind, FileDialogKind::Open);
    EXPECT_FALSE(dialogs.requests()[1].askOverwrite);
    EXPECT_EQ(dialogs.requests()[2].defaultExtension, QStringLiteral("txt"));

    dialogs.clear();
    EXPECT_TRUE(dialogs.requests().empty());
    EXPECT_EQ(dialogs.unansweredCount(), 0);
}

TEST(ScriptedMessageBox, AnswersInOrderAndRecordsWhatWasShown) {
    ScriptedMessageBox box;
    box.enqueue(MessageAnswer::No);
    box.enqueue(MessageAnswer::Yes);
    EXPECT_EQ(box.askYesNoCancel(nullptr, texts::savePromptText, texts::savePromptCaption),
              MessageAnswer::No);
    box.showError(nullptr, QStringLiteral("Cannot open"), QStringLiteral("Error"));
    EXPECT_EQ(box.askYesNoCancel(nullptr, QStringLiteral("q"), QStringLiteral("c"), MessageAnswer::No),
              MessageAnswer::Yes);
    EXPECT_EQ(box.askYesNoCancel(nullptr, QStringLiteral("again"), QStringLiteral("c")),
              MessageAnswer::Cancel);
    EXPECT_EQ(box.unansweredCount(), 1);

    const std::vector<MessageRequest> expected = {
        {MessageKind::Question, texts::savePromptText, texts::savePromptCaption, MessageAnswer::Yes},
        {MessageKind::Error, QStringLiteral("Cannot open"), QStringLiteral("Error"), MessageAnswer::Ok},
        {MessageKind::Question, QStringLiteral("q"), QStringLiteral("c"), MessageAnswer::No},
        {MessageKind::Question, QStringLiteral("again"), QStringLiteral("c"), MessageAnswer::Yes},
    };
    EXPECT_EQ(box.requests(), expected);
}

namespace {

// Plays a user's part against modal windows: each step waits until a modal window of its type is
// active, then acts on it. Steps left over when the test ends mean a window never came.
class ModalScript {
public:
    ModalScript() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }

    template <typename Window> void then(std::function<void(Window*)> step) {
        steps_.push_back([this, step](QWidget* w) {
            auto* window = qobject_cast<Window*>(w);
            if (window == nullptr || !window->isVisible()) {
                return false;
            }
            // Acted on from a fresh event: the step may open a modal window of its own, and the
            // polling timer does not fire again while its own handler is still running.
            acting_ = true;
            QTimer::singleShot(0, window, [this, step, window] {
                acting_ = false;
                step(window);
            });
            return true;
        });
    }

    std::size_t pending() const { return steps_.size(); }

private:
    void poll() {
        if (steps_.empty() || acting_) {
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && steps_.front()(modal)) {
            steps_.pop_front();
        }
    }

    QTimer timer_;
    bool acting_ = false; // a step is scheduled and has not started yet
    std::deque<std::function<bool(QWidget*)>> steps_;
};

void typeFileName(QFileDialog* dialog, const QString& name) {
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    // Set rather than typed: typing would open the name completer's popup over the dialog.
    edit->setText(name);
    QTest::keyClick(edit, Qt::Key_Return);
}

QString touch(const QTemporaryDir& dir, const QString& name) {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    return file.fileName();
}

} // namespace

class QtFileDialogsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QTemporaryDir dir;
    QtFileDialogs dialogs;
    ModalScript script;
};

TEST_F(QtFileDialogsTest, OpenShowsTheFilterAndStartsAtTheCurrentFile) {
    const QString existing = touch(dir, QStringLiteral("stature.rpt"));
    script.then<QFileDialog>([&](QFileDialog* d) {
        EXPECT_EQ(d->nameFilters(), QStringList{QStringLiteral("Report Files (*.rpt)")});
        EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(d->directory().absolutePath(), dir.path());
        EXPECT_EQ(d->selectedFiles().value(0), existing);
        QTest::keyClick(d, Qt::Key_Return);
    });
    EXPECT_EQ(dialogs.open(nullptr, texts::reportFilesFilter, QStringLiteral("rpt"), existing), existing);
    EXPECT_EQ(script.pending(), 0u);
}

TEST_F(QtFileDialogsTest, CancelGivesNothing) {
    script.then<QFileDialog>([](QFileDialog* d) { QTest::keyClick(d, Qt::Key_Escape); });
    EXPECT_EQ(dialogs.open(nullptr, texts::reportFilesFilter, QStringLiteral("rpt"), QString()),
              std::nullopt);
    EXPECT_EQ(script.pending(), 0u);
}

TEST_F(QtFileDialogsTest, SaveAppendsTheDefaultExtension) {
    script.then<QFileDialog>([&](QFileDialog* d) {
        d->setDirectory(dir.path());
        typeFileName(d, QStringLiteral("table"));
    });
    EXPECT_EQ(dialogs.save(nullptr, texts::textFilesFilter, QStringLiteral("txt"), QString()),
              dir.filePath(QStringLiteral("table.txt")));
    EXPECT_EQ(script.pending(), 0u);
}

TEST_F(QtFileDialogsTest, SaveAsksBeforeReplacingAndNoGoesBackToTheDialog) {
    const QString existing = touch(dir, QStringLiteral("stature.rpt"));
    QString question;
    script.then<QFileDialog>([&](QFileDialog* d) {
        d->setDirectory(dir.path());
        typeFileName(d, QStringLiteral("stature")); // the extension comes from the default
    });
    script.then<QMessageBox>([&](QMessageBox* box) {
        question = box->text();
        box->button(QMessageBox::No)->click();
    });
    script.then<QFileDialog>([](QFileDialog* d) { typeFileName(d, QStringLiteral("stature.rpt")); });
    script.then<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    EXPECT_EQ(dialogs.save(nullptr, texts::reportFilesFilter, QStringLiteral("rpt"), QString()), existing);
    EXPECT_TRUE(question.contains(QStringLiteral("stature.rpt"))) << question.toStdString();
    EXPECT_EQ(script.pending(), 0u);
}

class QtMessageBoxTest : public ::testing::Test {
protected:
    QtMessageBox boxes;
    ModalScript script;
};

TEST_F(QtMessageBoxTest, SavePromptLooksAsSpecifiedAndEnterTakesTheDefault) {
    script.then<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->text(), QStringLiteral("Документ изменен. Сохранить?"));
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Предупреждение."));
        EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Yes));
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_EQ(boxes.askYesNoCancel(nullptr, texts::savePromptText, texts::savePromptCaption),
              MessageAnswer::Yes);
    EXPECT_EQ(script.pending(), 0u);
}

TEST_F(QtMessageBoxTest, AnswersFollowTheButtonsAndEscapeCancels) {
    script.then<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    script.then<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::No)->click(); });
    script.then<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
    script.then<QMessageBox>([](QMessageBox* box) { box->close(); });
    EXPECT_EQ(boxes.askYesNoCancel(nullptr, QStringLiteral("q"), QStringLiteral("c")), MessageAnswer::Cancel);
    EXPECT_EQ(boxes.askYesNoCancel(nullptr, QStringLiteral("q"), QStringLiteral("c")), MessageAnswer::No);
    EXPECT_EQ(boxes.askYesNoCancel(nullptr, QStringLiteral("q"), QStringLiteral("c"), MessageAnswer::No),
              MessageAnswer::No);
    EXPECT_EQ(boxes.askYesNoCancel(nullptr, QStringLiteral("q"), QStringLiteral("c")), MessageAnswer::Cancel);
    EXPECT_EQ(script.pending(), 0u);
}

TEST_F(QtMessageBoxTest, ErrorBoxShowsTextCaptionAndIcon) {
    script.then<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->text(), QStringLiteral("Unable to open the link."));
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Error"));
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        QTest::keyClick(box, Qt::Key_Return);
    });
    boxes.showError(nullptr, QStringLiteral("Unable to open the link."), QStringLiteral("Error"));
    EXPECT_EQ(script.pending(), 0u);
}

// Save As of a file whose name is no text, accepting the suggestion: the same bytes come back, and
// since the dialog itself looked for the shown text, the question about replacing comes from us.
TEST_F(QtFileDialogsTest, AcceptingTheSuggestedNameOfBytesGivesThoseBytes) {
    const QByteArray folder = QFile::encodeName(dir.path());
    const QByteArray bad = folder + "/bad\xff\xfe.rpt";
    FILE* raw = std::fopen(bad.constData(), "wb"); // through the bytes: QFile would take another name
    ASSERT_NE(raw, nullptr);
    std::fclose(raw);
    QString shownName;
    QString question;
    script.then<QFileDialog>([&](QFileDialog* d) {
        auto* edit = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        shownName = edit->text();
        EXPECT_EQ(d->directory().absolutePath(), dir.path());
        QTest::keyClick(edit, Qt::Key_Return);
    });
    script.then<QMessageBox>([&](QMessageBox* box) {
        question = box->text();
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(dialogs.saveNative(nullptr, texts::reportFilesFilter, QStringLiteral("rpt"), bad), bad);
    EXPECT_EQ(shownName, QStringLiteral("bad\\xFF\\xFE.rpt"));
    EXPECT_TRUE(question.contains(QStringLiteral("bad\\xFF\\xFE.rpt"))) << question.toStdString();
    EXPECT_EQ(script.pending(), 0u);
}

// The recovery question's own buttons: Enter takes the default, Escape and the close button the
// escape button, a click the button clicked.
TEST_F(QtMessageBoxTest, AChoiceOfOwnButtonsAnswersWithTheButtonsIndex) {
    const QStringList buttons = {QStringLiteral("Восстановить"), QStringLiteral("Удалить"),
                                 QStringLiteral("Позже")};
    script.then<QMessageBox>([&](QMessageBox* box) {
        EXPECT_EQ(box->text(), QStringLiteral("q"));
        EXPECT_EQ(box->windowTitle(), QStringLiteral("c"));
        ASSERT_NE(box->defaultButton(), nullptr);
        EXPECT_EQ(box->defaultButton()->text(), QStringLiteral("Восстановить"));
        QTest::keyClick(box, Qt::Key_Return);
    });
    script.then<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    script.then<QMessageBox>([](QMessageBox* box) { box->close(); });
    script.then<QMessageBox>([](QMessageBox* box) {
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == QStringLiteral("Удалить")) {
                button->click();
            }
        }
    });
    EXPECT_EQ(boxes.askChoice(nullptr, QStringLiteral("q"), QStringLiteral("c"), buttons, 0, 2), 0);
    EXPECT_EQ(boxes.askChoice(nullptr, QStringLiteral("q"), QStringLiteral("c"), buttons, 0, 2), 2);
    EXPECT_EQ(boxes.askChoice(nullptr, QStringLiteral("q"), QStringLiteral("c"), buttons, 0, 2), 2);
    EXPECT_EQ(boxes.askChoice(nullptr, QStringLiteral("q"), QStringLiteral("c"), buttons, 0, 2), 1);
    EXPECT_EQ(script.pending(), 0u);
}
