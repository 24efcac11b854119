// What the editor says about references: the question before deleting a parameter or result that
// other texts name, and the note after a renumbering changed codes.
#pragma once

#include "DefinitionText.h"

#include <QString>

#include <string>
#include <vector>

namespace vornak {

enum class ReferencedRecord { Parameter, Result };

// The texts outside the record that name parameter (or result) `number`: what deleting it would
// leave pointing at nothing. Its own texts go with it and are not listed.
std::vector<TextLocation> referrersOf(const ReportDefinition& definition, ReferencedRecord record,
                                      int number);

// "Параметр 3 «Рост» упоминается в: …. Удалить параметр?": the referrers one a line (at most
// `shown`, then how many more), and what becomes of their codes.
QString deleteReferencedQuestion(ReferencedRecord record, int number, const std::string& name,
                                 const std::vector<TextLocation>& referrers, int shown = 12);

// Said once, after the first edit whose renumbering changed codes.
QString renumberedCodesNote();

} // namespace vornak
