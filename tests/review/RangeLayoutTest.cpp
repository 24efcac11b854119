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

TEST(RangeScale, KeepsEveryStretchWideEnoughAndTheRestInProportion) {
    const struct {
        const char* name;
        std::vector<ValueRow> rows;
        double length;
        std::vector<double> positions; // of the distinct bounds, ascending
    } cases[] = {
        {"in proportion", ranges({{"0", "10"}, {"10", "30"}}), 300, {0, 100, 300}},
        {"a small range beside a huge one", ranges({{"0", "0,001"}, {"0", "1000000"}}), 300, {0, 12, 300}},
        {"a small range at the far end",
         ranges({{"0", "1000000"}, {"1000000", "1000000,5"}}),
         300,
         {0, 288, 300}},
        // Widening one stretch shrinks another below the minimum: it gets the minimum too.
        {"two rounds", ranges({{"0", "1"}, {"1", "14"}, {"14", "100"}}), 100, {0, 12, 24, 100}},
        {"no room for the minimum: equal shares",
         ranges({{"0", "1"}, {"1", "2"}, {"2", "1000"}}),
         30,
         {0, 10, 20, 30}},
        {"near the limits of double", ranges({{"-1e308", "0"}, {"0", "1e308"}}), 200, {0, 100, 200}},
    };
    for (const auto& c : cases) {
        const RangeScale scale(layoutRanges(c.rows), c.length, 12);
        ASSERT_EQ(scale.positions().size(), c.positions.size()) << c.name;
        for (std::size_t i = 0; i < c.positions.size(); ++i) {
            EXPECT_NEAR(scale.positions()[i], c.positions[i], 1e-6) << c.name << " bound " << i;
            EXPECT_DOUBLE_EQ(scale(scale.bounds()[i]), scale.positions()[i]) << c.name;
        }
    }
}

TEST(RangeScale, IsStraightBetweenBoundsAndStopsAtTheEnds) {
    const RangeScale scale(layoutRanges(ranges({{"0", "10"}, {"10", "30"}})), 300, 12);
    EXPECT_DOUBLE_EQ(scale(5), 50);
    EXPECT_DOUBLE_EQ(scale(20), 200);
    EXPECT_DOUBLE_EQ(scale(-5), 0);
    EXPECT_DOUBLE_EQ(scale(40), 300);
    EXPECT_DOUBLE_EQ(RangeScale()(3), 0) << "no bars, no line";
}
