// The editor's main window: the menu bar, the report texts, the parameter list, the selected
// parameter's panel, the result list and the checks panel, laid out to grow with the window. It
// builds its parts — the document controller, the record actions, the parameter panel and the
// checks presenter — and wires the commands' actions to them.
#pragma once

#include "PlatformServices.h"

#include <QByteArray>
#include <QList>
#include <QMainWindow>

#include <functional>
#include <memory>

class CellGrid;
class QAction;

namespace vornak {

class ChecksPresenter;
class ReviewCommands;
class CommandActions;
class DefinitionDocument;
class DocumentController;
class FindTools;
class FormBinder;
class ParameterPanel;
class RecentFileList;
class RecordActions;
class UndoKeyRouter;
class UsageHelpDialog;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // The window works on document, which must outlive it; services and recentFiles likewise.
    // commandLine holds the program's arguments without the program name, as the system's bytes.
    MainWindow(DefinitionDocument& document, const PlatformServices& services, RecentFileList& recentFiles,
               QList<QByteArray> commandLine = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The action of a command id of the action table ("fileSave"), or null.
    QAction* action(const QString& commandId) const;
    // Whether the command can run now (Undo needs a step to undo, Move Up a record above).
    bool commandAvailable(const QString& commandId) const;
    // Triggers the command's action; false when there is none or it cannot run now.
    bool runCommand(const QString& commandId);
    // The one gate for everything that runs a command or replaces or closes the document (menu,
    // keys, buttons, close box, drops, recent files, the command line, a finding): an open cell
    // edit is confirmed and a pending click-edit dropped, then command runs.
    void runGuarded(const std::function<void()>& command);

    DefinitionDocument& document() const { return document_; }
    DocumentController& documents() const { return *documents_; }
    RecordActions& records() const { return *records_; }
    ParameterPanel& parameterPanel() const { return *panel_; }
    ChecksPresenter& checks() const { return *checks_; }
    ReviewCommands& review() const { return *review_; }
    FindTools* findTools() const { return findTools_; }
    CellGrid* parameterGrid() const { return parameterList_; }
    CellGrid* resultGrid() const { return resultList_; }
    UsageHelpDialog* usageHelpWindow() const { return helpWindow_.get(); }

    // Ends the window at once, asking nothing and keeping the recovery copy (the session ends).
    void endWithoutQuestion();
    void setVisible(bool visible) override;

signals:
    // A command has run (menu item, button or key).
    void commandRun(const QString& commandId);
    // The user closed the window and the save prompt let it go.
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The commands, their keys, buttons and menus (MainWindowActions.cpp).
    void buildCommands();
    // Before the first show: a fresh definition, the first size or the remembered one.
    void prepareFirstShow();
    // Keeps the window's place for the next start and puts the help window away.
    void leave();

    DefinitionDocument& document_;
    PlatformServices services_;
    RecentFileList& recentFiles_;
    QList<QByteArray> commandLine_;
    std::unique_ptr<UsageHelpDialog> helpWindow_;
    CellGrid* parameterList_ = nullptr;
    CellGrid* resultList_ = nullptr;
    ParameterPanel* panel_ = nullptr;
    DocumentController* documents_ = nullptr;
    RecordActions* records_ = nullptr;
    ChecksPresenter* checks_ = nullptr;
    ReviewCommands* review_ = nullptr;
    FindTools* findTools_ = nullptr;
    std::unique_ptr<FormBinder> binder_;
    std::unique_ptr<UndoKeyRouter> undoKeys_;
    CommandActions* commands_ = nullptr;
    bool prepared_ = false;
};

} // namespace vornak
