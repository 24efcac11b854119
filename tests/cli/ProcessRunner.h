// Runs a program with argument bytes as given and collects its exit code, standard output and error.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vornak::test {

struct ProcessResult {
    int exitCode = -1; // -1 when the program did not exit normally
    std::string out;
    std::string err;
};

struct ProcessOptions {
    std::string workingDirectory;            // empty: the test's own
    std::optional<std::string> stdoutToFile; // send standard output to this file instead of a pipe
};

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options = {});

} // namespace vornak::test
