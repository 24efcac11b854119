// The file side of the main window: New, Open, Save, Save As, Save table, the save prompt, the
// recent files of the File menu, files dropped on the window, the file named on the command line,
// the definition the editor starts with, Browse for the document file, and the window's title with
// its unsaved-changes mark.
//
// A save that fails is reported and changes nothing else: the document keeps its path, title and
// modified flag, and a prompt that asked for the save does not let its command go on. A file that
// cannot be opened is reported with the reader's reason before a new definition takes its place.
// Save asks before it replaces a file that another program changed or removed meanwhile.
#pragma once

#include "PlatformServices.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QMenu;
class QMimeData;
class QWidget;

namespace vornak {

class DefinitionDocument;
class RecentFileList;
class RecoverySession;

class DocumentController : public QObject {
    Q_OBJECT

public:
    // Runs a command after any open cell edit is confirmed.
    using Guard = std::function<void(const std::function<void()>&)>;

    // window: the parent of the prompts and dialogs, and the window whose title follows the
    // document. document, services and recentFiles must outlive the controller.
    DocumentController(DefinitionDocument& document, const PlatformServices& services,
                       RecentFileList& recentFiles, QWidget& window, Guard guard);

    // The keeper of recovery copies (may be null: none are kept); it must outlive the controller.
    void setRecovery(RecoverySession* recovery) { recovery_ = recovery; }
    RecoverySession* recovery() const { return recovery_; }
    // Offers back the copies of editors that are gone (nothing without a keeper).
    void offerRecoveryCopies();

    void newFile();
    void open();
    bool save();
    bool saveAs();
    void saveTable();

    // The save prompt before the document is replaced or closed; true when the caller may go on.
    bool maySaveModified();
    // The save prompt before the window closes; when the user lets the changes go, their recovery
    // copy goes too. True when the window may close.
    bool mayClose();
    // The file being edited as the system's bytes, and as shown; empty while untitled.
    QByteArray currentNativePath() const;
    QString currentFilePath() const;

    // The definition shown at start-up: the form's default texts and today's date, unmodified.
    void newStartupDocument();
    // Once the window is shown: the file the command line names, then the work of editors that
    // were ended, offered back.
    void openStartupFiles(const QList<QByteArray>& commandLine);
    // Browse: the chosen file's name becomes the document file. The dialog starts at fieldText, a
    // relative name being the definition's neighbour.
    void browseDocumentFile(const QString& fieldText);

    // Opens a named file after the save prompt; true when it was read.
    bool openFile(const QByteArray& nativePath);
    bool openFile(const QString& path);
    // Whether the last openFile stopped because the user cancelled the save prompt.
    bool openWasCancelled() const { return openCancelled_; }
    // Reads a file into the document; a file that cannot be read is reported and leaves a new,
    // untitled definition. A file read offers the recovery copies waiting for it.
    bool loadFile(const QByteArray& nativePath);
    // Stores the definition at path; a failure is reported and changes nothing else.
    bool saveFile(const QByteArray& nativePath);

    // Opens entry index of the recent-file list. An entry that cannot be read leaves the list;
    // one whose opening the user cancelled at the save prompt stays.
    void openRecent(int index);
    // Puts one item per recent file after `placeholder` in `menu` (replacing the last ones); an
    // empty list shows the greyed placeholder instead.
    void fillRecentFiles(QMenu& menu, QAction& placeholder);

    // The first plain argument names the file to open; arguments that start with "-" are switches.
    // False when none names a file.
    bool openFromCommandLine(const QList<QByteArray>& arguments);

    // "Vornak - name.rpt[*]": the title shown while the document has that file; Qt turns the
    // placeholder into the modified mark.
    QString windowTitle() const;
    void updateWindowTitle();

protected:
    // Files dropped anywhere on the window: the first one opens once the drop has finished.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The local files of a drop as the system's path bytes.
    static QList<QByteArray> droppedFiles(const QMimeData* mime);
    void openDropped(const QList<QByteArray>& nativePaths);

    DefinitionDocument& document_;
    PlatformServices services_;
    RecentFileList& recentFiles_;
    QWidget& window_;
    Guard guard_;
    QList<QAction*> recentActions_;
    bool openCancelled_ = false;
    bool startingUp_ = false;
    RecoverySession* recovery_ = nullptr;
};

} // namespace vornak
