// The differences between two definitions worded for a reviewer, in Russian and UTF-8, one line
// each: "Параметр 3 «Пол», строка 2, результат: «средний» → «ниже среднего»". Shared by vornak-cli
// and the editor.
#pragma once

#include "DefinitionComparison.h"

#include <string>

namespace vornak {

// Where the difference is, e.g. "Параметр 3 «Пол», строка 2, результат".
std::string differencePlace(const Difference& difference);
// The whole line.
std::string describeDifference(const Difference& difference);
// A stable identifier of the kind of difference for scripts: "changed", "inserted", "removed",
// "moved"; and of what it is about: "report-text", "parameter", "parameter-name", ...
std::string differenceKindName(DifferenceKind kind);
std::string differencePartName(DifferencePart part);

} // namespace vornak
