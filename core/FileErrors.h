// The file layer's error words: the system's error numbers (errno values; a file layer for another
// system maps its own errors onto them) turned into a FileProblem and an English reason.
#pragma once

#include "FileProblem.h"

#include <string>

namespace vornak::detail {

// The system's text for an error number, or "error N" where it has none.
std::string systemReason(int error);

// The kind of problem behind a failed write step (`existing`: the target exists).
FileProblem writeProblemOf(int error, bool existing);
// The reason a writer gives for `problem`: its own words where it has them (the system's text would
// only repeat them; a read-only file adds the system's text, which says why), else `what` (what was
// being done) followed by the system's text.
std::string writeReason(FileProblem problem, const std::string& what, int error);

// The kind of problem, and the reason, when a file cannot be opened for reading.
FileProblem openProblemOf(int error);
std::string openReason(int error);
// The kind of problem, and the reason, when reading an open file fails.
FileProblem readProblemOf(int error);
std::string readReason(int error);

} // namespace vornak::detail
