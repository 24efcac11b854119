#include "ScriptedFileDialogs.h"

namespace vornak {

void ScriptedFileDialogs::enqueue(std::optional<QString> answer) {
    answers_.push_back(std::move(answer));
}

std::optional<QString> ScriptedFileDialogs::choose(QWidget* /*parent*/, const FileDialogRequest& request) {
    requests_.push_back(request);
    if (answers_.empty()) {
        ++unanswered_;
        return std::nullopt;
    }
    std::optional<QString> answer = std::move(answers_.front());
    answers_.pop_front();
    if (!answer) {
        return std::nullopt;
    }
    // The real dialog appends the default extension to a name typed without one.
    return appendDefaultExtension(*answer, request.defaultExtension);
}

void ScriptedFileDialogs::clear() {
    answers_.clear();
    requests_.clear();
    unanswered_ = 0;
}

} // namespace vornak
