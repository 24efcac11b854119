// Counting what a renumbering of codes changed (the mappings themselves come from the core's
// numbersAfterInsert, numbersAfterErase and numbersAfterMove).
#pragma once

#include "DefinitionText.h"

#include <vector>

namespace vornak {

// How many codes (#P #R #N #X with a plain number) the rewrites changed.
int countChangedCodes(const std::vector<TextChange>& changes);

} // namespace vornak
