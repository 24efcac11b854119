#include "DeleteRecordsQuestion.h"

#include "FindingText.h"
#include "TextCodec.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <set>

namespace vornak {

namespace {

// File order: the nine texts, then the parameters with their rows, then the results.
std::array<int, 4> fileOrderKey(const TextLocation& where) {
    const int field = static_cast<int>(where.field);
    switch (where.field) {
    case TextField::ReportText:
        return {0, where.record, 0, 0};
    case TextField::ResultName:
    case TextField::ResultText:
        return {2, where.record, 0, field};
    default:
        return {1, where.record, where.row, field};
    }
}

bool belongsTo(const TextLocation& where, ReferencedRecord record) {
    switch (where.field) {
    case TextField::ReportText:
        return false;
    case TextField::ResultName:
    case TextField::ResultText:
        return record == ReferencedRecord::Result;
    default:
        return record == ReferencedRecord::Parameter;
    }
}

QString shortName(const std::string& bytes) {
    const QString name = TextCodec::decode(bytes).trimmed();
    constexpr qsizetype longest = 40;
    return name.size() > longest ? name.left(longest - 1) + QChar(0x2026) : name;
}

} // namespace

std::vector<TextLocation> referrersOfAll(const ReportDefinition& definition, ReferencedRecord record,
                                         const std::vector<int>& numbers) {
    const std::set<int> deleted(numbers.begin(), numbers.end());
    std::vector<TextLocation> all;
    for (const int number : deleted) {
        for (const TextLocation& where : referrersOf(definition, record, number)) {
            // A text of another record being deleted goes with it.
            if (belongsTo(where, record) && deleted.contains(where.record)) {
                continue;
            }
            all.push_back(where);
        }
    }
    std::sort(all.begin(), all.end(),
              [](const TextLocation& a, const TextLocation& b) { return fileOrderKey(a) < fileOrderKey(b); });
    all.erase(std::unique(all.begin(), all.end()), all.end());
    return all;
}

QString deleteRecordsQuestion(ReferencedRecord record, const std::vector<NamedRecord>& named, int deleting,
                              const std::vector<TextLocation>& referrers, int shown) {
    const bool parameter = record == ReferencedRecord::Parameter;
    if (named.size() == 1 && deleting <= 1) {
        return deleteReferencedQuestion(record, named.front().number, named.front().name, referrers, shown);
    }
    QStringList records;
    for (const NamedRecord& r : named) {
        const QString name = shortName(r.name);
        records << (name.isEmpty() ? QString::number(r.number)
                                   : QStringLiteral("%1 «%2»").arg(r.number).arg(name));
    }
    const bool several = named.size() > 1;
    const QString what =
        (parameter ? (several ? QStringLiteral("Параметры") : QStringLiteral("Параметр"))
                   : (several ? QStringLiteral("Результаты") : QStringLiteral("Результат"))) +
        QLatin1Char(' ') + records.join(QStringLiteral(", "));
    QStringList lines;
    const int count = static_cast<int>(referrers.size());
    for (int i = 0; i < count && i < shown; ++i) {
        lines << QStringLiteral("    ") + findingPlaceText(referrers[static_cast<std::size_t>(i)]);
    }
    if (count > shown) {
        lines << QStringLiteral("    и ещё %1").arg(count - shown);
    }
    const QString deleted = parameter ? QStringLiteral("выбранные параметры (%1)").arg(deleting)
                                      : QStringLiteral("выбранные результаты (%1)").arg(deleting);
    const QString zeroed = parameter ? QStringLiteral("#P(0), #R(0) и #N(0)") : QStringLiteral("#X(0)");
    return QStringLiteral("%1 %2 в:\n%3\n\nУдалить %4? Ссылки на %5 станут %6 и появятся в замечаниях.")
        .arg(what, several ? QStringLiteral("упоминаются") : QStringLiteral("упоминается"),
             lines.join(QLatin1Char('\n')), deleted, several ? QStringLiteral("них") : QStringLiteral("него"),
             zeroed);
}

} // namespace vornak
