// Text locations and the renumbering of codes that keeps them naming the same records when
// parameters or results are inserted, deleted, moved or duplicated.
#include "DefinitionText.h"
#include "DefinitionChecks.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace vornak {
namespace {

std::vector<int> afterInsert(int count, int position) {
    return numbersAfterInsert(count, position);
}
std::vector<int> afterErase(int count, int position) {
    return numbersAfterErase(count, position);
}
std::vector<int> afterMove(int count, int from, int to) {
    return numbersAfterMove(count, from, to);
}

TEST(NumbersAfter, MapOldNumbersToNewOnesForEachEdit) {
    const struct {
        std::vector<int> mapping;
        std::vector<int> expected;
    } cases[] = {
        {numbersAfterInsert(3, 0), {2, 3, 4}},     {numbersAfterInsert(3, 1), {1, 3, 4}},
        {numbersAfterInsert(3, 3), {1, 2, 3}},     {numbersAfterInsert(0, 0), {}},
        {numbersAfterErase(3, 0), {0, 1, 2}},      {numbersAfterErase(3, 1), {1, 0, 2}},
        {numbersAfterErase(3, 2), {1, 2, 0}},      {numbersAfterMove(4, 1, 2), {1, 3, 2, 4}}, // one down
        {numbersAfterMove(4, 2, 1), {1, 3, 2, 4}},                                            // one up
        {numbersAfterMove(4, 0, 3), {4, 1, 2, 3}}, {numbersAfterMove(4, 3, 0), {2, 3, 4, 1}},
        {numbersAfterMove(4, 2, 2), {1, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.mapping, c.expected);
    }
}

// Four parameters and three results; `text` goes into parameter 4's formula, a value row result of
// parameter 4 and result 3, so that every kind of code text is covered and none is the moved one.
ReportDefinition definitionWith(const std::string& text) {
    ReportDefinition definition;
    for (int p = 1; p <= 4; ++p) {
        ParameterRecord parameter;
        parameter.name = "p" + std::to_string(p);
        parameter.values.push_back({"v", "", "r"});
        definition.parameters.push_back(parameter);
    }
    definition.parameters[3].hasFormula = 1;
    definition.parameters[3].formula = text;
    definition.parameters[3].values.push_back({"#P(1)", "#P(1)", text});
    for (int r = 1; r <= 3; ++r) {
        definition.results.push_back({"#P(1) name " + std::to_string(r), "plain"});
    }
    definition.results[2].result = text;
    return definition;
}

TEST(RenumberReferences, RewritesTheDigitsOfEveryCodeThatNamesAMovedRecord) {
    const struct {
        const char* name;
        std::string text;
        std::vector<int> parameterMapping; // empty: results are renumbered instead
        std::vector<int> resultMapping;
        std::string expected;
    } cases[] = {
        {"insert at the top", "#P(1)+#R(2)*#N(3)", afterInsert(4, 0), {}, "#P(2)+#R(3)*#N(4)"},
        {"insert in the middle", "#P(1)+#P(2)+#P(3)+#P(4)", afterInsert(4, 2), {}, "#P(1)+#P(2)+#P(4)+#P(5)"},
        {"insert at the end", "#P(1)+#P(4)", afterInsert(4, 4), {}, "#P(1)+#P(4)"},
        {"delete: the deleted record's codes name nothing",
         "#P(1)+#P(2)+#P(3)",
         afterErase(4, 1),
         {},
         "#P(1)+#P(0)+#P(2)"},
        {"delete the third", "#R(4) #R(3)", afterErase(4, 2), {}, "#R(3) #R(0)"},
        {"move down", "#P(2) #P(3) #P(1)", afterMove(4, 1, 2), {}, "#P(3) #P(2) #P(1)"},
        {"move up", "#P(2) #P(3) #P(4)", afterMove(4, 2, 1), {}, "#P(3) #P(2) #P(4)"},
        {"spaces and leading zeros are kept",
         "#P( 2 ) + #R(\t02\t) + #N (2)",
         afterInsert(4, 0),
         {},
         "#P( 3 ) + #R(\t3\t) + #N (3)"},
        {"a plus sign is kept", "#P(+2)", afterInsert(4, 0), {}, "#P(+3)"},
        {"expression arguments stay",
         "#P( (1+2)^2 ) + #P(1+1) + #P(2)",
         afterInsert(4, 0),
         {},
         "#P( (1+2)^2 ) + #P(1+1) + #P(3)"},
        {"numbers outside the mapping stay",
         "#P(0) #P(-1) #P(5) #P(99)",
         afterInsert(4, 0),
         {},
         "#P(0) #P(-1) #P(5) #P(99)"},
        {"#X stays when parameters move",
         "#X(1) + #P(1) + #I(#P) + #C(1)",
         afterInsert(4, 0),
         {},
         "#X(1) + #P(2) + #I(#P) + #C(1)"},
        {"#P, #R, #N stay when results move",
         "#X(1) + #P(1) + #R(2) + #N(3) + #X(3)",
         {},
         afterInsert(3, 0),
         "#X(2) + #P(1) + #R(2) + #N(3) + #X(4)"},
        {"results deleted", "#X(1)+#X(2)+#X(3)", {}, afterErase(3, 0), "#X(0)+#X(1)+#X(2)"},
        {"codes inside words and strings",
         "\xc2\xc6#P(2)\xc8 \"#P(1)\"",
         afterInsert(4, 0),
         {},
         "\xc2\xc6#P(3)\xc8 \"#P(2)\""},
        {"lower-case letters are no codes", "#p(1) #x(1)", afterInsert(4, 0), afterInsert(3, 0),
         "#p(1) #x(1)"},
        {"a code inside another's argument", "#P(#X(2))", {}, afterInsert(3, 0), "#P(#X(3))"},
    };
    for (const auto& c : cases) {
        const ReportDefinition definition = definitionWith(c.text);
        const ReportDefinition before = definition;
        const std::vector<TextChange> changes =
            c.parameterMapping.empty() ? renumberResultReferences(definition, c.resultMapping)
                                       : renumberParameterReferences(definition, c.parameterMapping);
        EXPECT_EQ(definition, before) << c.name << ": the function must not change the definition";
        const std::vector<TextLocation> expectedPlaces =
            c.text == c.expected ? std::vector<TextLocation>{}
                                 : std::vector<TextLocation>{{TextField::ParameterFormula, 4, 0},
                                                             {TextField::ValueResult, 4, 2},
                                                             {TextField::ResultText, 3, 0}};
        std::vector<TextLocation> places;
        for (const TextChange& change : changes) {
            places.push_back(change.where);
            EXPECT_EQ(change.before, c.text) << c.name;
            EXPECT_EQ(change.after, c.expected) << c.name;
        }
        EXPECT_EQ(places, expectedPlaces) << c.name;
    }
}

TEST(RenumberReferences, SkipsTheTextsOfARecordThatIsGone) {
    ReportDefinition definition = definitionWith("x");
    definition.parameters[1].formula = "#P(3)";
    definition.parameters[1].values[0].result = "#P(3)";
    definition.results[0].result = "#X(3)";
    EXPECT_TRUE(renumberParameterReferences(definition, afterErase(4, 1)).size() == 0);
    EXPECT_TRUE(renumberResultReferences(definition, afterErase(3, 0)).empty());
    // The same texts are rewritten when their record stays.
    EXPECT_EQ(renumberParameterReferences(definition, afterErase(4, 0)).size(), 2u);
}

TEST(RenumberReferences, AppliedAroundAnInsertKeepsEveryCodeOnItsRecord) {
    // The editor's sequence: apply the changes, insert; undo: erase, apply back.
    ReportDefinition definition = definitionWith("#P(3) + #R(4) + #N(1)");
    const ReportDefinition original = definition;
    const std::vector<TextChange> changes = renumberParameterReferences(definition, afterInsert(4, 1));
    applyTextChanges(definition, changes, true);
    ParameterRecord inserted;
    inserted.name = "new";
    definition.parameters.insert(definition.parameters.begin() + 1, inserted);
    EXPECT_EQ(definition.parameters[4].formula, "#P(4) + #R(5) + #N(1)");
    // Each code names the record with the same name as before.
    EXPECT_EQ(definition.parameters[3].name, original.parameters[2].name);
    EXPECT_EQ(definition.parameters[4].name, original.parameters[3].name);

    definition.parameters.erase(definition.parameters.begin() + 1);
    applyTextChanges(definition, changes, false);
    EXPECT_EQ(definition, original);
}

TEST(RenumberReferences, DuplicatingBelowKeepsTheCopysCodesToo) {
    ReportDefinition definition = definitionWith("#P(2)*#P(3)");
    definition.parameters[1].formula = "#P(2) + #P(4)";
    definition.parameters[1].hasFormula = 1;
    // Duplicate parameter 2 below itself: the copy becomes 3, the old 3 and 4 become 4 and 5.
    applyTextChanges(definition, renumberParameterReferences(definition, afterInsert(4, 2)), true);
    definition.parameters.insert(definition.parameters.begin() + 2, definition.parameters[1]);
    EXPECT_EQ(definition.parameters[1].formula, "#P(2) + #P(5)");
    EXPECT_EQ(definition.parameters[2].formula, "#P(2) + #P(5)");
    EXPECT_EQ(definition.parameters[4].formula, "#P(2)*#P(4)");
}

TEST(References, ListEachTextThatNamesTheRecordOnceInFileOrder) {
    ReportDefinition definition = definitionWith("#P(2) + #P(2) + #X(1)");
    definition.parameters[0].formula = "#N( 2 )"; // flag off: still a text that holds codes
    definition.parameters[1].name = "#P(2)";      // names, values and bounds hold no codes
    definition.parameters[1].values[0].value = "#P(2)";
    definition.results[0].name = "#P(2)";
    definition.results[1].result = "#R(2)";
    definition.results[0].result = "#P( (1+1) )";
    EXPECT_EQ(parameterReferences(definition, 2),
              (std::vector<TextLocation>{{TextField::ParameterFormula, 1, 0},
                                         {TextField::ParameterFormula, 4, 0},
                                         {TextField::ValueResult, 4, 2},
                                         {TextField::ResultText, 2, 0},
                                         {TextField::ResultText, 3, 0}}));
    EXPECT_EQ(resultReferences(definition, 1), (std::vector<TextLocation>{{TextField::ParameterFormula, 4, 0},
                                                                          {TextField::ValueResult, 4, 2},
                                                                          {TextField::ResultText, 3, 0}}));
    EXPECT_TRUE(parameterReferences(definition, 3).empty());
    EXPECT_TRUE(resultReferences(definition, 2).empty());
}

TEST(TextAt, NamesEveryTextAndRefusesLocationsThatDoNotExist) {
    ReportDefinition definition = definitionWith("f");
    definition.title = "title";
    definition.date = "date";
    const struct {
        TextLocation where;
        std::string text;
    } cases[] = {
        {{TextField::ParameterName, 2, 0}, "p2"}, {{TextField::ParameterFormula, 4, 0}, "f"},
        {{TextField::Value, 4, 2}, "#P(1)"},      {{TextField::UpperBound, 4, 2}, "#P(1)"},
        {{TextField::ValueResult, 4, 2}, "f"},    {{TextField::ResultName, 3, 0}, "#P(1) name 3"},
        {{TextField::ResultText, 3, 0}, "f"},     {{TextField::ReportText, 1, 0}, "title"},
        {{TextField::ReportText, 9, 0}, "date"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(textAt(std::as_const(definition), c.where), c.text);
    }
    for (const TextLocation& missing :
         {TextLocation{TextField::ParameterName, 5, 0}, TextLocation{TextField::ParameterName, 0, 0},
          TextLocation{TextField::Value, 1, 2}, TextLocation{TextField::Value, 1, 0},
          TextLocation{TextField::ResultText, 4, 0}, TextLocation{TextField::ReportText, 10, 0},
          TextLocation{TextField::ReportText, 0, 0}}) {
        EXPECT_THROW(textAt(definition, missing), std::out_of_range);
    }
}

TEST(ApplyTextChanges, GoesForwardAndBackEvenWithTwoChangesToOneText) {
    ReportDefinition definition = definitionWith("a");
    const TextLocation where{TextField::ResultName, 1, 0};
    const std::vector<TextChange> changes = {
        {where, "#P(1) name 1", "b"}, {where, "b", "c"}, {{TextField::ReportText, 6, 0}, "", "author"}};
    applyTextChanges(definition, changes, true);
    EXPECT_EQ(definition.results[0].name, "c");
    EXPECT_EQ(definition.author, "author");
    applyTextChanges(definition, changes, false);
    EXPECT_EQ(definition, definitionWith("a"));
}

} // namespace
} // namespace vornak
