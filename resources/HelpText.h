// The usage help window's text: what the runner program understands in formulas and documents.
#pragma once

#include <QString>
#include <array>

namespace vornak {

// The eight pieces in their order (list kind, range kind, input kind, computed codes, functions,
// strings, examples, Word codes), each with its own CR LF where it starts or ends a line.
const std::array<QString, 8>& helpTextPieces();

// The whole text: the pieces joined as they are, CR LF between lines, none after the last.
const QString& helpText();

} // namespace vornak
