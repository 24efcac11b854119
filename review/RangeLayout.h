// Where the ranges of a Range parameter lie on the number line: the ranges with numeric bounds,
// the stretches no range covers, the stretches two ranges cover, and the rows left out. RangeStrip
// draws this; it is plain data so that it can be checked without drawing.
#pragma once

#include "ReportDefinition.h"

#include <string>
#include <vector>

namespace vornak {

struct RangeBar {
    int index = 0; // value row, counted from 0
    double lower = 0;
    double upper = 0;
    int lane = 0; // ranges that overlap go to different lanes; touching ranges may share one
    std::string result;
};

// A stretch of the number line, [from, to).
struct RangeStretch {
    double from = 0;
    double to = 0;

    bool operator==(const RangeStretch&) const = default;
};

enum class RangeSkip {
    BoundNotNumber,     // a bound that does not read as a number (empty included)
    LowerNotBelowUpper, // an empty or reversed range
};

struct SkippedRange {
    int index = 0; // value row, counted from 0
    RangeSkip why = RangeSkip::BoundNotNumber;

    bool operator==(const SkippedRange&) const = default;
};

struct RangeLayout {
    std::vector<RangeBar> bars; // in order of their lower bounds
    std::vector<RangeStretch> gaps;
    std::vector<RangeStretch> overlaps; // joined where they meet
    std::vector<SkippedRange> skipped;  // in row order
    int laneCount = 0;
    double minimum = 0; // the lowest lower bound and the highest upper bound of the bars
    double maximum = 0;
};

// Bounds read as the checks read numbers (a decimal comma too).
RangeLayout layoutRanges(const std::vector<ValueRow>& rows);

// Where values lie along a line `length` pixels long that runs from the lowest bound of a layout's
// bars to the highest. Each stretch between two neighbouring bounds takes its share of the line in
// proportion to its length, but never less than `minimumStep` pixels while the line has room for
// that (and an equal share of it otherwise), so that a small range beside a huge one keeps a width
// one can see and click. Between bounds the line is straight.
class RangeScale {
public:
    RangeScale() = default;
    RangeScale(const RangeLayout& layout, double length, double minimumStep);

    // The distance from the line's start, 0 to length; values outside the bounds stay at the ends.
    double operator()(double value) const;
    // The bounds of the bars, ascending, each once, and where each lies.
    const std::vector<double>& bounds() const { return bounds_; }
    const std::vector<double>& positions() const { return positions_; }

private:
    std::vector<double> bounds_;
    std::vector<double> positions_;
};

} // namespace vornak
