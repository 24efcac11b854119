#include "DefinitionChecks.h"
#include "TestFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace vornak {
namespace {

using ::testing::HasSubstr;

TEST(FindNumberedCodes, ListsCodesWhoseArgumentIsAPlainInteger) {
    const struct {
        std::string text;
        std::vector<std::pair<char, long long>> codes;
    } cases[] = {
        {"", {}},
        {"#P(1)", {{'P', 1}}},
        {"#P(1) + #R(22)*2 - #N(3) / #X(4)", {{'P', 1}, {'R', 22}, {'N', 3}, {'X', 4}}},
        {"#P( 7 )", {{'P', 7}}},
        {"#P(\t7\t)", {{'P', 7}}},
        {"#P(007)", {{'P', 7}}},
        {"#P(0)", {{'P', 0}}},
        {"#R(-2)", {{'R', -2}}},
        {"#R(+2)", {{'R', 2}}},
        {"#P(99999999999999999999999)", {{'P', 1'000'000'000'000LL}}},
        // Expressions, other codes and malformed codes are not numbered codes.
        {"#P( (1+2)^2 )", {}},
        {"#P(1+2)", {}},
        {"#P(n)", {}},
        {"#P()", {}},
        {"#P(-)", {}},
        {"#P(3", {}},
        {"#P 3)", {}},
        {"#p(3)", {}},
        {"#I(3) #C(4) #S #T", {}},
        {"#", {}},
        {"##P(5)", {{'P', 5}}},
        {"#P(#X(2))", {{'X', 2}}},
        {"\xc2\xc6 #X(12)\xc8", {{'X', 12}}},
    };
    for (const auto& c : cases) {
        std::vector<std::pair<char, long long>> found;
        for (const NumberedCode& code : findNumberedCodes(c.text)) {
            found.emplace_back(code.letter, code.number);
        }
        EXPECT_EQ(found, c.codes) << c.text;
    }
}

TEST(FindNumberedCodes, KeepsTheCodeAsWritten) {
    const std::vector<NumberedCode> codes = findNumberedCodes("1 + #N( 03 )*2");
    ASSERT_EQ(codes.size(), 1u);
    EXPECT_EQ(codes[0].text, "#N( 03 )");
}

// A definition with `parameters` parameters and `results` results, all without codes.
ReportDefinition definitionOfSize(std::size_t parameters, std::size_t results) {
    ReportDefinition definition;
    definition.parameters.resize(parameters);
    for (ParameterRecord& parameter : definition.parameters) {
        parameter.name = "\xd0\xee\xf1\xf2"; // Рост
        parameter.values.resize(1);
    }
    definition.results.resize(results);
    for (ResultRow& result : definition.results) {
        result.name = "\xc8\xf2\xee\xe3"; // Итог
    }
    return definition;
}

// The text goes into the last result, so that #X codes in it (of earlier results) make no circle.
std::vector<Finding> checkResultText(std::size_t parameters, std::size_t results, const std::string& text) {
    ReportDefinition definition = definitionOfSize(parameters, results);
    definition.results.back().result = text;
    return checkDefinition(definition);
}

TEST(CheckDefinition, FlagsCodesThatNameNoParameterOrResult) {
    const struct {
        std::size_t parameters;
        std::size_t results;
        std::string text;
        bool flagged;
    } cases[] = {
        {3, 1, "#P(1)", false},
        {3, 1, "#P(3)", false},
        {3, 1, "#P(4)", true},
        {3, 1, "#P(0)", true},
        {3, 1, "#P(-1)", true},
        {3, 1, "#R(3)", false},
        {3, 1, "#R(4)", true},
        {3, 1, "#N(3)", false},
        {3, 1, "#N(4)", true},
        {3, 1, "#N(0)", true},
        {3, 2, "#X(1)", false},
        {3, 1, "#X(2)", true},
        {0, 1, "#P(1)", true},
        {3, 3, "#X(2)", false},
        {3, 2, "#X(3)", true},
        {3, 1, "#X(0)", true},
        {1, 1, "#P(99999999999999999999)", true},
        {3, 1, "#P( (1+3) )", false},
        {3, 1, "#I(#P(4))", true},
        {3, 1, "#C(x) + #S + #T", false},
    };
    for (const auto& c : cases) {
        const std::vector<Finding> findings = checkResultText(c.parameters, c.results, c.text);
        EXPECT_EQ(findings.size(), c.flagged ? 1u : 0u)
            << c.text << " with " << c.parameters << " parameters";
        if (c.flagged && findings.size() == 1) {
            EXPECT_EQ(describePlace(findings[0]), "result " + std::to_string(c.results));
            EXPECT_THAT(describeFinding(findings[0]), HasSubstr(findNumberedCodes(c.text)[0].text));
        }
    }
}

TEST(CheckDefinition, ReportsEveryOccurrenceAtItsPlace) {
    ReportDefinition definition = definitionOfSize(2, 2);
    definition.parameters[1].hasFormula = 1;
    definition.parameters[1].formula = "#P(3) * #X(3)";
    definition.parameters[0].values.resize(3);
    definition.parameters[0].values[2].result = "#R(9)";
    // Only the result cell counts: value and upper bound are not formulas.
    definition.parameters[0].values[1].value = "#P(9)";
    definition.parameters[0].values[1].upperBound = "#P(9)";
    definition.results[1].result = "#N(0)";
    definition.results[1].name = "#N(0)";

    const std::vector<Finding> findings = checkDefinition(definition);
    std::vector<std::string> places;
    for (const Finding& finding : findings) {
        places.push_back(describePlace(finding));
    }
    EXPECT_EQ(places, (std::vector<std::string>{"parameter 1 value row 3 result", "parameter 2 formula",
                                                "parameter 2 formula", "result 2"}));
}

TEST(CheckDefinition, IgnoresAFormulaThatIsSwitchedOff) {
    ReportDefinition definition = definitionOfSize(1, 1);
    definition.parameters[0].formula = "#P(5)";
    definition.parameters[0].hasFormula = 0;
    EXPECT_TRUE(checkDefinition(definition).empty());
    definition.parameters[0].hasFormula = 1;
    EXPECT_EQ(checkDefinition(definition).size(), 1u);
}

TEST(CheckDefinition, FlagsUnknownKindsAndInputParametersWithSeveralRows) {
    const struct {
        unsigned kind;
        std::size_t rows;
        bool flagged;
        std::string mentions;
    } cases[] = {
        {0, 0, false, ""}, {0, 5, false, ""}, {1, 5, false, ""},     {2, 0, false, ""}, {2, 1, false, ""},
        {2, 2, true, "2"}, {3, 1, true, "3"}, {255, 0, true, "255"}, {7, 4, true, "7"},
    };
    for (const auto& c : cases) {
        ReportDefinition definition = definitionOfSize(2, 0);
        definition.parameters[1].kind = static_cast<ValueKind>(c.kind);
        definition.parameters[1].values.resize(c.rows);
        std::vector<Finding> findings = checkDefinition(definition);
        // Only the kind matters here, not what the empty rows hold.
        std::erase_if(findings, [](const Finding& f) {
            return f.kind != FindingKind::UnknownValueKind && f.kind != FindingKind::InputWithSeveralRows;
        });
        ASSERT_EQ(findings.size(), c.flagged ? 1u : 0u) << "kind " << c.kind << ", " << c.rows << " rows";
        if (c.flagged) {
            EXPECT_EQ(describePlace(findings[0]), "parameter 2");
            EXPECT_THAT(describeFinding(findings[0]), HasSubstr(c.mentions));
        }
    }
}

using test::cp1251;

// What a test expects of one finding: its kind, place and number (detail only where given).
struct Seen {
    FindingKind kind;
    TextLocation where;
    long long number = 0;
    std::string detail = "*";

    bool matches(const Finding& f) const {
        return f.kind == kind && f.where == where && f.number == number &&
               (detail == "*" || f.detail == detail);
    }
};

std::string shown(const std::vector<Finding>& findings) {
    std::string text;
    for (const Finding& f : findings) {
        text += describePlace(f) + ": " + std::string(findingKindName(f.kind)) + " " +
                std::to_string(f.number) + " '" + f.detail + "'; ";
    }
    return text.empty() ? "nothing" : text;
}

void expectFindings(const ReportDefinition& definition, const std::vector<Seen>& expected,
                    const std::string& name) {
    const std::vector<Finding> findings = checkDefinition(definition);
    bool same = findings.size() == expected.size();
    for (std::size_t i = 0; same && i < findings.size(); ++i) {
        same = expected[i].matches(findings[i]);
    }
    EXPECT_TRUE(same) << name << ": found " << shown(findings);
}

// A Range parameter, marked as a number, with the given (lower, upper) rows.
ReportDefinition rangeDefinition(const std::vector<std::pair<std::string, std::string>>& ranges) {
    ReportDefinition definition;
    ParameterRecord parameter;
    parameter.name = cp1251("Передняя высота тела 1 позвонка");
    parameter.kind = ValueKind::Range;
    parameter.isNumber = 1;
    for (const auto& [lower, upper] : ranges) {
        parameter.values.push_back({lower, upper, cp1251("ВЖ")});
    }
    definition.parameters.push_back(parameter);
    definition.results.push_back({cp1251("Рост"), "#R(1)"});
    return definition;
}

TextLocation lowerOf(int row) {
    return {TextField::Value, 1, row};
}

TEST(CheckDefinition, RangeTablesAreNumbersInRisingOrderWithoutGapsOrOverlaps) {
    const struct {
        const char* name;
        std::vector<std::pair<std::string, std::string>> ranges;
        std::vector<Seen> expected;
    } cases[] = {
        {"the help's example", {{"22.2", "23.7"}, {"23.7", "27.7"}}, {}},
        {"decimal commas and spaces", {{" 22,2", "23,7 "}, {"23.7", "27,70"}}, {}},
        {"negative bounds", {{"-10", "-0.5"}, {"-0,5", "0"}, {"0", "1e2"}}, {}},
        {"one range", {{"1", "2"}}, {}},
        {"no ranges", {}, {}},
        {"a bound that is no number",
         {{cp1251("двадцать"), "23.7"}, {"23.7", ""}},
         {{FindingKind::BoundNotNumber, lowerOf(1), 0, cp1251("двадцать")},
          {FindingKind::BoundNotNumber, {TextField::UpperBound, 1, 2}, 0, ""}}},
        {"an empty range", {{"5", "5"}}, {{FindingKind::LowerNotBelowUpper, lowerOf(1)}}},
        {"a reversed range", {{"1", "2"}, {"9", "2"}}, {{FindingKind::LowerNotBelowUpper, lowerOf(2)}}},
        {"out of order but without a gap",
         {{"23.7", "27.7"}, {"22.2", "23.7"}},
         {{FindingKind::RangeOutOfOrder, lowerOf(2), 1}}},
        {"an overlap", {{"0", "10"}, {"5", "15"}}, {{FindingKind::RangesOverlap, lowerOf(2), 1}}},
        {"the same lower bound twice",
         {{"0", "10"}, {"0", "10"}},
         {{FindingKind::RangesOverlap, lowerOf(2), 1}}},
        {"a gap", {{"0", "10"}, {"12", "20"}}, {{FindingKind::RangeGap, lowerOf(2), 1, "10 - 12"}}},
        {"touching in other notations", {{"0", "10"}, {"10.0", "20"}, {"2e1", "30"}}, {}},
        {"a wide range covering narrow ones leaves no gap between them",
         {{"0", "10"}, {"1", "2"}, {"3", "4"}, {"10", "11"}},
         {{FindingKind::RangesOverlap, lowerOf(2), 1}, {FindingKind::RangesOverlap, lowerOf(3), 1}}},
        {"a gap found in rising order, wherever the rows stand",
         {{"20", "30"}, {"0", "10"}},
         {{FindingKind::RangeGap, lowerOf(1), 2, "10 - 20"}, {FindingKind::RangeOutOfOrder, lowerOf(2), 1}}},
        {"unsound rows stay out of the order checks",
         {{"0", "10"}, {"x", "15"}, {"30", "20"}, {"10", "20"}},
         {{FindingKind::BoundNotNumber, lowerOf(2), 0, "x"}, {FindingKind::LowerNotBelowUpper, lowerOf(3)}}},
    };
    for (const auto& c : cases) {
        expectFindings(rangeDefinition(c.ranges), c.expected, c.name);
    }
}

TEST(CheckDefinition, ValuesOfNumberParametersAreNumbers) {
    const struct {
        ValueKind kind;
        std::uint8_t isNumber;
        std::vector<std::string> values;
        std::vector<int> flaggedRows;
    } cases[] = {
        {ValueKind::List, 1, {"1", "2,5", " 3 ", "-4", "1e3"}, {}},
        {ValueKind::List, 1, {"1", cp1251("два"), "", "1 000", cp1251("12 см")}, {2, 3, 4, 5}},
        {ValueKind::List, 0, {cp1251("два"), "", "1 000"}, {}},
        {ValueKind::Input, 1, {""}, {}},
        {ValueKind::Input, 1, {"170"}, {}},
        {ValueKind::Input, 1, {cp1251("рост")}, {1}},
        {ValueKind::Input, 0, {cp1251("рост")}, {}},
        {static_cast<ValueKind>(7), 1, {cp1251("рост")}, {}},
    };
    for (const auto& c : cases) {
        ReportDefinition definition;
        ParameterRecord parameter{cp1251("Длина волоса"), "", c.kind, c.isNumber, 0, {}};
        for (const std::string& value : c.values) {
            parameter.values.push_back({value, "", cp1251("Н")});
        }
        definition.parameters.push_back(parameter);
        std::vector<int> flagged;
        for (const Finding& finding : checkDefinition(definition)) {
            if (finding.kind == FindingKind::ValueNotNumber) {
                EXPECT_EQ(finding.where.field, TextField::Value);
                EXPECT_EQ(finding.detail, c.values[static_cast<std::size_t>(finding.where.row - 1)]);
                flagged.push_back(finding.where.row);
            }
        }
        EXPECT_EQ(flagged, c.flaggedRows) << "kind " << static_cast<int>(c.kind) << ", first " << c.values[0];
    }
}

TEST(CheckDefinition, RecordsAreComplete) {
    ReportDefinition definition;
    ParameterRecord hair{"", "", ValueKind::List, 0, 1, {}};
    for (const char* value : {"черные", "белые", " черные ", "Черные", "", "", "белые"}) {
        hair.values.push_back({cp1251(value), "", "1"});
    }
    ParameterRecord length{"  ", " ", ValueKind::Input, 1, 1, {{"", "", ""}}};
    ParameterRecord unused{cp1251("Возраст"), "", ValueKind::Input, 0, 0, {{"", "", ""}}};
    definition.parameters = {hair, length, unused};
    definition.results = {{"", "#P(3)"}, {cp1251("Рост"), ""}};
    expectFindings(definition,
                   {{FindingKind::EmptyParameterName, {TextField::ParameterName, 1, 0}},
                    {FindingKind::EmptyFormula, {TextField::ParameterFormula, 1, 0}},
                    {FindingKind::DuplicateListValue, {TextField::Value, 1, 3}, 1, cp1251(" черные ")},
                    {FindingKind::DuplicateListValue, {TextField::Value, 1, 7}, 2, cp1251("белые")},
                    {FindingKind::EmptyParameterName, {TextField::ParameterName, 2, 0}},
                    {FindingKind::EmptyFormula, {TextField::ParameterFormula, 2, 0}},
                    {FindingKind::EmptyResultName, {TextField::ResultName, 1, 0}}},
                   "incomplete records");
}

TEST(CheckDefinition, FindsDuplicatesInLongLists) {
    ReportDefinition definition;
    ParameterRecord list{cp1251("Номер"), "", ValueKind::List, 0, 0, {}};
    for (int v = 1; v <= 200; ++v) {
        list.values.push_back({std::to_string(v % 150), "", ""});
    }
    definition.parameters.push_back(list);
    const std::vector<Finding> findings = checkDefinition(definition);
    ASSERT_EQ(findings.size(), 50u);
    EXPECT_EQ(findings.front().where.row, 151);
    EXPECT_EQ(findings.front().number, 1);
    EXPECT_EQ(findings.back().where.row, 200);
    EXPECT_EQ(findings.back().number, 50);
}

ReportDefinition resultsNaming(const std::vector<std::string>& texts) {
    ReportDefinition definition;
    definition.parameters.push_back({cp1251("Рост"), "#X(1)", ValueKind::Input, 0, 1, {{"", "", "#X(1)"}}});
    for (const std::string& text : texts) {
        definition.results.push_back({cp1251("Итог"), text});
    }
    return definition;
}

TEST(CheckDefinition, FindsEachCircleOfResultsOnceAtItsLowestResult) {
    const auto resultText = [](int n) { return TextLocation{TextField::ResultText, n, 0}; };
    const struct {
        const char* name;
        std::vector<std::string> texts;
        std::vector<Seen> expected;
    } cases[] = {
        {"a chain without a circle", {"#X(2)", "#X(3) + #X(3)", "1"}, {}},
        {"a result naming itself",
         {"1", "2", "#X(3)*2"},
         {{FindingKind::ResultCycle, resultText(3), 1, "3 > 3"}}},
        {"two results naming each other",
         {"#X(2)", cp1251("итог #X(1)")},
         {{FindingKind::ResultCycle, resultText(1), 2, "1 > 2 > 1"}}},
        {"a circle reached from outside",
         {"#X(3)", "#X(4)", "#X(2)", "#X(3)"},
         {{FindingKind::ResultCycle, resultText(2), 3, "2 > 4 > 3 > 2"}}},
        {"the shortest way round",
         {"#X(2)", "#X(3) + #X(1)", "#X(1)"},
         {{FindingKind::ResultCycle, resultText(1), 2, "1 > 2 > 1"}}},
        {"two circles",
         {"#X(2)", "#X(1)", "#X(4)", "#X(3)"},
         {{FindingKind::ResultCycle, resultText(1), 2, "1 > 2 > 1"},
          {FindingKind::ResultCycle, resultText(3), 2, "3 > 4 > 3"}}},
        {"expression arguments and other codes make no circle",
         {"#X( (0+1) ) + #R(1) + #P(1)", "#C(#X(2))"},
         {{FindingKind::ResultCycle, resultText(2), 1, "2 > 2"}}},
    };
    for (const auto& c : cases) {
        expectFindings(resultsNaming(c.texts), c.expected, c.name);
    }
}

TEST(CheckDefinition, FindsACircleThroughThousandsOfResults) {
    std::vector<std::string> texts;
    for (int r = 1; r <= 20'000; ++r) {
        texts.push_back("#X(" + std::to_string(r % 20'000 + 1) + ")");
    }
    const std::vector<Finding> findings = checkDefinition(resultsNaming(texts));
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].kind, FindingKind::ResultCycle);
    EXPECT_EQ(findings[0].number, 20'000);
}

// The help's own examples in a definition that has the parameters and results they name.
TEST(CheckDefinition, AFaithfulDefinitionWithTheHelpsExamplesHasNoFindings) {
    ReportDefinition definition = test::exampleDefinition();
    for (int p = 2; p <= 10; ++p) {
        definition.parameters.push_back(
            {cp1251("Волосы"),
             "",
             ValueKind::List,
             0,
             0,
             {{cp1251("черные"), "", cp1251("Ч")}, {cp1251("белые"), "", cp1251("Б")}}});
    }
    definition.parameters[1].hasFormula = 1;
    definition.parameters[1].formula = cp1251("#P(1)+#P(2) + \" см. \" + sin(PI/2) + #P( (1+2)^2 )");
    definition.parameters[2] = {cp1251("Длина волоса"),        "", ValueKind::Input, 1, 0,
                                {{"", "", cp1251("#P(3) см")}}};
    definition.results.push_back({cp1251("Сумма"), cp1251("#P(1) + #P(2) + \" см.\"")});
    definition.results.push_back({cp1251("Вдвое"), "#R(10)*2"});
    definition.results.push_back({cp1251("Число ВЖ"), cp1251("#C(ВЖ)")});
    definition.results.push_back({cp1251("Итог"), cp1251("#X(1), #X(4) из #I(черные); #S / #T")});
    EXPECT_EQ(shown(checkDefinition(definition)), "nothing");
}

TEST(CheckDefinition, ListsFindingsInFileOrder) {
    ReportDefinition definition = rangeDefinition({{"0", "10"}, {"12", "x"}});
    definition.parameters[0].hasFormula = 1;
    definition.parameters[0].formula = "#P(5) + (";
    definition.parameters[0].values[1].result = "#X(9)";
    definition.parameters.push_back({"", "", static_cast<ValueKind>(9), 0, 0, {}});
    definition.results.push_back({"", "#X(2)"});
    std::vector<std::string> places;
    for (const Finding& finding : checkDefinition(definition)) {
        places.push_back(describePlace(finding) + " " + std::string(findingKindName(finding.kind)));
    }
    EXPECT_EQ(places, (std::vector<std::string>{
                          "parameter 1 formula unclosed-parenthesis",
                          "parameter 1 formula code-names-no-parameter",
                          "parameter 1 value row 2 upper bound bound-not-number",
                          "parameter 1 value row 2 result code-names-no-result",
                          "parameter 2 name empty-parameter-name",
                          "parameter 2 unknown-value-kind",
                          "result 2 name empty-result-name",
                          "result 2 result-cycle",
                      }));
}

TEST(Findings, EveryKindHasItsOwnNameAndAnEnglishSentence) {
    std::set<std::string> names;
    for (int k = 0; k <= static_cast<int>(FindingKind::ResultCycle); ++k) {
        const Finding finding{static_cast<FindingKind>(k), {TextField::ValueResult, 2, 3}, 4, "#P(4)", 0};
        const std::string name(findingKindName(finding.kind));
        EXPECT_NE(name, "unknown") << k;
        names.insert(name);
        EXPECT_NE(describeFinding(finding), "unknown problem") << name;
        EXPECT_THAT(describePlace(finding), ::testing::StartsWith("parameter 2")) << name;
    }
    EXPECT_EQ(names.size(), static_cast<std::size_t>(FindingKind::ResultCycle) + 1);
}

} // namespace
} // namespace vornak
