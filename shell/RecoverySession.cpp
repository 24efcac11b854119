#include "RecoverySession.h"

#include "DefinitionDocument.h"
#include "MessageBox.h"
#include "NativePath.h"

#include <QDateTime>
#include <QStringList>

namespace vornak {

namespace {

const QString caption = QStringLiteral("Восстановление");

QString timeText(std::int64_t seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QString documentName(const RecoveryInfo& info) {
    return info.untitled ? QStringLiteral("Без имени") : displayPath(nativePath(info.originalPath));
}

} // namespace

RecoverySession::RecoverySession(DefinitionDocument& document, MessageBox& messages, RecoveryStore store,
                                 QObject* parent)
    : QObject(parent), document_(document), messages_(messages), store_(store),
      keeper_(document, std::move(store), {}, this) {
}

QString RecoverySession::copyQuestion(const RecoveryInfo& info) {
    return QStringLiteral("Редактор был закрыт, не сохранив изменения документа «%1».\n"
                          "Осталась их копия от %2.\n\nВосстановить документ?")
        .arg(documentName(info), timeText(info.copiedAt));
}

QString RecoverySession::damagedCopyText(const RecoveryEntry& entry, const QString& reason) {
    QString text = entry.info
                       ? QStringLiteral("Копию изменений документа «%1» от %2 не удалось прочитать: %3.")
                             .arg(documentName(*entry.info), timeText(entry.info->copiedAt), reason)
                       : QStringLiteral("Копию изменений документа не удалось прочитать: %1.").arg(reason);
    return text + QStringLiteral("\nОна оставлена в файле %1.\n\nУдалить ее?")
                      .arg(displayPath(nativePath(entry.copyPath)));
}

QString RecoverySession::heldElsewhereQuestion(const QByteArray& path, const RecoveryInfo& info) {
    return QStringLiteral("Файл «%1» открыт в другом окне редактора (процесс %2), и в нем есть "
                          "несохраненные изменения с %3.\n\nОткрыть его здесь все равно?")
        .arg(displayPath(path))
        .arg(info.editor.pid)
        .arg(timeText(info.modifiedSince));
}

bool RecoverySession::offerCopies(QWidget* parent) {
    bool restored = false;
    for (const RecoveryEntry& entry : store_.orphaned()) {
        if (entry.id == keeper_.id()) {
            continue;
        }
        ReportDefinition definition;
        QString problem = QString::fromStdString(entry.problem);
        if (entry.readable()) {
            LoadError error;
            if (!RecoveryStore::readCopy(entry, definition, error)) {
                problem = QString::fromStdString(error.reason);
            }
        }
        if (!problem.isEmpty()) {
            // Never removed without the user's word: "Оставить" is the default and Escape.
            const int answer =
                messages_.askChoice(parent, damagedCopyText(entry, problem), caption,
                                    {QStringLiteral("Удалить"), QStringLiteral("Оставить")}, 1, 1);
            if (answer == 0) {
                store_.remove(entry.id);
            }
            continue;
        }
        if (restored) {
            continue; // waits for the next start
        }
        const int answer = messages_.askChoice(
            parent, copyQuestion(*entry.info), caption,
            {QStringLiteral("Восстановить"), QStringLiteral("Удалить"), QStringLiteral("Позже")}, Restore,
            Later);
        if (answer == Restore) {
            restored = restore(entry, std::move(definition));
        } else if (answer == Remove) {
            store_.remove(entry.id);
        }
    }
    return restored;
}

bool RecoverySession::restore(const RecoveryEntry& entry, ReportDefinition definition) {
    const RecoveryInfo& info = *entry.info;
    document_.restore(std::move(definition), info.untitled ? std::string() : info.originalPath,
                      RecoveryStore::stampToRestore(info));
    keeper_.setModifiedSince(info.modifiedSince);
    // The old copy goes only once the document's own copy holds the same.
    if (keeper_.writeNow()) {
        store_.remove(entry.id);
    }
    return true;
}

bool RecoverySession::confirmOpen(QWidget* parent, const QByteArray& path) {
    const std::vector<RecoveryEntry> held = store_.heldElsewhere(corePath(absoluteNativePath(path)));
    if (held.empty()) {
        return true;
    }
    return messages_.askYesNo(parent, heldElsewhereQuestion(path, *held.front().info), caption,
                              MessageAnswer::No) == MessageAnswer::Yes;
}

} // namespace vornak
