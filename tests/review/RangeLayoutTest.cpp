#include "RangeLayout.h"

#include <gtest/gtest.h>

using namespace vornak;

namespace {

std::vector<ValueRow> ranges(std::initializer_list<std::pair<const char*, const char*>> bounds) {
    std::vector<ValueRow> rows;
    for (const auto& [lower, upper] : bounds) {
        rows.push_back({lower, upper, "r"});
    }
    return rows;
}

} // namespace

TEST(RangeLayout, FindsGapsOverlapsAndRowsItCannotDraw) {
    const struct {
        const char* name;
        std::vector<ValueRow> rows;
        std::vector<RangeStretch> gaps;
        std::vector<RangeStretch> overlaps;
        std::vector<SkippedRange> skipped;
        int lanes;
    } cases[] = {
        {"touching", ranges({{"0", "10"}, {"10", "20"}, {"20", "35"}}), {}, {}, {}, 1},
        {"gap", ranges({{"0", "10"}, {"12", "20"}}), {{10, 12}}, {}, {}, 1},
        {"overlap", ranges({{"0", "12"}, {"10", "20"}}), {}, {{10, 12}}, {}, 2},
        {"nested", ranges({{"0", "100"}, {"10", "20"}}), {}, {{10, 20}}, {}, 2},
        {"same range twice", ranges({{"1", "2"}, {"1", "2"}}), {}, {{1, 2}}, {}, 2},
        // Three deep: the two overlapping stretches meet and are joined.
        {"three deep", ranges({{"0", "10"}, {"5", "15"}, {"8", "20"}}), {}, {{5, 15}}, {}, 3},
        // The line shows coverage, whatever the order of the rows.
        {"out of order", ranges({{"10", "20"}, {"0", "10"}, {"25", "30"}}), {{20, 25}}, {}, {}, 1},
        {"decimal comma and spaces", ranges({{"1,5", " 2,5 "}, {"2.5", "3"}}), {}, {}, {}, 1},
        {"negative", ranges({{"-10", "-2,5"}, {"-2.5", "0"}}), {}, {}, {}, 1},
        {"not numbers",
         ranges({{"0", "10"}, {"abc", "20"}, {"10", ""}, {"20", "30"}}),
         {{10, 20}},
         {},
         {{1, RangeSkip::BoundNotNumber}, {2, RangeSkip::BoundNotNumber}},
         1},
        {"reversed and empty",
         ranges({{"5", "5"}, {"9", "3"}, {"0", "1"}}),
         {},
         {},
         {{0, RangeSkip::LowerNotBelowUpper}, {1, RangeSkip::LowerNotBelowUpper}},
         1},
        {"too large for the line",
         ranges({{"0", "1e400"}, {"0", "1"}}),
         {},
         {},
         {{0, RangeSkip::BoundNotNumber}},
         1},
        {"nothing", {}, {}, {}, {}, 0},
    };
    for (const auto& c : cases) {
        const RangeLayout layout = layoutRanges(c.rows);
        EXPECT_EQ(layout.gaps, c.gaps) << c.name;
        EXPECT_EQ(layout.overlaps, c.overlaps) << c.name;
        EXPECT_EQ(layout.skipped, c.skipped) << c.name;
        EXPECT_EQ(layout.laneCount, c.lanes) << c.name;
        EXPECT_EQ(layout.bars.size() + layout.skipped.size(), c.rows.size()) << c.name;
    }
}

TEST(RangeLayout, BarsComeInLineOrderAndKeepTheirRowsAndResults) {
    std::vector<ValueRow> rows{{"20", "30", "c"}, {"0", "10", "a"}, {"10", "20", "b"}, {"5", "15", "x"}};
    const RangeLayout layout = layoutRanges(rows);
    ASSERT_EQ(layout.bars.size(), 4u);
    const struct {
        int index;
        double lower;
        double upper;
        const char* result;
    } expected[] = {{1, 0, 10, "a"}, {3, 5, 15, "x"}, {2, 10, 20, "b"}, {0, 20, 30, "c"}};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(layout.bars[i].index, expected[i].index);
        EXPECT_EQ(layout.bars[i].lower, expected[i].lower);
        EXPECT_EQ(layout.bars[i].upper, expected[i].upper);
        EXPECT_EQ(layout.bars[i].result, expected[i].result);
    }
    // Ranges that overlap never share a lane; touching ones may.
    for (const RangeBar& a : layout.bars) {
        for (const RangeBar& b : layout.bars) {
            if (&a != &b && a.lane == b.lane) {
                EXPECT_TRUE(a.upper <= b.lower || b.upper <= a.lower) << a.index << " " << b.index;
            }
        }
    }
    EXPECT_EQ(layout.minimum, 0);
    EXPECT_EQ(layout.maximum, 30);
}
