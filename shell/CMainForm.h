// CMainForm: the editor's only main window. It lays out the controls of template 102, shows the
// document through three grids over its table models and the fields a FormBinder ties to it, runs
// every menu command, button and key through its action, and runs the dialogs.
//
// The members are split by concern: the form itself (CMainForm.cpp), its layout and menu
// (MainFormLayout.cpp), the actions and the one place that confirms open edits
// (MainFormActions.cpp), the record commands (MainFormEditing.cpp), dropped files
// (MainFormDrop.cpp) and the document commands (DocumentCommands.cpp).
#pragma once

#include "PlatformServices.h"
#include "ReportDefinition.h"

#include <QByteArray>
#include <QDialog>
#include <QIcon>
#include <QList>
#include <QRect>
#include <QString>

#include <functional>
#include <map>
#include <memory>

class CellGrid;
class CUsageHelpDialog;
class BitmapMenuBinder;
class QAction;
class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;
class QUndoStack;

namespace vornak {

class DefinitionDocument;
class DialogUnits;
class FormBinder;
class RecordTableModel;
class RecentFileList;
class RecoverySession;
class UndoKeyRouter;
class ValueTableModel;
class ChecksController;
class ChecksWindow;
class FindTools;
class ListClipboard;
class ProblemCountLabel;
class RangeStrip;
struct TextLocation;

// Where the commands the form does not handle itself go on to: the application object, which
// handles the recent-file entries.
class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    virtual bool hasCommandHandler(int commandId) const = 0;
    // Runs the command; false when there is no handler for it.
    virtual bool runCommand(int commandId) = 0;
};

class CMainForm : public QDialog {
    Q_OBJECT

public:
    // The form works on document, which must outlive it; services and recentFiles likewise.
    // commandLine holds the program's arguments without the program name, as the bytes the
    // system passed; next receives the commands the form has no handler for (may be null).
    CMainForm(DefinitionDocument& document, const PlatformServices& services, RecentFileList& recentFiles,
              QList<QByteArray> commandLine = {}, CommandTarget* next = nullptr, QWidget* parent = nullptr);
    ~CMainForm() override;

    // --- Commands ------------------------------------------------------------------------------
    // A command has a handler when the form has an action for it that can run now (or the next
    // target knows it): the menu's update pass greys the rest.
    bool hasCommandHandler(int commandId) const;
    // Triggers the action of a command id, or passes the command on (recent files). Returns
    // false when nothing handles it or it cannot run now.
    bool runCommand(int commandId);
    // Whether the command can run now (Undo needs a step to undo, Move Up a record above).
    bool commandAvailable(int commandId) const;
    // The action of a command id, or null.
    QAction* action(int commandId) const;
    // The one gate for everything that runs a command or replaces or closes the document (menu,
    // keys, buttons, close box, drops, recent files, the command line): an open cell edit is
    // confirmed and a pending click-edit dropped, then command runs.
    void runGuarded(const std::function<void()>& command);

    // --- State, as other parts of the program and tests read it --------------------------------
    DefinitionDocument& document() const { return document_; }
    const ReportDefinition& definition() const;
    // The parameter whose value rows and controls are shown, or -1.
    int selectedParameterIndex() const;
    // The file being edited: as shown, and as the system's bytes. Empty while untitled.
    QString currentFilePath() const;
    QByteArray currentNativePath() const;
    bool isModified() const;
    bool isInitialised() const { return initialised_; }

    CellGrid* parameterGrid() const { return parameterList; }
    CellGrid* valueGrid() const { return valueList; }
    CellGrid* resultGrid() const { return resultList; }
    // The control with a template id (ctl::...), or null.
    QWidget* control(int controlId) const;
    QMenuBar* formMenuBar() const { return menuBar_; }
    CUsageHelpDialog* usageHelpWindow() const { return helpWindow.get(); }
    FindTools* findTools() const { return findTools_; }
    ListClipboard* listClipboard() const { return clipboard_; }

    // --- Recovery copies -------------------------------------------------------------------------
    // The keeper of recovery copies (may be null: none are kept). Set before the form is shown:
    // showing it offers back the copies of editors that are gone.
    void setRecovery(RecoverySession* recovery) { recovery_ = recovery; }
    // Ends the form at once, asking nothing and keeping the recovery copy (the session ends).
    void endWithoutQuestion();

    // --- Document commands (DocumentCommands.cpp) -----------------------------------------------
    void OnFileNew();
    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs();
    void OnSaveTable();
    void OnClose();
    // The save prompt; true when the caller may go on.
    bool SaveModified();
    // Opens a named file after the save prompt; true when it was read. Virtual so that the
    // places that open files (command line, drops) can be watched.
    virtual bool OpenFile(const QByteArray& nativePath);
    bool OpenFile(const QString& path);
    // Whether the last OpenFile stopped because the user cancelled the save prompt.
    bool openWasCancelled() const { return openCancelled_; }
    // Reads a file into the document; a file that cannot be read is reported and leaves a new,
    // untitled definition.
    bool LoadFile(const QByteArray& nativePath);
    // Stores the definition at path; a failure is reported and changes nothing else.
    bool SaveFile(const QByteArray& nativePath);
    // Runs as a popup of the menu opens, before its items are enabled: the File menu takes the
    // recent files into the placeholder's place.
    void OnUpdateMenu(QMenu* popup);

    // --- Record commands (MainFormEditing.cpp) --------------------------------------------------
    void OnAddParameter();
    void OnDeleteParameter();
    void OnAddValue();
    void OnDeleteValue();
    void OnAddResult();
    void OnDeleteResult();
    void OnMoveUp();
    void OnMoveDown();
    void OnDuplicate();
    void OnUndo();
    void OnRedo();

    // --- Checks (MainFormChecks.cpp) ------------------------------------------------------------
    // Opens the checks window (F7, or a click on the problem count).
    void OnChecks();
    // Takes the user to a text: selects its parameter, value row or result and opens the cell, or
    // puts the focus in its field. False when the text is not there (any more).
    bool goToText(const TextLocation& where);
    ProblemCountLabel* problemCountLabel() const { return problemCount_; }
    ChecksWindow* checksWindow() const { return checksWindow_; }
    RangeStrip* rangeStrip() const { return rangeStrip_; }

    // --- Form commands --------------------------------------------------------------------------
    void OnBrowse();
    void OnHelp();
    void OnAbout();
    // The default button's command and Escape: neither closes the form.
    void OnOk() {}
    void OnCancel() {}

signals:
    // A command has run (menu item, button or key).
    void commandRun(int commandId);

public slots:
    // Enter and Escape never close the form; closing goes through OnClose.
    void accept() override;
    void reject() override;

public:
    void setVisible(bool visible) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    // The dropped files, in the order the drop lists them; the first is opened.
    void OnDropFiles(const QList<QByteArray>& nativePaths);

private:
    // Layout (MainFormLayout.cpp).
    void buildControls();
    void widenToText(const DialogUnits& units);
    void buildMenu();
    void placeWindow();
    void setButtonPictures();
    void configureGrids();
    // Column widths from each grid's client width; the value grid's follow its kind's columns.
    void layoutParameterColumns();
    void layoutValueColumns();
    void layoutResultColumns();

    // Actions (MainFormActions.cpp).
    void buildActions();
    void connectControls();
    void refreshCommandStates();
    void confirmOpenEdits();

    // Views following the document (MainFormEditing.cpp).
    void connectDocument();
    void showParameter(int index);
    // The grid whose records Move and Duplicate act on: the one with the focus, or last focused.
    CellGrid* recordGrid() const;

    void OnInitDialog();

    // Several rows, the lists' clipboard and find and replace (MainFormTables.cpp).
    void buildTableTools();

    // Checks (MainFormChecks.cpp).
    void buildChecks();
    // Shows the range strip under the value list for a Range parameter (the list gives up the
    // room), hides it otherwise, and gives it the current rows.
    void updateRangeStrip();
    // Before deleting a parameter or result other texts name: the question listing them. True
    // when the deletion may go on.
    bool confirmDeleteReferenced(bool parameter, int index);
    void noteRenumberedCodes(int count);
    bool openFileFromCommandLine();
    bool saveDocument();
    bool saveDocumentAs();
    void updateCaption();

    std::unique_ptr<CUsageHelpDialog> helpWindow;
    BitmapMenuBinder* menuBinder = nullptr;
    QLineEdit* formulaEdit = nullptr;
    QPushButton* addParameterButton = nullptr;
    QPushButton* addValueButton = nullptr;
    QPushButton* addResultButton = nullptr;
    QPushButton* deleteParameterButton = nullptr;
    QPushButton* deleteValueButton = nullptr;
    QPushButton* deleteResultButton = nullptr;
    QPushButton* browseButton = nullptr;
    CellGrid* parameterList = nullptr;
    CellGrid* valueList = nullptr;
    CellGrid* resultList = nullptr;
    QIcon appIcon;

    DefinitionDocument& document_;
    PlatformServices services_;
    RecentFileList& recentFiles_;
    QList<QByteArray> commandLine_;
    CommandTarget* next_;
    RecordTableModel* parameterModel_ = nullptr;
    ValueTableModel* valueModel_ = nullptr;
    RecordTableModel* resultModel_ = nullptr;
    std::unique_ptr<FormBinder> binder_;
    std::map<int, QAction*> actions_;
    std::unique_ptr<UndoKeyRouter> undoKeys_;
    std::map<int, QWidget*> controls_;
    std::map<int, QLineEdit*> textEdits_; // the nine report-text edits by control id
    QMenuBar* menuBar_ = nullptr;
    QWidget* client_ = nullptr;
    QButtonGroup* kindGroup_ = nullptr;
    QRadioButton* kindButtons_[3] = {nullptr, nullptr, nullptr};
    QCheckBox* numberBox_ = nullptr;
    QCheckBox* formulaBox_ = nullptr;
    CellGrid* lastRecordGrid_ = nullptr;
    FindTools* findTools_ = nullptr;
    ListClipboard* clipboard_ = nullptr;
    ProblemCountLabel* problemCount_ = nullptr;
    ChecksWindow* checksWindow_ = nullptr;
    ChecksController* checks_ = nullptr;
    RangeStrip* rangeStrip_ = nullptr;
    QRect valueListArea_; // the value list's place when no strip shares it
    bool renumberNoted_ = false;
    bool initialised_ = false;
    bool openCancelled_ = false;
    RecoverySession* recovery_ = nullptr;
};

} // namespace vornak
