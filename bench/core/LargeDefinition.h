// A large, realistic definition for the benchmarks: Cyrillic texts in Windows-1251, a mix of value
// kinds and formulas, built the same way on every run.
#pragma once

#include "ReportDefinition.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vornak::bench {

// UTF-8 Russian text (ASCII, Cyrillic, Ё, ё, №, em dash, ±) as Windows-1251 bytes.
std::string toWindows1251(std::string_view utf8);

ReportDefinition makeLargeDefinition(std::size_t parameters, std::size_t rowsPerParameter);

// The file of a 10,000 × 20 large definition that the core benchmarks share, written once per run
// into $VORNAK_BENCH_DIR (or the temporary folder), and a path beside it for outputs.
const std::string& largeDefinitionFile();
std::string benchScratchPath(const char* name);

} // namespace vornak::bench
