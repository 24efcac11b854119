#include "InputFile.h"

#include "FileErrors.h"
#include "FileMapping.h"
#include "FileTarget.h"

namespace vornak {

InputFile::InputFile(const std::string& path) {
    if (path.empty()) {
        problem_ = FileProblem::NoFileName;
        error_ = "no file name was given";
        return;
    }
    int error = 0;
    handle_ = detail::openInput(path, size_, error);
    if (handle_ < 0) {
        fail(error);
        return;
    }
    open_ = true;
}

InputFile::~InputFile() {
    if (handle_ >= 0) {
        detail::closeInput(handle_);
    }
}

void InputFile::fail(int error) {
    open_ = false;
    problem_ = detail::openProblemOf(error);
    error_ = detail::openReason(error);
}

long long InputFile::read(char* buffer, std::size_t size) {
    if (!open_) {
        return -1;
    }
    int error = 0;
    const long long n = detail::readInput(handle_, buffer, size, error);
    if (n < 0) {
        problem_ = detail::readProblemOf(error);
        error_ = detail::readReason(error);
    }
    return n;
}

std::shared_ptr<const FileMapping> InputFile::map() const {
    if (!open_ || !size_) {
        return nullptr;
    }
    return FileMapping::open(handle_, *size_);
}

} // namespace vornak
