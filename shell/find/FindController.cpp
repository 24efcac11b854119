#include "FindController.h"

#include "DefinitionDocument.h"
#include "FindBar.h"
#include "FindingText.h"
#include "TextChangesCommand.h"
#include "TextCodec.h"

#include <QApplication>
#include <QLineEdit>

#include <algorithm>

namespace vornak {

FindController::FindController(DefinitionDocument& document, FindBar& bar, MatchDisplay& display,
                               QObject* parent)
    : QObject(parent), document_(document), bar_(bar), display_(display) {
    connect(&bar_, &FindBar::searchChanged, this, &FindController::searchFromStart);
    connect(&bar_, &FindBar::nextRequested, this, &FindController::findNext);
    connect(&bar_, &FindBar::previousRequested, this, &FindController::findPrevious);
    connect(&bar_, &FindBar::replaceRequested, this, &FindController::replace);
    connect(&bar_, &FindBar::replaceAllRequested, this, &FindController::replaceAll);
    connect(&bar_, &FindBar::closeRequested, this, &FindController::close);
    connect(&document_, &DefinitionDocument::definitionChanged, this, &FindController::definitionChanged);
    connect(&document_, &DefinitionDocument::documentReset, this, &FindController::documentReset);
}

void FindController::openFind() {
    open(false);
}

void FindController::openReplace() {
    open(true);
}

void FindController::open(bool withReplace) {
    const bool wasOpen = bar_.isVisible();
    if (!wasOpen || !currentValid_) {
        start_ = display_.currentPlace();
    }
    bar_.open(withReplace);
    bar_.setStatus(QString());
    if (!wasOpen) {
        current_.reset();
        currentValid_ = false;
        searchFromStart();
    }
}

void FindController::close() {
    if (!bar_.isVisible()) {
        return;
    }
    bar_.hide();
    bar_.setStatus(QString());
    display_.clearMatch();
    currentValid_ = false;
    emit closed();
}

DefinitionSearch FindController::search() const {
    return DefinitionSearch(bar_.pattern(), bar_.options());
}

// Typing in the find field or switching an option: the first match from where the search began.
void FindController::searchFromStart() {
    bar_.setStatus(QString());
    const DefinitionSearch current = search();
    if (current.isEmpty()) {
        current_.reset();
        currentValid_ = false;
        display_.clearMatch();
        bar_.setMatchCount(-1, 0);
        return;
    }
    show(current.step(document_.definition(), start_, false, true));
}

void FindController::findNext() {
    step(false);
}

void FindController::findPrevious() {
    step(true);
}

void FindController::step(bool backward) {
    const DefinitionSearch current = search();
    if (current.isEmpty()) {
        return;
    }
    // From the match shown; without one, from where the search began, taking a match right there.
    const bool fromStart = !current_.has_value();
    const DefinitionSearch::Step found =
        current.step(document_.definition(), fromStart ? start_ : current_, backward, fromStart);
    show(found);
    if (found.wrapped) {
        bar_.setStatus(backward ? QStringLiteral("Достигнуто начало, поиск продолжен с конца.")
                                : QStringLiteral("Достигнут конец, поиск продолжен с начала."));
    } else {
        bar_.setStatus(QString());
    }
}

void FindController::show(const DefinitionSearch::Step& step) {
    bar_.setMatchCount(step.index, step.count);
    if (!step.match) {
        currentValid_ = false;
        display_.clearMatch();
        return;
    }
    current_ = step.match;
    currentValid_ = true;
    display_.showMatch(*step.match);
    // The form may have moved the focus to show the match; typing goes on in the bar.
    if (!bar_.isAncestorOf(QApplication::focusWidget())) {
        bar_.findField()->setFocus(Qt::OtherFocusReason);
    }
}

void FindController::replace() {
    const DefinitionSearch current = search();
    if (current.isEmpty()) {
        return;
    }
    if (!current_ || !currentValid_) {
        step(false);
        return;
    }
    const QString replacement = bar_.replacement();
    EditRefusal refusal = EditRefusal::None;
    const std::optional<TextChange> change =
        current.replaceOne(document_.definition(), *current_, replacement, &refusal);
    if (!change) {
        if (refusal != EditRefusal::None) {
            bar_.setStatus(replaceRefusalText(refusal, current_->where, replacement), true);
        } else {
            step(false);
        }
        return;
    }
    const TextMatch replaced = *current_;
    pushTextChanges(document_, {*change}, replaceUndoText(current.pattern(), replacement));
    // Go on after the replaced text: what it put in is not searched again.
    current_ = TextMatch{replaced.where, replaced.start + static_cast<int>(replacement.size()), 0};
    const DefinitionSearch::Step next = current.step(document_.definition(), current_, false, true);
    show(next);
    bar_.setStatus(next.wrapped ? QStringLiteral("Достигнут конец, поиск продолжен с начала.") : QString());
}

void FindController::replaceAll() {
    const DefinitionSearch current = search();
    if (current.isEmpty()) {
        return;
    }
    const QString replacement = bar_.replacement();
    const ReplaceAll all = current.replaceAll(document_.definition(), replacement);
    if (all.refusal != EditRefusal::None) {
        bar_.setStatus(replaceRefusalText(all.refusal, all.refusedAt, replacement), true);
        return;
    }
    if (all.replaced == 0) {
        bar_.setStatus(QStringLiteral("Не найдено."));
        return;
    }
    pushTextChanges(document_, all.changes, replaceUndoText(current.pattern(), replacement));
    current_.reset();
    currentValid_ = false;
    display_.clearMatch();
    bar_.setMatchCount(-1, static_cast<int>(current.findAll(document_.definition()).size()));
    bar_.setStatus(QStringLiteral("Заменено совпадений: %1.").arg(all.replaced));
}

// Edits, undo and redo: the count follows; a match that is gone is no longer shown.
void FindController::definitionChanged() {
    if (!bar_.isVisible() || bar_.pattern().isEmpty()) {
        return;
    }
    const DefinitionSearch current = search();
    const std::vector<TextMatch> all = current.findAll(document_.definition());
    int index = -1;
    if (current_ && currentValid_) {
        const auto found = std::find(all.begin(), all.end(), *current_);
        if (found != all.end()) {
            index = static_cast<int>(found - all.begin());
        } else {
            currentValid_ = false;
            display_.clearMatch();
        }
    }
    bar_.setMatchCount(index, static_cast<int>(all.size()));
}

void FindController::documentReset() {
    start_.reset();
    current_.reset();
    currentValid_ = false;
    display_.clearMatch();
}

QString replaceRefusalText(EditRefusal refusal, const std::optional<TextLocation>& where,
                           const QString& replacement) {
    QString reason;
    switch (refusal) {
    case EditRefusal::None:
        return {};
    case EditRefusal::LineBreak:
        reason = QStringLiteral("в тексте замены перевод строки, а строка файла определения не может его "
                                "хранить");
        break;
    case EditRefusal::Unencodable: {
        QString character;
        for (qsizetype i = 0; i < replacement.size(); ++i) {
            const qsizetype length = replacement[i].isHighSurrogate() && i + 1 < replacement.size() ? 2 : 1;
            if (!TextCodec::isEncodable(replacement.mid(i, length))) {
                character = replacement.mid(i, length);
                break;
            }
            i += length - 1;
        }
        reason = QStringLiteral("знак «%1» нельзя записать в кодировке Windows-1251").arg(character);
        break;
    }
    case EditRefusal::TooLong:
        reason = QStringLiteral("текст стал бы длиннее %1 байт").arg(maxLineBytes);
        if (where) {
            reason = findingPlaceText(*where) + QStringLiteral(": ") + reason;
        }
        break;
    }
    return QStringLiteral("Замена отменена: %1. Ничего не изменено.").arg(reason);
}

} // namespace vornak
