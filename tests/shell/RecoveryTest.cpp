// Recovery copies through the real main window: the copies of ended editors are offered back at start-up
// and restored as unsaved changes under their own path, Ctrl+S writes them there (asking first when
// the file changed since), the copy goes with a save or with No at the prompt, a damaged copy is
// reported and kept, a file another running editor holds is opened only when the user says so, and
// SIGTERM keeps what was typed and ends the editor without a question.
#include "FormHarness.h"

#include "DocumentController.h"
#include "EditorApp.h"
#include "NativePath.h"
#include "RecoverySession.h"
#include "RecoveryStore.h"

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

ProcessIdentity endedEditor() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    ProcessIdentity identity = ProcessIdentity::current();
    identity.pid = child;
    return identity;
}

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
        session = std::make_unique<RecoverySession>(document, messages, *store);
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
        info.editor = endedEditor();
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
        owned->documents().setRecovery(session.get());
        form = std::move(owned);
        form->show();
        activate();
        QApplication::processEvents();
        return *form;
    }
    std::size_t copies() const { return store->list().size(); }

    std::unique_ptr<RecoveryStore> store;
    std::unique_ptr<RecoverySession> session;
};

TEST_F(Recovery, ACopyIsOfferedBackRestoredUnderItsPathAndSavedThere) {
    const std::string file = fileWith(definitionNamed("on disk"), QStringLiteral("stature.rpt"));
    const std::string old = leaveCopy(definitionNamed("typed"), file, DiskStamp::of(file));
    messages.enqueueChoice(RecoverySession::Restore);
    startWithRecovery();

    ASSERT_EQ(messages.choices().size(), 1U);
    const auto& asked = messages.choices()[0];
    EXPECT_TRUE(asked.text.contains(QStringLiteral("stature.rpt"))) << asked.text.toStdString();
    EXPECT_TRUE(
        asked.text.contains(QDateTime::fromSecsSinceEpoch(1'765'000'000).toString(QStringLiteral("HH:mm"))));
    EXPECT_EQ(asked.buttons, (QStringList{QStringLiteral("Восстановить"), QStringLiteral("Удалить"),
                                          QStringLiteral("Позже")}));
    EXPECT_EQ(asked.defaultButton, 0);
    EXPECT_EQ(asked.escapeButton, 2);

    EXPECT_TRUE(form->document().isModified());
    EXPECT_EQ(form->documents().currentNativePath(), nativePath(file));
    EXPECT_EQ(shownTitle(*form), QStringLiteral("Vornak - stature.rpt*")) << "restored as unsaved changes";
    EXPECT_EQ(edit(ctl::TitleEdit)->text(), QStringLiteral("typed"));
    EXPECT_FALSE(store->find(old).has_value()) << "the old copy went once the new one was written";
    EXPECT_EQ(copies(), 1U);

    form->runCommand(cmd::FileSave);
    EXPECT_EQ(messages.requests().size(), 1U) << "an unchanged file is saved without a question";
    ReportDefinition read;
    ASSERT_TRUE(read.load(file));
    EXPECT_EQ(read.title, "typed");
    EXPECT_FALSE(form->document().isModified());
    EXPECT_EQ(copies(), 0U) << "no copy is left after a save";
}

TEST_F(Recovery, ARestoredFileChangedSinceIsGuardedByTheQuestion) {
    const std::string file = fileWith(definitionNamed("on disk"), QStringLiteral("stature.rpt"));
    const DiskStamp stamp = DiskStamp::of(file);
    leaveCopy(definitionNamed("typed"), file, stamp);
    // Another program wrote the file after the copy was made.
    fileWith(definitionNamed("someone else's, and longer"), QStringLiteral("stature.rpt"));
    messages.enqueueChoice(RecoverySession::Restore);
    startWithRecovery();
    messages.enqueue(MessageAnswer::No);
    form->runCommand(cmd::FileSave);
    ASSERT_EQ(messages.requests().size(), 2U);
    EXPECT_TRUE(messages.requests()[1].text.contains(QStringLiteral("изменен другой программой")));
    ReportDefinition read;
    ASSERT_TRUE(read.load(file));
    EXPECT_EQ(read.title, "someone else's, and longer");
    EXPECT_TRUE(form->document().isModified());
}

TEST_F(Recovery, UntitledLaterRemoveAndOneRestorePerWindow) {
    // Offered oldest first.
    const std::string later = leaveCopy(definitionNamed("later"), "/nowhere/later.rpt", {}, 1'765'000'001);
    const std::string removed =
        leaveCopy(definitionNamed("remove"), "/nowhere/remove.rpt", {}, 1'765'000'002);
    const std::string untitled = leaveCopy(definitionNamed("untitled"), "", {}, 1'765'000'003);
    const std::string waits = leaveCopy(definitionNamed("waits"), "/nowhere/waits.rpt", {}, 1'765'000'004);
    startWithRecovery(); // nothing queued: every question is answered by Escape, "Позже"
    ASSERT_EQ(messages.choices().size(), 4U);
    EXPECT_EQ(copies(), 4U) << "Позже keeps every copy";
    EXPECT_FALSE(form->document().isModified());

    messages.clear();
    messages.enqueueChoice(RecoverySession::Later);
    messages.enqueueChoice(RecoverySession::Remove);
    messages.enqueueChoice(RecoverySession::Restore);
    EXPECT_TRUE(session->offerCopies(form.get()));
    ASSERT_EQ(messages.choices().size(), 3U) << "once one is restored, the others wait for the next start";
    EXPECT_TRUE(messages.choices()[0].text.contains(QStringLiteral("later.rpt")));
    EXPECT_TRUE(messages.choices()[2].text.contains(QStringLiteral("Без имени")));
    EXPECT_TRUE(store->find(later).has_value());
    EXPECT_FALSE(store->find(removed).has_value());
    EXPECT_FALSE(store->find(untitled).has_value());
    EXPECT_TRUE(store->find(waits).has_value());
    EXPECT_TRUE(form->document().isModified());
    EXPECT_TRUE(form->documents().currentNativePath().isEmpty()) << "an untitled copy is restored untitled";
    EXPECT_EQ(shownTitle(*form), QStringLiteral("Vornak*"));
    EXPECT_EQ(edit(ctl::TitleEdit)->text(), QStringLiteral("untitled"));
}

TEST_F(Recovery, ADamagedCopyIsReportedAndKeptUnlessTheUserRemovesIt) {
    const std::string id = leaveCopy(definitionNamed("x"), "/nowhere/x.rpt");
    const std::optional<RecoveryEntry> entry = store->find(id);
    ASSERT_TRUE(entry.has_value());
    std::ofstream(entry->copyPath, std::ios::binary | std::ios::trunc) << "not a definition\r\n";
    startWithRecovery();
    ASSERT_EQ(messages.choices().size(), 1U);
    EXPECT_TRUE(messages.choices()[0].text.contains(QStringLiteral("не удалось прочитать")));
    EXPECT_EQ(messages.choices()[0].defaultButton, 1) << "keeping it is the default";
    EXPECT_TRUE(store->find(id).has_value());
    EXPECT_FALSE(form->document().isModified());

    messages.clear();
    messages.enqueueChoice(0);
    session->offerCopies(form.get());
    EXPECT_FALSE(store->find(id).has_value());
}

TEST_F(Recovery, TheCopyFollowsTheChangesAndGoesWithNoAtTheClosingPrompt) {
    startWithRecovery();
    form->runCommand(cmd::AddResult);
    ASSERT_TRUE(session->keeper().isPending());
    ASSERT_TRUE(session->keeper().writeNow());
    EXPECT_EQ(copies(), 1U);

    messages.enqueue(MessageAnswer::Cancel);
    form->runCommand(cmd::Exit);
    EXPECT_EQ(copies(), 1U) << "Cancel keeps the window and the copy";
    messages.enqueue(MessageAnswer::No);
    form->runCommand(cmd::Exit);
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
    EXPECT_TRUE(messages.choices().empty()) << "a running editor's copy is not offered";
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
                QLineEdit* title = qobject_cast<QLineEdit*>(app.mainWindow()->control(ctl::TitleEdit));
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

} // namespace
} // namespace vornak::testing
