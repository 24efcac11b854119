// The definition checks and the renumbering of codes, each timed beside a bare pass that only
// reads every byte of every text once (the least any check of the whole definition must do):
//   check:    5,000 parameters x 20 rows and 50 results (target: under 50 ms), and a typical
//             definition of 30 parameters x 6 rows and 10 results (target: well under 1 ms);
//   renumber: the rewrites for a parameter inserted at the top of the large definition.
#include "DefinitionChecks.h"
#include "DefinitionText.h"
#include "LargeDefinition.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace vornak::bench {
namespace {

using Clock = std::chrono::steady_clock;

// Every byte of every text, summed, so that the compiler cannot skip the reading.
std::uint64_t touchEveryText(const ReportDefinition& definition) {
    std::uint64_t sum = 0;
    const auto add = [&sum](const std::string& text) {
        for (const char c : text) {
            sum += static_cast<unsigned char>(c);
        }
    };
    for (const ParameterRecord& parameter : definition.parameters) {
        add(parameter.name);
        add(parameter.formula);
        for (const ValueRow& row : parameter.values) {
            add(row.value);
            add(row.upperBound);
            add(row.result);
        }
    }
    for (const ResultRow& row : definition.results) {
        add(row.name);
        add(row.result);
    }
    return sum;
}

// This thread's processor time: on a loaded machine it tells the work's own cost better than the
// wall clock does.
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

template <typename Work>
void timedBesideBaseline(benchmark::State& state, const ReportDefinition& definition, Work work) {
    double measuredTotal = 0;
    double baselineTotal = 0;
    double measuredCpu = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        benchmark::DoNotOptimize(touchEveryText(definition));
        const double baseline = std::chrono::duration<double>(Clock::now() - start).count();
        const double cpuStart = threadSeconds();
        start = Clock::now();
        work();
        const double measured = std::chrono::duration<double>(Clock::now() - start).count();
        measuredCpu += threadSeconds() - cpuStart;
        state.SetIterationTime(measured);
        measuredTotal += measured;
        baselineTotal += baseline;
    }
    using benchmark::Counter;
    state.counters["baseline_us"] = Counter(baselineTotal * 1e6, Counter::kAvgIterations);
    state.counters["cpu_us"] = Counter(measuredCpu * 1e6, Counter::kAvgIterations);
    state.counters["ratio"] = measuredTotal / baselineTotal;
}

const ReportDefinition& largeDefinition() {
    static const ReportDefinition definition = makeLargeDefinition(5'000, 20);
    return definition;
}

const ReportDefinition& typicalDefinition() {
    static const ReportDefinition definition = [] {
        ReportDefinition d = makeLargeDefinition(30, 6);
        d.results.resize(10);
        return d;
    }();
    return definition;
}

void BM_CheckLarge(benchmark::State& state) {
    const ReportDefinition& definition = largeDefinition();
    std::size_t findings = 0;
    timedBesideBaseline(state, definition, [&] { findings = checkDefinition(definition).size(); });
    state.counters["findings"] = static_cast<double>(findings);
}

void BM_CheckTypical(benchmark::State& state) {
    const ReportDefinition& definition = typicalDefinition();
    timedBesideBaseline(state, definition, [&] { benchmark::DoNotOptimize(checkDefinition(definition)); });
}

void BM_RenumberAfterInsertAtTop(benchmark::State& state) {
    const ReportDefinition& definition = largeDefinition();
    std::vector<int> mapping;
    for (int n = 1; n <= static_cast<int>(definition.parameters.size()); ++n) {
        mapping.push_back(n + 1);
    }
    std::size_t changes = 0;
    timedBesideBaseline(state, definition,
                        [&] { changes = renumberParameterReferences(definition, mapping).size(); });
    state.counters["changes"] = static_cast<double>(changes);
}

BENCHMARK(BM_CheckLarge)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_CheckTypical)->UseManualTime()->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_RenumberAfterInsertAtTop)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace
} // namespace vornak::bench
