// Times a measured piece of work beside its baseline, the two run alternately in every iteration
// so that a noisy machine slows both alike. Reports the ratio of the totals and of the fastest
// runs, and the spread of the iterations' own ratios (lowest, median, highest).
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <vector>

namespace vornak::bench {

// Call between the two sides: a large allocation makes the allocator merge the small blocks freed
// so far, so that neither side pays at its own first large allocation for the hundreds of
// thousands the other one just freed. The memory stays with the process, so neither pays for
// fresh pages either.
inline void settleHeap() {
    void* large = std::malloc(64 * 1024);
    benchmark::DoNotOptimize(large);
    std::free(large);
}

class PairedTimer {
public:
    void add(double measured, double baseline) {
        measuredTotal_ += measured;
        baselineTotal_ += baseline;
        measuredMin_ = std::min(measuredMin_, measured);
        baselineMin_ = std::min(baselineMin_, baseline);
        if (baseline > 0) {
            ratios_.push_back(measured / baseline);
        }
    }
    void report(benchmark::State& state) const {
        using benchmark::Counter;
        state.counters["baseline_ms"] = Counter(baselineTotal_ * 1000, Counter::kAvgIterations);
        state.counters["measured_ms"] = Counter(measuredTotal_ * 1000, Counter::kAvgIterations);
        state.counters["ratio"] = measuredTotal_ / baselineTotal_;
        state.counters["ratio_of_fastest"] = measuredMin_ / baselineMin_;
        reportSpread(state, "ratio", ratios_);
    }

private:
    double measuredTotal_ = 0;
    double baselineTotal_ = 0;
    double measuredMin_ = std::numeric_limits<double>::max();
    double baselineMin_ = std::numeric_limits<double>::max();
    std::vector<double> ratios_;

public:
    // NAME_min, NAME_median and NAME_max of the values, which the benchmark table shows as the
    // figure's spread.
    static void reportSpread(benchmark::State& state, const char* name, std::vector<double> values) {
        if (values.empty()) {
            return;
        }
        std::sort(values.begin(), values.end());
        const std::string key(name);
        state.counters[key + "_min"] = values.front();
        state.counters[key + "_median"] = values[values.size() / 2];
        state.counters[key + "_max"] = values.back();
    }
};

} // namespace vornak::bench
