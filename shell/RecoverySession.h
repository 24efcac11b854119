// The editor's side of recovery copies: keeps the copy of the document while it has unsaved
// changes, offers back at start-up the copies of editors that are gone, warns before opening a file
// that another running editor holds with unsaved changes, and writes the copy at once when the
// editor is about to be ended from outside. Every question goes through the message-box seam.
#pragma once

#include "RecoveryKeeper.h"
#include "RecoveryStore.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QWidget;

namespace vornak {

class DefinitionDocument;
class MessageBox;

class RecoverySession : public QObject {
    Q_OBJECT

public:
    // The answers to the question about a copy, in the order of its buttons.
    enum Choice { Restore = 0, Remove = 1, Later = 2 };

    RecoverySession(DefinitionDocument& document, MessageBox& messages, RecoveryStore store,
                    QObject* parent = nullptr);

    RecoveryKeeper& keeper() { return keeper_; }
    const RecoveryStore& store() const { return store_; }

    // Asks about every copy whose editor is gone, oldest first: "Восстановить" (Enter) takes it
    // into the document as unsaved changes under its original path (untitled stays untitled),
    // "Удалить" removes it, "Позже" (Escape) keeps it for the next start. Once one is restored, the
    // rest wait for the next start (one document per window). A copy that cannot be read is
    // reported and kept unless the user removes it. True when a copy was restored.
    bool offerCopies(QWidget* parent);
    // Before path is opened: when another running editor holds it with unsaved changes, says which
    // and since when and asks whether to open it anyway. True to go on.
    bool confirmOpen(QWidget* parent, const QByteArray& path);
    // The user chose not to keep the changes (No at the save prompt before closing).
    void discard() { keeper_.discard(); }
    // Writes the copy now (a signal or the end of the session is about to end the editor). True
    // when everything typed is kept: in the file or in the copy.
    bool preserveNow() { return keeper_.writeNow(); }

    // The texts the user sees.
    static QString copyQuestion(const RecoveryInfo& info);
    static QString damagedCopyText(const RecoveryEntry& entry, const QString& reason);
    static QString heldElsewhereQuestion(const QByteArray& path, const RecoveryInfo& info);

private:
    bool restore(const RecoveryEntry& entry, ReportDefinition definition);

    DefinitionDocument& document_;
    MessageBox& messages_;
    RecoveryStore store_;
    RecoveryKeeper keeper_;
};

} // namespace vornak
