// The read-only view that the writer, the table export, the checks and the command line's JSON
// dump take of a definition, so that each is written once for both forms a definition is held
// in: the editor's ReportDefinition and the command line's CompactDefinition.
//
// A view has parameterCount(), parameter(p), resultCount(), result(r) and reportText(i) for
// i = 0..8 in file order. A parameter has name, formula, kind, isNumber, hasFormula and values
// (size() and [v] giving rows with value, upperBound and result); a result has name and result.
// Texts read as std::string_view-convertible values.
#pragma once

#include "ReportDefinition.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace vornak {

// The names of the nine report texts in file order, as the model's members are called.
inline constexpr std::array<const char*, 9> reportTextNames = {
    "title",  "documentFile", "input1Caption", "input2Caption", "surnameCaption",
    "author", "source",       "organisation",  "date"};

class DefinitionAccess {
public:
    explicit DefinitionAccess(const ReportDefinition& definition) : d_(definition) {}

    std::size_t parameterCount() const { return d_.parameters.size(); }
    const ParameterRecord& parameter(std::size_t p) const { return d_.parameters[p]; }
    std::size_t resultCount() const { return d_.results.size(); }
    const ResultRow& result(std::size_t r) const { return d_.results[r]; }
    std::string_view reportText(std::size_t i) const {
        const std::string* texts[] = {&d_.title,         &d_.documentFile,   &d_.input1Caption,
                                      &d_.input2Caption, &d_.surnameCaption, &d_.author,
                                      &d_.source,        &d_.organisation,   &d_.date};
        return *texts[i];
    }

private:
    const ReportDefinition& d_;
};

} // namespace vornak
