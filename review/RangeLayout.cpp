#include "RangeLayout.h"

#include "DefinitionChecks.h"

#include <algorithm>
#include <cmath>

namespace vornak {

RangeLayout layoutRanges(const std::vector<ValueRow>& rows) {
    RangeLayout layout;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int index = static_cast<int>(i);
        double lower = 0;
        double upper = 0;
        // A huge exponent reads as infinity, which has no place on the line.
        if (!parseNumber(rows[i].value, lower) || !parseNumber(rows[i].upperBound, upper) ||
            !std::isfinite(lower) || !std::isfinite(upper)) {
            layout.skipped.push_back({index, RangeSkip::BoundNotNumber});
            continue;
        }
        if (!(lower < upper)) {
            layout.skipped.push_back({index, RangeSkip::LowerNotBelowUpper});
            continue;
        }
        layout.bars.push_back({index, lower, upper, 0, rows[i].result});
    }
    if (layout.bars.empty()) {
        return layout;
    }
    std::stable_sort(layout.bars.begin(), layout.bars.end(), [](const RangeBar& a, const RangeBar& b) {
        return a.lower < b.lower || (a.lower == b.lower && a.upper < b.upper);
    });

    // Sweep in order of lower bounds: what starts beyond everything so far leaves a gap, what
    // starts before the end of the covered stretch overlaps it.
    std::vector<double> laneEnds;
    double covered = layout.bars.front().lower;
    for (RangeBar& bar : layout.bars) {
        if (bar.lower > covered) {
            layout.gaps.push_back({covered, bar.lower});
        } else if (bar.lower < covered) {
            const RangeStretch overlap{bar.lower, std::min(bar.upper, covered)};
            if (!layout.overlaps.empty() && overlap.from <= layout.overlaps.back().to) {
                layout.overlaps.back().to = std::max(layout.overlaps.back().to, overlap.to);
            } else {
                layout.overlaps.push_back(overlap);
            }
        }
        covered = std::max(covered, bar.upper);

        // The first lane whose last range ends where this one starts or before.
        auto lane =
            std::find_if(laneEnds.begin(), laneEnds.end(), [&](double end) { return end <= bar.lower; });
        if (lane == laneEnds.end()) {
            laneEnds.push_back(bar.upper);
            bar.lane = static_cast<int>(laneEnds.size()) - 1;
        } else {
            *lane = bar.upper;
            bar.lane = static_cast<int>(lane - laneEnds.begin());
        }
    }
    layout.laneCount = static_cast<int>(laneEnds.size());
    layout.minimum = layout.bars.front().lower;
    layout.maximum = covered;
    return layout;
}

} // namespace vornak
