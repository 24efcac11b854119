// Writes a definition as indented JSON whose keys follow the model's field order, texts as UTF-8.
#pragma once

#include "CompactDefinition.h"
#include "ReportDefinition.h"

#include <nlohmann/json_fwd.hpp>

#include <iosfwd>
#include <string>

namespace vornak::cli {

std::string definitionToJson(const ReportDefinition& definition);
// The same JSON for a definition read compactly, written to `out` piece by piece.
void writeDefinitionJson(const CompactDefinition& definition, std::ostream& out);

// One JSON value on one line, strings as UTF-8.
std::string jsonText(const nlohmann::json& value);
// A JSON document laid out with four spaces a level, keys in the value's order, and a line end
// after it; an empty array or object still opens and closes on lines of its own.
std::string indentedJson(const nlohmann::json& value);

} // namespace vornak::cli
