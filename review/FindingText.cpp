#include "FindingText.h"

#include "TextCodec.h"

namespace vornak {

namespace {

// Quoted definition text; a long cell is cut so that one finding stays one readable line.
QString quoted(const std::string& bytes) {
    constexpr qsizetype longest = 40;
    QString text = TextCodec::decode(bytes);
    if (text.size() > longest) {
        text = text.left(longest - 1) + QChar(0x2026);
    }
    return QStringLiteral("«") + text + QStringLiteral("»");
}

QString number(long long n) {
    return QString::number(n);
}

// Where in the text a syntax problem starts; a Windows-1251 byte is one character.
QString at(const Finding& finding) {
    return QStringLiteral(" (знак %1)").arg(finding.offset + 1);
}

const char* reportTextName(int record) {
    // The nine report texts in file order.
    static const char* const names[] = {"Заголовок", "Документ", "Ввод 1",      "Ввод 2", "Фамилия",
                                        "Автор",     "Источник", "Организация", "Дата"};
    if (record >= 1 && record <= 9) {
        return names[record - 1];
    }
    return nullptr;
}

} // namespace

bool isRangeFinding(FindingKind kind) {
    switch (kind) {
    case FindingKind::BoundNotNumber:
    case FindingKind::LowerNotBelowUpper:
    case FindingKind::RangeOutOfOrder:
    case FindingKind::RangesOverlap:
    case FindingKind::RangeGap:
        return true;
    default:
        return false;
    }
}

QString findingPlaceText(const TextLocation& where, bool rangeTerms) {
    const QString parameter = QStringLiteral("Параметр %1").arg(where.record);
    const QString row = QStringLiteral("%1, строка %2").arg(parameter).arg(where.row);
    const QString result = QStringLiteral("Результат %1").arg(where.record);
    switch (where.field) {
    case TextField::ParameterName:
        return parameter;
    case TextField::ParameterFormula:
        return parameter + QStringLiteral(", формула");
    case TextField::Value:
        return row + (rangeTerms ? QStringLiteral(", нижняя граница") : QStringLiteral(", значение"));
    case TextField::UpperBound:
        return row + QStringLiteral(", верхняя граница");
    case TextField::ValueResult:
        return row + QStringLiteral(", результат");
    case TextField::ResultName:
        return result + QStringLiteral(", название");
    case TextField::ResultText:
        return result;
    case TextField::ReportText:
        if (const char* name = reportTextName(where.record)) {
            return QString::fromUtf8(name);
        }
        return QStringLiteral("Текст %1").arg(where.record);
    }
    return QStringLiteral("Текст");
}

QString findingProblemText(const Finding& finding) {
    const long long n = finding.number;
    switch (finding.kind) {
    case FindingKind::CodeNamesNoParameter:
        if (n < 1) {
            return QStringLiteral("%1: параметры нумеруются с 1").arg(quoted(finding.detail));
        }
        return QStringLiteral("%1: параметра %2 нет").arg(quoted(finding.detail), number(n));
    case FindingKind::CodeNamesNoResult:
        if (n < 1) {
            return QStringLiteral("%1: результаты нумеруются с 1").arg(quoted(finding.detail));
        }
        return QStringLiteral("%1: результата %2 нет").arg(quoted(finding.detail), number(n));
    case FindingKind::UnknownValueKind:
        return QStringLiteral("неизвестный тип значения %1 (бывают 0 — список, 1 — диапазон, 2 — ввод)")
            .arg(number(n));
    case FindingKind::InputWithSeveralRows:
        return QStringLiteral("у типа «Ввод» одна строка значений, а здесь их %1").arg(number(n));

    case FindingKind::UnclosedParenthesis:
        return QStringLiteral("не закрыта скобка «(»") + at(finding);
    case FindingKind::UnmatchedParenthesis:
        return QStringLiteral("лишняя закрывающая скобка «)»") + at(finding);
    case FindingKind::EmptyParentheses:
        return QStringLiteral("пустые скобки «()»") + at(finding);
    case FindingKind::UnclosedQuote:
        return QStringLiteral("не закрыта кавычка") + at(finding);
    case FindingKind::UnknownFunction:
        return QStringLiteral("неизвестная функция %1").arg(quoted(finding.detail)) + at(finding);
    case FindingKind::FunctionWithoutArgument:
        return QStringLiteral("у функции %1 нет аргумента в скобках").arg(quoted(finding.detail)) +
               at(finding);
    case FindingKind::UnknownName:
        return QStringLiteral("неизвестное имя %1").arg(quoted(finding.detail)) + at(finding);
    case FindingKind::UnknownCode:
        return QStringLiteral("неизвестный код %1").arg(quoted(finding.detail)) + at(finding);
    case FindingKind::CodeWithoutArgument:
        return QStringLiteral("у кода %1 нет аргумента в скобках").arg(quoted(finding.detail)) + at(finding);
    case FindingKind::MissingOperand:
        return QStringLiteral("у знака %1 не хватает операнда").arg(quoted(finding.detail)) + at(finding);
    case FindingKind::MissingOperator:
        return QStringLiteral("не хватает знака действия перед %1").arg(quoted(finding.detail)) + at(finding);
    case FindingKind::UnexpectedCharacter:
        return QStringLiteral("недопустимый символ %1").arg(quoted(finding.detail)) + at(finding);

    case FindingKind::BoundNotNumber:
        return QStringLiteral("%1 — не число").arg(quoted(finding.detail));
    case FindingKind::LowerNotBelowUpper:
        return QStringLiteral("нижняя граница не меньше верхней");
    case FindingKind::RangeOutOfOrder:
        return QStringLiteral("диапазон начинается ниже диапазона строки %1").arg(number(n));
    case FindingKind::RangesOverlap:
        return QStringLiteral("диапазон перекрывается с диапазоном строки %1").arg(number(n));
    case FindingKind::RangeGap:
        return QStringLiteral("промежуток %1 после строки %2 не покрыт ни одним диапазоном")
            .arg(quoted(finding.detail), number(n));

    case FindingKind::ValueNotNumber:
        return QStringLiteral("параметр отмечен как «Число», а %1 — не число").arg(quoted(finding.detail));

    case FindingKind::EmptyParameterName:
    case FindingKind::EmptyResultName:
        return QStringLiteral("пустое название");
    case FindingKind::EmptyFormula:
        return QStringLiteral("флажок «Формула» установлен, а формула пуста");
    case FindingKind::DuplicateListValue:
        return QStringLiteral("значение %1 уже есть в строке %2").arg(quoted(finding.detail), number(n));
    case FindingKind::ResultCycle:
        return QStringLiteral("результаты ссылаются друг на друга по кругу: %1")
            .arg(TextCodec::decode(finding.detail).replace(QLatin1Char('>'), QChar(0x2192)));
    }
    // A kind this editor does not know yet (a newer core): still say where.
    return QStringLiteral("замечание вида %1").arg(static_cast<int>(finding.kind));
}

QString findingText(const Finding& finding) {
    return findingPlaceText(finding.where, isRangeFinding(finding.kind)) + QStringLiteral(": ") +
           findingProblemText(finding);
}

} // namespace vornak
