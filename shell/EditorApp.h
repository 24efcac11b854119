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

namespace vornak {

class EditorApp {
public:
    // arguments: the program's arguments without the program name, as the system's bytes. A
    // QApplication must exist before the window is built.
    EditorApp(const PlatformServices& services, QList<QByteArray> arguments);
    ~EditorApp();
    EditorApp(const EditorApp&) = delete;
    EditorApp& operator=(const EditorApp&) = delete;

    // Shows the main window and runs until the user closes it, then writes the recent-file list
    // back (a failure is said once); the process's exit code.
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
    PlatformServices services_;
    QList<QByteArray> arguments_;
    DefinitionDocument document_;
    RecentFileList recentFiles_;
    std::unique_ptr<MainWindow> mainWindow_;
};

} // namespace vornak
