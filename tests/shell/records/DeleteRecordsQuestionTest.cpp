// Deleting several referenced records asks once: every record named, every text naming one of them
// from outside the deletion listed once, in file order.
#include "DeleteRecordsQuestion.h"

#include <gtest/gtest.h>

namespace vornak {
namespace {

ReportDefinition referencing() {
    ReportDefinition d;
    d.title = "#P(2)"; // the nine texts hold no codes that count
    d.parameters = {{"A", "#P(2)+#P(3)", ValueKind::List, 0, 1, {{"x", "", "#R(3)"}}},
                    {"B", "#P(3)", ValueKind::List, 0, 1, {}},
                    {"C", "", ValueKind::List, 0, 0, {}},
                    {"D", "#N(2)", ValueKind::List, 0, 1, {}}};
    d.results = {{"R1", "#P(2)*#P(3)"}, {"R2", "#X(1)"}, {"R3", "#X(1)+#X(2)"}};
    return d;
}

std::vector<std::string> places(const std::vector<TextLocation>& where) {
    std::vector<std::string> out;
    for (const TextLocation& w : where) {
        out.push_back(std::to_string(static_cast<int>(w.field)) + ":" + std::to_string(w.record) + "." +
                      std::to_string(w.row));
    }
    return out;
}

TEST(DeleteRecordsQuestionTest, ReferrersOfSeveralAreListedOnceOutsideTheDeletion) {
    const ReportDefinition d = referencing();
    // Deleting 2 and 3: B's own formula names 3 but goes with B.
    EXPECT_EQ(places(referrersOfAll(d, ReferencedRecord::Parameter, {3, 2})),
              places({{TextField::ParameterFormula, 1, 0},
                      {TextField::ValueResult, 1, 1},
                      {TextField::ParameterFormula, 4, 0},
                      {TextField::ResultText, 1, 0}}));
    // Deleting results 1 and 2: only result 3 names them from outside.
    EXPECT_EQ(places(referrersOfAll(d, ReferencedRecord::Result, {1, 2})),
              places({{TextField::ResultText, 3, 0}}));
    EXPECT_TRUE(referrersOfAll(d, ReferencedRecord::Parameter, {1}).empty());
}

TEST(DeleteRecordsQuestionTest, TheQuestionNamesEveryReferencedRecordAndHowManyGo) {
    const ReportDefinition d = referencing();
    const auto referrers = referrersOfAll(d, ReferencedRecord::Parameter, {2, 3});
    const QString question =
        deleteRecordsQuestion(ReferencedRecord::Parameter, {{2, "B"}, {3, "C"}}, 3, referrers, 3);
    EXPECT_EQ(question.toStdString(),
              "Параметры 2 «B», 3 «C» упоминаются в:\n"
              "    Параметр 1, формула\n"
              "    Параметр 1, строка 1, результат\n"
              "    Параметр 4, формула\n"
              "    и ещё 1\n\n"
              "Удалить выбранные параметры (3)? Ссылки на них станут #P(0), #R(0) и #N(0) и "
              "появятся в замечаниях.");
    const QString one = deleteRecordsQuestion(ReferencedRecord::Result, {{1, "R1"}}, 2,
                                              referrersOfAll(d, ReferencedRecord::Result, {1, 3}));
    EXPECT_EQ(one.toStdString(), "Результат 1 «R1» упоминается в:\n"
                                 "    Результат 2\n\n"
                                 "Удалить выбранные результаты (2)? Ссылки на него станут #X(0) и появятся в "
                                 "замечаниях.");
    // One record, one deletion: the single question.
    EXPECT_EQ(
        deleteRecordsQuestion(ReferencedRecord::Result, {{1, "R1"}}, 1, {{TextField::ResultText, 2, 0}}),
        deleteReferencedQuestion(ReferencedRecord::Result, 1, "R1", {{TextField::ResultText, 2, 0}}));
}

} // namespace
} // namespace vornak
