#include "RandomSession.h"

#include "../shell/FormHarness.h"

#include "ChecksController.h"
#include "CompactDefinition.h"
#include "DefinitionDocument.h"
#include "DocumentController.h"
#include "MainWindow.h"
#include "NativePath.h"
#include "ParameterPanel.h"
#include "RecoverySession.h"
#include "RecoveryStore.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <QUndoStack>

namespace vornak::testing {

QString RandomSession::scratchFolder() {
    const QFileInfo memory(QStringLiteral("/dev/shm"));
    if (memory.isDir() && memory.isWritable()) {
        return memory.filePath() + QStringLiteral("/vornak-session-XXXXXX");
    }
    return QDir::tempPath() + QStringLiteral("/vornak-session-XXXXXX");
}

RandomSession::RandomSession() : dir_(scratchFolder()) {
    settings_ = std::make_unique<SettingsStore>(dir_.filePath(QStringLiteral("vornak.conf")));
    services_ = PlatformServices{&fileDialogs_, &messages_, settings_.get(), &shell_};
    recoveryFolder_ = corePath(QFile::encodeName(dir_.filePath(QStringLiteral("state/recovery"))));
    // A click on a selected cell opens its editor after the double-click interval: far longer than
    // any step, so that no editor opens by the clock and a replay does what the first run did.
    // Each click's time is moved past it (separateClick), so that no two clicks make a double one.
    QApplication::setDoubleClickInterval(clickInterval);
    startWindow();
    if (const int large = qEnvironmentVariableIntValue("VORNAK_RANDOM_LARGE"); large > 0) {
        startLarge(large);
    }
}

// A session over a definition of `parameters` parameters of 20 rows: saves then write several
// blocks behind, and a first change makes a copy's memory ahead.
void RandomSession::startLarge(int parameters) {
    ReportDefinition large = document_->definition();
    for (int p = 0; p < parameters; ++p) {
        ParameterRecord record;
        record.name = "p" + std::to_string(p + 1);
        for (int r = 0; r < 20; ++r) {
            record.values.push_back({std::to_string(r), "", "r" + std::to_string(p) + "." + std::to_string(r)});
        }
        large.parameters.push_back(std::move(record));
    }
    document_->restore(std::move(large), "", DiskStamp{});
    QApplication::processEvents();
    reference_ = document_->definition();
    snapshots_.assign(static_cast<std::size_t>(document_->undoStack()->index()) + 1, std::nullopt);
    snapshots_.back() = reference_;
    keptIndex_ = snapshots_.size() - 1;
}

RandomSession::~RandomSession() {
    closeWindow();
}

void RandomSession::startWindow(const QList<QByteArray>& commandLine) {
    document_ = std::make_unique<DefinitionDocument>();
    recovery_ = std::make_unique<RecoverySession>(*document_, messages_, RecoveryStore(recoveryFolder_),
                                                  &recoveryQuestion_);
    form_ = std::make_unique<MainWindow>(*document_, services_, recentFiles_, commandLine);
    recovery_->attach(*form_);
    recovery_->keeper().setCopyWriter([written = written_](const RecoveryStore& store, const std::string& id,
                                                           const CompactDefinition& definition, const RecoveryInfo& info) {
        RecoveryFault fault = store.write(id, definition, info);
        const std::lock_guard lock(written->mutex);
        written->definitions.push_back(definition.toDefinition());
        return fault;
    });
    if (auto* checks = form_->findChild<ChecksController*>()) {
        checks->setDelay(std::chrono::milliseconds(0));
    }
    form_->show();
    form_->activateWindow();
    static_cast<void>(QTest::qWaitForWindowActive(form_.get())); // offscreen activates at once
    QApplication::processEvents();
    reference_ = document_->definition();
    snapshots_.assign(static_cast<std::size_t>(document_->undoStack()->index()) + 1, std::nullopt);
    snapshots_.back() = reference_;
    keptIndex_ = snapshots_.size() - 1;
}

ReportDefinition RandomSession::startSnapshot(const OpenEdit& editor) {
    {
        const std::lock_guard lock(written_->mutex);
        written_->definitions.clear();
    }
    ReportDefinition expected = document_->definition();
    if (editor.open()) {
        confirmInto(expected, editor);
    }
    recovery_->keeper().writeInBackground();
    return expected;
}

std::string RandomSession::snapshotProblem(const ReportDefinition& expected) {
    recovery_->keeper().waitForWrites();
    const std::lock_guard lock(written_->mutex);
    // None when the document had nothing unsaved, or a save or direct write took the copy's place.
    if (written_->definitions.empty()) {
        return {};
    }
    const std::string diff =
        fullDifference(written_->definitions.front(), expected, "the timer's copy", "the document at the timer");
    return diff.empty() ? std::string() : "the copy written while the step ran differs:\n" + diff;
}

void RandomSession::closeWindow() {
    if (form_) {
        form_->documents().setRecovery(nullptr);
        form_->hide();
    }
    recovery_.reset();
    form_.reset();
    document_.reset();
    QApplication::processEvents();
}

CellGrid* RandomSession::grid(int id) const {
    switch (id) {
    case ParameterGrid:
        return form_->parameterGrid();
    case ValueGrid:
        return form_->parameterPanel().valueList();
    default:
        return form_->resultGrid();
    }
}

int RandomSession::currentParameter() const {
    const QModelIndex current = form_->parameterGrid()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

OpenEdit RandomSession::openEdit() const {
    OpenEdit edit;
    for (int id = 0; id < GridCount; ++id) {
        const CellGrid* list = grid(id);
        if (list->isEditing() && list->openEditor() != nullptr) {
            edit.grid = id;
            edit.row = list->currentIndex().row();
            edit.column = list->editedColumn();
            edit.parameter = id == ValueGrid ? currentParameter() : -1;
            edit.text = list->openEditor()->text();
            return edit;
        }
    }
    return edit;
}

QString RandomSession::path(const QString& name) const {
    return dir_.filePath(name);
}

QWidget* RandomSession::focused() const {
    QWidget* focus = QApplication::focusWidget();
    return focus != nullptr ? focus : form_.get();
}

SessionFailure RandomSession::play(const std::vector<Step>& steps, std::vector<std::string>* descriptions) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const OpenEdit editorBefore = openEdit();
        std::optional<ReportDefinition> snapshot;
        if (i % 3 == 1 && steps[i].action != StepAction::Kill) {
            snapshot = startSnapshot(editorBefore);
        }
        Effect effect;
        const std::string described = execute(steps[i], effect);
        if (descriptions != nullptr) {
            descriptions->push_back(described);
        }
        const int index = static_cast<int>(i);
        if (!form_->isVisible()) {
            return {index, "window-stays-open", "the window closed"};
        }
        if (!form_->isActiveWindow()) {
            form_->activateWindow();
            static_cast<void>(QTest::qWaitForWindowActive(form_.get())); // offscreen activates at once
        }
        if (snapshot) {
            if (const std::string problem = snapshotProblem(*snapshot); !problem.empty()) {
                return {index, "snapshot-holds-document-at-timer", problem};
            }
        }
        updateReference(effect, editorBefore);
        if (SessionFailure failure = check(index, effect, editorBefore)) {
            return failure;
        }
        keepSnapshot();
    }
    return {};
}

void RandomSession::updateReference(const Effect& effect, const OpenEdit& editorBefore) {
    steppedInHistory_ = effect.undoRedo;
    afterConfirm_.reset();
    if (effect.killed) {
        // The restore is checked against what it had to give; the session goes on from there.
        reference_ = effect.restoreExpected ? *effect.restoreExpected : document_->definition();
        snapshots_.assign(static_cast<std::size_t>(document_->undoStack()->index()) + 1, std::nullopt);
        keptIndex_ = snapshots_.size() - 1;
        return;
    }
    // An editor open before the step that the step did not end itself went with what the step did:
    // every command, click elsewhere and change of focus confirms it first.
    bool editPushed = false; // confirming the editor put a command on the stack
    std::optional<ReportDefinition> beforeConfirm;
    if (editorBefore.open() && !effect.editorHandled) {
        const OpenEdit now = openEdit();
        if (!now.open() || !now.sameCell(editorBefore)) {
            const std::string* cell = cellText(reference_, editorBefore);
            editPushed = cell != nullptr && *cell != bytes(editorBefore.text);
            if (editPushed && effect.undoRedo) {
                beforeConfirm = reference_;
            }
            confirmInto(reference_, editorBefore);
            if (editPushed && !effect.undoRedo) {
                afterConfirm_ = reference_;
            }
        }
    }
    for (const OpenEdit& edit : effect.confirmed) {
        confirmInto(reference_, edit);
    }
    if (effect.kindParameter >= 0 && effect.kindParameter < static_cast<int>(reference_.parameters.size())) {
        const auto p = static_cast<std::size_t>(effect.kindParameter);
        reference_.parameters[p].kind = static_cast<ValueKind>(effect.kind);
        // Which rows a switch keeps is the editor's business; that the kind went to this parameter
        // is the reference's.
        if (p < document_->definition().parameters.size()) {
            reference_.parameters[p].values = document_->definition().parameters[p].values;
        }
    }
    if (!effect.titleTyped.isEmpty()) {
        reference_.title += bytes(effect.titleTyped);
    }
    if (beforeConfirm) {
        // The undo or redo first confirmed the open editor, and that command replaced whatever could
        // be redone: a redo then finds nothing, an undo takes the confirmed text back.
        const auto index = static_cast<std::size_t>(document_->undoStack()->index());
        snapshots_.resize(std::min(snapshots_.size(), index + 1));
        if (document_->undoStack()->canRedo()) {
            reference_ = *beforeConfirm;
        }
    } else if (effect.undoRedo) {
        const auto index = static_cast<std::size_t>(document_->undoStack()->index());
        if (index < snapshots_.size() && snapshots_[index]) {
            reference_ = *snapshots_[index];
        } else {
            reference_ = document_->definition();
        }
    }
    if (effect.resync) {
        reference_ = document_->definition();
    }
}

void RandomSession::keepSnapshot() {
    const auto index = static_cast<std::size_t>(document_->undoStack()->index());
    const std::size_t count = static_cast<std::size_t>(document_->undoStack()->count());
    // The stack drops the steps above a new command; so do the snapshots.
    if (snapshots_.size() > count) {
        snapshots_.resize(count + 1);
    }
    if (snapshots_.size() <= index) {
        snapshots_.resize(index + 1);
    }
    if (!steppedInHistory_ && index > keptIndex_ + 1) {
        // The step pushed several commands, the first confirming an editor left open: undoing the
        // others leads to the confirmed text alone. What lies between any others is not followed.
        for (std::size_t i = keptIndex_ + 1; i < index; ++i) {
            snapshots_[i] = i == keptIndex_ + 1 ? afterConfirm_ : std::nullopt;
        }
    }
    snapshots_[index] = reference_;
    keptIndex_ = index;
}

namespace {

std::string joinedKeys(const std::vector<std::string>& keys) {
    std::string all;
    for (const std::string& key : keys) {
        all += (all.empty() ? "[" : ", [") + key + "]";
    }
    return all;
}

} // namespace

SessionFailure RandomSession::check(int index, const Effect& effect, const OpenEdit& editorBefore) {
    const ReportDefinition& definition = document_->definition();
    if (const std::string seen = disagreement(*form_); !seen.empty()) {
        return {index, "views-show-model", seen};
    }
    const int current = currentParameter();
    const int shownParameter = form_->parameterPanel().shownParameter();
    if (shownParameter != current) {
        return {index, "panel-follows-current-row",
                "the parameter list's current row is " + std::to_string(current + 1) + ", the panel shows parameter " +
                    std::to_string(shownParameter + 1)};
    }
    if (effect.killed && effect.restoreExpected) {
        if (const std::string diff = fullDifference(definition, *effect.restoreExpected, "the restored", "the killed"); !diff.empty()) {
            const bool editorLost = editorBefore.open() && effect.killedWithout && definition == *effect.killedWithout;
            return {index, editorLost ? "open-editor-text-in-recovery-copy" : "kill-restores",
                    "the restored definition differs from the one killed:\n" + diff};
        }
    }
    if (const std::string diff = referenceDifference(definition, reference_); !diff.empty()) {
        return {index, effect.ctrlArrows ? "editor-ctrl-arrows-keep-records" : "document-equals-reference", diff};
    }
    if (effect.orderGrid >= 0 && rowKeys(effect.orderGrid) != effect.expectedOrder) {
        return {index, "drop-moves-rows", std::string("the rows dropped on the ") + gridName(effect.orderGrid) +
                                               " list are not in the order the drop asked for: " + joinedKeys(rowKeys(effect.orderGrid)) + " instead of " +
                    joinedKeys(effect.expectedOrder)};
    }
    if (effect.pastedCells > pasteCeiling && effect.before && !(definition == *effect.before)) {
        return {index, "paste-cell-budget",
                "a table of " + std::to_string(effect.pastedCells) + " cells was pasted, not refused:\n" +
                    fullDifference(definition, *effect.before, "after", "before")};
    }
    if (!effect.savedPath.isEmpty()) {
        ReportDefinition saved;
        if (!saved.load(corePath(QFile::encodeName(effect.savedPath)))) {
            return {index, "save-reads-back", "the saved file does not read: " + saved.loadError().reason};
        }
        if (const std::string diff = fullDifference(saved, definition, "the file", "the editor"); !diff.empty()) {
            return {index, "save-reads-back", "the saved file differs:\n" + diff};
        }
        if (document_->isModified()) {
            return {index, "save-reads-back", "the document still has unsaved changes after the save"};
        }
    }
    const std::string checkPath = corePath(QFile::encodeName(path(QStringLiteral("check.rpt"))));
    ReportDefinition readBack;
    if (!definition.save(checkPath) || !readBack.load(checkPath)) {
        return {index, "save-reads-back", "the definition did not save and read back: " + readBack.loadError().reason};
    }
    if (const std::string diff = fullDifference(readBack, definition, "read back", "saved"); !diff.empty()) {
        return {index, "save-reads-back", diff};
    }
    const OpenEdit editor = openEdit();
    if (const std::string problem = recoveryProblem(editor); !problem.empty()) {
        ReportDefinition confirmed = definition;
        const bool typedText = editor.open() && confirmInto(confirmed, editor) && !(confirmed == definition);
        return {index, typedText ? "open-editor-text-in-recovery-copy" : "recovery-copy-restores", problem};
    }
    return {};
}

std::string RandomSession::recoveryProblem(const OpenEdit& editor) {
    RecoveryKeeper& keeper = recovery_->keeper();
    if (!keeper.writeNow()) {
        return "the copy was not written: " + keeper.lastError().toStdString();
    }
    ReportDefinition expected = document_->definition();
    if (editor.open()) {
        confirmInto(expected, editor);
    }
    ReportDefinition restored;
    const std::optional<RecoveryEntry> entry = recovery_->store().find(keeper.id());
    if (entry) {
        LoadError error;
        if (!RecoveryStore::readCopy(*entry, restored, error)) {
            return "the copy does not read: " + error.reason;
        }
    } else if (!document_->isUntitled()) {
        if (!restored.load(document_->path())) {
            return "no copy, and the file does not read: " + restored.loadError().reason;
        }
    } else {
        restored = document_->definition(); // untitled with nothing to keep: a new document again
    }
    if (const std::string diff = fullDifference(restored, expected, "restored", "with the editor's text"); !diff.empty()) {
        return std::string(entry ? "the copy" : "what is kept without a copy (the file, or a new document)") +
               " differs from the definition with the open editor's text:\n" + diff;
    }
    return {};
}

} // namespace vornak::testing
