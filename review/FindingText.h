// The Russian wording of the definition checks' findings, as the editor shows them: the place
// ("Параметр 3, строка 2, верхняя граница") and one sentence saying what is wrong.
#pragma once

#include "DefinitionChecks.h"

#include <QString>

namespace vornak {

// Where a text lies, in words. Range terms name a value row's first two cells "нижняя граница" and
// "верхняя граница" instead of "значение" and "верхняя граница".
QString findingPlaceText(const TextLocation& where, bool rangeTerms = false);

// What is wrong, without the place: "не закрыта скобка «(» (знак 7)".
QString findingProblemText(const Finding& finding);

// The place and the problem: "Параметр 3, формула: не закрыта скобка «(» (знак 7)".
QString findingText(const Finding& finding);

// True for the kinds that are about a range table, whose places use range terms.
bool isRangeFinding(FindingKind kind);

} // namespace vornak
