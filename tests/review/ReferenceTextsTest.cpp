#include "ReferenceTexts.h"

#include "QStringPrinter.h"

#include <gtest/gtest.h>

using namespace vornak;

TEST(ReferenceTexts, TheDeleteQuestionListsEveryReferrer) {
    const std::vector<TextLocation> referrers{
        {TextField::ParameterFormula, 5, 0},
        {TextField::ValueResult, 2, 3},
        {TextField::ResultText, 1, 0},
    };
    // "Рост" in Windows-1251.
    EXPECT_EQ(deleteReferencedQuestion(ReferencedRecord::Parameter, 3, "\xD0\xEE\xF1\xF2", referrers),
              QStringLiteral("Параметр 3 «Рост» упоминается в:\n"
                             "    Параметр 5, формула\n"
                             "    Параметр 2, строка 3, результат\n"
                             "    Результат 1\n\n"
                             "Удалить параметр? Ссылки на него станут #P(0), #R(0) и #N(0) и появятся в "
                             "замечаниях."));
    EXPECT_EQ(deleteReferencedQuestion(ReferencedRecord::Result, 2, "  ", {{TextField::ResultText, 4, 0}}),
              QStringLiteral("Результат 2 упоминается в:\n"
                             "    Результат 4\n\n"
                             "Удалить результат? Ссылки на него станут #X(0) и появятся в замечаниях."));
}

TEST(ReferenceTexts, ALongListIsCutWithACount) {
    std::vector<TextLocation> referrers;
    for (int i = 1; i <= 30; ++i) {
        referrers.push_back({TextField::ResultText, i, 0});
    }
    const QString question = deleteReferencedQuestion(ReferencedRecord::Result, 31, "x", referrers, 12);
    EXPECT_TRUE(question.contains(QStringLiteral("    Результат 12\n")));
    EXPECT_FALSE(question.contains(QStringLiteral("Результат 13")));
    EXPECT_TRUE(question.contains(QStringLiteral("    и ещё 18\n")));
}

TEST(ReferenceTexts, TheReferrersOfARecordLeaveOutItsOwnTexts) {
    ReportDefinition definition;
    ParameterRecord p;
    p.name = "a";
    p.hasFormula = 1;
    p.formula = "#P(1)*2";
    p.values = {{"1", "", "#R(1)"}, {"2", "", "#X(1)"}};
    definition.parameters.push_back(p);
    p.formula = "#N(1)+#P(2)";
    p.values = {{"1", "", "#X(2)"}};
    definition.parameters.push_back(p);
    definition.results.push_back({"r", "#P(1) #X(1)"});
    definition.results.push_back({"s", "#X(1)"});

    EXPECT_EQ(
        referrersOf(definition, ReferencedRecord::Parameter, 1),
        (std::vector<TextLocation>{{TextField::ParameterFormula, 2, 0}, {TextField::ResultText, 1, 0}}));
    EXPECT_EQ(referrersOf(definition, ReferencedRecord::Parameter, 2), std::vector<TextLocation>{});
    EXPECT_EQ(referrersOf(definition, ReferencedRecord::Result, 1),
              (std::vector<TextLocation>{{TextField::ValueResult, 1, 2}, {TextField::ResultText, 2, 0}}));
    EXPECT_EQ(referrersOf(definition, ReferencedRecord::Result, 2),
              (std::vector<TextLocation>{{TextField::ValueResult, 2, 1}}));
}
