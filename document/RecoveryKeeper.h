// Keeps the recovery copy of one document up to date: shortly after a burst of changes ends (and
// at the latest a few seconds into a long one) the timer has a thread copy the definition into a
// snapshot (the document holds a change back until that copy is done) and a thread of the keeper's
// own writes it, so neither a key nor a large copy holds up the window; a
// document that has no unsaved changes any more (saved, undone to the file's state, replaced by
// New or Open) has its copy removed. Whoever ends the editor on a signal or at
// the end of the session calls writeNow(); whoever closes with the user's "No" calls discard().
// Text typed into an open cell editor is not in the document until the edit is confirmed; a
// pending-edit provider hands the keeper the definition with that text in place, and whoever
// watches the editor calls pendingEditChanged() as it is typed, so a kill finds it in the copy too.
#pragma once

#include "RecoveryStore.h"
#include "RecoveryWriter.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace vornak {

class DefinitionDocument;

class RecoveryKeeper : public QObject {
    Q_OBJECT

public:
    // The quiet time after the last change before the copy is written, and the longest a change
    // waits while changes keep coming.
    static constexpr int quietMilliseconds = 1000;
    static constexpr int longestWaitMilliseconds = 5000;

    // clock: milliseconds on a steady clock (tests pass their own); empty for the system's.
    RecoveryKeeper(DefinitionDocument& document, RecoveryStore store,
                   std::function<std::int64_t()> clock = {}, QObject* parent = nullptr);
    ~RecoveryKeeper() override;

    const RecoveryStore& store() const { return store_; }
    // The name of this document's copies in the store.
    const std::string& id() const { return id_; }

    // A write is waiting for the burst of changes to end, and how long the timer was set for.
    bool isPending() const { return timer_.isActive(); }
    int pendingDelay() const { return timer_.interval(); }
    // A copy is being written (or waits for the one in flight) away from the event loop.
    bool isWriting() const { return writer_.isBusy(); }
    // Blocks until the copies started have been written; their results arrive with the next
    // turn of the event loop.
    void waitForWrites() { writer_.waitUntilIdle(); }
    // Has the snapshot taken now and written away from the event loop: what the timer does. The
    // snapshot holds the document as it is at this call.
    void writeInBackground();
    // Whether a copy of the document as it is now is in the store.
    bool isCurrent() const { return current_; }

    // Brings the store in line with the document at once, on this thread (after the write in
    // flight, in place of the one waiting): writes the copy while there are unsaved changes,
    // removes it otherwise. True when the store now holds what the document needs.
    bool writeNow();
    // Removes the copy and forgets the changes made so far (the user chose not to keep them).
    void discard();
    // When the unsaved changes began (seconds since the epoch), for a restored document whose
    // changes are older than this run.
    void setModifiedSince(std::int64_t seconds) { modifiedSince_ = seconds; }

    // Why the last write failed; empty when it worked.
    const QString& lastError() const { return lastError_; }
    const RecoveryFault& lastFault() const { return lastFault_; }

    // The texts of open, unconfirmed edits with their places; none while no edit is open or its text
    // changes nothing. The copy holds them in place of the document's; the document is not touched.
    using PendingEdit = std::function<std::vector<TextReplacement>()>;
    void setPendingEdit(PendingEdit provider) { pendingEdit_ = std::move(provider); }
    // The open edit's text changed (or the edit ended): written like any change.
    void pendingEditChanged() { documentChanged(); }

    // Writes the timer's copy into the store, on the writer's thread (so it may use only what it
    // is given): the store's own write unless another is handed in (a slower or failing one).
    using CopyWriter = std::function<RecoveryFault(const RecoveryStore&, const std::string& id,
                                                   const CompactDefinition&, const RecoveryInfo&)>;
    void setCopyWriter(CopyWriter writer);

signals:
    // A copy could not be written (the message says why, in English); the next change tries again.
    void writeFailed(const QString& reason);
    // The last write failed where the one before worked, or the other way round, or failed for
    // another reason.
    void faultChanged();

private:
    struct SnapshotCopy;
    void documentChanged();
    void modifiedChanged(bool modified);
    std::int64_t now() const;
    std::vector<TextReplacement> pendingEdits() const;
    void setFault(RecoveryFault fault);
    RecoveryInfo describe() const;
    bool removeCopy();
    void writeFinished(std::uint64_t job, const RecoveryFault& fault);
    // The spare snapshot's memory, taken out for the next copy, or freed once no copy is needed.
    CompactDefinition takeSpare();
    void dropSpare();
    void prepareSpare();

    DefinitionDocument& document_;
    RecoveryStore store_;
    std::function<std::int64_t()> clock_;
    std::string id_;
    QTimer timer_;
    std::int64_t firstUnwritten_ = -1; // when the oldest change not yet in the copy was made
    std::int64_t modifiedSince_ = 0;
    bool current_ = false;
    bool hasCopy_ = false;
    QString lastError_;
    RecoveryFault lastFault_;
    PendingEdit pendingEdit_;
    CopyWriter copyWriter_;
    std::uint64_t changes_ = 0;         // changes seen so far
    std::uint64_t snapshotChanges_ = 0; // of them, those in the snapshot being written
    std::uint64_t lastJob_ = 0;         // the background write whose result counts; 0: none
    // The memory of the last snapshot written, lent to the next one: a large definition copied
    // again and again while the user types takes no new memory, nor fresh pages, each time.
    struct SpareSnapshot {
        std::mutex mutex;
        std::optional<CompactDefinition> held;
        std::uint64_t generation = 0; // counts the drops, so memory made ahead for an older need stays out
    };
    std::shared_ptr<SpareSnapshot> spare_ = std::make_shared<SpareSnapshot>();
    // A large definition's first change has the memory of its first copy made ahead on a thread of
    // its own, so that taking that snapshot does not wait for the system to give the pages.
    static constexpr std::size_t preparedAboveRows = 50'000;
    bool spareAsked_ = false;
    std::thread preparer_;
    RecoveryWriter writer_;             // last: its thread ends before the rest goes
};

} // namespace vornak
