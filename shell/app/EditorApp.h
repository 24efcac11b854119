// The application object: reads the recent-file list from the settings, builds the main window
// with the platform services it was given, runs until the window closes, and writes the list back.
// It owns the one document of the run.
#pragma once

#include "DefinitionDocument.h"
#include "MainWindow.h"
#include "PlatformServices.h"
#include "RecentFileList.h"

#include <QByteArray>
#include <QList>

#include <memory>
#include <string>

namespace vornak {

class RecoveryQuestion;
class RecoverySession;
class TerminationSignals;

class EditorApp {
public:
    // arguments: the program's arguments without the program name, as the system's bytes. A
    // QApplication must exist before the window is built.
    EditorApp(const PlatformServices& services, QList<QByteArray> arguments);
    ~EditorApp();
    EditorApp(const EditorApp&) = delete;
    EditorApp& operator=(const EditorApp&) = delete;

    // Where the recovery copies are kept (the state folder unless set); empty keeps none.
    void setRecoveryFolder(std::string folder) { recoveryFolder_ = std::move(folder); }
    // The recovery question to ask instead of the editor's own dialog (tests); must outlive run().
    void setRecoveryQuestion(RecoveryQuestion* question) { recoveryQuestion_ = question; }
    // Makes SIGTERM, SIGHUP and the end of the desktop session write the recovery copy at once and
    // end the editor without a question. For the real program, not for tests that share a process.
    void keepWorkWhenEnded() { keepWorkWhenEnded_ = true; }
    RecoverySession* recovery() const { return recovery_.get(); }

    // Shows the main window (with the keeper of recovery copies when a folder is set) and runs until the user
    // closes it, then writes the recent-file list back (a failure is said once); the process's exit code.
    int run();

    // The recent-file list, read from the settings store.
    void readSettings();
    // The main window, built with this application's services, list and arguments.
    std::unique_ptr<MainWindow> createMainWindow();

    DefinitionDocument& document() { return document_; }
    const ReportDefinition& definition() const { return document_.definition(); }
    RecentFileList& recentFiles() { return recentFiles_; }
    // The window while it runs, or null.
    MainWindow* mainWindow() const { return mainWindow_.get(); }

private:
    // Connects the termination signals and the session's end to the recovery copy.
    void keepWorkOnEnd();

    PlatformServices services_;
    QList<QByteArray> arguments_;
    DefinitionDocument document_;
    RecentFileList recentFiles_;
    std::unique_ptr<MainWindow> mainWindow_;
    std::string recoveryFolder_;
    bool keepWorkWhenEnded_ = false;
    RecoveryQuestion* recoveryQuestion_ = nullptr;
    std::unique_ptr<RecoverySession> recovery_;
    std::unique_ptr<TerminationSignals> terminationSignals_;
};

} // namespace vornak
