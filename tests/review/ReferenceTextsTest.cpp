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
