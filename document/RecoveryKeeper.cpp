#include "RecoveryKeeper.h"

#include "DefinitionDocument.h"

#include <algorithm>
#include <chrono>
#include <ctime>

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
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] { writeNow(); });
    connect(&document_, &DefinitionDocument::definitionChanged, this, &RecoveryKeeper::documentChanged);
    connect(&document_, &DefinitionDocument::modifiedChanged, this, &RecoveryKeeper::modifiedChanged);
    // A path taken by Save As changes where the copy belongs.
    connect(&document_, &DefinitionDocument::pathChanged, this, &RecoveryKeeper::documentChanged);
    if (document_.isModified()) {
        modifiedSince_ = wallSeconds();
        documentChanged();
    }
}

// The copy stays: an editor that ends without the user's word keeps what was typed.
RecoveryKeeper::~RecoveryKeeper() = default;

std::int64_t RecoveryKeeper::now() const {
    if (clock_) {
        return clock_();
    }
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::optional<ReportDefinition> RecoveryKeeper::pendingDefinition() const {
    return pendingEdit_ ? pendingEdit_() : std::nullopt;
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
    if (!document_.isModified() && !pendingDefinition()) {
        // Saved, undone back to the file, or replaced: nothing left to recover.
        timer_.stop();
        firstUnwritten_ = -1;
        modifiedSince_ = 0;
        writeNow();
        return;
    }
    if (modifiedSince_ == 0) {
        modifiedSince_ = wallSeconds(); // typing into an open edit of an unchanged document
    }
    const std::int64_t at = now();
    if (firstUnwritten_ < 0) {
        firstUnwritten_ = at;
    }
    const std::int64_t waited = at - firstUnwritten_;
    const std::int64_t delay = std::clamp<std::int64_t>(
        std::min<std::int64_t>(quietMilliseconds, longestWaitMilliseconds - waited), 0, quietMilliseconds);
    timer_.start(static_cast<int>(delay));
}

bool RecoveryKeeper::writeNow() {
    timer_.stop();
    const std::optional<ReportDefinition> withEdit = pendingDefinition();
    if (!document_.isModified() && !withEdit) {
        const bool removed = store_.remove(id_);
        hasCopy_ = !removed;
        current_ = removed;
        firstUnwritten_ = -1;
        return removed;
    }
    RecoveryInfo info;
    info.originalPath = document_.path();
    info.untitled = document_.isUntitled();
    info.copiedAt = wallSeconds();
    info.modifiedSince = modifiedSince_ != 0 ? modifiedSince_ : info.copiedAt;
    info.editor = ProcessIdentity::current();
    info.stamp = document_.diskStamp();
    RecoveryFault fault = store_.write(id_, withEdit ? *withEdit : document_.definition(), info);
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
    timer_.stop();
    firstUnwritten_ = -1;
    modifiedSince_ = 0;
    store_.remove(id_);
    hasCopy_ = false;
    // Nothing is written again until the next change.
    current_ = true;
}

} // namespace vornak
