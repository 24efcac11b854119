// A shell opener for tests: answers from a queue (success when empty) and records every request.
#pragma once

#include "ShellOpen.h"

#include <deque>
#include <vector>

namespace vornak {

class ScriptedShellOpener : public ShellOpener {
public:
    void enqueue(ShellOpenResult result) { answers_.push_back(result); }
    void enqueueSuccess() { enqueue(ShellOpenResult::success()); }
    void enqueueFailure(ShellFailure failure) { enqueue(ShellOpenResult::failure(failure)); }
    void enqueueError(int errorCode) { enqueue(ShellOpenResult::failure(errorCode)); }

    ShellOpenResult open(const ShellOpenRequest& request) override;

    const std::vector<ShellOpenRequest>& requests() const { return requests_; }
    std::size_t pendingAnswers() const { return answers_.size(); }
    void clear();

private:
    std::deque<ShellOpenResult> answers_;
    std::vector<ShellOpenRequest> requests_;
};

} // namespace vornak
