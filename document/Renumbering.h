// The number each record gets when records are inserted, removed or moved: the mappings that the
// core's renumbering of codes takes (entry n-1 is record n's new number, 0 when it is gone).
#pragma once

#include "DefinitionText.h"

#include <vector>

namespace vornak {

// `count` records before the change; positions are 0-based.
std::vector<int> numbersAfterInsert(int count, int position);
std::vector<int> numbersAfterRemove(int count, int position);
std::vector<int> numbersAfterMove(int count, int from, int to);

// How many codes (#P #R #N #X with a plain number) the rewrites changed.
int countChangedCodes(const std::vector<TextChange>& changes);

} // namespace vornak
