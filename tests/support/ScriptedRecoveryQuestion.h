// The recovery question for tests: answers queued beforehand, every question recorded with its
// text and the copies it listed. Nothing queued answers Later, as Escape does.
#pragma once

#include "RecoveryQuestion.h"

#include <deque>

namespace vornak {

class ScriptedRecoveryQuestion : public RecoveryQuestion {
public:
    struct Asked {
        QWidget* parent = nullptr;
        QString text;
        std::vector<RecoveryOffer> offers;
    };

    void enqueue(RecoveryAnswer::Action action, int index = -1) { answers_.push_back({action, index}); }
    RecoveryAnswer ask(QWidget* parent, const QString& text, const std::vector<RecoveryOffer>& offers) override;

    const std::vector<Asked>& asked() const { return asked_; }
    std::size_t pendingAnswers() const { return answers_.size(); }
    void clear();

private:
    std::deque<RecoveryAnswer> answers_;
    std::vector<Asked> asked_;
};

} // namespace vornak
