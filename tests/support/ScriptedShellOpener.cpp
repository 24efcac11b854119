#include "ScriptedShellOpener.h"

namespace vornak {

ShellOpenResult ScriptedShellOpener::open(const ShellOpenRequest& request) {
    requests_.push_back(request);
    if (answers_.empty()) {
        return ShellOpenResult::success();
    }
    const ShellOpenResult result = answers_.front();
    answers_.pop_front();
    return result;
}

void ScriptedShellOpener::clear() {
    answers_.clear();
    requests_.clear();
}

} // namespace vornak
