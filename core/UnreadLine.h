// Why a line of a definition file could not be read, worded the same by both readers (the
// editor's model and the command line's compact definition).
#pragma once

#include "FileProblem.h"
#include "LineSource.h"

#include <string>

namespace vornak {

// Where in the definition a line was expected, for the message when it cannot be read; the text
// is put together only then.
struct LinePlace {
    const char* what;
    int number = 0; // a record's number, or 0 for none

    std::string text() const;
};

// The error for a line the source did not deliver (`status` is not Line): the line number, the
// reason and the problem, with the part and record reading had reached.
LoadError unreadLineError(const LineSource& source, LineSource::Status status, const LinePlace& where,
                          DefinitionPart part, int record);

} // namespace vornak
