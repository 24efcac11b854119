#include "DefinitionChecks.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

} // namespace
} // namespace vornak
