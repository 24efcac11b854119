// vornak-cli check: reads each definition file and reports its findings, as text lines or as JSON.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace vornak::cli {

struct CheckOptions {
    bool json = false;   // one JSON document instead of text lines
    bool strict = false; // any finding makes the exit status exitFindings
};

// Exit status: exitFailed when a file could not be read; otherwise exitFindings when `strict` and
// some file has findings; otherwise exitOk.
int checkFiles(const std::vector<std::string>& files, const CheckOptions& options, std::ostream& out);

} // namespace vornak::cli
