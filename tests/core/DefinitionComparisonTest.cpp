// The comparison of two versions of a definition: each kind of edit a reviewer makes shows as one
// difference at the right place, renumbered codes are no difference, and the alignment underneath
// finds a longest common subsequence.
#include "DefinitionComparison.h"
#include "DefinitionText.h"
#include "SequenceAlignment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace vornak {

// For failure messages: kind, part, old and new record and row, and the two texts.
void PrintTo(const Difference& d, std::ostream* out) {
    *out << "{kind " << static_cast<int>(d.kind) << ", part " << static_cast<int>(d.part) << ", record "
         << d.oldRecord << "->" << d.newRecord << ", row " << d.oldRow << "->" << d.newRow << ", '" << d.before
         << "' -> '" << d.after << "'}";
}

namespace {

ParameterRecord parameter(std::string name, ValueKind kind, std::vector<ValueRow> rows, std::string formula = {}) {
    ParameterRecord record;
    record.name = std::move(name);
    record.kind = kind;
    record.values = std::move(rows);
    record.formula = std::move(formula);
    record.hasFormula = record.formula.empty() ? 0 : 1;
    return record;
}

// Five parameters whose texts name each other, and three results naming parameters and results.
ReportDefinition sample() {
    ReportDefinition d;
    d.title = "Growth";
    d.author = "Expert";
    d.parameters = {
        parameter("Sex", ValueKind::List, {{"male", "", "1"}, {"female", "", "2"}}),
        parameter("Age", ValueKind::Range, {{"0", "18", "young"}, {"18", "60", "adult"}, {"60", "120", "old"}}),
        parameter("Femur", ValueKind::Input, {{"", "", "#P(3)*2.6"}}),
        parameter("Tibia", ValueKind::Input, {{"", "", "#P(4)+#P(3)"}}, "#P(3)+1"),
        parameter("Race", ValueKind::List, {{"a", "", "#R(1)"}, {"b", "", "#N(2)"}}),
    };
    d.results = {{"Height", "#P(3)*2.38+61.41"}, {"Range", "#X(1)+#P(5)"}, {"Note", "#R(2)"}};
    return d;
}

// The definition with a parameter inserted before position `at` (0-based), codes renumbered.
ReportDefinition withInsertedParameter(ReportDefinition d, int at, ParameterRecord record) {
    const auto count = static_cast<int>(d.parameters.size());
    applyTextChanges(d, renumberParameterReferences(d, numbersAfterInsert(count, at)), true);
    d.parameters.insert(d.parameters.begin() + at, std::move(record));
    return d;
}

ReportDefinition withErasedParameter(ReportDefinition d, int at) {
    const auto count = static_cast<int>(d.parameters.size());
    applyTextChanges(d, renumberParameterReferences(d, numbersAfterErase(count, at)), true);
    d.parameters.erase(d.parameters.begin() + at);
    return d;
}

ReportDefinition withMovedParameter(ReportDefinition d, int from, int to) {
    const auto count = static_cast<int>(d.parameters.size());
    applyTextChanges(d, renumberParameterReferences(d, numbersAfterMove(count, from, to)), true);
    ParameterRecord record = d.parameters[static_cast<std::size_t>(from)];
    d.parameters.erase(d.parameters.begin() + from);
    d.parameters.insert(d.parameters.begin() + to, std::move(record));
    return d;
}

ReportDefinition withInsertedResult(ReportDefinition d, int at, ResultRow row) {
    const auto count = static_cast<int>(d.results.size());
    applyTextChanges(d, renumberResultReferences(d, numbersAfterInsert(count, at)), true);
    d.results.insert(d.results.begin() + at, std::move(row));
    return d;
}

struct Expected {
    DifferenceKind kind;
    DifferencePart part;
    int oldRecord;
    int newRecord;
    int oldRow;
    int newRow;
};

TEST(DefinitionComparison, EachEditIsOneDifferenceAtItsPlace) {
    using K = DifferenceKind;
    using P = DifferencePart;
    const ReportDefinition base = sample();
    const struct {
        const char* what;
        std::function<ReportDefinition()> edit;
        std::vector<Expected> expected;
    } cases[] = {
        {"nothing", [&] { return base; }, {}},
        {"a range bound",
         [&] {
             ReportDefinition d = base;
             d.parameters[1].values[1].upperBound = "65";
             return d;
         },
         {{K::Changed, P::UpperBound, 2, 2, 2, 2}}},
        {"a parameter inserted, later codes renumbered",
         [&] { return withInsertedParameter(base, 1, parameter("Weight", ValueKind::Input, {{"", "", ""}})); },
         {{K::Inserted, P::Parameter, 0, 2, 0, 0}}},
        {"a parameter inserted first", [&] { return withInsertedParameter(base, 0, parameter("Sex", ValueKind::Input, {})); },
         {{K::Inserted, P::Parameter, 0, 1, 0, 0}}},
        {"a parameter removed, later codes renumbered", [&] { return withErasedParameter(base, 1); },
         {{K::Removed, P::Parameter, 2, 0, 0, 0}}},
        {"a parameter moved down, codes following it", [&] { return withMovedParameter(base, 0, 3); },
         {{K::Moved, P::Parameter, 1, 4, 0, 0}}},
        {"a parameter moved up", [&] { return withMovedParameter(base, 4, 1); },
         {{K::Moved, P::Parameter, 5, 2, 0, 0}}},
        {"a parameter renamed",
         [&] {
             ReportDefinition d = base;
             d.parameters[2].name = "Femur length";
             return d;
         },
         {{K::Changed, P::ParameterName, 3, 3, 0, 0}}},
        {"a value row inserted in the middle",
         [&] {
             ReportDefinition d = base;
             d.parameters[1].values.insert(d.parameters[1].values.begin() + 1, ValueRow{"10", "18", "teen"});
             return d;
         },
         {{K::Inserted, P::ValueRow, 2, 2, 0, 2}}},
        {"a value row removed",
         [&] {
             ReportDefinition d = base;
             d.parameters[1].values.erase(d.parameters[1].values.begin());
             return d;
         },
         {{K::Removed, P::ValueRow, 2, 2, 1, 0}}},
        {"kind, flags and formula",
         [&] {
             ReportDefinition d = base;
             d.parameters[0].kind = ValueKind::Range;
             d.parameters[0].isNumber = 1;
             d.parameters[3].formula = "#P(3)+2";
             return d;
         },
         {{K::Changed, P::ParameterKind, 1, 1, 0, 0},
          {K::Changed, P::NumberFlag, 1, 1, 0, 0},
          {K::Changed, P::Formula, 4, 4, 0, 0}}},
        {"a code pointed elsewhere is a difference",
         [&] {
             ReportDefinition d = base;
             d.parameters[2].values[0].result = "#P(2)*2.6";
             return d;
         },
         {{K::Changed, P::ValueResult, 3, 3, 1, 1}}},
        {"a report text and a result text",
         [&] {
             ReportDefinition d = base;
             d.author = "Other";
             d.results[2].result = "#R(2)+1";
             return d;
         },
         {{K::Changed, P::ReportText, 6, 6, 0, 0}, {K::Changed, P::ResultText, 3, 3, 0, 0}}},
        {"a result inserted, #X codes renumbered",
         [&] { return withInsertedResult(base, 0, {"First", "1"}); },
         {{K::Inserted, P::Result, 0, 1, 0, 0}}},
        {"a result removed",
         [&] {
             ReportDefinition d = base;
             d.results.pop_back();
             return d;
         },
         {{K::Removed, P::Result, 3, 0, 0, 0}}},
        {"the three edits a reviewer must see: a bound, an inserted parameter, a result text",
         [&] {
             ReportDefinition d = base;
             d.parameters[1].values[0].upperBound = "16";
             d = withInsertedParameter(d, 2, parameter("Weight", ValueKind::Input, {{"", "", ""}}));
             d.results[0].result += "+1";
             return d;
         },
         {{K::Changed, P::UpperBound, 2, 2, 1, 1},
          {K::Inserted, P::Parameter, 0, 3, 0, 0},
          {K::Changed, P::ResultText, 1, 1, 0, 0}}},
        {"everything emptied",
         [] { return ReportDefinition(); },
         {{K::Changed, P::ReportText, 1, 1, 0, 0},
          {K::Changed, P::ReportText, 6, 6, 0, 0},
          {K::Removed, P::Parameter, 1, 0, 0, 0},
          {K::Removed, P::Parameter, 2, 0, 0, 0},
          {K::Removed, P::Parameter, 3, 0, 0, 0},
          {K::Removed, P::Parameter, 4, 0, 0, 0},
          {K::Removed, P::Parameter, 5, 0, 0, 0},
          {K::Removed, P::Result, 1, 0, 0, 0},
          {K::Removed, P::Result, 2, 0, 0, 0},
          {K::Removed, P::Result, 3, 0, 0, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<Difference> differences = compareDefinitions(base, c.edit());
        ASSERT_EQ(differences.size(), c.expected.size());
        for (std::size_t i = 0; i < differences.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(differences[i].kind, c.expected[i].kind);
            EXPECT_EQ(differences[i].part, c.expected[i].part);
            EXPECT_EQ(differences[i].oldRecord, c.expected[i].oldRecord);
            EXPECT_EQ(differences[i].newRecord, c.expected[i].newRecord);
            EXPECT_EQ(differences[i].oldRow, c.expected[i].oldRow);
            EXPECT_EQ(differences[i].newRow, c.expected[i].newRow);
        }
    }
}

TEST(DefinitionComparison, ChangedTextsCarryTheWrittenBytesOfBothSides) {
    const ReportDefinition before = sample();
    ReportDefinition after = withInsertedParameter(before, 0, parameter("New", ValueKind::List, {}));
    after.parameters[4].formula = "#P(4)+5"; // Tibia's "#P(3)+1" renumbered to "#P(4)+1", then edited
    const std::vector<Difference> differences = compareDefinitions(before, after);
    ASSERT_EQ(differences.size(), 2u);
    EXPECT_EQ(differences[1].part, DifferencePart::Formula);
    EXPECT_EQ(differences[1].before, "#P(3)+1"); // as the old file has it
    EXPECT_EQ(differences[1].after, "#P(4)+5");
    EXPECT_EQ(differences[1].recordName, "Tibia");
    EXPECT_EQ(differences[1].oldRecord, 4);
    EXPECT_EQ(differences[1].newRecord, 5);
}

TEST(DefinitionComparison, ComparingBothWaysMirrorsInsertionsRemovalsAndMoves) {
    const ReportDefinition a = sample();
    ReportDefinition b = withErasedParameter(withMovedParameter(a, 0, 2), 4);
    b.results.push_back({"Extra", "#X(1)"});
    const auto count = [](const std::vector<Difference>& differences, DifferenceKind kind) {
        return std::count_if(differences.begin(), differences.end(),
                             [&](const Difference& d) { return d.kind == kind && d.part != DifferencePart::ValueRow; });
    };
    const std::vector<Difference> forth = compareDefinitions(a, b);
    const std::vector<Difference> back = compareDefinitions(b, a);
    EXPECT_EQ(count(forth, DifferenceKind::Inserted), 1) << ::testing::PrintToString(forth);
    EXPECT_EQ(count(forth, DifferenceKind::Removed), 1);
    EXPECT_EQ(count(forth, DifferenceKind::Moved), 1);
    EXPECT_EQ(count(back, DifferenceKind::Inserted), count(forth, DifferenceKind::Removed));
    EXPECT_EQ(count(back, DifferenceKind::Removed), count(forth, DifferenceKind::Inserted));
    EXPECT_EQ(count(back, DifferenceKind::Moved), count(forth, DifferenceKind::Moved));
}

// The length of a longest common subsequence by the textbook table.
std::size_t lcsLength(const std::vector<int>& a, const std::vector<int>& b) {
    std::vector<std::vector<std::size_t>> table(a.size() + 1, std::vector<std::size_t>(b.size() + 1, 0));
    for (std::size_t i = a.size(); i-- > 0;) {
        for (std::size_t j = b.size(); j-- > 0;) {
            table[i][j] = a[i] == b[j] ? table[i + 1][j + 1] + 1 : std::max(table[i + 1][j], table[i][j + 1]);
        }
    }
    return table[0][0];
}

TEST(SequenceAlignment, FindsALongestCommonSubsequenceOfEqualItemsInOrder) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 3000; ++round) {
        SCOPED_TRACE(round);
        const auto randomList = [&] {
            std::vector<int> list(std::uniform_int_distribution<std::size_t>(0, 14)(random));
            const int alphabet = std::uniform_int_distribution<int>(1, 5)(random);
            for (int& item : list) {
                item = std::uniform_int_distribution<int>(0, alphabet)(random);
            }
            return list;
        };
        const std::vector<int> a = randomList();
        const std::vector<int> b = randomList();
        const std::vector<AlignedPair> pairs =
            commonSubsequence(a.size(), b.size(), [&](std::size_t i, std::size_t j) { return a[i] == b[j]; });
        ASSERT_EQ(pairs.size(), lcsLength(a, b));
        for (std::size_t k = 0; k < pairs.size(); ++k) {
            ASSERT_LT(pairs[k].first, a.size());
            ASSERT_LT(pairs[k].second, b.size());
            EXPECT_EQ(a[pairs[k].first], b[pairs[k].second]);
            if (k > 0) {
                EXPECT_LT(pairs[k - 1].first, pairs[k].first);
                EXPECT_LT(pairs[k - 1].second, pairs[k].second);
            }
        }
    }
}

TEST(SequenceAlignment, StopsSearchingPastTheEditLimitAndKeepsTheCommonEnds) {
    const std::vector<int> a = {7, 1, 2, 3, 4, 8};
    const std::vector<int> b = {7, 5, 6, 9, 10, 8};
    const std::vector<AlignedPair> pairs =
        commonSubsequence(a.size(), b.size(), [&](std::size_t i, std::size_t j) { return a[i] == b[j]; }, 2);
    EXPECT_EQ(pairs, (std::vector<AlignedPair>{{0, 0}, {5, 5}}));
}

TEST(SequenceAlignment, PairsResemblingLeftOversInOrderAboveTheThreshold) {
    // Resemblance: 1 when equal, 0.5 when the numbers differ by one, 0 otherwise.
    const std::vector<int> values = {10, 20, 30, 21, 11, 31};
    const auto resemblance = [&](std::size_t i, std::size_t j) {
        const int d = std::abs(values[i] - values[j]);
        return d == 0 ? 1.0 : d == 1 ? 0.5 : 0.0;
    };
    // firsts 10, 20, 30 against seconds 21, 11, 31: order allows 20-21 and 30-31, or 10-11 and 30-31.
    const std::vector<AlignedPair> pairs = pairResembling({0, 1, 2}, {3, 4, 5}, resemblance, 0.5);
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[1], (AlignedPair{2, 5}));
    EXPECT_TRUE(pairResembling({0}, {2}, resemblance, 0.5).empty());
}

} // namespace
} // namespace vornak
