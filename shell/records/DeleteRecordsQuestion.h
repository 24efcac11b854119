// The one question before deleting several parameters or results of which some are named by codes
// elsewhere: which of them are named, where (the texts outside the records being deleted), and what
// becomes of those codes.
#pragma once

#include "ReferenceTexts.h"

#include <QString>

#include <string>
#include <vector>

namespace vornak {

// The texts outside the records `numbers` (1-based) that name any of them, each once, in file order.
std::vector<TextLocation> referrersOfAll(const ReportDefinition& definition, ReferencedRecord record,
                                         const std::vector<int>& numbers);

struct NamedRecord {
    int number = 0;
    std::string name; // Windows-1251 bytes
};

// "Параметры 2 «Рост», 5 «Вес» упоминаются в: … Удалить выбранные параметры (3)? …": the records that
// are named, the referrers one a line (at most `shown`, then how many more), how many records the
// deletion takes, and what becomes of the codes. With one record named and one deleted it is the
// question a single deletion asks.
QString deleteRecordsQuestion(ReferencedRecord record, const std::vector<NamedRecord>& named, int deleting,
                              const std::vector<TextLocation>& referrers, int shown = 12);

} // namespace vornak
