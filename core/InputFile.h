// A file, pipe or device opened for reading from start to end, block by block.
#pragma once

#include "FileProblem.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vornak {

class FileMapping;

// A file opened for reading from start to end: a regular file, a pipe or a device.
class InputFile {
public:
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool isOpen() const { return open_; }
    // Reads up to `size` bytes; 0 at the end, -1 on failure (problem() and error() then say why).
    long long read(char* buffer, std::size_t size);
    // The size of a regular file when it was opened; nothing for pipes and devices.
    std::optional<std::size_t> size() const { return size_; }
    // The whole of a regular file mapped for reading, or nothing where it is not (see FileMapping).
    std::shared_ptr<const FileMapping> map() const;
    FileProblem problem() const { return problem_; }
    const std::string& error() const { return error_; }

private:
    void fail(int error);

    std::intptr_t handle_ = -1;
    bool open_ = false;
    std::optional<std::size_t> size_;
    FileProblem problem_ = FileProblem::None;
    std::string error_;
};

} // namespace vornak
