// The editor's one builder of reasons for failed reads and writes: a Russian sentence, starting
// with a capital, made from what the core reports (the kind of problem, the part of the
// definition, the record, the text's field, the line). The core's English sentence stays for the
// command-line tool.
#pragma once

#include "FileProblem.h"

#include <QString>

#include <string_view>

namespace vornak {

// The reason alone, e.g. "Файл обрывается раньше конца описания (параметр № 3, строка 57)."
QString problemReason(FileProblem problem, DefinitionPart part, int record, std::string_view field, int line);
QString problemReason(const LoadError& error);
QString problemReason(const SaveError& error);

} // namespace vornak
