// The vornak-cli commands: check, convert, export-table and dump of definition files.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace vornak::cli {

enum ExitCode : int { exitOk = 0, exitFailed = 1, exitUsage = 2 };

// Runs one command line (without the program name). Data goes to `out`, messages to `err`;
// file names are taken as the bytes given.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace vornak::cli
