#include "RecoverySession.h"

#include "CellGrid.h"
#include "DefinitionDocument.h"
#include "DocumentController.h"
#include "FileProblemText.h"
#include "MainWindow.h"
#include "MessageBox.h"
#include "NativePath.h"
#include "OpenCellEdits.h"
#include "ParameterPanel.h"
#include "RecoveryDialog.h"
#include "RecoveryTexts.h"

#include <QDateTime>
#include <QStatusBar>

#include <cstdio>

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
                                 RecoveryQuestion* question, QObject* parent)
    : QObject(parent), document_(document), messages_(messages), store_(store),
      keeper_(document, std::move(store), {}, this), question_(question) {
    if (question_ == nullptr) {
        ownQuestion_ = std::make_unique<RecoveryDialog>();
        question_ = ownQuestion_.get();
    }
    // A save, New or Open ends what a restore has to answer for.
    connect(&document_, &DefinitionDocument::documentReset, this, [this] { restoredPath_.clear(); });
    connect(&document_, &DefinitionDocument::modifiedChanged, this, [this](bool modified) {
        if (!modified) {
            restoredPath_.clear();
        }
    });
    connect(&keeper_, &RecoveryKeeper::faultChanged, this, [this] {
        if (!keeper_.lastFault()) {
            folderNotice_.clear(); // a copy was written: the folder serves again
        }
        showStatus();
    });
}

RecoverySession::~RecoverySession() = default;

void RecoverySession::attach(MainWindow& window) {
    window_ = &window;
    window.documents().setRecovery(this);
    auto* edits = new OpenCellEdits(
        document_, {window.parameterGrid(), window.parameterPanel().valueList(), window.resultGrid()}, &window);
    const QPointer<OpenCellEdits> watched(edits);
    keeper_.setPendingEdit([watched]() -> std::vector<TextReplacement> {
        return watched ? watched->pendingTexts() : std::vector<TextReplacement>();
    });
    connect(edits, &OpenCellEdits::changed, &keeper_, &RecoveryKeeper::pendingEditChanged);
    showStatus();
}

QString RecoverySession::statusText() const {
    return keeper_.lastFault() ? copyNotWrittenText(keeper_.lastFault()) : folderNotice_;
}

void RecoverySession::showStatus() {
    if (keeper_.lastFault()) {
        std::fprintf(stderr, "vornak: %s\n", keeper_.lastFault().english().c_str());
    }
    if (!window_) {
        return;
    }
    const QString text = statusText();
    auto* bar = window_->findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly);
    if (text.isEmpty()) {
        if (bar != nullptr) {
            bar->clearMessage();
            bar->hide();
        }
        return;
    }
    window_->statusBar()->showMessage(text);
    window_->statusBar()->show();
}

void RecoverySession::noteListing() {
    if (listingNoted_) {
        return;
    }
    listingNoted_ = true;
    const RecoveryListing listing = store_.scan();
    if (listing.folder) {
        std::fprintf(stderr, "vornak: recovery copies not read: %s\n", listing.folder.english().c_str());
        folderNotice_ = QStringLiteral("Копии несохраненных изменений не прочитаны: %1.")
                            .arg(recoveryFaultText(listing.folder));
    } else if (!listing.skipped.empty()) {
        QStringList names;
        for (const RecoveryFault& fault : listing.skipped) {
            std::fprintf(stderr, "vornak: skipped: %s\n", fault.english().c_str());
            names << displayPath(nativePath(QByteArray::fromStdString(fault.path)));
        }
        folderNotice_ = QStringLiteral("В папке копий пропущены чужие или необычные файлы: %1.")
                            .arg(names.join(QStringLiteral(", ")));
    }
    showStatus();
}

QString RecoverySession::questionText(std::size_t count) {
    return count == 1 ? QStringLiteral("Редактор был закрыт, не сохранив изменения документа. "
                                       "Осталась их копия.\n\nВосстановить документ?")
                      : QStringLiteral("Редактор был закрыт, не сохранив изменения документов. "
                                       "Остались их копии (%1).\n\nВыберите, какую восстановить "
                                       "или удалить; остальные подождут.")
                            .arg(count);
}

QString RecoverySession::removeQuestion(const RecoveryOffer& offer) {
    return QStringLiteral("Удалить копию несохраненных изменений документа «%1»%2?\n\n"
                          "Эти изменения будут потеряны безвозвратно.")
        .arg(offer.document, offer.time.isEmpty() ? QString() : QStringLiteral(" от %1").arg(offer.time));
}

QString RecoverySession::restoredSaveQuestion(const QString& path) {
    return QStringLiteral("Документ восстановлен из копии несохраненных изменений, и проверить, что "
                          "файл «%1» с тех пор не изменялся, нельзя.\n\nЗаменить файл "
                          "восстановленным документом?")
        .arg(path);
}

QString RecoverySession::heldElsewhereQuestion(const QByteArray& path, const RecoveryInfo& info) {
    return QStringLiteral("Файл «%1» открыт в другом окне редактора (процесс %2), и в нем есть "
                          "несохраненные изменения с %3.\n\nОткрыть его здесь все равно?")
        .arg(displayPath(path))
        .arg(info.editor.pid)
        .arg(timeText(info.modifiedSince));
}

bool RecoverySession::offerCopies(QWidget* parent) {
    noteListing();
    return offer(parent, store_.orphaned());
}

bool RecoverySession::offerCopiesOf(QWidget* parent, const QByteArray& path) {
    return offer(parent, store_.orphanedOf(corePath(absoluteNativePath(path))));
}

bool RecoverySession::offer(QWidget* parent, std::vector<RecoveryEntry> entries) {
    struct Waiting {
        RecoveryEntry entry;
        std::optional<ReportDefinition> definition;
        RecoveryOffer shown;
    };
    std::vector<Waiting> waiting;
    for (RecoveryEntry& entry : entries) {
        if (entry.id == keeper_.id()) {
            continue;
        }
        Waiting one{std::move(entry), std::nullopt, {}};
        QString problem = copyDamageText(one.entry.damage);
        if (one.entry.readable()) {
            ReportDefinition definition;
            LoadError error;
            if (!RecoveryStore::readCopy(one.entry, definition, error)) {
                problem = problemReason(error);
            } else if (RecoveryStore::sameAsOriginal(*one.entry.info, definition)) {
                // Left behind by a save whose removal failed: nothing unsaved in it.
                store_.remove(one.entry.id);
                continue;
            } else {
                one.definition = std::move(definition);
            }
        }
        const std::optional<RecoveryInfo>& info = one.entry.info;
        one.shown.document = info ? documentName(*info) : QStringLiteral("неизвестен");
        one.shown.time = info ? timeText(info->copiedAt) : QString();
        one.shown.contents = one.definition ? copyContentsText(*one.definition)
                                            : QStringLiteral("не читается: %1").arg(problem);
        one.shown.restorable = one.definition.has_value();
        waiting.push_back(std::move(one));
    }
    while (!waiting.empty()) {
        std::vector<RecoveryOffer> offers;
        for (const Waiting& one : waiting) {
            offers.push_back(one.shown);
        }
        const RecoveryAnswer answer = question_->ask(parent, questionText(waiting.size()), offers);
        if (answer.action == RecoveryAnswer::Action::Later || answer.index < 0 ||
            answer.index >= static_cast<int>(waiting.size())) {
            return false;
        }
        const auto chosen = waiting.begin() + answer.index;
        if (answer.action == RecoveryAnswer::Action::Remove) {
            // Unsaved work is destroyed only on a second word.
            if (messages_.askYesNo(parent, removeQuestion(chosen->shown), caption, MessageAnswer::No) ==
                MessageAnswer::Yes) {
                store_.remove(chosen->entry.id);
                waiting.erase(chosen);
            }
            continue;
        }
        if (chosen->definition) {
            return restore(chosen->entry, std::move(*chosen->definition));
        }
    }
    return false;
}

bool RecoverySession::restore(const RecoveryEntry& entry, ReportDefinition definition) {
    const RecoveryInfo& info = *entry.info;
    document_.restore(std::move(definition), info.untitled ? std::string() : info.originalPath,
                      RecoveryStore::stampToRestore(info));
    restoredPath_ = info.untitled ? std::string() : info.originalPath;
    keeper_.setModifiedSince(info.modifiedSince);
    // The old copy goes only once the document's own copy holds the same.
    if (keeper_.writeNow()) {
        store_.remove(entry.id);
    }
    return true;
}

bool RecoverySession::mayReplaceRestored(QWidget* parent) {
    if (restoredPath_.empty() || document_.isUntitled() || document_.path() != restoredPath_) {
        return true;
    }
    if (messages_.askYesNo(parent, restoredSaveQuestion(document_.displayPath()), caption, MessageAnswer::No) !=
        MessageAnswer::Yes) {
        return false;
    }
    restoredPath_.clear();
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
