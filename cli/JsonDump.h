// Writes a definition as indented JSON whose keys follow the model's field order, texts as UTF-8.
#pragma once

#include "ReportDefinition.h"

#include <string>

namespace vornak::cli {

std::string definitionToJson(const ReportDefinition& definition);

} // namespace vornak::cli
