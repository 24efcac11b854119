// Recovery copies: the description survives any path bytes and refuses damage, the folder and files
// stay private, a copy is told to be orphaned only when its editor is really gone (also when its
// process id was reused), damaged copies are reported and kept, and the keeper writes after a burst
// of changes and removes the copy once nothing is unsaved.
#include "DocumentTestSupport.h"
#include "EndedProcess.h"
#include "RecoveryKeeper.h"
#include "RecoveryStore.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vornak {
namespace {

using test::TempFolder;

mode_t modeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// A child process that waits until it is killed; ended and reaped by the destructor.
class ChildProcess {
public:
    ChildProcess() {
        pid_ = ::fork();
        if (pid_ == 0) {
            for (;;) {
                ::pause();
            }
        }
    }
    ~ChildProcess() { stop(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    void stop() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

private:
    pid_t pid_ = -1;
};

RecoveryInfo infoFor(const std::string& path, const ProcessIdentity& editor) {
    RecoveryInfo info;
    info.originalPath = path;
    info.untitled = path.empty();
    info.copiedAt = 1'760'000'000;
    info.modifiedSince = 1'759'999'000;
    info.editor = editor;
    return info;
}

ReportDefinition definitionTitled(const std::string& title) {
    ReportDefinition definition = test::sampleDefinition();
    definition.title = title;
    return definition;
}

// --- The description -----------------------------------------------------------------------------

TEST(RecoveryInfoTest, EveryPathAndStampSurvivesTheRoundTrip) {
    const std::string paths[] = {
        std::string(),                                   // untitled
        "/home/u/рост.rpt",                              // UTF-8
        std::string("/tmp/bad\xff\xfe.rpt"),             // not text at all
        std::string("/tmp/line\nbreak and  spaces.rpt"), // a line break in a name
        std::string("/tmp/nul\x01\x7f\x80.rpt"),
    };
    for (const std::string& path : paths) {
        RecoveryInfo info = infoFor(path, ProcessIdentity::current());
        info.stamp.taken = !path.empty();
        info.stamp.exists = true;
        info.stamp.type = std::filesystem::file_type::regular;
        info.stamp.size = 12345;
        info.stamp.modified =
            std::filesystem::file_time_type(std::filesystem::file_time_type::duration(987654321));
        info.stamp.identity = {2049, 1234567, 1'765'000'000, 999'999'999, true};
        const std::optional<RecoveryInfo> back = RecoveryStore::decodeInfo(RecoveryStore::encodeInfo(info));
        ASSERT_TRUE(back.has_value()) << path;
        EXPECT_EQ(*back, info) << path;
    }
}

TEST(RecoveryInfoTest, DamagedDescriptionsAreRefused) {
    const std::string good = RecoveryStore::encodeInfo(infoFor("/tmp/a.rpt", ProcessIdentity::current()));
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return text.replace(at, from.size(), to);
    };
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"another mark", replaced("vornak recovery 1", "vornak recovery")},
        {"path not hex", replaced("path 2f", "path zz")},
        {"odd hex", replaced("path 2f", "path 2")},
        {"pid zero", replaced("pid ", "pid 0\npid ")},
        {"pid not a number", replaced("pid ", "pid x")},
        {"no pid", good.substr(0, good.find("pid "))},
        {"titled without a path", replaced("untitled 0", "untitled 0\npath ")},
        {"untitled flag not 0 or 1", replaced("untitled 0", "untitled 2")},
        {"stamp cut short", replaced("stamp ", "stamp 1\nstamp ")},
    };
    for (const auto& [what, text] : cases) {
        EXPECT_FALSE(RecoveryStore::decodeInfo(text).has_value()) << what;
    }
    // Lines a later version adds are passed over.
    EXPECT_TRUE(RecoveryStore::decodeInfo(good + "future 1 2 3\n").has_value());
}

// --- Processes -----------------------------------------------------------------------------------

TEST(ProcessIdentityTest, OnlyTheSameProcessCountsAsRunning) {
    const ProcessIdentity self = ProcessIdentity::current();
    ASSERT_GT(self.pid, 0);
    EXPECT_TRUE(self.isRunning());
    EXPECT_NE(self.startTicks, 0U) << "this system shows processes' start times";

    ProcessIdentity reused = self; // the same number, a later process
    reused.startTicks += 1;
    ProcessIdentity otherBoot = self;
    otherBoot.bootId = "00000000-0000-0000-0000-000000000000";
    ProcessIdentity noPid = self;
    noPid.pid = 0;
    const std::pair<const char*, ProcessIdentity> gone[] = {
        {"ended", test::endedProcess()}, {"pid reused", reused}, {"other boot", otherBoot}, {"no pid", noPid}};
    for (const auto& [what, identity] : gone) {
        EXPECT_FALSE(identity.isRunning()) << what;
    }

    ChildProcess child;
    ProcessIdentity other = self;
    other.pid = child.pid();
    other.startTicks = 0; // unknown start: the pid alone decides
    EXPECT_TRUE(other.isRunning());
}

TEST(ProcessIdentityTest, AnEndedButUnreapedProcessIsNotRunning) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(0);
    }
    // Wait until it has ended without reaping it.
    siginfo_t info{};
    ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT), 0);
    ProcessIdentity zombie = ProcessIdentity::current();
    zombie.pid = pid;
    zombie.startTicks = 0;
    EXPECT_FALSE(zombie.isRunning());
    ::waitpid(pid, nullptr, 0);
}

// --- The store -----------------------------------------------------------------------------------

class RecoveryStoreTest : public ::testing::Test {
protected:
    TempFolder temp;
    RecoveryStore store{temp.file("state/vornak/recovery")};
};

TEST_F(RecoveryStoreTest, FolderAndFilesArePrivateWhateverTheUmask) {
    for (const mode_t mask : {mode_t{022}, mode_t{0}}) {
        const mode_t previous = ::umask(mask);
        const std::string id = store.newId();
        std::string error;
        const bool written =
            store.write(id, definitionTitled("x"), infoFor("", ProcessIdentity::current()), error);
        ::umask(previous);
        ASSERT_TRUE(written) << error;
        EXPECT_EQ(modeOf(store.folder()), 0700U);
        const std::optional<RecoveryEntry> entry = store.find(id);
        ASSERT_TRUE(entry.has_value());
        EXPECT_EQ(modeOf(entry->copyPath), 0600U);
        EXPECT_EQ(modeOf(entry->infoPath), 0600U);
        // Written again (the safe writer replaces the file): still private.
        ASSERT_TRUE(store.write(id, definitionTitled("y"), infoFor("", ProcessIdentity::current()), error));
        EXPECT_EQ(modeOf(entry->copyPath), 0600U);
        EXPECT_EQ(modeOf(entry->infoPath), 0600U);
    }
}

TEST_F(RecoveryStoreTest, AFolderOthersCouldReachIsMadePrivateOrRefused) {
    std::string error;
    ASSERT_TRUE(store.prepare(error)) << error;
    ASSERT_EQ(::chmod(store.folder().c_str(), 0755), 0);
    ASSERT_TRUE(store.prepare(error)) << error;
    EXPECT_EQ(modeOf(store.folder()), 0700U);

    // A link in the folder's place could lead the copies anywhere.
    std::filesystem::create_directories(temp.file("elsewhere"));
    RecoveryStore linked(temp.file("linked/recovery"));
    std::filesystem::create_directories(temp.file("linked"));
    std::filesystem::create_directory_symlink(temp.file("elsewhere"), temp.file("linked/recovery"));
    EXPECT_FALSE(linked.prepare(error));
    EXPECT_NE(error.find("not a folder of this user"), std::string::npos) << error;

    // A file in the folder's place.
    test::writeBytes(temp.file("plain"), "x");
    RecoveryStore onFile(temp.file("plain"));
    EXPECT_FALSE(onFile.prepare(error));
    std::string writeError;
    EXPECT_FALSE(onFile.write(onFile.newId(), definitionTitled("x"), infoFor("", ProcessIdentity::current()),
                              writeError));

    if (::geteuid() == 0) {
        RecoveryStore foreign(temp.file("foreign"));
        std::filesystem::create_directories(temp.file("foreign"));
        ASSERT_EQ(::chown(temp.file("foreign").c_str(), 65534, 65534), 0);
        EXPECT_FALSE(foreign.prepare(error));
    }
}

TEST_F(RecoveryStoreTest, ACopyReadsBackAsTheDefinitionWithItsDescription) {
    const ReportDefinition definition = test::sampleDefinition();
    RecoveryInfo info = infoFor(std::string("/tmp/bad\xff\xfe.rpt"), ProcessIdentity::current());
    const std::string id = store.newId();
    std::string error;
    ASSERT_TRUE(store.write(id, definition, info, error)) << error;
    const std::vector<RecoveryEntry> entries = store.list();
    ASSERT_EQ(entries.size(), 1U);
    ASSERT_TRUE(entries[0].readable()) << entries[0].problem;
    EXPECT_EQ(*entries[0].info, info);
    ReportDefinition read;
    LoadError loadError;
    ASSERT_TRUE(RecoveryStore::readCopy(entries[0], read, loadError)) << loadError.reason;
    EXPECT_EQ(read, definition);
    // The writer's temporary files never show as copies, and removing leaves nothing.
    EXPECT_TRUE(store.remove(id));
    EXPECT_TRUE(store.list().empty());
    EXPECT_TRUE(std::filesystem::is_empty(store.folder()));
}

TEST_F(RecoveryStoreTest, OnlyCopiesOfEndedEditorsAreOrphanedAndDamagedOnesAreKept) {
    std::string error;
    const std::string mine = store.newId();
    ASSERT_TRUE(store.write(mine, definitionTitled("mine"), infoFor("/tmp/a.rpt", ProcessIdentity::current()),
                            error));
    const std::string gone = "1-2-x-1-aaaa";
    ASSERT_TRUE(store.write(gone, definitionTitled("gone"), infoFor("/tmp/b.rpt", test::endedProcess()), error));

    // Damaged: a description that is not one, a copy without a description (named after an ended
    // editor), a description without its copy.
    test::writeBytes(store.folder() + "/damaged.info", "garbage");
    test::writeBytes(store.folder() + "/damaged.rpt", "R2\r\n");
    const ProcessIdentity ended = test::endedProcess();
    const std::string lonely = std::to_string(ended.pid) + "-" + std::to_string(ended.startTicks) + "-" +
                               ended.bootId.substr(0, 8) + "-1-bbbb";
    test::writeBytes(store.folder() + "/" + lonely + ".rpt", "R2\r\n");
    const std::string noCopy = "3-4-x-1-cccc";
    ASSERT_TRUE(store.write(noCopy, definitionTitled("c"), infoFor("", test::endedProcess()), error));
    std::filesystem::remove(store.folder() + "/" + noCopy + ".rpt");
    // A copy without its description, named after this running editor: being written right now.
    const ProcessIdentity self = ProcessIdentity::current();
    const std::string busy = std::to_string(self.pid) + "-" + std::to_string(self.startTicks) + "-" +
                             self.bootId.substr(0, 8) + "-99-dddd";
    test::writeBytes(store.folder() + "/" + busy + ".rpt", "R2\r\n");

    std::map<std::string, std::string> orphans;
    for (const RecoveryEntry& entry : store.orphaned()) {
        orphans[entry.id] = entry.problem;
    }
    EXPECT_EQ(orphans.count(mine), 0U);
    EXPECT_EQ(orphans.count(busy), 0U);
    ASSERT_EQ(orphans.count(gone), 1U);
    EXPECT_EQ(orphans[gone], "");
    EXPECT_EQ(orphans["damaged"], "its description is damaged");
    EXPECT_EQ(orphans[lonely], "its description is missing");
    EXPECT_EQ(orphans[noCopy], "the copy itself is missing");
    // Listing never removes anything.
    EXPECT_TRUE(std::filesystem::exists(store.folder() + "/damaged.info"));
    EXPECT_TRUE(std::filesystem::exists(store.folder() + "/" + lonely + ".rpt"));
}

TEST_F(RecoveryStoreTest, AFileHeldByAnotherRunningEditorIsFoundByBytesOrIdentity) {
    const std::string file = temp.file("shared.rpt");
    test::writeBytes(file, "R2\r\n");
    std::filesystem::create_symlink(file, temp.file("link.rpt"));
    ChildProcess other;
    ProcessIdentity otherEditor = ProcessIdentity::current();
    otherEditor.pid = other.pid();
    otherEditor.startTicks = 0;

    std::string error;
    const std::string held = store.newId();
    ASSERT_TRUE(store.write(held, definitionTitled("x"), infoFor(file, otherEditor), error)) << error;
    // Not counted: this editor's own copy, another editor's untitled copy, an ended editor's copy.
    ASSERT_TRUE(
        store.write(store.newId(), definitionTitled("x"), infoFor(file, ProcessIdentity::current()), error));
    ASSERT_TRUE(store.write(store.newId(), definitionTitled("x"), infoFor("", otherEditor), error));
    ASSERT_TRUE(store.write(store.newId(), definitionTitled("x"), infoFor(file, test::endedProcess()), error));

    for (const std::string& asked : {file, temp.file("link.rpt"), temp.file("./shared.rpt")}) {
        const std::vector<RecoveryEntry> found = store.heldElsewhere(asked);
        ASSERT_EQ(found.size(), 1U) << asked;
        EXPECT_EQ(found[0].id, held);
    }
    EXPECT_TRUE(store.heldElsewhere(temp.file("other.rpt")).empty());
    EXPECT_TRUE(store.heldElsewhere("").empty());
    other.stop();
    EXPECT_TRUE(store.heldElsewhere(file).empty());
}

TEST_F(RecoveryStoreTest, ARestoredDocumentTakesTheFilesStateOnlyWhileItMatchesTheNote) {
    const std::string file = temp.file("noted.rpt");
    test::writeBytes(file, "R2\r\n");
    RecoveryInfo info = infoFor(file, ProcessIdentity::current());
    info.stamp = DiskStamp::of(file);
    EXPECT_EQ(RecoveryStore::stampToRestore(info), DiskStamp::of(file));
    // The note read back from its text carries no more than it wrote; the file still matches it.
    const std::optional<RecoveryInfo> read = RecoveryStore::decodeInfo(RecoveryStore::encodeInfo(info));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(RecoveryStore::stampToRestore(*read), DiskStamp::of(file));

    test::writeBytes(file, "R2\r\nchanged since the copy\r\n");
    EXPECT_EQ(RecoveryStore::stampToRestore(info), info.stamp);
    EXPECT_NE(RecoveryStore::stampToRestore(info), DiskStamp::of(file));
    std::filesystem::remove(file);
    EXPECT_EQ(RecoveryStore::stampToRestore(info), info.stamp) << "a file removed since is a change too";
}

TEST(RecoveryFolderTest, FollowsTheStateHomeOrTheHomeFolder) {
    const char* savedState = std::getenv("XDG_STATE_HOME");
    const char* savedHome = std::getenv("HOME");
    const std::string keepState = savedState != nullptr ? savedState : "";
    const std::string keepHome = savedHome != nullptr ? savedHome : "";
    struct Case {
        const char* state;
        const char* home;
        const char* expected;
    };
    const Case cases[] = {
        {"/s", "/h", "/s/vornak/recovery"},
        {"/s/", "/h", "/s/vornak/recovery"},
        {"relative", "/h", "/h/.local/state/vornak/recovery"}, // not a valid state home
        {"", "/h", "/h/.local/state/vornak/recovery"},
        {nullptr, "/h/", "/h/.local/state/vornak/recovery"},
    };
    for (const Case& c : cases) {
        if (c.state != nullptr) {
            ::setenv("XDG_STATE_HOME", c.state, 1);
        } else {
            ::unsetenv("XDG_STATE_HOME");
        }
        ::setenv("HOME", c.home, 1);
        EXPECT_EQ(RecoveryStore::defaultFolder(), c.expected) << (c.state ? c.state : "(unset)");
    }
    savedState != nullptr ? ::setenv("XDG_STATE_HOME", keepState.c_str(), 1) : ::unsetenv("XDG_STATE_HOME");
    savedHome != nullptr ? ::setenv("HOME", keepHome.c_str(), 1) : ::unsetenv("HOME");
}

// --- The keeper ----------------------------------------------------------------------------------

class RecoveryKeeperTest : public ::testing::Test {
protected:
    TempFolder temp;
    DefinitionDocument document;
    std::int64_t clock = 0;
    RecoveryKeeper keeper{document, RecoveryStore(temp.file("recovery")), [this] { return clock; }};

    bool copyExists() const { return keeper.store().find(keeper.id()).has_value(); }
    RecoveryInfo copyInfo() const {
        const std::optional<RecoveryEntry> entry = keeper.store().find(keeper.id());
        EXPECT_TRUE(entry && entry->readable());
        return entry && entry->info ? *entry->info : RecoveryInfo{};
    }
    void type(const QString& text) { ASSERT_TRUE(document.typeText(locationOf(ReportText::Title), text)); }
};

TEST_F(RecoveryKeeperTest, AChangeIsWrittenAfterTheBurstEndsNotWhileTyping) {
    EXPECT_FALSE(keeper.isPending());
    type("A");
    type("AB");
    // Nothing on the keystroke path: the timer waits for the burst to end.
    EXPECT_FALSE(copyExists());
    ASSERT_TRUE(keeper.isPending());
    EXPECT_LE(keeper.pendingDelay(), 2000);
    EXPECT_GT(keeper.pendingDelay(), 0);
    ASSERT_TRUE(keeper.writeNow());
    EXPECT_FALSE(keeper.isPending());
    ASSERT_TRUE(copyExists());
    const RecoveryInfo info = copyInfo();
    EXPECT_TRUE(info.untitled);
    EXPECT_EQ(info.editor, ProcessIdentity::current());
    EXPECT_GT(info.modifiedSince, 0);
    EXPECT_LE(info.modifiedSince, info.copiedAt);
    ReportDefinition read;
    LoadError error;
    ASSERT_TRUE(RecoveryStore::readCopy(*keeper.store().find(keeper.id()), read, error));
    EXPECT_EQ(read.title, "AB");
}

TEST_F(RecoveryKeeperTest, ALongBurstIsWrittenWithinTheLongestWait) {
    type("a");
    EXPECT_EQ(keeper.pendingDelay(), RecoveryKeeper::quietMilliseconds);
    for (int i = 0; i < 60; ++i) { // a key every 100 ms for six seconds
        clock += 100;
        type(QString(i + 2, QLatin1Char('a')));
        const std::int64_t due = clock + keeper.pendingDelay();
        EXPECT_LE(due, RecoveryKeeper::longestWaitMilliseconds) << i;
        if (keeper.pendingDelay() == 0) {
            break;
        }
    }
    EXPECT_EQ(keeper.pendingDelay(), 0);
}

TEST_F(RecoveryKeeperTest, TheCopyGoesWhenNothingIsUnsaved) {
    struct Step {
        const char* what;
        std::function<void(DefinitionDocument&, const std::string&)> act;
    };
    const Step steps[] = {
        {"saved", [](DefinitionDocument& d, const std::string& file) { ASSERT_TRUE(d.saveAs(file)); }},
        {"undone to the file's state",
         [](DefinitionDocument& d, const std::string&) { d.undoStack()->setIndex(0); }},
        {"replaced by New", [](DefinitionDocument& d, const std::string&) { d.newDocument(); }},
    };
    for (const Step& step : steps) {
        document.newDocument();
        type(QString::fromUtf8(step.what));
        ASSERT_TRUE(keeper.writeNow());
        ASSERT_TRUE(copyExists()) << step.what;
        step.act(document, temp.file("saved.rpt"));
        EXPECT_FALSE(copyExists()) << step.what;
        EXPECT_FALSE(keeper.isPending()) << step.what;
    }
}

TEST_F(RecoveryKeeperTest, DiscardRemovesTheCopyUntilTheNextChange) {
    type("x");
    ASSERT_TRUE(keeper.writeNow());
    keeper.discard();
    EXPECT_FALSE(copyExists());
    EXPECT_FALSE(keeper.isPending());
    type("xy");
    EXPECT_TRUE(keeper.isPending());
}

TEST_F(RecoveryKeeperTest, AFailedWriteIsReportedAndTriedAgain) {
    test::writeBytes(temp.file("recovery"), "a file where the folder should be");
    int failures = 0;
    QObject::connect(&keeper, &RecoveryKeeper::writeFailed, [&failures] { ++failures; });
    type("x");
    EXPECT_FALSE(keeper.writeNow());
    EXPECT_EQ(failures, 1);
    EXPECT_FALSE(keeper.lastError().isEmpty());
    std::filesystem::remove(temp.file("recovery"));
    type("xy");
    EXPECT_TRUE(keeper.writeNow());
    EXPECT_TRUE(keeper.lastError().isEmpty());
}

TEST_F(RecoveryKeeperTest, ARestoredDocumentIsModifiedUnderItsPathAndStillGuardsItsFile) {
    const std::string file = temp.file("restored.rpt");
    test::openDefinition(document, definitionTitled("on disk"), file);
    const DiskStamp stamp = document.diskStamp();
    ASSERT_TRUE(stamp.taken);

    DefinitionDocument restored;
    RecoveryKeeper restoredKeeper(restored, RecoveryStore(temp.file("recovery")));
    restored.restore(definitionTitled("typed"), file, stamp);
    EXPECT_TRUE(restored.isModified());
    EXPECT_EQ(restored.path(), file);
    EXPECT_EQ(restored.definition().title, "typed");
    EXPECT_FALSE(restored.changedOnDisk());
    EXPECT_TRUE(restoredKeeper.isPending()) << "the restored changes get a copy of their own";

    // Another program wrote the file since the copy was made: Save must notice.
    test::writeBytes(file, "R2\r\nsomething else, longer than before\r\n");
    EXPECT_TRUE(restored.changedOnDisk());

    // An untitled copy stays untitled, whatever stamp came with it.
    restored.restore(definitionTitled("untitled"), "", stamp);
    EXPECT_TRUE(restored.isUntitled());
    EXPECT_TRUE(restored.isModified());
    EXPECT_FALSE(restored.changedOnDisk());
    ASSERT_TRUE(restored.saveAs(file));
    EXPECT_FALSE(restored.isModified());
}

} // namespace
} // namespace vornak
