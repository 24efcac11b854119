#include "ScriptedRecoveryQuestion.h"

namespace vornak {

RecoveryAnswer ScriptedRecoveryQuestion::ask(QWidget* parent, const QString& text,
                                             const std::vector<RecoveryOffer>& offers) {
    asked_.push_back(Asked{parent, text, offers});
    if (answers_.empty()) {
        return {};
    }
    const RecoveryAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

void ScriptedRecoveryQuestion::clear() {
    answers_.clear();
    asked_.clear();
}

} // namespace vornak
