#include "DocumentController.h"

#include "DefinitionDocument.h"
#include "FileDialogs.h"
#include "FileProblemText.h"
#include "MessageBox.h"
#include "NativePath.h"
#include "RecentFileList.h"
#include "RecoverySession.h"
#include "Texts.h"
#include "WaitCursor.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMetaObject>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <filesystem>
#include <system_error>

namespace vornak {

namespace {

// The name Save table suggests: everything before the last full stop of the path, or nothing.
QByteArray tableNameFor(const QByteArray& path) {
    const qsizetype dot = path.lastIndexOf('.');
    return dot < 0 ? QByteArray() : path.left(dot);
}

} // namespace

DocumentController::DocumentController(DefinitionDocument& document, const PlatformServices& services,
                                       RecentFileList& recentFiles, QWidget& window, Guard guard)
    : QObject(&window), document_(document), services_(services), recentFiles_(recentFiles), window_(window),
      guard_(std::move(guard)) {
    connect(&document_, &DefinitionDocument::pathChanged, this, &DocumentController::updateWindowTitle);
    connect(&document_, &DefinitionDocument::documentReset, this, &DocumentController::updateWindowTitle);
    connect(&document_, &DefinitionDocument::modifiedChanged, this, &DocumentController::updateWindowTitle);
    updateWindowTitle();
    window_.setAcceptDrops(true);
    window_.installEventFilter(this);
}

QString DocumentController::windowTitle() const {
    QString title = texts::appTitle;
    if (!document_.isUntitled()) {
        title += texts::captionSeparator + displayFileName(QByteArray::fromStdString(document_.path()));
    }
    return title + QStringLiteral("[*]");
}

QByteArray DocumentController::currentNativePath() const {
    return document_.isUntitled() ? QByteArray() : QByteArray::fromStdString(document_.path());
}

QString DocumentController::currentFilePath() const {
    return displayPath(currentNativePath());
}

void DocumentController::newStartupDocument() {
    document_.newDocument({texts::defaultTitle, texts::defaultDocumentFile, texts::defaultInput1Caption,
                           texts::defaultInput2Caption, texts::defaultSurnameCaption, texts::defaultAuthor,
                           texts::defaultSource, texts::defaultOrganisation,
                           QDate::currentDate().toString(texts::dateFormat)});
}

void DocumentController::openStartupFiles(const QList<QByteArray>& commandLine) {
    // The question below lists the named file's copies with the others.
    startingUp_ = true;
    openFromCommandLine(commandLine);
    startingUp_ = false;
    // With or without a file named.
    offerRecoveryCopies();
}

void DocumentController::browseDocumentFile(const QString& fieldText) {
    QString start = fieldText;
    if (!document_.isUntitled() && QFileInfo(start).isRelative()) {
        start = QFileInfo(currentFilePath()).dir().filePath(start);
    }
    const std::optional<QString> chosen =
        services_.fileDialogs->open(&window_, texts::wordFilesFilter, QString(), start);
    // A name the definition file cannot hold (a line break, a character outside Windows-1251)
    // would be written damaged: it is refused and the document stays as it was.
    if (chosen && !document_.setDocumentFile(QFileInfo(*chosen).fileName())) {
        QApplication::beep();
    }
}

bool DocumentController::mayClose() {
    if (!maySaveModified()) {
        return false;
    }
    // Still modified after the prompt let it go: the user said No, and the recovery copy goes too.
    if (recovery_ != nullptr && document_.isModified()) {
        recovery_->discard();
    }
    return true;
}

void DocumentController::offerRecoveryCopies() {
    if (recovery_ != nullptr) {
        guard_([this] { recovery_->offerCopies(&window_); });
    }
}

void DocumentController::updateWindowTitle() {
    window_.setWindowTitle(windowTitle());
    window_.setWindowModified(document_.isModified());
}

bool DocumentController::maySaveModified() {
    if (!document_.isModified()) {
        return true;
    }
    switch (services_.messageBox->askYesNoCancel(&window_, texts::savePromptText, texts::savePromptCaption,
                                                 MessageAnswer::Yes)) {
    case MessageAnswer::Yes:
        // Going on after a save that did not happen would throw the changes away.
        return save();
    case MessageAnswer::No:
        return true;
    default:
        return false;
    }
}

void DocumentController::newFile() {
    if (!maySaveModified()) {
        return;
    }
    // The nine texts stay; one parameter and one result; nothing to undo.
    document_.newDocument();
}

void DocumentController::open() {
    if (!maySaveModified()) {
        return;
    }
    const std::optional<QByteArray> path = services_.fileDialogs->openNative(
        &window_, texts::reportFilesFilter, texts::reportExtension, currentNativePath());
    if (!path) {
        return;
    }
    // Another editor holds it with unsaved changes: opening it here too is the user's call.
    if (recovery_ != nullptr && !recovery_->confirmOpen(&window_, *path)) {
        return;
    }
    if (loadFile(*path)) {
        recentFiles_.add(*path);
    }
}

bool DocumentController::openFile(const QString& path) {
    return openFile(nativePath(path));
}

bool DocumentController::openFile(const QByteArray& path) {
    openCancelled_ = false;
    if (recovery_ != nullptr && !recovery_->confirmOpen(&window_, path)) {
        openCancelled_ = true;
        return false;
    }
    if (!maySaveModified()) {
        openCancelled_ = true;
        return false;
    }
    if (!loadFile(path)) {
        return false;
    }
    recentFiles_.add(path);
    return true;
}

bool DocumentController::loadFile(const QByteArray& path) {
    OpenResult result;
    {
        WaitCursor wait;
        result = document_.open(corePath(path));
        if (!result) {
            // What was asked for is not shown: a new definition takes its place, as after New.
            document_.newDocument();
        }
    }
    if (!result) {
        services_.messageBox->showError(
            &window_, texts::openFailedText.arg(displayPath(path), problemReason(result.error)),
            texts::appTitle);
        return false;
    }
    // Unsaved work of an editor that is gone waits for this file: offered now, not found later.
    if (recovery_ != nullptr && !startingUp_) {
        recovery_->offerCopiesOf(&window_, path);
    }
    return true;
}

bool DocumentController::save() {
    if (document_.isUntitled()) {
        return saveAs();
    }
    // Another program changed or removed the file since it was read or written here: its change
    // would be lost without a word. No leaves everything as it was.
    if (document_.changedOnDisk()) {
        std::error_code error;
        const bool exists = std::filesystem::symlink_status(document_.path(), error).type() !=
                            std::filesystem::file_type::not_found;
        const QString question = exists ? texts::changedOnDiskText.arg(document_.displayPath())
                                        : texts::removedFromDiskText.arg(document_.displayPath());
        if (services_.messageBox->askYesNo(&window_, question, texts::savePromptCaption, MessageAnswer::No) !=
            MessageAnswer::Yes) {
            return false;
        }
    } else if (recovery_ != nullptr && !recovery_->mayReplaceRestored(&window_)) {
        // Restored from a copy: what the file held since cannot be known.
        return false;
    }
    return saveFile(QByteArray::fromStdString(document_.path()));
}

bool DocumentController::saveAs() {
    // The suggestion is the document's own path as bytes: kept, it saves to the same file even when
    // its name is no text.
    const std::optional<QByteArray> path = services_.fileDialogs->saveNative(
        &window_, texts::reportFilesFilter, texts::reportExtension, currentNativePath());
    if (!path) {
        return false;
    }
    // The document takes the new path only once it is stored there.
    return saveFile(*path);
}

bool DocumentController::saveFile(const QByteArray& path) {
    SaveResult result;
    {
        WaitCursor wait;
        result = document_.saveAs(corePath(path));
    }
    if (!result) {
        services_.messageBox->showError(
            &window_, texts::saveFailedText.arg(displayPath(path), problemReason(result.error)),
            texts::appTitle);
        return false;
    }
    recentFiles_.add(path);
    return true;
}

void DocumentController::saveTable() {
    const std::optional<QByteArray> path = services_.fileDialogs->saveNative(
        &window_, texts::textFilesFilter, texts::textExtension, tableNameFor(currentNativePath()));
    if (!path) {
        return;
    }
    SaveResult result;
    {
        WaitCursor wait;
        result = document_.exportTable(corePath(*path));
    }
    if (!result) {
        services_.messageBox->showError(
            &window_, texts::exportFailedText.arg(displayPath(*path), problemReason(result.error)),
            texts::appTitle);
    }
}

void DocumentController::openRecent(int index) {
    const QByteArray path = recentFiles_.nativeAt(index);
    if (path.isEmpty()) {
        return;
    }
    guard_([this, &path] {
        // A Cancel at the save prompt keeps the entry: only a file that could not be read goes.
        if (!openFile(path) && !openWasCancelled()) {
            recentFiles_.remove(static_cast<int>(recentFiles_.nativeEntries().indexOf(path)));
        }
    });
}

void DocumentController::fillRecentFiles(QMenu& menu, QAction& placeholder) {
    for (QAction* old : std::as_const(recentActions_)) {
        menu.removeAction(old);
        old->deleteLater();
    }
    recentActions_.clear();
    const QList<QAction*> actions = menu.actions();
    const qsizetype at = actions.indexOf(&placeholder) + 1;
    QAction* before = at > 0 && at < actions.size() ? actions.at(at) : nullptr;
    const std::vector<RecentFileList::MenuEntry> entries = recentFiles_.menuEntries(QDir::currentPath());
    const bool empty = entries.size() == 1 && entries.front().index < 0;
    placeholder.setVisible(empty);
    if (empty) {
        return;
    }
    for (const RecentFileList::MenuEntry& entry : entries) {
        auto* action = new QAction(entry.text, &menu);
        menu.insertAction(before, action);
        const int index = entry.index;
        connect(action, &QAction::triggered, this, [this, index] { openRecent(index); });
        recentActions_.append(action);
    }
}

bool DocumentController::openFromCommandLine(const QList<QByteArray>& arguments) {
    for (const QByteArray& argument : arguments) {
        if (argument.isEmpty() || argument.startsWith('-')) {
            continue;
        }
        // Made absolute now: a message, the title and the recent list name the file in full.
        guard_([this, &argument] { openFile(absoluteNativePath(argument)); });
        return true;
    }
    return false;
}

QList<QByteArray> DocumentController::droppedFiles(const QMimeData* mime) {
    QList<QByteArray> paths;
    if (mime == nullptr || !mime->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile()) {
            continue;
        }
        // Taken from the URL's percent-encoded form, not as text: a name whose bytes are no text
        // in the system's encoding keeps them.
        const QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        if (!path.isEmpty()) {
            paths.append(path);
        }
    }
    return paths;
}

bool DocumentController::eventFilter(QObject* watched, QEvent* event) {
    // The event's type first: while the window is being destroyed other events still pass here.
    const QEvent::Type type = event->type();
    if ((type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) ||
        watched != &window_) {
        return QObject::eventFilter(watched, event);
    }
    auto* drop = static_cast<QDropEvent*>(event); // the drag enter and move events are drop events too
    const QList<QByteArray> paths = droppedFiles(drop->mimeData());
    if (paths.isEmpty()) {
        return false;
    }
    drop->acceptProposedAction();
    if (type == QEvent::Drop) {
        openDropped(paths);
    }
    return true;
}

void DocumentController::openDropped(const QList<QByteArray>& paths) {
    if (paths.isEmpty()) {
        return;
    }
    // The drop is finished first; the file is opened afterwards, so that a save prompt never runs
    // while the dragging program still waits for the drop to end. The whole path is used, however
    // long: a shortened one would open another file or none.
    const QByteArray first = paths.first();
    QMetaObject::invokeMethod(
        this, [this, first] { guard_([this, &first] { openFile(absoluteNativePath(first)); }); },
        Qt::QueuedConnection);
}

} // namespace vornak
