// CMainForm: the editor's only main window. It shows the one report definition in three cell
// grids and a handful of controls, keeps the working copies of the nine report texts, runs every
// menu command, button and key through its action and keeps the model in step with every edit.
//
// The members are split by concern: the form itself (CMainForm.cpp), its layout and menu
// (MainFormLayout.cpp), the actions and the one place that confirms open edits
// (MainFormActions.cpp), dropped files (MainFormDrop.cpp), the document commands
// (DocumentCommands.cpp) and the binding and editing members (editing/*.cpp).
#pragma once

#include "PlatformServices.h"
#include "ReportDefinition.h"

#include <QDialog>
#include <QIcon>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class CellGrid;
class CUsageHelpDialog;
class BitmapMenuBinder;
class QAbstractButton;
class QAction;
class QUndoStack;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;

namespace vornak {

class DialogUnits;
class RecentFileList;
class UndoKeyRouter;

// The nine report texts as the form keeps them: in the form's own order, date before organisation
// and source. Copies to and from the model pair them by name.
struct FormTexts {
    QString title;
    QString documentFile;
    QString input1Caption;
    QString input2Caption;
    QString surnameCaption;
    QString author;
    QString date;
    QString organisation;
    QString source;

    bool operator==(const FormTexts&) const = default;
};

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
    // Direction of a data exchange: what the user typed into the fields, or the fields onto the
    // screen (which never counts as an edit).
    enum class Exchange { ToFields, ToControls };

    // The form works on model, which must outlive it; services and recentFiles likewise.
    // commandLine holds the program's arguments without the program name, as the bytes the
    // system passed; next receives the
    // commands the form has no handler for (may be null).
    CMainForm(ReportDefinition& model, const PlatformServices& services, RecentFileList& recentFiles,
              QList<QByteArray> commandLine = {}, CommandTarget* next = nullptr, QWidget* parent = nullptr);
    ~CMainForm() override;

    // --- Commands ------------------------------------------------------------------------------
    // A command has a handler when the form has an enabled action for it (or the next target
    // knows it): the menu's update pass greys the rest.
    bool hasCommandHandler(int commandId) const;
    // Triggers the action of a command id, or passes the command on (recent files). Returns
    // false when nothing handles it or the action is disabled.
    bool runCommand(int commandId);
    // Whether the command can run now (Undo needs a step to undo).
    bool commandAvailable(int commandId) const;
    // The action of a command id, or null.
    QAction* action(int commandId) const;
    // The undo stack the Edit menu's Undo and Redo follow and act on (null: both greyed).
    void setUndoStack(QUndoStack* stack);

    // --- State, as other parts of the program and tests read it --------------------------------
    int selectedParameterIndex() const { return selectedParameter; }
    std::uint8_t shownKindCode() const { return shownKind; }
    // The file being edited: as shown, and as the system's bytes. Empty while untitled.
    QString currentFilePath() const;
    const QByteArray& currentNativePath() const { return currentPath; }
    bool isModified() const { return modified != 0; }
    const FormTexts& formTexts() const { return reportTexts; }
    int kindChoiceValue() const { return kindChoice; }
    int numberCheckValue() const { return numberCheck; }
    int formulaCheckValue() const { return formulaCheck; }
    const QString& formulaTextValue() const { return formulaText; }
    ReportDefinition& definition() const { return model_; }
    bool isInitialised() const { return initialised_; }

    CellGrid* parameterGrid() const { return parameterList; }
    CellGrid* valueGrid() const { return valueList; }
    CellGrid* resultGrid() const { return resultList; }
    // The control with a template id (ctl::...), or null.
    QWidget* control(int controlId) const;
    QMenuBar* formMenuBar() const { return menuBar_; }
    CUsageHelpDialog* usageHelpWindow() const { return helpWindow.get(); }

    // --- Data exchange and caption --------------------------------------------------------------
    void UpdateData(Exchange direction);
    void setUntitledCaption();
    // "Vornak - " and the file name of path.
    void setTitledCaption(const QByteArray& nativePath);

    // --- Binding (editing/FormBinding.cpp) -----------------------------------------------------
    void layoutValueColumns(std::uint8_t kind);
    void showParameter(int index);
    void reloadLists();

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
    // Reads a file into the form; a file that cannot be read is reported and leaves a new,
    // untitled definition.
    bool LoadFile(const QByteArray& nativePath);
    // Stores the definition at path; a failure is reported and changes nothing else.
    bool SaveFile(const QByteArray& nativePath);
    // Runs as a popup of the menu opens, before its items are enabled: the File menu takes the
    // recent files into the placeholder's place.
    void OnUpdateMenu(QMenu* popup);

    // --- Editing commands (editing/*.cpp) -------------------------------------------------------
    void OnAddParameter();
    void OnDeleteParameter();
    void OnAddValue();
    void OnDeleteValue();
    void OnAddResult();
    void OnDeleteResult();

    // --- Form commands --------------------------------------------------------------------------
    void OnBrowse();
    void OnHelp();
    void OnAbout();
    // The default button's command and Escape: neither closes the form.
    void OnOk() {}
    void OnCancel() {}

    void OnUndo();
    void OnRedo();
    void OnMoveUp();
    void OnMoveDown();
    void OnDuplicate();

    // Closes every open cell editor, confirming what it holds, and drops a pending click-edit,
    // so that what follows sees the model as the screen shows it. Only runGuarded calls it.
    void confirmOpenEdits();
    // The one gate for everything that runs a command or replaces or closes the document (menu,
    // keys, buttons, close box, drops, recent files, the command line): open edits are
    // confirmed, then command runs.
    void runGuarded(const std::function<void()>& command);

private:
    // New without the prompt: one empty parameter and result, untitled, unmodified.
    void resetToNewDefinition();
    // Save and Save As; true only when the definition reached the disk.
    bool saveDocument();
    bool saveDocumentAs();

public:
signals:
    // A command has run through the routing table (menu item, button or key).
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

    // Actions (MainFormActions.cpp).
    void buildActions();
    void connectControls();

    void OnInitDialog();
    bool openFileFromCommandLine();

    // Binding handlers (editing/FormBinding.cpp).
    void OnParameterSelected(int row);
    void OnParameterEndEdit(int row, int column, const std::optional<QString>& text);
    void OnValueEndEdit(int row, int column, const std::optional<QString>& text);
    void OnResultEndEdit(int row, int column, const std::optional<QString>& text);
    void OnKindList();
    void OnKindRange();
    void OnKindInput();
    void OnNumberCheck();
    void OnFormulaCheck();
    void OnFormulaChange();
    void OnFieldChange();

    bool isValidParameter(int index) const;
    int parameterCount() const;
    // What the value list and the parameter controls show while no parameter is current.
    void showNoParameter();
    void setParameterControlsEnabled(bool enabled);
    // Deletes every row of a grid without the deletions counting as selection changes.
    void clearRows(CellGrid* grid);
    void renumberRows(CellGrid* grid, int from);

    // --- Fields, in the order the window keeps them -------------------------------------------
    int selectedParameter = 0;
    std::uint8_t shownKind = 1;
    QByteArray currentPath; // the system's bytes
    std::uint8_t modified = 0;
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
    FormTexts reportTexts;
    int kindChoice = 0;
    int numberCheck = 0;
    int formulaCheck = 0;
    QString formulaText;
    QIcon appIcon;

    // --- Wiring ---------------------------------------------------------------------------------
    ReportDefinition& model_;
    PlatformServices services_;
    RecentFileList& recentFiles_;
    QList<QByteArray> commandLine_;
    CommandTarget* next_;
    std::map<int, QAction*> actions_;
    QUndoStack* undoStack_ = nullptr;
    std::unique_ptr<UndoKeyRouter> undoKeys_;
    std::map<int, QWidget*> controls_;
    std::map<int, QLineEdit*> textEdits_; // the nine report-text edits by control id
    QMenuBar* menuBar_ = nullptr;
    QWidget* client_ = nullptr;
    QButtonGroup* kindGroup_ = nullptr;
    QRadioButton* kindButtons_[3] = {nullptr, nullptr, nullptr};
    QCheckBox* numberBox_ = nullptr;
    QCheckBox* formulaBox_ = nullptr;
    bool initialised_ = false;
    bool openCancelled_ = false;
    bool fillingControls_ = false;
    bool ignoreSelectionChanges_ = false;
};

} // namespace vornak
