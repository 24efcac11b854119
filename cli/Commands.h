// The vornak-cli commands: check, convert, export-table and dump of definition files.
#pragma once

#include "FileProblem.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace vornak::cli {

// exitFindings: check --strict found something in a file it could read.
enum ExitCode : int { exitOk = 0, exitFailed = 1, exitUsage = 2, exitFindings = 3 };

// Runs one command line (without the program name). Data goes to `out`, messages to `err`;
// file names are taken as the bytes given.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The reader's reason in UTF-8, led by the line number unless the reason names it already.
std::string describeLoadError(const LoadError& error);

} // namespace vornak::cli
