// The editor's side of recovery copies: keeps the copy of the document while it has unsaved
// changes (an open cell editor's text included), says in the window's status line while copies
// cannot be written, offers back the copies of editors that are gone — all at start-up in one
// question, and a file's own when that file is opened —, warns before opening a file that another
// running editor holds with unsaved changes, asks before a restored document first replaces its
// file, and writes the copy at once when the editor is about to be ended from outside.
#pragma once

#include "RecoveryKeeper.h"
#include "RecoveryQuestion.h"
#include "RecoveryStore.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QWidget;

namespace vornak {

class DefinitionDocument;
class MainWindow;
class MessageBox;

class RecoverySession : public QObject {
    Q_OBJECT

public:
    // question: the recovery question to ask; null for the editor's own dialog.
    RecoverySession(DefinitionDocument& document, MessageBox& messages, RecoveryStore store,
                    RecoveryQuestion* question = nullptr, QObject* parent = nullptr);
    ~RecoverySession() override;

    RecoveryKeeper& keeper() { return keeper_; }
    const RecoveryStore& store() const { return store_; }

    // Works with the window: its file commands offer and guard through this session, its open cell
    // editors' text goes into the copy, and its status line says when copies cannot be written.
    void attach(MainWindow& window);

    // One question listing every copy whose editor is gone, oldest first: "Восстановить" takes
    // the chosen one into the document as unsaved changes under its original path (untitled stays
    // untitled), "Удалить…" removes it after a second question, "Позже" (Escape) keeps the rest
    // for later. A copy that holds just what its file holds now is no unsaved work and goes
    // without a word; one that cannot be read is listed with the reason and can only be removed.
    // Also says, once, when the folder or files in it were not trusted. True when one was restored.
    bool offerCopies(QWidget* parent);
    // The same for the copies of one file, once it is opened.
    bool offerCopiesOf(QWidget* parent, const QByteArray& path);
    // Before path is opened: when another running editor holds it with unsaved changes, says which
    // and since when and asks whether to open it anyway. True to go on.
    bool confirmOpen(QWidget* parent, const QByteArray& path);
    // Before Save replaces the file of a document restored from a copy for the first time: the
    // copy cannot prove what the file held, so the user is asked. True to go on.
    bool mayReplaceRestored(QWidget* parent);
    // The user chose not to keep the changes (No at the save prompt before closing).
    void discard() { keeper_.discard(); }
    // Writes the copy now (a signal or the end of the session is about to end the editor). True
    // when everything typed is kept: in the file or in the copy.
    bool preserveNow() { return keeper_.writeNow(); }

    // What the status line says about the copies; empty when all is well.
    QString statusText() const;

    // The texts the user sees.
    static QString questionText(std::size_t count);
    static QString removeQuestion(const RecoveryOffer& offer);
    static QString restoredSaveQuestion(const QString& path);
    static QString heldElsewhereQuestion(const QByteArray& path, const RecoveryInfo& info);

private:
    bool offer(QWidget* parent, std::vector<RecoveryEntry> entries);
    bool restore(const RecoveryEntry& entry, ReportDefinition definition);
    void noteListing();
    void showStatus();

    DefinitionDocument& document_;
    MessageBox& messages_;
    RecoveryStore store_;
    RecoveryKeeper keeper_;
    std::unique_ptr<RecoveryQuestion> ownQuestion_;
    RecoveryQuestion* question_;
    QPointer<MainWindow> window_;
    std::string restoredPath_; // a restored file not yet replaced by a save
    QString folderNotice_;
    bool listingNoted_ = false;
};

} // namespace vornak
