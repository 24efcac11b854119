#include "TextChangeValidator.h"

#include <QLineEdit>

#include <utility>

namespace vornak {

TextChangeValidator::TextChangeValidator(QObject* parent, Judge judge)
    : QValidator(parent), edit_(qobject_cast<QLineEdit*>(parent)), judge_(std::move(judge)) {
    if (edit_ != nullptr) {
        shown_ = edit_->text();
        connect(edit_, &QLineEdit::textChanged, this, [this](const QString& text) { shown_ = text; });
    }
}

void TextChangeValidator::setJudge(Judge judge) {
    judge_ = std::move(judge);
}

QValidator::State TextChangeValidator::validate(QString& input, int& /*pos*/) const {
    if (!judge_) {
        return Acceptable;
    }
    if (edit_ == nullptr) {
        return judge_(QString(), input) ? Acceptable : Invalid;
    }
    // setText clears the edit's undo history before it asks: a text the program puts in is not the
    // user's change, and calling it Invalid would make Qt stop reverting the user's later changes.
    // Every typed, pasted or dropped change has just been recorded for undo when it is judged.
    if (!edit_->isUndoAvailable()) {
        return Acceptable;
    }
    return judge_(shown_, input) ? Acceptable : Invalid;
}

} // namespace vornak
