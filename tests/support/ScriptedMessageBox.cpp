#include "ScriptedMessageBox.h"

namespace vornak {

void ScriptedMessageBox::enqueue(MessageAnswer answer) {
    answers_.push_back(answer);
}

MessageAnswer ScriptedMessageBox::askYesNoCancel(QWidget* /*parent*/, const QString& text,
                                                 const QString& caption, MessageAnswer defaultButton) {
    requests_.push_back(MessageRequest{MessageKind::Question, text, caption, defaultButton});
    if (answers_.empty()) {
        ++unanswered_;
        return MessageAnswer::Cancel;
    }
    const MessageAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

MessageAnswer ScriptedMessageBox::askYesNo(QWidget* parent, const QString& text, const QString& caption,
                                           MessageAnswer defaultButton) {
    const MessageAnswer answer = askYesNoCancel(parent, text, caption, defaultButton);
    return answer == MessageAnswer::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

int ScriptedMessageBox::askChoice(QWidget* /*parent*/, const QString& text, const QString& caption,
                                  const QStringList& buttons, int defaultButton, int escapeButton) {
    requests_.push_back(MessageRequest{MessageKind::Question, text, caption, MessageAnswer::Yes});
    choices_.push_back(Choice{text, buttons, defaultButton, escapeButton});
    if (choiceAnswers_.empty()) {
        ++unanswered_;
        return escapeButton;
    }
    const int answer = choiceAnswers_.front();
    choiceAnswers_.pop_front();
    return answer;
}

void ScriptedMessageBox::enqueueChoice(int button) {
    choiceAnswers_.push_back(button);
}

void ScriptedMessageBox::showError(QWidget* /*parent*/, const QString& text, const QString& caption) {
    requests_.push_back(MessageRequest{MessageKind::Error, text, caption, MessageAnswer::Ok});
}

void ScriptedMessageBox::showInformation(QWidget* /*parent*/, const QString& text, const QString& caption) {
    requests_.push_back(MessageRequest{MessageKind::Information, text, caption, MessageAnswer::Ok});
}

void ScriptedMessageBox::clear() {
    answers_.clear();
    choiceAnswers_.clear();
    choices_.clear();
    requests_.clear();
    unanswered_ = 0;
}

} // namespace vornak
