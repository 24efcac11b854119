// Finds what a definition file may hold but the runner would stumble on: formula codes that name
// a parameter or result that does not exist, unknown value kinds, Input parameters with several rows.
#pragma once

#include "ReportDefinition.h"

#include <string>
#include <vector>

namespace vornak::cli {

struct Finding {
    std::string place;   // e.g. "parameter 2 formula", "parameter 1 value row 3 result", "result 1"
    std::string problem; // UTF-8 sentence

    bool operator==(const Finding&) const = default;
};

// One code with a plain integer argument, as it appears in a formula or result text.
struct NumberedCode {
    char letter = 0;      // 'P', 'R', 'N' or 'X'
    std::string text;     // the code as written, e.g. "#P( 12 )"
    long long number = 0; // its argument, clamped to +-1e12 so that huge numbers stay out of range
};

// Every #P(n), #R(n), #N(n) and #X(n) in the text whose argument is a plain integer (optional
// spaces and sign around decimal digits). Codes with an expression as argument are not listed.
std::vector<NumberedCode> findNumberedCodes(const std::string& text);

// The findings for a whole definition, in file order.
std::vector<Finding> checkDefinition(const ReportDefinition& definition);

} // namespace vornak::cli
