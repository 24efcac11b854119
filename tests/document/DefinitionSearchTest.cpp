// Find and replace: every shown text in the order of the form, match case and whole word over
// Cyrillic, stepping with wrap-around, and replacing one or all in one undo step, refused before
// anything changes when the file could not hold the outcome.
#include "DefinitionSearch.h"
#include "DocumentTestSupport.h"
#include "TextChangesCommand.h"

#include <gtest/gtest.h>

namespace vornak {
namespace {

using test::cp1251;

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

std::string name(const TextLocation& where) {
    static const char* fields[] = {"name",         "formula",     "value",  "upper",
                                   "value-result", "result-name", "result", "text"};
    std::string out = fields[static_cast<int>(where.field)];
    out += " " + std::to_string(where.record);
    if (where.row != 0) {
        out += "." + std::to_string(where.row);
    }
    return out;
}

std::vector<std::string> names(const std::vector<TextLocation>& texts) {
    std::vector<std::string> out;
    for (const TextLocation& where : texts) {
        out.push_back(name(where));
    }
    return out;
}

std::vector<std::string> names(const std::vector<TextMatch>& matches) {
    std::vector<std::string> out;
    for (const TextMatch& m : matches) {
        out.push_back(name(m.where) + "@" + std::to_string(m.start));
    }
    return out;
}

TEST(DefinitionSearchTest, TextsAreSearchedInTheFormsOrder) {
    ReportDefinition d;
    ParameterRecord list{"L", "", ValueKind::List, 0, 0, {{"a", "hidden", "b"}}};
    ParameterRecord range{"R", "#P(1)", ValueKind::Range, 1, 1, {{"1", "2", "x"}, {"2", "3", "y"}}};
    ParameterRecord input{"I", "formula without its flag", ValueKind::Input, 0, 0, {{"0", "hidden", "r"}}};
    ParameterRecord unknown{"U", "", static_cast<ValueKind>(5), 0, 0, {{"not", "shown", "at all"}}};
    d.parameters = {list, range, input, unknown};
    d.results = {{"N", "#X(1)"}};
    const std::vector<std::string> expected =
        {
            "text 1",    "text 2",           "text 3",           "text 4",
            "text 5", // title, document, input 1, input 2, surname
            "name 1",    "value 1.1",        "value-result 1.1", "name 2",
            "formula 2", "value 2.1",        "upper 2.1",        "value-result 2.1",
            "value 2.2", "upper 2.2",        "value-result 2.2", "name 3",
            "value 3.1", "value-result 3.1", "name 4",           "result-name 1",
            "result 1",  "text 6",           "text 8",           "text 7",
            "text 9", // author, organisation, source, date
        };
    EXPECT_EQ(names(searchedTexts(d)), expected);
}

struct MatchCase {
    const char* name;
    const char* text;
    const char* pattern;
    SearchOptions options;
    std::vector<std::pair<int, int>> expected;
};

class Matching : public ::testing::TestWithParam<MatchCase> {};

TEST_P(Matching, FindsWhatItShould) {
    const MatchCase& c = GetParam();
    EXPECT_EQ(DefinitionSearch(u(c.pattern), c.options).matchesIn(u(c.text)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Matching,
    ::testing::Values(
        MatchCase{"IgnoresCaseInCyrillic", "См. 5 см и СМ", "см", {}, {{0, 2}, {6, 2}, {11, 2}}},
        MatchCase{"MatchCase", "См. 5 см и СМ", "см", {true, false}, {{6, 2}}},
        MatchCase{"WholeWord", "см смена 5см см_ см", "см", {false, true}, {{0, 2}, {17, 2}}},
        MatchCase{"WholeWordWithPunctuationAtAnEnd",
                  "#P(1)+#P(12) a#P(1)",
                  "#P(1)",
                  {false, true},
                  {{0, 5}, {14, 5}}},
        MatchCase{"DoesNotOverlap", "aaaa", "aa", {}, {{0, 2}, {2, 2}}},
        MatchCase{"YoIsItsOwnLetter", "ёж и еж", "еж", {}, {{5, 2}}},
        MatchCase{"EmptyPatternFindsNothing", "abc", "", {}, {}},
        MatchCase{"LongerThanTheText", "ab", "abc", {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

class SearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ReportDefinition d;
        d.title = cp1251(u("Рост в см"));
        d.author = cp1251(u("см"));
        ParameterRecord p{cp1251(u("Длина, см")),         "", ValueKind::Range, 1, 0,
                          {{"1", cp1251(u("2 см")), "x"}}};
        ParameterRecord q{"Q", "", ValueKind::List, 0, 0, {{"a", cp1251(u("см hidden")), cp1251(u("см"))}}};
        d.parameters = {p, q};
        d.results = {{cp1251(u("Итог см")), cp1251(u("#P(1) + \" см\""))}};
        test::openDefinition(document, d, folder.file("search.rpt"));
    }

    const ReportDefinition& model() const { return document.definition(); }

    test::TempFolder folder;
    DefinitionDocument document;
};

TEST_F(SearchTest, StepsGoRoundInScreenOrder) {
    const DefinitionSearch search(u("см"), {});
    const std::vector<std::string> all = {
        "text 1@7",        "name 1@7",    "upper 1.1@2", "value-result 2.1@0",
        "result-name 1@5", "result 1@10", "text 6@0"};
    EXPECT_EQ(names(search.findAll(model())), all);

    std::optional<TextMatch> at;
    std::vector<std::string> forward;
    for (std::size_t i = 0; i < all.size() + 1; ++i) {
        const auto step = search.step(model(), at, false);
        ASSERT_TRUE(step.match);
        EXPECT_EQ(step.count, 7);
        EXPECT_EQ(step.index, static_cast<int>(i % all.size()));
        EXPECT_EQ(step.wrapped, i == all.size()) << i;
        forward.push_back(names({*step.match})[0]);
        at = step.match;
    }
    EXPECT_EQ(forward.front(), forward.back());

    // Back from the first wraps to the last.
    const auto first = search.step(model(), std::nullopt, false);
    const auto back = search.step(model(), first.match, true);
    EXPECT_TRUE(back.wrapped);
    EXPECT_EQ(back.index, 6);
    const auto again = search.step(model(), back.match, true);
    EXPECT_FALSE(again.wrapped);
    EXPECT_EQ(again.index, 5);
}

TEST_F(SearchTest, SearchingFromACursorTakesAMatchStartingThere) {
    const DefinitionSearch search(u("см"), {});
    const TextMatch cursor{{TextField::ParameterName, 1, 0}, 7, 0};
    EXPECT_EQ(search.step(model(), cursor, false, true).index, 1);
    EXPECT_EQ(search.step(model(), cursor, false, false).index, 2);
    // A place in a record that no longer exists still has its place in the order.
    const TextMatch gone{{TextField::ValueResult, 9, 1}, 0, 0};
    EXPECT_EQ(search.step(model(), gone, false).index, 4);
    EXPECT_EQ(search.step(model(), gone, true).index, 3);
}

TEST_F(SearchTest, NoMatchesIsNoStep) {
    const auto step = DefinitionSearch(u("мм"), {}).step(model(), std::nullopt, false);
    EXPECT_FALSE(step.match);
    EXPECT_EQ(step.count, 0);
}

TEST_F(SearchTest, ReplaceAllIsOneStepThatUndoes) {
    const std::string before = serializeDefinition(model());
    const DefinitionSearch search(u("см"), {false, true});
    const ReplaceAll all = search.replaceAll(model(), u("мм"));
    EXPECT_EQ(all.refusal, EditRefusal::None);
    EXPECT_EQ(all.replaced, 7);
    EXPECT_EQ(all.changes.size(), 7u);
    ASSERT_TRUE(pushTextChanges(document, all.changes, replaceUndoText(u("см"), u("мм"))));
    EXPECT_EQ(document.undoStack()->count(), 1);
    EXPECT_EQ(document.undoStack()->undoText(), u("замена «см» на «мм»"));
    EXPECT_EQ(model().title, cp1251(u("Рост в мм")));
    EXPECT_EQ(model().parameters[0].values[0].upperBound, cp1251(u("2 мм")));
    EXPECT_EQ(model().results[0].result, cp1251(u("#P(1) + \" мм\"")));
    // The hidden upper bound of a List row stays.
    EXPECT_EQ(model().parameters[1].values[0].upperBound, cp1251(u("см hidden")));
    EXPECT_TRUE(search.findAll(model()).empty());
    document.undoStack()->undo();
    EXPECT_EQ(serializeDefinition(model()), before);
    EXPECT_FALSE(document.isModified());
}

TEST_F(SearchTest, ReplaceAllCountsEveryMatchInAText) {
    const ReplaceAll all = DefinitionSearch(u("с"), {}).replaceAll(model(), u("ss"));
    EXPECT_EQ(all.replaced, static_cast<int>(DefinitionSearch(u("с"), {}).findAll(model()).size()));
    EXPECT_EQ(all.changes.front().after, cp1251(u("Роssт в ssм")));
}

struct RefusedReplacement {
    const char* name;
    QString replacement;
    EditRefusal refusal;
};

class ReplaceRefusal : public SearchTest, public ::testing::WithParamInterface<RefusedReplacement> {};

TEST_P(ReplaceRefusal, NothingChanges) {
    const std::string before = serializeDefinition(model());
    const DefinitionSearch search(u("см"), {});
    const ReplaceAll all = search.replaceAll(model(), GetParam().replacement);
    EXPECT_EQ(all.refusal, GetParam().refusal);
    EXPECT_TRUE(all.changes.empty());
    EXPECT_EQ(all.replaced, 0);
    EditRefusal why = EditRefusal::None;
    const auto first = search.step(model(), std::nullopt, false).match;
    ASSERT_TRUE(first);
    EXPECT_FALSE(search.replaceOne(model(), *first, GetParam().replacement, &why));
    EXPECT_EQ(why, GetParam().refusal);
    EXPECT_FALSE(pushTextChanges(document, all.changes, u("x")));
    EXPECT_EQ(serializeDefinition(model()), before);
    EXPECT_EQ(document.undoStack()->count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceRefusal,
    ::testing::Values(RefusedReplacement{"LineBreak", u("a\nb"), EditRefusal::LineBreak},
                      RefusedReplacement{"CarriageReturn", u("a\rb"), EditRefusal::LineBreak},
                      RefusedReplacement{"Unencodable", u("≤"), EditRefusal::Unencodable},
                      RefusedReplacement{"TooLong", QString(2046, u'x'), EditRefusal::TooLong}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SearchTest, TooLongNamesTheTextThatWouldGrow) {
    // "Рост в см" is 9 characters: 4 of them replaced by 2045 make 2050.
    const ReplaceAll all = DefinitionSearch(u("Рост"), {}).replaceAll(model(), QString(2045, u'x'));
    EXPECT_EQ(all.refusal, EditRefusal::TooLong);
    ASSERT_TRUE(all.refusedAt);
    EXPECT_EQ(*all.refusedAt, locationOf(ReportText::Title));
    // Up to the limit it goes.
    EXPECT_EQ(DefinitionSearch(u("Рост"), {}).replaceAll(model(), QString(2042, u'x')).refusal,
              EditRefusal::None);
}

TEST_F(SearchTest, ReplaceOneChangesOnlyItsMatchAndOnlyWhileItIsThere) {
    const DefinitionSearch search(u("см"), {});
    const TextMatch title{locationOf(ReportText::Title), 7, 2};
    const auto change = search.replaceOne(model(), title, u("мм"));
    ASSERT_TRUE(change);
    EXPECT_EQ(change->after, cp1251(u("Рост в мм")));
    // Not a match there, a hidden cell, a text that does not exist.
    EXPECT_FALSE(search.replaceOne(model(), {locationOf(ReportText::Title), 6, 2}, u("мм")));
    EXPECT_FALSE(search.replaceOne(model(), {{TextField::UpperBound, 2, 1}, 0, 2}, u("мм")));
    EXPECT_FALSE(search.replaceOne(model(), {{TextField::ResultName, 5, 0}, 0, 2}, u("мм")));
    ASSERT_TRUE(pushTextChanges(document, {*change}, u("x")));
    // Once replaced, the same match is gone.
    EXPECT_FALSE(search.replaceOne(model(), title, u("мм")));
    // A change made against other bytes is not pushed.
    EXPECT_FALSE(pushTextChanges(document, {*change}, u("x")));
    EXPECT_EQ(document.undoStack()->count(), 1);
}

TEST_F(SearchTest, BytesOutsideTheMatchesStayAsTheyWere) {
    // A text read from a file with a lone CR and the unassigned byte 0x98 between two matches.
    ReportDefinition d = model();
    d.title = std::string("ab\r\x98") + "ab";
    test::openDefinition(document, d, folder.file("odd.rpt"));
    const ReplaceAll all = DefinitionSearch(u("ab"), {}).replaceAll(model(), u("Ж"));
    ASSERT_EQ(all.refusal, EditRefusal::None);
    ASSERT_EQ(all.changes.size(), 1u);
    EXPECT_EQ(all.changes[0].after, std::string("\xc6\r\x98\xc6"));
}

} // namespace
} // namespace vornak
