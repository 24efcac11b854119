// A randomized editing session over the real main window: steps (SessionSteps.h) are played as the
// user would (mouse events on the lists' viewports, keys with their text, the find bar, the
// clipboard, the scripted file dialog) and after every step the session checks what must always
// hold:
//  - the lists and the parameter controls show the model;
//  - the parameter panel shows the parameter of the parameter list's current row;
//  - the definition equals a reference changed by what each step is meant to do;
//  - the definition saved and read back is equal;
//  - the recovery copy, written now, plus the open cell editor's text restores the same definition;
//  - a paste of a table larger than any budget leaves the definition as it was;
//  - every third step is played while the copy of a snapshot the keeper's timer took just before
//    is still being made and written: that copy holds the document (and the open editor's text)
//    as it was when the timer fired, whatever the step changed meanwhile.
// A kill ends the window without a question and restores its recovery copy in a fresh one.
#pragma once

#include "FileDialogs.h"
#include "MessageBox.h"
#include "PlatformServices.h"
#include "RecentFileList.h"
#include "ReportDefinition.h"
#include "ScriptedFileDialogs.h"
#include "ScriptedMessageBox.h"
#include "ScriptedRecoveryQuestion.h"
#include "ScriptedShellOpener.h"
#include "SessionReference.h"
#include "SessionSteps.h"
#include "SettingsStore.h"

#include <QTemporaryDir>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class CellGrid;
class QWidget;

namespace vornak {
class DefinitionDocument;
class MainWindow;
class RecoverySession;
} // namespace vornak

namespace vornak::testing {

// What went wrong at a step: which invariant (a short stable name, the same on every replay of
// the same fault) and what was seen.
struct SessionFailure {
    int step = -1;
    std::string invariant;
    std::string detail;

    explicit operator bool() const { return step >= 0; }
};

class RandomSession {
public:
    RandomSession();
    // The folder the sessions' files go to.
    static QString scratchFolder();
    ~RandomSession();
    RandomSession(const RandomSession&) = delete;
    RandomSession& operator=(const RandomSession&) = delete;

    // Plays the steps in order and stops at the first one after which an invariant fails.
    // descriptions, when given, receives what each step played did, in words.
    SessionFailure play(const std::vector<Step>& steps, std::vector<std::string>* descriptions = nullptr);

    // The double-click interval during a session, in milliseconds.
    static constexpr int clickInterval = 10'000;

    // The total cells (spans included) above which a pasted table must be refused: far above any
    // budget a sane editor sets, far below what would exhaust memory.
    static constexpr long long pasteCeiling = 1'000'000;

private:
    // What a step meant to change, beside what the session sees for itself.
    struct Effect {
        std::vector<OpenEdit> confirmed;      // editors the step confirmed, in order
        bool editorHandled = false;           // the step ended the editor that was open by itself
        bool resync = false;                  // too involved to model: the reference takes the editor's
        bool undoRedo = false;                // the reference goes back to what it was at that undo step
        int kindParameter = -1;               // a kind switch of this parameter ...
        int kind = -1;                        // ... to this kind
        QString titleTyped;                   // typed at the end of the title
        bool ctrlArrows = false;              // the step pressed Ctrl+Up or Ctrl+Down in an editor
        long long pastedCells = -1;           // cells of the table a paste put on the clipboard
        std::optional<ReportDefinition> before; // the definition before a paste of a huge table
        bool killed = false;
        std::optional<ReportDefinition> restoreExpected; // what the kill's restore had to give
        std::optional<ReportDefinition> killedWithout;   // the killed definition without the editor's text
        QString savedPath;                               // the file a save wrote
        int orderGrid = -1;                              // a drop that moved rows within this list ...
        std::vector<std::string> expectedOrder;          // ... leaves its rows in this order
    };

    void startWindow(const QList<QByteArray>& commandLine = {});
    void closeWindow();
    std::string execute(const Step& step, Effect& effect);
    std::string click(const Step& step);
    std::string drag(const Step& step);
    std::string editCell(const Step& step, Effect& effect);
    std::string typeInEditor(const Step& step, Effect& effect);
    std::string endEditor(QWidget* editor, int ending, Effect& effect);
    std::string typeField(const Step& step, Effect& effect);
    std::string undoRedo(const Step& step, Effect& effect);
    std::string record(const Step& step, Effect& effect);
    std::string kind(const Step& step, Effect& effect);
    std::string find(const Step& step, Effect& effect);
    std::string paste(const Step& step, Effect& effect);
    std::string drop(const Step& step, Effect& effect);
    std::vector<std::string> rowKeys(int grid) const;
    std::vector<std::string> rowKeys(int grid, const ReportDefinition& definition) const;
    std::string panel(const Step& step, Effect& effect);
    std::string save(const Step& step, Effect& effect);
    std::string kill(const Step& step, Effect& effect);

    SessionFailure check(int index, const Effect& effect, const OpenEdit& editorBefore);
    std::string recoveryProblem(const OpenEdit& editor);
    // Has the keeper take its timer's snapshot now; what its copy must hold.
    ReportDefinition startSnapshot(const OpenEdit& editor);
    // Waits for that copy; what is wrong with it, or "" (also when no copy was written).
    std::string snapshotProblem(const ReportDefinition& expected);
    void updateReference(const Effect& effect, const OpenEdit& editorBefore);
    void keepSnapshot();
    void startLarge(int parameters);

    CellGrid* grid(int id) const;
    // The editor open now, with its cell and text; grid -1 when none.
    OpenEdit openEdit() const;
    int currentParameter() const;
    QString path(const QString& name) const;
    QWidget* focused() const;

    // Thousands of saves and copies, each flushed to the disk: in memory where the system has a
    // folder for that, so that a session takes seconds, not minutes.
    QTemporaryDir dir_;
    std::unique_ptr<SettingsStore> settings_;
    ScriptedFileDialogs fileDialogs_;
    ScriptedMessageBox messages_;
    ScriptedRecoveryQuestion recoveryQuestion_;
    ScriptedShellOpener shell_;
    PlatformServices services_;
    RecentFileList recentFiles_;
    std::string recoveryFolder_;
    std::unique_ptr<DefinitionDocument> document_;
    std::unique_ptr<RecoverySession> recovery_;
    std::unique_ptr<MainWindow> form_;

    ReportDefinition reference_;
    // The reference at each index of the undo stack; nothing where a step pushed several commands.
    std::vector<std::optional<ReportDefinition>> snapshots_;
    // The stack's index after the step before, and what the step now played did to the reference:
    // whether it undid or redid, and the reference just after it confirmed an editor left open.
    std::size_t keptIndex_ = 0;
    bool steppedInHistory_ = false;
    std::optional<ReportDefinition> afterConfirm_;
    // What the keeper's copy writer was handed, read back, on its own thread.
    struct WrittenCopies {
        std::mutex mutex;
        std::vector<ReportDefinition> definitions;
    };
    std::shared_ptr<WrittenCopies> written_ = std::make_shared<WrittenCopies>();
};

} // namespace vornak::testing
