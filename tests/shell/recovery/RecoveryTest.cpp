// Recovery copies through the real main window: the copies of ended editors are offered back at start-up
// and restored as unsaved changes under their own path, Ctrl+S writes them there (asking first when
// the file changed since), the copy goes with a save or with No at the prompt, a damaged copy is
// reported and kept, a file another running editor holds is opened only when the user says so, and
// SIGTERM keeps what was typed and ends the editor without a question.
#include "FormHarness.h"

#include "DocumentController.h"
#include "EditorApp.h"
#include "EndedProcess.h"
#include "NativePath.h"
#include "RecoverySession.h"
#include "RecoveryStore.h"
#include "ScriptedRecoveryQuestion.h"
#include "SettingsStore.h"

#include <QMainWindow>
#include <QStatusBar>
#include <QTimer>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include <sys/wait.h>
#include <unistd.h>

namespace vornak::testing {
namespace {

ReportDefinition definitionNamed(const char* name) {
    ReportDefinition d;
    d.title = name;
    ParameterRecord p;
    p.name = name;
    p.values.push_back({"v", "", "r"});
    d.parameters.push_back(p);
    d.results.push_back({"n", "r"});
    return d;
}

class Recovery : public FormTest {
public:
    void SetUp() override {
        FormTest::SetUp();
        store = std::make_unique<RecoveryStore>(
            corePath(QFile::encodeName(dir.filePath(QStringLiteral("state")))));
        session = std::make_unique<RecoverySession>(document, messages, *store, &question);
    }
    void TearDown() override {
        FormTest::TearDown();
        session.reset();
    }

    // A copy left by an editor that is gone.
    std::string leaveCopy(const ReportDefinition& d, const std::string& path, const DiskStamp& stamp = {},
                          std::int64_t copiedAt = 1'765'000'000) {
        RecoveryInfo info;
        info.originalPath = path;
        info.untitled = path.empty();
        info.copiedAt = copiedAt;
        info.modifiedSince = 1'764'999'000;
        info.editor = test::endedProcess();
        info.stamp = stamp;
        const std::string id = store->newId();
        std::string error;
        EXPECT_TRUE(store->write(id, d, info, error)) << error;
        return id;
    }
    std::string fileWith(const ReportDefinition& d, const QString& name) {
        const std::string path = corePath(QFile::encodeName(dir.filePath(name)));
        EXPECT_TRUE(d.save(path));
        return path;
    }
    MainWindow& startWithRecovery(const QList<QByteArray>& commandLine = {}) {
        auto owned = std::make_unique<MainWindow>(document, services, recentFiles, commandLine);
        session->attach(*owned);
        form = std::move(owned);
        form->show();
        activate();
        QApplication::processEvents();
        return *form;
    }
    std::size_t copies() const { return store->list().size(); }

    std::unique_ptr<RecoveryStore> store;
    ScriptedRecoveryQuestion question;
    std::unique_ptr<RecoverySession> session;
};

using Action = RecoveryAnswer::Action;

TEST_F(Recovery, ACopyIsOfferedBackRestoredUnderItsPathAndSavedThereAfterAQuestion) {
    const std::string file = fileWith(definitionNamed("on disk"), QStringLiteral("stature.rpt"));
    // The note matches the file as it is: still no reason to replace it without a word.
    const std::string old = leaveCopy(definitionNamed("typed"), file, DiskStamp::of(file));
    question.enqueue(Action::Restore, 0);
    startWithRecovery();

    ASSERT_EQ(question.asked().size(), 1U);
    const auto& asked = question.asked()[0];
    EXPECT_EQ(asked.parent, form.get()) << "the question stands over the window";
    ASSERT_EQ(asked.offers.size(), 1U);
    EXPECT_TRUE(asked.offers[0].document.contains(QStringLiteral("stature.rpt")));
    EXPECT_TRUE(asked.offers[0].time.contains(
        QDateTime::fromSecsSinceEpoch(1'765'000'000).toString(QStringLiteral("HH:mm"))));
    EXPECT_EQ(asked.offers[0].contents, QStringLiteral("параметров: 1, результатов: 1"));

    EXPECT_TRUE(form->document().isModified());
    EXPECT_EQ(form->documents().currentNativePath(), nativePath(file));
    EXPECT_EQ(shownTitle(*form), QStringLiteral("Vornak - stature.rpt*")) << "restored as unsaved changes";
    EXPECT_EQ(edit("titleEdit")->text(), QStringLiteral("typed"));
    EXPECT_FALSE(store->find(old).has_value()) << "the old copy went once the new one was written";
    EXPECT_EQ(copies(), 1U);

    messages.enqueue(MessageAnswer::No);
    form->runCommand("fileSave");
    ASSERT_EQ(messages.requests().size(), 1U) << "the first save of a restored file asks";
    EXPECT_TRUE(messages.requests()[0].text.contains(QStringLiteral("восстановлен из копии")));
    EXPECT_EQ(messages.requests()[0].defaultButton, MessageAnswer::No);
    ReportDefinition read;
    ASSERT_TRUE(read.load(file));
    EXPECT_EQ(read.title, "on disk") << "No leaves the file";

    messages.enqueue(MessageAnswer::Yes);
    form->runCommand("fileSave");
    ASSERT_TRUE(read.load(file));
    EXPECT_EQ(read.title, "typed");
    EXPECT_FALSE(form->document().isModified());
    EXPECT_EQ(copies(), 0U) << "no copy is left after a save";
    form->document().setCell(locationOf(ReportText::Title), QStringLiteral("again"));
    form->runCommand("fileSave");
    EXPECT_EQ(messages.requests().size(), 2U) << "later saves ask nothing";
}

TEST_F(Recovery, ARestoredFileChangedSinceIsGuardedByTheQuestion) {
    const std::string file = fileWith(definitionNamed("on disk"), QStringLiteral("stature.rpt"));
    const DiskStamp stamp = DiskStamp::of(file);
    leaveCopy(definitionNamed("typed"), file, stamp);
    // Another program wrote the file after the copy was made.
    fileWith(definitionNamed("someone else's, and longer"), QStringLiteral("stature.rpt"));
    question.enqueue(Action::Restore, 0);
    startWithRecovery();
    messages.enqueue(MessageAnswer::No);
    form->runCommand("fileSave");
    ASSERT_EQ(messages.requests().size(), 1U) << "one question, the stronger one";
    EXPECT_TRUE(messages.requests()[0].text.contains(QStringLiteral("изменен другой программой")));
    ReportDefinition read;
    ASSERT_TRUE(read.load(file));
    EXPECT_EQ(read.title, "someone else's, and longer");
    EXPECT_TRUE(form->document().isModified());
}

TEST_F(Recovery, OneQuestionListsEveryCopyRemovalAsksTwiceAndTheRestWaitForTheirFiles) {
    const std::string laterFile = fileWith(definitionNamed("later on disk"), QStringLiteral("later.rpt"));
    const std::string later = leaveCopy(definitionNamed("later"), laterFile, {}, 1'765'000'001);
    const std::string removed =
        leaveCopy(definitionNamed("remove"), "/nowhere/remove.rpt", {}, 1'765'000'002);
    const std::string untitled = leaveCopy(definitionNamed("untitled"), "", {}, 1'765'000'003);
    startWithRecovery(); // nothing queued: Escape, "Позже"
    ASSERT_EQ(question.asked().size(), 1U) << "one question for all";
    ASSERT_EQ(question.asked()[0].offers.size(), 3U);
    EXPECT_TRUE(question.asked()[0].offers[0].document.contains(QStringLiteral("later.rpt")))
        << "oldest first";
    EXPECT_EQ(question.asked()[0].offers[2].document, QStringLiteral("Без имени"));
    EXPECT_EQ(copies(), 3U) << "Позже keeps every copy";
    EXPECT_FALSE(form->document().isModified());

    question.clear();
    question.enqueue(Action::Remove, 1);
    messages.enqueue(MessageAnswer::No);
    question.enqueue(Action::Remove, 1);
    messages.enqueue(MessageAnswer::Yes);
    question.enqueue(Action::Restore, 1);
    EXPECT_TRUE(session->offerCopies(form.get()));
    ASSERT_EQ(question.asked().size(), 3U);
    ASSERT_EQ(messages.requests().size(), 2U);
    EXPECT_TRUE(messages.requests()[0].text.contains(QStringLiteral("потеряны безвозвратно")));
    EXPECT_EQ(messages.requests()[0].defaultButton, MessageAnswer::No);
    EXPECT_EQ(question.asked()[1].offers.size(), 3U) << "No at the second question keeps it";
    EXPECT_EQ(question.asked()[2].offers.size(), 2U);
    EXPECT_FALSE(store->find(removed).has_value());
    EXPECT_FALSE(store->find(untitled).has_value());
    EXPECT_TRUE(store->find(later).has_value());
    EXPECT_TRUE(form->documents().currentNativePath().isEmpty()) << "an untitled copy is restored untitled";
    EXPECT_EQ(edit("titleEdit")->text(), QStringLiteral("untitled"));

    // The copy left waiting is offered when its file is opened.
    messages.clear();
    question.clear();
    messages.enqueue(MessageAnswer::No); // the save prompt: the restored document is let go
    question.enqueue(Action::Restore, 0);
    ASSERT_TRUE(form->documents().openFile(nativePath(laterFile)));
    ASSERT_EQ(question.asked().size(), 1U);
    EXPECT_EQ(question.asked()[0].offers.size(), 1U);
    EXPECT_EQ(edit("titleEdit")->text(), QStringLiteral("later"));
    EXPECT_TRUE(form->document().isModified());
    EXPECT_FALSE(store->find(later).has_value());
}

TEST_F(Recovery, ACopyThatHoldsWhatItsFileHoldsIsDroppedWithoutAWord) {
    const std::string file = fileWith(definitionNamed("saved"), QStringLiteral("saved.rpt"));
    const std::string stale = leaveCopy(definitionNamed("saved"), file);
    startWithRecovery();
    EXPECT_TRUE(question.asked().empty());
    EXPECT_FALSE(store->find(stale).has_value());
    EXPECT_FALSE(form->document().isModified());
}

TEST_F(Recovery, ACopyThatCannotBeWrittenIsSaidInTheStatusLineUntilOneIs) {
    const std::string blocker = store->folder().substr(0, store->folder().rfind('/'));
    std::filesystem::remove_all(blocker);
    std::ofstream(blocker) << "a file where the folder should be";
    startWithRecovery();
    form->runCommand("addResult");
    EXPECT_FALSE(session->keeper().writeNow());
    auto* bar = form->findChild<QStatusBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    const QString said = bar->currentMessage();
    EXPECT_TRUE(said.startsWith(QStringLiteral("Копия несохраненных изменений не записывается")))
        << said.toStdString();
    EXPECT_FALSE(said.contains(QStringLiteral("cannot"))) << "Russian only: " << said.toStdString();
    form->runCommand("addResult");
    EXPECT_FALSE(session->keeper().writeNow());
    EXPECT_EQ(bar->currentMessage(), said) << "still said";

    std::filesystem::remove(blocker);
    EXPECT_TRUE(session->keeper().writeNow());
    EXPECT_TRUE(bar->currentMessage().isEmpty());
    EXPECT_FALSE(bar->isVisible());
}

TEST_F(Recovery, ACopyTheTimerCouldNotWriteIsSaidInTheStatusLineToo) {
    const std::string blocker = store->folder().substr(0, store->folder().rfind('/'));
    std::filesystem::remove_all(blocker);
    std::ofstream(blocker) << "a file where the folder should be";
    startWithRecovery();
    ASSERT_TRUE(document.typeText(locationOf(ReportText::Title), QStringLiteral("x")));
    session->keeper().writeInBackground(); // what the timer does: the write goes to another thread
    session->keeper().waitForWrites();
    QApplication::processEvents(); // its result comes back with the event loop
    auto* bar = form->findChild<QStatusBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(bar->currentMessage().startsWith(QStringLiteral("Копия несохраненных изменений не записывается")))
        << bar->currentMessage().toStdString();
}

TEST_F(Recovery, AnOpenCellEditorsTextIsInTheCopyWithoutTouchingTheDocument) {
    startWithRecovery();
    CellGrid* grid = form->parameterGrid();
    ASSERT_NE(grid->editCell(0, 1), nullptr);
    const int steps = form->document().undoStack()->count();
    typeText(grid->openEditor(), QStringLiteral("Рост"));
    EXPECT_FALSE(form->document().isModified()) << "nothing confirmed yet";
    ASSERT_TRUE(session->keeper().isPending()) << "typing in an open editor schedules a copy";
    ASSERT_TRUE(session->keeper().writeNow()); // what the timer does; a kill -9 after it finds this
    EXPECT_EQ(form->document().undoStack()->count(), steps);
    const std::vector<RecoveryEntry> entries = store->list();
    ASSERT_EQ(entries.size(), 1U);
    ReportDefinition read;
    LoadError error;
    ASSERT_TRUE(RecoveryStore::readCopy(entries[0], read, error)) << error.reason;
    EXPECT_EQ(shown(read.parameters.at(0).name), QStringLiteral("Рост"));
    read.parameters.at(0).name = form->document().definition().parameters.at(0).name;
    EXPECT_EQ(read, form->document().definition()) << "only the edited cell differs";

    // The timer's copy, made on another thread from a snapshot, holds it too.
    typeText(grid->openEditor(), QStringLiteral("2"));
    session->keeper().writeInBackground();
    session->keeper().waitForWrites();
    QApplication::processEvents();
    ASSERT_EQ(store->list().size(), 1U);
    ASSERT_TRUE(RecoveryStore::readCopy(store->list()[0], read, error)) << error.reason;
    EXPECT_EQ(shown(read.parameters.at(0).name), QStringLiteral("Рост2"));
    EXPECT_FALSE(form->document().isModified());

    // Escape: the text was never the document's, and the copy goes.
    QTest::keyClick(grid->openEditor(), Qt::Key_Escape);
    EXPECT_EQ(copies(), 0U);
}

TEST_F(Recovery, ADamagedCopyIsListedWithARussianReasonAndRemovedOnlyOnTheUsersWord) {
    const std::string id = leaveCopy(definitionNamed("x"), "/nowhere/x.rpt");
    const std::optional<RecoveryEntry> entry = store->find(id);
    ASSERT_TRUE(entry.has_value());
    std::ofstream(entry->copyPath, std::ios::binary | std::ios::trunc) << "not a definition\r\n";
    startWithRecovery();
    ASSERT_EQ(question.asked().size(), 1U);
    const RecoveryOffer& offer = question.asked()[0].offers.at(0);
    EXPECT_FALSE(offer.restorable);
    EXPECT_TRUE(offer.contents.startsWith(QStringLiteral("не читается: Это не файл описания")))
        << offer.contents.toStdString();
    EXPECT_TRUE(store->find(id).has_value());
    EXPECT_FALSE(form->document().isModified());

    question.clear();
    question.enqueue(Action::Restore, 0); // not possible: asked again
    question.enqueue(Action::Remove, 0);
    messages.enqueue(MessageAnswer::Yes);
    session->offerCopies(form.get());
    EXPECT_EQ(question.asked().size(), 2U);
    EXPECT_FALSE(store->find(id).has_value());
    EXPECT_FALSE(form->document().isModified());
}

TEST_F(Recovery, TheCopyFollowsTheChangesAndGoesWithNoAtTheClosingPrompt) {
    startWithRecovery();
    form->runCommand("addResult");
    ASSERT_TRUE(session->keeper().isPending());
    ASSERT_TRUE(session->keeper().writeNow());
    EXPECT_EQ(copies(), 1U);

    messages.enqueue(MessageAnswer::Cancel);
    form->runCommand("fileExit");
    EXPECT_EQ(copies(), 1U) << "Cancel keeps the window and the copy";
    messages.enqueue(MessageAnswer::No);
    form->runCommand("fileExit");
    EXPECT_EQ(copies(), 0U) << "No throws the changes away, and the copy with them";
}

TEST_F(Recovery, AFileAnotherRunningEditorHoldsOpensOnlyWhenTheUserSaysSo) {
    const std::string file = fileWith(definitionNamed("shared"), QStringLiteral("shared.rpt"));
    const pid_t other = ::fork();
    if (other == 0) {
        for (;;) {
            ::pause();
        }
    }
    RecoveryInfo info;
    info.originalPath = file;
    info.untitled = false;
    info.copiedAt = info.modifiedSince = 1'765'000'000;
    info.editor = ProcessIdentity::current();
    info.editor.pid = other;
    info.editor.startTicks = 0;
    std::string error;
    ASSERT_TRUE(store->write(store->newId(), definitionNamed("theirs"), info, error)) << error;

    startWithRecovery();
    EXPECT_TRUE(question.asked().empty()) << "a running editor's copy is not offered";
    messages.enqueue(MessageAnswer::No);
    EXPECT_FALSE(form->documents().openFile(nativePath(file)));
    ASSERT_EQ(messages.requests().size(), 1U);
    const QString question = messages.requests()[0].text;
    EXPECT_TRUE(question.contains(QString::number(other))) << question.toStdString();
    EXPECT_TRUE(question.contains(QStringLiteral("shared.rpt")));
    EXPECT_TRUE(form->documents().openWasCancelled()) << "a recent entry is kept";
    EXPECT_TRUE(form->documents().currentNativePath().isEmpty());

    messages.enqueue(MessageAnswer::Yes);
    EXPECT_TRUE(form->documents().openFile(nativePath(file)));
    EXPECT_EQ(form->documents().currentNativePath(), nativePath(file));
    ::kill(other, SIGKILL);
    ::waitpid(other, nullptr, 0);
}

// The kill path of the real application object: typed text, then SIGTERM; the editor ends as the
// signal says, without a question, and the copy holds what was typed.
TEST_F(Recovery, SigtermKeepsWhatWasTypedAndEndsWithoutAQuestion) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string state = corePath(QFile::encodeName(dir.filePath(QStringLiteral("sigterm-state"))));
    // The child runs this test again from the start: it finds the folder through the environment.
    const char* given = std::getenv("VORNAK_TEST_RECOVERY_STATE");
    const std::string folder = given != nullptr ? given : state;
    ::setenv("VORNAK_TEST_RECOVERY_STATE", folder.c_str(), 1);
    EXPECT_EXIT(
        {
            EditorApp app(services, {});
            app.setRecoveryFolder(folder);
            app.keepWorkWhenEnded();
            QTimer::singleShot(0, [&app] {
                QLineEdit* title =
                    qobject_cast<QLineEdit*>(app.mainWindow()->findChild<QWidget*>("titleEdit"));
                title->setFocus();
                title->selectAll();
                typeText(title, QStringLiteral("Набрано до сигнала"));
                ::raise(SIGTERM);
            });
            app.run();
            std::_Exit(0);
        },
        ::testing::KilledBySignal(SIGTERM), "");
    RecoveryStore left(folder);
    const std::vector<RecoveryEntry> entries = left.list();
    ASSERT_EQ(entries.size(), 1U);
    ASSERT_TRUE(entries[0].readable()) << entries[0].problem;
    EXPECT_FALSE(entries[0].editorRunning());
    ReportDefinition read;
    LoadError error;
    ASSERT_TRUE(RecoveryStore::readCopy(entries[0], read, error));
    EXPECT_EQ(shown(read.title), QStringLiteral("Набрано до сигнала"));
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

// A session's end sends TERM and HUP at once: the copy is written once, with the open cell
// editor's text in it, the window's size and place are kept, and the editor ends by the first.
TEST_F(Recovery, ATermAndHupBurstKeepsTheOpenCellsTextAndTheWindowsPlace) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const char* givenFolder = std::getenv("VORNAK_TEST_BURST_STATE");
    const char* givenSettings = std::getenv("VORNAK_TEST_BURST_SETTINGS");
    const std::string folder = givenFolder != nullptr
                                   ? givenFolder
                                   : corePath(QFile::encodeName(dir.filePath(QStringLiteral("burst"))));
    const QString settingsFile = givenSettings != nullptr ? QString::fromUtf8(givenSettings)
                                                          : dir.filePath(QStringLiteral("burst.conf"));
    ::setenv("VORNAK_TEST_BURST_STATE", folder.c_str(), 1);
    ::setenv("VORNAK_TEST_BURST_SETTINGS", settingsFile.toUtf8().constData(), 1);
    EXPECT_EXIT(
        {
            SettingsStore ownSettings(settingsFile);
            PlatformServices withSettings = services;
            withSettings.settings = &ownSettings;
            EditorApp app(withSettings, {});
            app.setRecoveryFolder(folder);
            app.keepWorkWhenEnded();
            QTimer::singleShot(0, [&app] {
                app.mainWindow()->resize(1111, 777);
                CellGrid* grid = app.mainWindow()->parameterGrid();
                grid->editCell(0, 1);
                typeText(grid->openEditor(), QStringLiteral("Открыто в ячейке"));
                ::raise(SIGTERM);
                ::raise(SIGHUP);
            });
            app.run();
            std::_Exit(0);
        },
        ::testing::KilledBySignal(SIGTERM), "");
    RecoveryStore left(folder);
    const std::vector<RecoveryEntry> entries = left.list();
    ASSERT_EQ(entries.size(), 1U) << "one copy";
    ReportDefinition read;
    LoadError error;
    ASSERT_TRUE(RecoveryStore::readCopy(entries[0], read, error)) << error.reason;
    EXPECT_EQ(shown(read.parameters.at(0).name), QStringLiteral("Открыто в ячейке"));
    SettingsStore kept(settingsFile);
    QMainWindow probe;
    ASSERT_TRUE(probe.restoreGeometry(kept.readWindowGeometry())) << "the place was kept";
    EXPECT_EQ(probe.size(), QSize(1111, 777));
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

} // namespace
} // namespace vornak::testing
