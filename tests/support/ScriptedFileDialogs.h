// File dialogs for tests: answers are queued beforehand (a path, or nothing for Cancel) and every
// request is recorded, so a test can check what the editor asked.
#pragma once

#include "FileDialogs.h"

#include <deque>
#include <vector>

namespace vornak {

class ScriptedFileDialogs : public FileDialogs {
public:
    // Queues the answer of the next dialog: a path, or std::nullopt for Cancel.
    void enqueue(std::optional<QString> answer);
    // Queues accepting the dialog as it comes up: the suggested name, exactly as it was shown.
    void enqueueSuggested();
    std::optional<QString> choose(QWidget* parent, const FileDialogRequest& request) override;

    const std::vector<FileDialogRequest>& requests() const { return requests_; }
    std::size_t pendingAnswers() const { return answers_.size(); }
    // Dialogs asked for while no answer was queued; each was answered with Cancel.
    int unansweredCount() const { return unanswered_; }
    void clear();

private:
    struct Answer {
        std::optional<QString> path;
        bool suggested = false;
    };
    std::deque<Answer> answers_;
    std::vector<FileDialogRequest> requests_;
    int unanswered_ = 0;
};

} // namespace vornak
