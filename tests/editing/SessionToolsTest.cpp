// The randomized sessions' own tools: a step reads back from its line, and the shrinker finds the
// shortest failing list.
#include "SessionSteps.h"
#include "StepShrinker.h"

#include <gtest/gtest.h>

namespace vornak::testing {
namespace {

TEST(SessionSteps, EachStepReadsBackFromItsLine) {
    StepSource source(7);
    std::string text;
    std::vector<Step> steps;
    for (int i = 0; i < 500; ++i) {
        steps.push_back(source.next());
        text += steps.back().toLine() + "  # what it did, \"quoted\" # and all\n";
    }
    Step odd{StepAction::Paste, 1, 2, 3, 4, QStringLiteral("a\t\"b\"\\\nжук"), QStringLiteral("<td a=\"1\">#</td>")};
    steps.push_back(odd);
    text += "# a comment line\n\n" + odd.toLine() + "\n";
    std::string error;
    EXPECT_EQ(parseSteps(text, error), steps);
    EXPECT_EQ(error, "");
}

TEST(SessionSteps, LinesThatAreNotStepsAreNamed) {
    const char* bad[] = {"jump 1 2 3 4 \"\" \"\"", "click 1 2 3 \"\" \"\"", "click 1 2 3 4 \"unclosed",
                         "click 1 2 3 4 \"\" \"\" trailing"};
    for (const char* line : bad) {
        std::string error;
        EXPECT_TRUE(parseSteps(line, error).empty()) << line;
        EXPECT_NE(error.find("line 1"), std::string::npos) << line;
    }
}

TEST(SessionSteps, TheSameSeedGivesTheSameSteps) {
    StepSource a(11);
    StepSource b(11);
    StepSource c(12);
    bool differs = false;
    for (int i = 0; i < 200; ++i) {
        const Step s = a.next();
        EXPECT_EQ(s, b.next());
        differs = differs || !(s == c.next());
    }
    EXPECT_TRUE(differs);
}

TEST(StepShrinker, KeepsOnlyTheStepsTheFailureNeeds) {
    struct Case {
        const char* name;
        std::function<bool(const std::vector<int>&)> fails;
        std::vector<int> expected;
    };
    const auto contains = [](const std::vector<int>& steps, int value) {
        return std::find(steps.begin(), steps.end(), value) != steps.end();
    };
    const Case cases[] = {
        {"one step", [&](const std::vector<int>& s) { return contains(s, 37); }, {37}},
        {"two steps in order",
         [](const std::vector<int>& s) {
             const auto first = std::find(s.begin(), s.end(), 5);
             return first != s.end() && std::find(first, s.end(), 80) != s.end();
         },
         {5, 80}},
        {"three steps anywhere",
         [&](const std::vector<int>& s) { return contains(s, 0) && contains(s, 50) && contains(s, 99); },
         {0, 50, 99}},
    };
    std::vector<int> steps(100);
    std::iota(steps.begin(), steps.end(), 0);
    for (const Case& c : cases) {
        EXPECT_EQ(shrinkSteps<int>(steps, c.fails), c.expected) << c.name;
    }
    // Any two of ten steps do: two are left, and they fail.
    const std::function<bool(const std::vector<int>&)> twoOfTen = [](const std::vector<int>& s) {
        return std::count_if(s.begin(), s.end(), [](int v) { return v % 10 == 3; }) >= 2;
    };
    const std::vector<int> shrunk = shrinkSteps<int>(steps, twoOfTen);
    EXPECT_EQ(shrunk.size(), 2U);
    EXPECT_TRUE(twoOfTen(shrunk));
}

TEST(StepShrinker, StopsAfterItsReplays) {
    std::vector<int> steps(64);
    std::iota(steps.begin(), steps.end(), 0);
    int replays = 0;
    const std::function<bool(const std::vector<int>&)> fails = [&replays](const std::vector<int>& s) {
        ++replays;
        return std::find(s.begin(), s.end(), 63) != s.end();
    };
    const std::vector<int> shrunk = shrinkSteps<int>(steps, fails, 3);
    EXPECT_EQ(replays, 3);
    EXPECT_LT(shrunk.size(), steps.size());
    EXPECT_EQ(shrunk.back(), 63);
}

} // namespace
} // namespace vornak::testing
