#include "ReferenceTexts.h"

#include "FindingText.h"
#include "TextCodec.h"

#include <QStringList>

namespace vornak {

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
    const QString codes = parameter ? QStringLiteral("#P, #R, #N") : QStringLiteral("#X");
    return QStringLiteral("%1 упоминается в:\n%2\n\nУдалить %3? Коды %4, которые на него ссылаются, "
                          "останутся как есть и появятся в замечаниях.")
        .arg(what, lines.join(QLatin1Char('\n')),
             parameter ? QStringLiteral("параметр") : QStringLiteral("результат"), codes);
}

QString renumberedCodesNote() {
    return QStringLiteral(
        "Номера в кодах формул и результатов изменены, чтобы каждый код указывал на ту же "
        "запись, что и раньше. Коды внутри документа Word редактор не меняет: проверьте их сами.");
}

} // namespace vornak
