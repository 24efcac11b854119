#include "ReferenceTexts.h"

#include "FindingText.h"
#include "TextCodec.h"

#include <QStringList>

namespace vornak {

std::vector<TextLocation> referrersOf(const ReportDefinition& definition, ReferencedRecord record,
                                      int number) {
    const bool parameter = record == ReferencedRecord::Parameter;
    std::vector<TextLocation> found =
        parameter ? parameterReferences(definition, number) : resultReferences(definition, number);
    std::erase_if(found, [&](const TextLocation& where) {
        if (where.record != number) {
            return false;
        }
        switch (where.field) {
        case TextField::ParameterName:
        case TextField::ParameterFormula:
        case TextField::Value:
        case TextField::UpperBound:
        case TextField::ValueResult:
            return parameter;
        case TextField::ResultName:
        case TextField::ResultText:
            return !parameter;
        case TextField::ReportText:
            return false;
        }
        return false;
    });
    return found;
}

QString deleteReferencedQuestion(ReferencedRecord record, int number, const std::string& name,
                                 const std::vector<TextLocation>& referrers, int shown) {
    const bool parameter = record == ReferencedRecord::Parameter;
    QString what = (parameter ? QStringLiteral("Параметр %1") : QStringLiteral("Результат %1")).arg(number);
    const QString decodedName = TextCodec::decode(name).trimmed();
    if (!decodedName.isEmpty()) {
        constexpr qsizetype longest = 40;
        what += QStringLiteral(" «%1»").arg(
            decodedName.size() > longest ? decodedName.left(longest - 1) + QChar(0x2026) : decodedName);
    }
    QStringList lines;
    const int count = static_cast<int>(referrers.size());
    for (int i = 0; i < count && i < shown; ++i) {
        lines << QStringLiteral("    ") + findingPlaceText(referrers[static_cast<std::size_t>(i)]);
    }
    if (count > shown) {
        lines << QStringLiteral("    и ещё %1").arg(count - shown);
    }
    // The codes that named it are set to 0: left alone, they would name the record that takes its number.
    const QString zeroed = parameter ? QStringLiteral("#P(0), #R(0) и #N(0)") : QStringLiteral("#X(0)");
    return QStringLiteral(
               "%1 упоминается в:\n%2\n\nУдалить %3? Ссылки на него станут %4 и появятся в замечаниях.")
        .arg(what, lines.join(QLatin1Char('\n')),
             parameter ? QStringLiteral("параметр") : QStringLiteral("результат"), zeroed);
}

QString renumberedCodesNote() {
    return QStringLiteral(
        "Номера в кодах формул и результатов изменены, чтобы каждый код указывал на ту же "
        "запись, что и раньше. Коды внутри документа Word редактор не меняет: проверьте их сами.");
}

} // namespace vornak
