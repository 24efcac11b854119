#include "RecoveryKeeper.h"

#include "DefinitionDocument.h"
#include "WorkerThread.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <exception>
#include <future>
#include <memory>
#include <system_error>
#include <thread>
#include <utility>

namespace vornak {

namespace {

std::int64_t wallSeconds() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

} // namespace

RecoveryKeeper::RecoveryKeeper(DefinitionDocument& document, RecoveryStore store,
                               std::function<std::int64_t()> clock, QObject* parent)
    : QObject(parent), document_(document), store_(std::move(store)), clock_(std::move(clock)),
      id_(store_.newId()) {
    setCopyWriter({});
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &RecoveryKeeper::writeInBackground);
    connect(&writer_, &RecoveryWriter::finished, this, &RecoveryKeeper::writeFinished);
    connect(&document_, &DefinitionDocument::definitionChanged, this, &RecoveryKeeper::documentChanged);
    connect(&document_, &DefinitionDocument::modifiedChanged, this, &RecoveryKeeper::modifiedChanged);
    // Another definition takes the place of this one: the memory kept for copies of this one goes.
    connect(&document_, &DefinitionDocument::documentReset, this, &RecoveryKeeper::dropSpare);
    // A path taken by Save As changes where the copy belongs.
    connect(&document_, &DefinitionDocument::pathChanged, this, &RecoveryKeeper::documentChanged);
    if (document_.isModified()) {
        modifiedSince_ = wallSeconds();
        documentChanged();
    }
}

// The copy stays: an editor that ends without the user's word keeps what was typed.
RecoveryKeeper::~RecoveryKeeper() {
    if (preparer_.joinable()) {
        preparer_.join();
    }
}

void RecoveryKeeper::setCopyWriter(CopyWriter writer) {
    if (!writer) {
        writer = [](const RecoveryStore& store, const std::string& id, const CompactDefinition& definition,
                    const RecoveryInfo& info) { return store.write(id, definition, info); };
    }
    copyWriter_ = std::move(writer);
}

std::int64_t RecoveryKeeper::now() const {
    if (clock_) {
        return clock_();
    }
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::vector<TextReplacement> RecoveryKeeper::pendingEdits() const {
    return pendingEdit_ ? pendingEdit_() : std::vector<TextReplacement>();
}

void RecoveryKeeper::setFault(RecoveryFault fault) {
    lastError_ = QString::fromStdString(fault.english());
    if (fault != lastFault_) {
        lastFault_ = std::move(fault);
        emit faultChanged();
    }
}

void RecoveryKeeper::modifiedChanged(bool modified) {
    if (modified && modifiedSince_ == 0) {
        modifiedSince_ = wallSeconds();
    }
    documentChanged();
}

void RecoveryKeeper::documentChanged() {
    current_ = false;
    ++changes_;
    if (!document_.isModified() && pendingEdits().empty()) {
        // Saved, undone back to the file, or replaced: nothing left to recover. The spare memory
        // stays while the same definition is edited on: the next change needs it again.
        timer_.stop();
        firstUnwritten_ = -1;
        modifiedSince_ = 0;
        writeNow();
        return;
    }
    if (modifiedSince_ == 0) {
        modifiedSince_ = wallSeconds(); // typing into an open edit of an unchanged document
    }
    prepareSpare();
    const std::int64_t at = now();
    if (firstUnwritten_ < 0) {
        firstUnwritten_ = at;
    }
    const std::int64_t waited = at - firstUnwritten_;
    const std::int64_t delay = std::clamp<std::int64_t>(
        std::min<std::int64_t>(quietMilliseconds, longestWaitMilliseconds - waited), 0, quietMilliseconds);
    timer_.start(static_cast<int>(delay));
}

RecoveryInfo RecoveryKeeper::describe() const {
    RecoveryInfo info;
    info.originalPath = document_.path();
    info.untitled = document_.isUntitled();
    info.copiedAt = wallSeconds();
    info.modifiedSince = modifiedSince_ != 0 ? modifiedSince_ : info.copiedAt;
    info.editor = ProcessIdentity::current();
    info.stamp = document_.diskStamp();
    return info;
}

bool RecoveryKeeper::removeCopy() {
    bool removed = false;
    writer_.exclusive([this, &removed] { removed = store_.remove(id_); });
    lastJob_ = 0;
    hasCopy_ = !removed;
    current_ = removed;
    firstUnwritten_ = -1;
    return removed;
}

namespace {

// The model with the open edits in place, for the store to refuse with its reason when one of them
// (or the model's own text) is one no file can hold.
ReportDefinition withEditsInPlace(const ReportDefinition& definition, const std::vector<TextReplacement>& edits) {
    ReportDefinition copy = definition;
    for (const TextReplacement& edit : edits) {
        textAt(copy, edit.where) = edit.text;
    }
    return copy;
}

} // namespace

// A snapshot copied on a thread of its own while the window goes on; the document holds its
// changes back until the copy is done. Destroying it waits for that thread.
struct RecoveryKeeper::SnapshotCopy {
    std::optional<CompactDefinition> compact;
    std::optional<ReportDefinition> refused; // a text no file can hold: for the store's refusal
    std::exception_ptr failure;
    std::thread thread;

    void wait() {
        if (thread.joinable()) {
            thread.join();
        }
    }
    ~SnapshotCopy() { wait(); }

    void copy(const ReportDefinition& definition, CompactDefinition reuse, const std::vector<TextReplacement>& edits) {
        try {
            compact = CompactDefinition::copyOf(definition, std::move(reuse), edits);
            if (!compact) {
                refused = withEditsInPlace(definition, edits);
            }
        } catch (...) {
            compact.reset();
            refused.reset();
            failure = std::current_exception();
        }
    }
};

void RecoveryKeeper::writeInBackground() {
    timer_.stop();
    const std::vector<TextReplacement> edits = pendingEdits();
    if (!document_.isModified() && edits.empty()) {
        removeCopy();
        return;
    }
    // The definition's texts are copied into a few large blocks on a thread of their own (two for
    // a large one) while the window goes on; a change waits until the copy is done. The writer's
    // thread then turns the blocks into bytes, writes and keeps them for the next copy.
    auto snapshot = std::make_shared<SnapshotCopy>();
    auto copied = std::make_shared<std::promise<void>>();
    const ReportDefinition& definition = document_.definition();
    // Lent before the thread starts, so that no thread ever reads it unlent; a promise that is
    // never kept (no thread) is broken when the last holder goes, and that ends the lending too.
    document_.lendToReader(copied->get_future().share());
    try {
        snapshot->thread = startWorkerThread([snapshot = snapshot.get(), copied, &definition,
                                              reuse = takeSpare(), edits]() mutable {
            snapshot->copy(definition, std::move(reuse), edits);
            copied->set_value(); // from here on the document may change
        });
    } catch (const std::system_error&) {
        snapshot->copy(definition, takeSpare(), edits); // no thread: copied here, as the loop waits
    }
    snapshotChanges_ = changes_;
    firstUnwritten_ = -1;
    lastJob_ = writer_.post([write = copyWriter_, store = store_, id = id_, snapshot = std::move(snapshot),
                             info = describe(), spare = spare_] {
        snapshot->wait();
        if (snapshot->failure) {
            std::rethrow_exception(snapshot->failure);
        }
        if (!snapshot->compact) {
            return store.write(id, *snapshot->refused, info); // refused before anything is touched
        }
        RecoveryFault fault = write(store, id, *snapshot->compact, info);
        // Written: its memory waits for the next snapshot. One kept before goes here, off the loop.
        std::optional<CompactDefinition> replaced;
        {
            const std::lock_guard lock(spare->mutex);
            replaced = std::exchange(spare->held, std::move(*snapshot->compact));
        }
        return fault;
    });
}

CompactDefinition RecoveryKeeper::takeSpare() {
    const std::lock_guard lock(spare_->mutex);
    CompactDefinition taken = spare_->held ? std::move(*spare_->held) : CompactDefinition();
    spare_->held.reset();
    return taken;
}

void RecoveryKeeper::dropSpare() {
    spareAsked_ = false;
    std::optional<CompactDefinition> dropped;
    const std::lock_guard lock(spare_->mutex);
    ++spare_->generation; // memory being made ahead for the copies no longer needed stays out
    dropped = std::exchange(spare_->held, std::nullopt);
}

void RecoveryKeeper::prepareSpare() {
    if (spareAsked_) {
        return;
    }
    spareAsked_ = true;
    const ReportDefinition& definition = document_.definition();
    std::size_t rows = 0;
    for (const ParameterRecord& parameter : definition.parameters) {
        rows += parameter.values.size();
    }
    if (rows < preparedAboveRows) {
        return; // a small copy takes its memory quickly enough
    }
    const CompactDefinition::Room room = CompactDefinition::roomFor(definition);
    std::uint64_t generation = 0;
    {
        const std::lock_guard lock(spare_->mutex);
        if (spare_->held) {
            return;
        }
        generation = spare_->generation;
    }
    if (preparer_.joinable()) {
        preparer_.join();
    }
    try {
        preparer_ = std::thread([spare = spare_, room, generation] {
            CompactDefinition made = CompactDefinition::withRoom(room);
            std::optional<CompactDefinition> unused;
            const std::lock_guard lock(spare->mutex);
            if (!spare->held && spare->generation == generation) {
                spare->held = std::move(made);
            } else {
                unused = std::move(made); // freed after the lock
            }
        });
    } catch (const std::system_error&) {
        // No thread: the first copy takes its memory itself.
    }
}

void RecoveryKeeper::writeFinished(std::uint64_t job, const RecoveryFault& fault) {
    if (job != lastJob_) {
        return; // a newer snapshot or a direct write has taken its place
    }
    lastJob_ = 0;
    const bool written = !fault;
    setFault(fault);
    if (!written) {
        emit writeFailed(lastError_);
        return;
    }
    hasCopy_ = true;
    // Changes made while it was written are not in it; their own timer is running.
    current_ = changes_ == snapshotChanges_;
}

bool RecoveryKeeper::writeNow() {
    timer_.stop();
    const std::vector<TextReplacement> edits = pendingEdits();
    if (!document_.isModified() && edits.empty()) {
        return removeCopy();
    }
    const RecoveryInfo info = describe();
    RecoveryFault fault;
    if (edits.empty()) {
        writer_.exclusive([&] { fault = store_.write(id_, document_.definition(), info); });
    } else if (const std::optional<CompactDefinition> withEdits =
                   CompactDefinition::copyOf(document_.definition(), {}, edits)) {
        writer_.exclusive([&] { fault = store_.write(id_, *withEdits, info); });
    } else {
        // A text no file can hold: the store refuses the model's copy and says why.
        const ReportDefinition refused = withEditsInPlace(document_.definition(), edits);
        writer_.exclusive([&] { fault = store_.write(id_, refused, info); });
    }
    lastJob_ = 0;
    const bool written = !fault;
    setFault(std::move(fault));
    if (!written) {
        emit writeFailed(lastError_);
        return false;
    }
    hasCopy_ = true;
    current_ = true;
    firstUnwritten_ = -1;
    return true;
}

void RecoveryKeeper::discard() {
    dropSpare();
    timer_.stop();
    firstUnwritten_ = -1;
    modifiedSince_ = 0;
    writer_.exclusive([this] { store_.remove(id_); });
    lastJob_ = 0;
    hasCopy_ = false;
    // Nothing is written again until the next change.
    current_ = true;
}

} // namespace vornak
