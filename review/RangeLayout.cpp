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

RangeScale::RangeScale(const RangeLayout& layout, double length, double minimumStep) {
    for (const RangeBar& bar : layout.bars) {
        bounds_.push_back(bar.lower);
        bounds_.push_back(bar.upper);
    }
    std::sort(bounds_.begin(), bounds_.end());
    bounds_.erase(std::unique(bounds_.begin(), bounds_.end()), bounds_.end());
    if (bounds_.size() < 2) {
        positions_.assign(bounds_.size(), 0.0);
        return;
    }
    const std::size_t steps = bounds_.size() - 1;
    std::vector<double> widths(steps, length / static_cast<double>(steps));
    if (minimumStep * static_cast<double>(steps) < length) {
        // Halved so that bounds near the limits of double do not overflow the span.
        std::vector<double> shares(steps);
        for (std::size_t i = 0; i < steps; ++i) {
            shares[i] = bounds_[i + 1] / 2 - bounds_[i] / 2;
        }
        // Stretches too short for the minimum get it; the rest share what is left in proportion.
        // Each round fixes at least one more stretch or ends.
        std::vector<bool> fixed(steps, false);
        for (bool again = true; again;) {
            again = false;
            double freeLength = length;
            double freeShare = 0;
            for (std::size_t i = 0; i < steps; ++i) {
                if (fixed[i]) {
                    freeLength -= minimumStep;
                } else {
                    freeShare += shares[i];
                }
            }
            for (std::size_t i = 0; i < steps; ++i) {
                if (fixed[i]) {
                    widths[i] = minimumStep;
                    continue;
                }
                widths[i] = freeShare > 0 ? shares[i] / freeShare * freeLength : minimumStep;
                if (widths[i] < minimumStep) {
                    fixed[i] = true;
                    again = true;
                }
            }
        }
    }
    positions_.resize(bounds_.size());
    positions_[0] = 0;
    for (std::size_t i = 0; i < steps; ++i) {
        positions_[i + 1] = positions_[i] + widths[i];
    }
    positions_.back() = length; // no rounding left over at the end
}

double RangeScale::operator()(double value) const {
    if (bounds_.empty()) {
        return 0;
    }
    if (!(value > bounds_.front())) {
        return positions_.front();
    }
    if (!(value < bounds_.back())) {
        return positions_.back();
    }
    const auto above = std::upper_bound(bounds_.begin(), bounds_.end(), value);
    const auto i = static_cast<std::size_t>(above - bounds_.begin()) - 1;
    const double span = bounds_[i + 1] / 2 - bounds_[i] / 2;
    const double share = span > 0 ? (value / 2 - bounds_[i] / 2) / span : 0.0;
    return positions_[i] + share * (positions_[i + 1] - positions_[i]);
}

} // namespace vornak
