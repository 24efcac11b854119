#include "ScriptedFileDialogs.h"

namespace vornak {

void ScriptedFileDialogs::enqueue(std::optional<QString> answer) {
    answers_.push_back(Answer{std::move(answer), false});
}

void ScriptedFileDialogs::enqueueSuggested() {
    answers_.push_back(Answer{std::nullopt, true});
}

std::optional<QString> ScriptedFileDialogs::choose(QWidget* /*parent*/, const FileDialogRequest& request) {
    requests_.push_back(request);
    if (answers_.empty()) {
        ++unanswered_;
        return std::nullopt;
    }
    const Answer next = answers_.front();
    answers_.pop_front();
    const std::optional<QString> answer =
        next.suggested ? std::optional<QString>(request.initialFileName) : next.path;
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
