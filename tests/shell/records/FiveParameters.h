// The definition the row tests start from, and its parameters' names in order.
#pragma once

#include "ReportDefinition.h"

#include <string>

namespace vornak::testing {

// Five parameters A to E of one row each; the result names the fourth and fifth, so deleting
// them asks first and moving them renumbers its codes.
inline ReportDefinition fiveParameters() {
    ReportDefinition d;
    for (const char* name : {"A", "B", "C", "D", "E"}) {
        d.parameters.push_back({name, "", ValueKind::List, 0, 0, {{"1", "", "x"}}});
    }
    d.results = {{"Sum", "#P(4)+#P(5)"}};
    return d;
}

inline std::string names(const ReportDefinition& d) {
    std::string all;
    for (const ParameterRecord& p : d.parameters) {
        all += p.name;
    }
    return all;
}

} // namespace vornak::testing
