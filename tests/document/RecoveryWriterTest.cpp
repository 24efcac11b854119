// Recovery copies written away from the event loop: a slow write leaves the window free, a newer
// snapshot takes the place of one not yet started, a write on the window's own thread (a signal,
// a save, discarding) waits for the one in flight and is never overwritten by an older one, a
// failure still reaches the window, and closing finishes what was started. The snapshot is copied
// beside the window too: a change waits for that copy and stays out of it. A gate stands for a
// slow disk: the tests wait for events, never for time.
#include "DocumentTestSupport.h"
#include "RecoveryKeeper.h"
#include "RecoveryStore.h"
#include "RecoveryWriter.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vornak {
namespace {

using test::TempFolder;

// Holds whoever passes until it is opened, and counts who has arrived.
class Gate {
public:
    void pass() {
        std::unique_lock lock(mutex_);
        ++arrived_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
    }
    void waitForArrivals(int count) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this, count] { return arrived_ >= count; });
    }
    void open() {
        {
            const std::lock_guard lock(mutex_);
            open_ = true;
        }
        changed_.notify_all();
    }
    // Opens from another thread once `count` have arrived, for a caller about to block on them.
    std::thread openAfter(int count) {
        return std::thread([this, count] {
            waitForArrivals(count);
            open();
        });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int arrived_ = 0;
    bool open_ = false;
};

// What happened, in order, across threads.
class Log {
public:
    void add(std::string what) {
        const std::lock_guard lock(mutex_);
        entries_.push_back(std::move(what));
    }
    std::vector<std::string> entries() const {
        const std::lock_guard lock(mutex_);
        return entries_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> entries_;
};

// --- The writer ----------------------------------------------------------------------------------

struct Finished {
    std::vector<std::uint64_t> numbers;
    std::vector<RecoveryFault> faults;
    bool onOwnersThread = true;
};

void collect(RecoveryWriter& writer, Finished& finished) {
    QObject::connect(&writer, &RecoveryWriter::finished, [&finished](std::uint64_t number, const RecoveryFault& fault) {
        finished.numbers.push_back(number);
        finished.faults.push_back(fault);
        finished.onOwnersThread = finished.onOwnersThread && QThread::currentThread() == qApp->thread();
    });
}

TEST(RecoveryWriterTest, ANewerJobTakesThePlaceOfOneNotYetStarted) {
    RecoveryWriter writer;
    Finished finished;
    collect(writer, finished);
    Gate gate;
    Log log;
    const auto job = [&](const char* name, bool held) {
        return [&, name, held] {
            if (held) {
                gate.pass();
            }
            log.add(name);
            return RecoveryFault{};
        };
    };
    const std::uint64_t first = writer.post(job("first", true));
    gate.waitForArrivals(1);
    writer.post(job("second", false));
    const std::uint64_t third = writer.post(job("third", false));
    EXPECT_TRUE(writer.isBusy());
    gate.open();
    writer.waitUntilIdle();
    EXPECT_FALSE(writer.isBusy());
    EXPECT_EQ(log.entries(), (std::vector<std::string>{"first", "third"}));
    EXPECT_TRUE(finished.numbers.empty()) << "results come with the owner's event loop";
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.numbers, (std::vector<std::uint64_t>{first, third}));
    EXPECT_TRUE(finished.onOwnersThread);
}

TEST(RecoveryWriterTest, ExclusiveWorkWaitsForTheJobInFlightAndNoEarlierJobFollowsIt) {
    RecoveryWriter writer;
    Finished finished;
    collect(writer, finished);
    Gate gate;
    Log log;
    writer.post([&] {
        log.add("first begins");
        gate.pass();
        log.add("first ends");
        return RecoveryFault{};
    });
    gate.waitForArrivals(1);
    writer.post([&] {
        log.add("second");
        return RecoveryFault{};
    });
    std::thread opener = gate.openAfter(1);
    writer.exclusive([&] { log.add("exclusive"); });
    opener.join();
    writer.waitUntilIdle();
    const std::vector<std::string> entries = log.entries();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.back(), "exclusive") << "an older job never runs after the direct write";
    EXPECT_EQ(entries[0], "first begins");
    EXPECT_EQ(entries[1], "first ends") << "nothing runs while the first job is in flight";
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.numbers.size(), entries.size() - 2) << "only the jobs that ran report";
}

TEST(RecoveryWriterTest, ClosingFinishesTheJobInFlightAndTheOneWaiting) {
    auto writer = std::make_unique<RecoveryWriter>();
    Gate gate;
    Log log;
    writer->post([&] {
        gate.pass();
        log.add("first");
        return RecoveryFault{};
    });
    gate.waitForArrivals(1);
    writer->post([&] {
        log.add("newest");
        return RecoveryFault{};
    });
    std::thread opener = gate.openAfter(1);
    writer.reset();
    opener.join();
    EXPECT_EQ(log.entries(), (std::vector<std::string>{"first", "newest"}));
}

TEST(RecoveryWriterTest, AJobThatRunsOutOfMemoryIsAFailedWriteNotACrash) {
    RecoveryWriter writer;
    Finished finished;
    collect(writer, finished);
    writer.post([]() -> RecoveryFault { throw std::bad_alloc(); });
    writer.waitUntilIdle();
    QCoreApplication::processEvents();
    ASSERT_EQ(finished.faults.size(), 1U);
    EXPECT_EQ(finished.faults[0].kind, RecoveryFault::Kind::CannotWrite);
    EXPECT_EQ(finished.faults[0].problem, FileProblem::NotEnoughMemory);
}

// --- The keeper with a slow disk -----------------------------------------------------------------

// A copy writer that waits at the gate before each write, can fail its first, and notes the title
// of each definition it wrote.
class SlowDisk {
public:
    bool failFirst = false;
    Gate gate;

    RecoveryKeeper::CopyWriter writer() {
        return [this](const RecoveryStore& store, const std::string& id, const CompactDefinition& definition,
                      const RecoveryInfo& info) {
            gate.pass();
            bool fail = false;
            {
                const std::lock_guard lock(mutex_);
                fail = failFirst && calls_++ == 0;
            }
            if (fail) {
                RecoveryFault fault;
                fault.kind = RecoveryFault::Kind::CannotWrite;
                fault.problem = FileProblem::NoSpace;
                return fault;
            }
            RecoveryFault fault = store.write(id, definition, info);
            log_.add(std::string(definition.reportText(0)));
            return fault;
        };
    }
    std::vector<std::string> written() const { return log_.entries(); }

private:
    std::mutex mutex_;
    int calls_ = 0;
    Log log_;
};

class BackgroundCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        keeper->setCopyWriter(disk.writer());
        QObject::connect(keeper.get(), &RecoveryKeeper::writeFailed, [this] { ++failures; });
    }

    void type(DefinitionDocument& d, const char* text) {
        ASSERT_TRUE(d.typeText(locationOf(ReportText::Title), QString::fromUtf8(text)));
    }
    void type(const char* text) { type(document, text); }
    // The title of the copy in the store; empty when there is none.
    std::string copiedTitle() const {
        const std::optional<ReportDefinition> read = copied();
        return read ? read->title : std::string();
    }
    // The copy in the store as it reads back; nothing when there is none.
    std::optional<ReportDefinition> copied() const {
        const RecoveryStore store(temp.file("recovery"));
        const std::vector<RecoveryEntry> entries = store.list();
        if (entries.empty()) {
            return std::nullopt;
        }
        EXPECT_EQ(entries.size(), 1U);
        ReportDefinition read;
        LoadError error;
        EXPECT_TRUE(RecoveryStore::readCopy(entries[0], read, error)) << error.reason;
        return read;
    }
    // Waits for the writes started and takes their results, as the event loop would.
    void settle() {
        keeper->waitForWrites();
        QCoreApplication::processEvents();
    }

    TempFolder temp;
    SlowDisk disk;
    DefinitionDocument document;
    std::unique_ptr<RecoveryKeeper> keeper =
        std::make_unique<RecoveryKeeper>(document, RecoveryStore(temp.file("recovery")));
    int failures = 0;
};

TEST_F(BackgroundCopyTest, ASlowCopyLeavesTheWindowFreeAndTheNewestSnapshotWins) {
    type("A");
    keeper->writeInBackground(); // returns at once although the disk holds the write
    EXPECT_FALSE(keeper->isPending());
    EXPECT_TRUE(keeper->isWriting());
    disk.gate.waitForArrivals(1);
    type("AB"); // the window goes on taking changes meanwhile
    keeper->writeInBackground();
    type("ABC");
    keeper->writeInBackground();
    EXPECT_FALSE(keeper->isCurrent());
    disk.gate.open();
    settle();
    EXPECT_EQ(disk.written(), (std::vector<std::string>{"A", "ABC"})) << "the snapshot in between was passed over";
    EXPECT_EQ(copiedTitle(), "ABC");
    EXPECT_TRUE(keeper->isCurrent());
    EXPECT_FALSE(keeper->isWriting());
    EXPECT_EQ(failures, 0);
}

// Each copy is written from memory the one before lent it, or that was made ahead for a large
// definition: copies of a definition that grows, shrinks and grows again each read back as the
// document was.
TEST_F(BackgroundCopyTest, CopiesOneAfterAnotherEachHoldTheDocumentAsItWas) {
    disk.gate.open();
    for (const int parameters : {3000, 10, 0, 30000, 4000, 4000}) {
        SCOPED_TRACE(parameters);
        ReportDefinition d;
        d.title = "copy of " + std::to_string(parameters);
        for (int p = 0; p < parameters; ++p) {
            d.parameters.push_back({"parameter " + std::to_string(p) + " of " + std::to_string(parameters),
                                    "", ValueKind::Input, 0, 0,
                                    {{std::string(60, 'v'), "", "r" + std::to_string(p)},
                                     {"w", "", std::string(p % 200, 'x')}}});
        }
        document.restore(d, "", DiskStamp{});
        keeper->writeInBackground();
        settle();
        EXPECT_EQ(copied(), document.definition());
    }
}

TEST_F(BackgroundCopyTest, AChangeMadeWhileTheCopyIsWrittenIsStillToBeWritten) {
    disk.gate.open();
    type("A");
    keeper->writeInBackground();
    type("AB");
    settle();
    EXPECT_EQ(copiedTitle(), "A");
    EXPECT_FALSE(keeper->isCurrent()) << "the copy lacks the last change";
    EXPECT_TRUE(keeper->isPending()) << "and its own timer runs";
    keeper->writeInBackground();
    settle();
    EXPECT_EQ(copiedTitle(), "AB");
    EXPECT_TRUE(keeper->isCurrent());
}

TEST_F(BackgroundCopyTest, ADirectWriteWaitsForTheOneInFlightAndItsLateResultChangesNothing) {
    disk.failFirst = true; // the background write fails, the direct one after it works
    type("A");
    keeper->writeInBackground();
    disk.gate.waitForArrivals(1);
    type("AB");
    std::thread opener = disk.gate.openAfter(1);
    EXPECT_TRUE(keeper->writeNow()); // a termination signal's path
    opener.join();
    EXPECT_EQ(copiedTitle(), "AB");
    settle();
    EXPECT_EQ(copiedTitle(), "AB");
    EXPECT_EQ(failures, 0) << "the older write's failure no longer counts";
    EXPECT_FALSE(keeper->lastFault());
    EXPECT_TRUE(keeper->isCurrent());
}

TEST_F(BackgroundCopyTest, NothingWrittenBeforeASaveOrADiscardBringsTheCopyBack) {
    const struct {
        const char* what;
        std::function<void(DefinitionDocument&, RecoveryKeeper&, const std::string&)> act;
    } cases[] = {
        {"saved", [](DefinitionDocument& d, RecoveryKeeper&, const std::string& file) { ASSERT_TRUE(d.saveAs(file)); }},
        {"discarded", [](DefinitionDocument&, RecoveryKeeper& k, const std::string&) { k.discard(); }},
    };
    for (const auto& c : cases) {
        DefinitionDocument d;
        SlowDisk slow;
        RecoveryKeeper k(d, RecoveryStore(temp.file("recovery")));
        k.setCopyWriter(slow.writer());
        type(d, c.what);
        k.writeInBackground();
        slow.gate.waitForArrivals(1);
        type(d, "more");
        k.writeInBackground(); // waiting behind the one in flight
        std::thread opener = slow.gate.openAfter(1);
        c.act(d, k, temp.file("saved.rpt"));
        opener.join();
        k.waitForWrites();
        QCoreApplication::processEvents();
        EXPECT_EQ(copiedTitle(), "") << c.what;
        EXPECT_FALSE(k.isWriting()) << c.what;
    }
}

TEST_F(BackgroundCopyTest, ACopyThatCannotBeWrittenIsReportedOnTheWindowsThread) {
    test::writeBytes(temp.file("recovery"), "a file where the folder should be");
    disk.gate.open();
    bool onOwnersThread = false;
    QObject::connect(keeper.get(), &RecoveryKeeper::writeFailed,
                     [&onOwnersThread] { onOwnersThread = QThread::currentThread() == qApp->thread(); });
    type("x");
    keeper->writeInBackground();
    settle();
    EXPECT_EQ(failures, 1);
    EXPECT_TRUE(onOwnersThread);
    EXPECT_FALSE(keeper->lastError().isEmpty());
    EXPECT_FALSE(keeper->isCurrent());

    std::filesystem::remove(temp.file("recovery"));
    type("xy");
    keeper->writeInBackground();
    settle();
    EXPECT_TRUE(keeper->lastError().isEmpty()) << "a copy that works again clears the message";
    EXPECT_EQ(copiedTitle(), "xy");
}

TEST_F(BackgroundCopyTest, ADefinitionNoFileCanHoldIsRefusedAndSaid) {
    disk.gate.open();
    ReportDefinition tooLong;
    tooLong.date.assign(maxLineBytes + 1, 'd');
    document.restore(tooLong, "", DiskStamp{});
    keeper->writeInBackground();
    settle();
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(keeper->lastFault().problem, FileProblem::UnwritableText);
    EXPECT_TRUE(disk.written().empty()) << "refused before the copy's writer was asked";
    const std::optional<RecoveryEntry> entry = keeper->store().find(keeper->id());
    EXPECT_FALSE(entry && entry->readable()) << "no copy that could be offered back";
}

// A definition large enough to be copied in two halves at once.
ReportDefinition largeDefinition() {
    ReportDefinition d;
    d.title = "large";
    for (int p = 0; p < 3000; ++p) {
        ParameterRecord parameter{"parameter " + std::to_string(p), "#P(" + std::to_string(p % 7) + ")",
                                  ValueKind::List, 0, 1, {}};
        for (int r = 0; r < 20; ++r) {
            parameter.values.push_back({"value " + std::to_string(p) + "." + std::to_string(r), "",
                                        std::string(static_cast<std::size_t>(r), 'r')});
        }
        d.parameters.push_back(std::move(parameter));
    }
    d.results.push_back({"result", "#P(1)"});
    return d;
}

// Each change comes at once after the timer's snapshot, while its copy is still being made: the
// change waits for the copy, the copy holds the definition as it was, the change is in the next.
TEST_F(BackgroundCopyTest, AChangeRightAfterTheSnapshotWaitsForItsCopyAndStaysOutOfIt) {
    disk.gate.open();
    document.restore(largeDefinition(), "", DiskStamp{});
    const struct {
        const char* what;
        std::function<void(DefinitionDocument&)> change;
    } changes[] = {
        {"typed title", [](DefinitionDocument& d) { ASSERT_TRUE(d.typeText(locationOf(ReportText::Title), "typed")); }},
        {"first parameter deleted", [](DefinitionDocument& d) { ASSERT_TRUE(d.deleteParameter(0)); }},
        {"parameters inserted", [](DefinitionDocument& d) { ASSERT_GE(d.duplicateParameter(5), 0); }},
        {"rows moved", [](DefinitionDocument& d) { ASSERT_GE(d.moveParameter(100, 1), 0); }},
        {"kind changed", [](DefinitionDocument& d) { ASSERT_TRUE(d.setKind(7, ValueKind::Input)); }},
        {"undone", [](DefinitionDocument& d) { d.undoStack()->undo(); }},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.what);
        const ReportDefinition before = document.definition();
        keeper->writeInBackground();
        c.change(document);
        settle();
        EXPECT_EQ(copied(), before);
        EXPECT_FALSE(keeper->isCurrent());
        EXPECT_NE(document.definition(), before) << "the change was made after all";
    }
    // Another definition takes this one's place while its copy is made.
    keeper->writeInBackground();
    document.restore(ReportDefinition(), "", DiskStamp{});
    settle();
    EXPECT_EQ(document.definition(), ReportDefinition());
    EXPECT_EQ(failures, 0);
}

// A thread lent the definition reads it until it says it is done; whatever changes or replaces
// the definition, or ends the document, waits for that. The reader takes its time on purpose: a
// change that did not wait would come back before it.
TEST(LentDefinition, EveryChangeWaitsForTheReader) {
    QTemporaryDir folder;
    const std::string file = folder.filePath(QStringLiteral("other.rpt")).toStdString();
    ASSERT_TRUE(largeDefinition().save(file));
    const struct {
        const char* what;
        std::function<void(DefinitionDocument&)> change;
    } changes[] = {
        {"typed", [](DefinitionDocument& d) { ASSERT_TRUE(d.typeText(locationOf(ReportText::Author), "x")); }},
        {"cell", [](DefinitionDocument& d) { ASSERT_TRUE(d.setCell({TextField::Value, 1, 1}, "v")); }},
        {"added", [](DefinitionDocument& d) { ASSERT_GE(d.addParameter(0), 0); }},
        {"deleted", [](DefinitionDocument& d) { ASSERT_TRUE(d.deleteResult(0)); }},
        {"row added", [](DefinitionDocument& d) { ASSERT_GE(d.addValueRow(0, 0), 0); }},
        {"moved", [](DefinitionDocument& d) { ASSERT_GE(d.addResult(1), 0); ASSERT_GE(d.moveResult(1, -1), 0); }},
        {"flag", [](DefinitionDocument& d) { ASSERT_TRUE(d.setNumber(0, true)); }},
        {"kind", [](DefinitionDocument& d) { ASSERT_TRUE(d.setKind(0, ValueKind::Range)); }},
        {"new", [](DefinitionDocument& d) { d.newDocument(); }},
        {"opened", [file](DefinitionDocument& d) { ASSERT_TRUE(d.open(file)); }},
    };
    // A reader lent the document that takes its time, then says it is done.
    struct SlowReader {
        std::atomic<bool> read{false};
        std::promise<void> done;
        std::thread thread;
        explicit SlowReader(DefinitionDocument& document) {
            document.lendToReader(done.get_future().share());
            thread = std::thread([this] {
                std::this_thread::sleep_for(std::chrono::milliseconds(30));
                read = true;
                done.set_value();
            });
        }
        ~SlowReader() { thread.join(); }
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.what);
        DefinitionDocument document;
        SlowReader reader(document);
        c.change(document);
        EXPECT_TRUE(reader.read) << "changed while another thread read";
    }
    {
        auto document = std::make_unique<DefinitionDocument>();
        SlowReader reader(*document);
        document.reset();
        EXPECT_TRUE(reader.read) << "the document went while another thread read it";
    }
    {
        SCOPED_TRACE("reader that never started");
        DefinitionDocument document;
        {
            std::promise<void> broken;
            document.lendToReader(broken.get_future().share());
        }
        EXPECT_TRUE(document.typeText(locationOf(ReportText::Author), "x")) << "no wait for ever";
    }
}

TEST_F(BackgroundCopyTest, ClosingFinishesTheCopyInFlightAndTheNewestOne) {
    type("A");
    keeper->writeInBackground();
    disk.gate.waitForArrivals(1);
    type("AB");
    keeper->writeInBackground();
    std::thread opener = disk.gate.openAfter(1);
    keeper.reset();
    opener.join();
    EXPECT_EQ(copiedTitle(), "AB");
}

} // namespace
} // namespace vornak
