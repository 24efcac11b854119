// The steps of a randomized session that touch files: saves through the scripted file dialog, and
// kills whose recovery copy a fresh window restores.
#include "RandomSession.h"

#include <QApplication>

#include "DefinitionDocument.h"
#include "DocumentController.h"
#include "EndedProcess.h"
#include "MainWindow.h"
#include "NativePath.h"
#include "RecoverySession.h"
#include "RecoveryStore.h"

#include <QFile>

#include <sys/wait.h>
#include <unistd.h>

namespace vornak::testing {

std::string RandomSession::save(const Step& step, Effect& effect) {
    const QString file = path(QStringLiteral("save-%1.rpt").arg(step.b % 3));
    const bool as = step.a % 2 == 1;
    fileDialogs_.enqueue(file);
    // A document restored from a copy asks before its first save over the file: the user agrees.
    messages_.enqueue(MessageAnswer::Yes);
    form_->runCommand(as ? "fileSaveAs" : "fileSave");
    fileDialogs_.clear();
    messages_.clear();
    effect.savedPath = QFile::decodeName(nativePath(document_->path()));
    return as ? "Save As " + file.toStdString() : "Save (to " + effect.savedPath.toStdString() + ")";
}

std::string RandomSession::kill(const Step& step, Effect& effect) {
    const OpenEdit editor = openEdit();
    ReportDefinition expected = document_->definition();
    effect.killedWithout = expected;
    if (editor.open()) {
        confirmInto(expected, editor);
    }
    RecoveryKeeper& keeper = recovery_->keeper();
    // Either the copy a signal writes at once, or (a SIGKILL after the quiet time) only the one the
    // keeper's timer had its own thread write from a snapshot.
    const bool byTimer = step.a % 2 == 1;
    if (byTimer) {
        keeper.writeInBackground();
        keeper.waitForWrites();
        QApplication::processEvents();
    } else {
        keeper.writeNow();
    }
    const std::string how = byTimer ? "after the timer's copy, " : "";
    const RecoveryStore store = recovery_->store();
    const std::optional<RecoveryEntry> entry = store.find(keeper.id());
    const std::string file = document_->path();
    closeWindow();

    QList<QByteArray> commandLine;
    messages_.clear();
    // A copy that holds just what its file holds is no unsaved work (undone back to the file, or
    // changed and changed back): the next start drops it, and the file is opened again instead.
    bool copyIsTheFile = false;
    if (entry && entry->info) {
        ReportDefinition copy;
        LoadError loadError;
        copyIsTheFile = RecoveryStore::readCopy(*entry, copy, loadError) &&
                        RecoveryStore::sameAsOriginal(*entry->info, copy);
    }
    if (entry && entry->info && !copyIsTheFile) {
        // What the next start sees: the copy of an editor that is gone.
        for (const RecoveryEntry& other : store.list()) {
            if (other.id != entry->id) {
                store.remove(other.id);
            }
        }
        RecoveryInfo info = *entry->info;
        info.editor = test::endedProcess();
        ReportDefinition copy;
        LoadError loadError;
        std::string error;
        if (RecoveryStore::readCopy(*entry, copy, loadError)) {
            store.write(entry->id, copy, info, error);
        }
        recoveryQuestion_.enqueue(RecoveryAnswer::Action::Restore, 0);
    } else if (!file.empty()) {
        commandLine.append(nativePath(file));
    }
    startWindow(commandLine);
    messages_.clear();
    recoveryQuestion_.clear();
    effect.killed = true;
    effect.restoreExpected = expected;
    effect.editorHandled = true;
    if (copyIsTheFile) {
        return how + "kill with a copy that holds the file's content; start again on the file";
    }
    return how + (entry ? "kill; restore the recovery copy in a new window"
                        : "kill with no copy kept; start again" + std::string(file.empty() ? "" : " on the file"));
}

} // namespace vornak::testing
