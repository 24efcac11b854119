// CEditorApp: the application object. Its run reads the recent-file list from the settings store,
// builds the main form with the platform services it was given, runs it modally, and afterwards
// writes the recent-file list back. It owns the one document of the run and handles the
// recent-file commands the form passes on.
#pragma once

#include "CMainForm.h"
#include "DefinitionDocument.h"
#include "PlatformServices.h"
#include "RecentFileList.h"

#include <QByteArray>
#include <QList>

#include <memory>
#include <string>

namespace vornak {

class RecoverySession;
class TerminationSignals;

class CEditorApp : public CommandTarget {
public:
    // arguments: the program's arguments without the program name, as the system's bytes. A
    // QApplication must exist before the form is built.
    CEditorApp(const PlatformServices& services, QList<QByteArray> arguments);
    ~CEditorApp() override;
    CEditorApp(const CEditorApp&) = delete;
    CEditorApp& operator=(const CEditorApp&) = delete;

    // Where the recovery copies are kept (the state folder unless set); empty keeps none.
    void setRecoveryFolder(std::string folder) { recoveryFolder_ = std::move(folder); }
    // Makes SIGTERM, SIGHUP and the end of the desktop session write the recovery copy at once and
    // end the editor without a question. For the real program, not for tests that share a process.
    void keepWorkWhenEnded() { keepWorkWhenEnded_ = true; }
    RecoverySession* recovery() const { return recovery_.get(); }

    // InitInstance, then ExitInstance; the process's exit code.
    int run();
    // Reads the settings, builds the form, runs it until it closes and destroys it. Returns false:
    // no message loop follows.
    bool InitInstance();
    // Writes the recent-file list back; the exit code.
    int ExitInstance();

    // The recent-file list of eight entries, read from the settings store.
    void LoadStdProfileSettings();
    // The main form, built with this application's services, list and arguments.
    std::unique_ptr<CMainForm> createMainForm();

    // Recent-file entries (57616 to 57631) are handled here.
    bool hasCommandHandler(int commandId) const override;
    bool runCommand(int commandId) override;
    bool OnOpenRecentFile(int commandId);

    DefinitionDocument& document() { return document_; }
    const ReportDefinition& definition() const { return document_.definition(); }
    RecentFileList& recentFiles() { return recentFiles_; }
    // The form while it runs, or null.
    CMainForm* mainForm() const { return mainForm_.get(); }

private:
    PlatformServices services_;
    QList<QByteArray> arguments_;
    DefinitionDocument document_;
    RecentFileList recentFiles_;
    std::unique_ptr<CMainForm> mainForm_;
    CMainForm* commandSource_ = nullptr; // the last form built, which sends the recent-file commands
    std::string recoveryFolder_;
    bool keepWorkWhenEnded_ = false;
    std::unique_ptr<RecoverySession> recovery_;
    std::unique_ptr<TerminationSignals> terminationSignals_;
};

} // namespace vornak
