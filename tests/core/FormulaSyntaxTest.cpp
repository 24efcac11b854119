// The syntax of formulas and of the codes in result texts, in the language the usage help
// describes, and the reading of numbers.
#include "DefinitionChecks.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace vornak {
namespace {

using test::cp1251;

struct Expected {
    FindingKind kind;
    std::string detail;
    std::size_t offset;
};

std::string shown(const std::vector<Finding>& findings) {
    std::string text;
    for (const Finding& f : findings) {
        text += std::string(findingKindName(f.kind)) + " '" + f.detail + "' at " + std::to_string(f.offset) +
                "; ";
    }
    return text.empty() ? "nothing" : text;
}

TEST(FormulaSyntax, AcceptsTheUsageHelpsExamplesAndWhatItLeavesOpen) {
    const std::string formulas[] = {
        // The help's own examples.
        cp1251("#P(1) + #P(2) + \" см.\""),
        "#R(10)*2",
        cp1251("#C(ВЖ)"),
        cp1251("#P(1)+#P(2) + \" см. \" + sin(PI/2) + #P( (1+2)^2 )"),
        // Every code, function and operator it lists.
        "#I(Str) + #C(Str) + #S + #T + #X(1) + #N(1)",
        "sin(1)+cos(1)+tan(1)+cot(1)+asin(0)+acos(0)+atan(1)+sqrt(4)+exp(1)+abs(-1)+ceil(1.5)+floor(1.5)+lg("
        "10)+ln(2)",
        "2^3^2 - 4/2*PI",
        "(#P(3) - 22.5) * 1.17 + 154.6",
        "#S / 2 + sin(PI/2)",
        cp1251("#N(4) + \": \" + #R(4)"),
        // What the help does not rule out: spaces anywhere, a decimal comma, signs, case, exponents.
        "  #P( 1 )*2  ",
        "#P (1) + sqrt ( 4 )",
        "2,5 * #P(1)",
        ".5 + 5. + 1e3 + 2E-2",
        "-#P(1) + +2 * -3 ^ -1",
        "SIN(pi) + Sqrt(4)",
        "((((#P(1)))))",
        "#P(#P(1))",
        cp1251("#C( ВЖ ) + #I(\"Н\") + #I(a(b)c)"),
        // Anything goes inside a string.
        "\"(#Q + ) \" + \"\"",
    };
    for (const std::string& formula : formulas) {
        EXPECT_EQ(shown(checkFormulaSyntax(formula)), "nothing") << formula;
    }
}

TEST(FormulaSyntax, ReportsTheFirstMistakeWithItsKindAndPlace) {
    const struct {
        std::string formula;
        Expected expected;
    } cases[] = {
        {"(#P(1) + 2", {FindingKind::UnclosedParenthesis, "(", 0}},
        {"sin(2 * (1 + 2)", {FindingKind::UnclosedParenthesis, "(", 3}},
        {"#P(", {FindingKind::UnclosedParenthesis, "(", 2}},
        {cp1251("#C(ВЖ"), {FindingKind::UnclosedParenthesis, "(", 2}},
        {"#P(1) + 2)", {FindingKind::UnmatchedParenthesis, ")", 9}},
        {")", {FindingKind::UnmatchedParenthesis, ")", 0}},
        {"()", {FindingKind::EmptyParentheses, "()", 0}},
        {"2 * ( )", {FindingKind::EmptyParentheses, "()", 4}},
        {cp1251("#P(1) + \" см."), {FindingKind::UnclosedQuote, "\"", 8}},
        {"sinus(1)", {FindingKind::UnknownFunction, "sinus", 0}},
        {"2 + log(10)", {FindingKind::UnknownFunction, "log", 4}},
        {"sqrt 4", {FindingKind::FunctionWithoutArgument, "sqrt", 0}},
        {"1 + sin()", {FindingKind::FunctionWithoutArgument, "sin", 4}},
        {"x + 1", {FindingKind::UnknownName, "x", 0}},
        {cp1251("#P(1) + см"), {FindingKind::UnknownName, cp1251("см"), 8}},
        {"#Q(1)", {FindingKind::UnknownCode, "#Q", 0}},
        {"#p(1)", {FindingKind::UnknownCode, "#p", 0}},
        {"2 + #", {FindingKind::UnknownCode, "#", 4}},
        {cp1251("#Р(1)"), {FindingKind::UnknownCode, cp1251("#Р"), 0}}, // a Cyrillic Р
        {"#P", {FindingKind::CodeWithoutArgument, "#P", 0}},
        {"#R + 1", {FindingKind::CodeWithoutArgument, "#R", 0}},
        {"#X()", {FindingKind::CodeWithoutArgument, "#X", 0}},
        {"#C( )", {FindingKind::CodeWithoutArgument, "#C", 0}},
        {"#I", {FindingKind::CodeWithoutArgument, "#I", 0}},
        {"#P(1) +", {FindingKind::MissingOperand, "+", 6}},
        {"* #P(1)", {FindingKind::MissingOperand, "*", 0}},
        {"#P(1) * / 2", {FindingKind::MissingOperand, "/", 8}},
        {"#P(1 + )", {FindingKind::MissingOperand, "+", 5}},
        {"-", {FindingKind::MissingOperand, "-", 0}},
        {"2 ^", {FindingKind::MissingOperand, "^", 2}},
        {"#P(1) #P(2)", {FindingKind::MissingOperator, "#P", 6}},
        {"2 3", {FindingKind::MissingOperator, "3", 2}},
        {"(1)(2)", {FindingKind::MissingOperator, "(", 3}},
        {"2PI", {FindingKind::MissingOperator, "PI", 1}},
        {"#P(1) = 2", {FindingKind::UnexpectedCharacter, "=", 6}},
        {"#P(1), #P(2)", {FindingKind::UnexpectedCharacter, ",", 5}},
        {"5 % 2", {FindingKind::UnexpectedCharacter, "%", 2}},
        // Only the first of several mistakes.
        {"(sinus(1) + ", {FindingKind::UnknownFunction, "sinus", 1}},
    };
    const TextLocation where{TextField::ParameterFormula, 3, 0};
    for (const auto& c : cases) {
        const std::vector<Finding> findings = checkFormulaSyntax(c.formula, where);
        ASSERT_EQ(findings.size(), 1u) << c.formula << ": " << shown(findings);
        EXPECT_EQ(shown(findings), shown(std::vector<Finding>{
                                       {c.expected.kind, where, 0, c.expected.detail, c.expected.offset}}))
            << c.formula;
        EXPECT_EQ(findings[0].where, where);
    }
}

TEST(FormulaSyntax, SurvivesDeepNestingAndLongTexts) {
    const std::string open(200'000, '(');
    const std::string close(200'000, ')');
    EXPECT_EQ(shown(checkFormulaSyntax(open + "1" + close)), "nothing");
    const std::vector<Finding> unclosed = checkFormulaSyntax(open + "1");
    ASSERT_EQ(unclosed.size(), 1u);
    EXPECT_EQ(unclosed[0].kind, FindingKind::UnclosedParenthesis);
    EXPECT_EQ(unclosed[0].offset, 199'999u); // the innermost
    EXPECT_TRUE(checkFormulaSyntax("").empty());
    EXPECT_TRUE(checkFormulaSyntax("   ").empty());
}

TEST(ResultSyntax, JudgesOnlyTheCodesInPlainWords) {
    const struct {
        std::string text;
        std::vector<Expected> expected;
    } cases[] = {
        {cp1251("ВЖ, выше среднего"), {}},
        {cp1251("Рост 170 см (+-3,5) = ? ; 5 % случаев"), {}},
        {cp1251("№ 5 #, #1, a#b, #q, #Я"), {}}, // a "#" before no code letter is just a character
        {cp1251("Рост #R(1) см"), {}},
        {cp1251("Итог: #X(2)*2 (#P( (1+2)^2 ))"), {}},
        {cp1251("#C(ВЖ) случаев из #I(Н), сумма #S и #T"), {}},
        {cp1251("#I(\"(\") раз, #P(\")\" + 1) и \"(\""), {}}, // parentheses in quotes do not count
        {cp1251("#P см"), {{FindingKind::CodeWithoutArgument, "#P", 0}}},
        {cp1251("рост #R() см"), {{FindingKind::CodeWithoutArgument, "#R", 5}}},
        {cp1251("#P(1 см"), {{FindingKind::UnclosedParenthesis, "(", 2}}},
        {cp1251("#P(1+) см"), {{FindingKind::MissingOperand, "+", 4}}},
        {"#P(sinus(1))", {{FindingKind::UnknownFunction, "sinus", 3}}},
        {"#X(#Q)", {{FindingKind::UnknownCode, "#Q", 3}}},
        {"#I()", {{FindingKind::CodeWithoutArgument, "#I", 0}}},
        // Each code on its own.
        {cp1251("#P и #R(1) и #X( )"),
         {{FindingKind::CodeWithoutArgument, "#P", 0}, {FindingKind::CodeWithoutArgument, "#X", 13}}},
    };
    for (const auto& c : cases) {
        std::vector<Finding> expected;
        for (const Expected& e : c.expected) {
            expected.push_back({e.kind, {}, 0, e.detail, e.offset});
        }
        EXPECT_EQ(shown(checkResultSyntax(c.text)), shown(expected)) << c.text;
    }
}

TEST(ParseNumber, ReadsNumbersLenientlyAndNothingElse) {
    const struct {
        std::string text;
        std::optional<double> value;
    } cases[] = {
        {"22.2", 22.2},
        {"22,2", 22.2},
        {" 23.7 ", 23.7},
        {"\t-5", -5},
        {"+5", 5},
        {"0", 0},
        {"5.", 5},
        {".5", 0.5},
        {"1e3", 1000},
        {"1,5E-1", 0.15},
        {"1e999", HUGE_VAL},
        {"-1e999", -HUGE_VAL},
        {"1e-999", 0},
        {"", std::nullopt},
        {"  ", std::nullopt},
        {"-", std::nullopt},
        {".", std::nullopt},
        {"1 000", std::nullopt},
        {cp1251("12 см"), std::nullopt},
        {"1.2.3", std::nullopt},
        {"1,2,3", std::nullopt},
        {"--1", std::nullopt},
        {"1e", std::nullopt},
        {"0x10", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
        {"#P(1)", std::nullopt},
    };
    for (const auto& c : cases) {
        double value = -12345;
        const bool parsed = parseNumber(c.text, value);
        EXPECT_EQ(parsed, c.value.has_value()) << c.text;
        if (parsed && c.value) {
            EXPECT_DOUBLE_EQ(value, *c.value) << c.text;
        }
    }
}

} // namespace
} // namespace vornak
