#include "FindingText.h"

#include "QStringPrinter.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <set>

using namespace vornak;

namespace {

Finding finding(FindingKind kind, TextLocation where, std::string detail = {}, long long number = 0,
                std::size_t offset = 0) {
    Finding f;
    f.kind = kind;
    f.where = where;
    f.detail = std::move(detail);
    f.number = number;
    f.offset = offset;
    return f;
}

} // namespace

TEST(FindingText, NamesEveryPlace) {
    const struct {
        TextLocation where;
        bool rangeTerms;
        const char* text;
    } cases[] = {
        {{TextField::ParameterName, 3, 0}, false, "Параметр 3"},
        {{TextField::ParameterFormula, 12, 0}, false, "Параметр 12, формула"},
        {{TextField::Value, 3, 2}, false, "Параметр 3, строка 2, значение"},
        {{TextField::Value, 3, 2}, true, "Параметр 3, строка 2, нижняя граница"},
        {{TextField::UpperBound, 3, 2}, true, "Параметр 3, строка 2, верхняя граница"},
        {{TextField::ValueResult, 1, 7}, false, "Параметр 1, строка 7, результат"},
        {{TextField::ResultName, 4, 0}, false, "Результат 4, название"},
        {{TextField::ResultText, 1, 0}, false, "Результат 1"},
        {{TextField::ReportText, 1, 0}, false, "Заголовок"},
        {{TextField::ReportText, 9, 0}, false, "Дата"},
        {{TextField::ReportText, 10, 0}, false, "Текст 10"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(findingPlaceText(c.where, c.rangeTerms), QString::fromUtf8(c.text)) << c.text;
    }
}

TEST(FindingText, WordsFindingsWithTheirPlaceAndDetail) {
    const TextLocation formula{TextField::ParameterFormula, 2, 0};
    const TextLocation lower{TextField::Value, 3, 2};
    const TextLocation result{TextField::ResultText, 1, 0};
    const struct {
        Finding finding;
        const char* text;
    } cases[] = {
        {finding(FindingKind::UnclosedParenthesis, formula, "(", 0, 6),
         "Параметр 2, формула: не закрыта скобка «(» (знак 7)"},
        {finding(FindingKind::UnknownFunction, formula, "sinn", 0, 0),
         "Параметр 2, формула: неизвестная функция «sinn» (знак 1)"},
        {finding(FindingKind::CodeNamesNoParameter, result, "#P(9)", 9),
         "Результат 1: «#P(9)»: параметра 9 нет"},
        {finding(FindingKind::CodeNamesNoParameter, result, "#P(0)", 0),
         "Результат 1: «#P(0)»: параметры нумеруются с 1"},
        {finding(FindingKind::CodeNamesNoResult, result, "#X(-2)", -2),
         "Результат 1: «#X(-2)»: результаты нумеруются с 1"},
        // Range findings name the first cell the lower bound; texts come as Windows-1251 bytes.
        {finding(FindingKind::BoundNotNumber, lower, "\xE4\xE2\xE0"),
         "Параметр 3, строка 2, нижняя граница: «два» — не число"},
        {finding(FindingKind::ValueNotNumber, lower, "\xE4\xE2\xE0"),
         "Параметр 3, строка 2, значение: параметр отмечен как «Число», а «два» — не число"},
        {finding(FindingKind::InputWithSeveralRows, {TextField::ParameterName, 4, 0}, {}, 3),
         "Параметр 4: у типа «Ввод» одна строка значений, а здесь их 3"},
        {finding(FindingKind::ResultCycle, result, "1 > 3 > 1"),
         "Результат 1: результаты ссылаются друг на друга по кругу: 1 → 3 → 1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(findingText(c.finding), QString::fromUtf8(c.text)) << c.text;
    }
}

TEST(FindingText, ShortensALongQuotedText) {
    const std::string longValue(300, 'x');
    const QString text =
        findingProblemText(finding(FindingKind::BoundNotNumber, {TextField::UpperBound, 1, 1}, longValue));
    EXPECT_LT(text.size(), 60);
    EXPECT_TRUE(text.contains(QChar(0x2026)));
    EXPECT_TRUE(text.startsWith(QStringLiteral("«xxxxxxxx")));
}

// Every kind the core declares has wording of its own: a kind added to the core without it fails here.
TEST(FindingText, EveryKindOfTheCoreHasItsOwnWording) {
    const std::string_view undeclared = findingKindName(static_cast<FindingKind>(255));
    std::set<QString> wordings;
    int declared = 0;
    for (int value = 0; value < 255; ++value) {
        const auto kind = static_cast<FindingKind>(value);
        if (findingKindName(kind) == undeclared) {
            continue;
        }
        ++declared;
        const Finding f = finding(kind, {TextField::ParameterFormula, 1, 0}, "d", 2, 0);
        const QString text = findingProblemText(f);
        EXPECT_FALSE(text.startsWith(QStringLiteral("замечание вида"))) << findingKindName(kind);
        EXPECT_FALSE(text.isEmpty()) << findingKindName(kind);
        wordings.insert(text);
    }
    EXPECT_GE(declared, 27);
    // Only the two empty-name kinds share a sentence (their places differ).
    EXPECT_EQ(static_cast<int>(wordings.size()), declared - 1);
}

// The core's own findings read as sentences: its numbers and details land where the wording expects.
TEST(FindingText, WordsWhatTheChecksFind) {
    ReportDefinition definition;
    ParameterRecord height;
    height.name = "\xD0\xEE\xF1\xF2"; // "Рост"
    height.kind = ValueKind::Range;
    height.values = {{"0", "150", "a"}, {"160", "170", "b"}, {"165", "180", "c"}, {"x", "190", "d"}};
    definition.parameters.push_back(height);
    ParameterRecord formula;
    formula.name = "f";
    formula.hasFormula = 1;
    formula.formula = "sin(#P(1)";
    formula.values = {{"1", "", "#P(7)"}};
    definition.parameters.push_back(formula);
    definition.results.push_back({"", "#X(1)"});

    QStringList texts;
    for (const Finding& f : checkDefinition(definition)) {
        texts << findingText(f);
    }
    EXPECT_EQ(texts, (QStringList{
                         QStringLiteral("Параметр 1, строка 2, нижняя граница: промежуток «150 - 160» после "
                                        "строки 1 не покрыт ни одним диапазоном"),
                         QStringLiteral("Параметр 1, строка 3, нижняя граница: диапазон перекрывается с "
                                        "диапазоном строки 2"),
                         QStringLiteral("Параметр 1, строка 4, нижняя граница: «x» — не число"),
                         QStringLiteral("Параметр 2, формула: не закрыта скобка «(» (знак 4)"),
                         QStringLiteral("Параметр 2, строка 1, результат: «#P(7)»: параметра 7 нет"),
                         QStringLiteral("Результат 1, название: пустое название"),
                         QStringLiteral("Результат 1: результаты ссылаются друг на друга по кругу: 1 → 1"),
                     }))
        << texts.join(QLatin1Char('\n')).toStdString();
}
