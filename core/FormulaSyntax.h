// The formula language of the usage help, read by the checks: the syntax of formulas and of the
// codes in result texts, and the few text helpers the other checks share. The public entry points
// (checkFormulaSyntax, checkResultSyntax, parseNumber, findNumberedCodes) are in DefinitionChecks.h.
#pragma once

#include "DefinitionChecks.h"

#include <optional>
#include <string_view>
#include <vector>

namespace vornak {

bool isSpace(char c);
bool isBlank(std::string_view text);
std::string_view trimmed(std::string_view text);

// The first syntax mistake of a formula, if any.
std::optional<Finding> firstFormulaMistake(std::string_view formula, const TextLocation& where);
// The mistakes of the codes in a text of plain words, each code on its own.
void checkCodesInText(std::string_view text, const TextLocation& where, std::vector<Finding>& findings);

} // namespace vornak
