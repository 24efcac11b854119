// Message boxes for tests: the answers to questions are queued beforehand and every box shown is
// recorded with its text, caption and default button.
#pragma once

#include "MessageBox.h"

#include <deque>
#include <vector>

namespace vornak {

class ScriptedMessageBox : public MessageBox {
public:
    // Queues the answer to the next question (Yes, No or Cancel).
    void enqueue(MessageAnswer answer);

    MessageAnswer askYesNoCancel(QWidget* parent, const QString& text, const QString& caption,
                                 MessageAnswer defaultButton = MessageAnswer::Yes) override;
    // Answered from the same queue; Cancel queued, or nothing, answers No.
    MessageAnswer askYesNo(QWidget* parent, const QString& text, const QString& caption,
                           MessageAnswer defaultButton = MessageAnswer::No) override;
    // Answered from its own queue (enqueueChoice); nothing queued answers escapeButton. Recorded
    // in requests() as a question with the default Yes, and in choices() with its buttons.
    int askChoice(QWidget* parent, const QString& text, const QString& caption, const QStringList& buttons,
                  int defaultButton, int escapeButton) override;
    void enqueueChoice(int button);
    struct Choice {
        QString text;
        QStringList buttons;
        int defaultButton = 0;
        int escapeButton = 0;
    };
    const std::vector<Choice>& choices() const { return choices_; }
    void showError(QWidget* parent, const QString& text, const QString& caption) override;
    void showInformation(QWidget* parent, const QString& text, const QString& caption) override;

    const std::vector<MessageRequest>& requests() const { return requests_; }
    std::size_t pendingAnswers() const { return answers_.size(); }
    // Questions asked while no answer was queued; each was answered with Cancel, the answer that
    // changes nothing.
    int unansweredCount() const { return unanswered_; }
    void clear();

private:
    std::deque<MessageAnswer> answers_;
    std::deque<int> choiceAnswers_;
    std::vector<Choice> choices_;
    std::vector<MessageRequest> requests_;
    int unanswered_ = 0;
};

} // namespace vornak
