// What the GUI benchmark programs share: a console reporter that, after the usual table, prints
// each measured figure over its baseline from the same run, and the main() that runs them on the
// offscreen platform.
#pragma once

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace vornak::bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    enum class Clock { Real, Cpu };

    // One ratio to print: the run named `measured` over the run named `baseline`, and the most it
    // should be.
    struct Pair {
        std::string label;
        std::string baseline;
        std::string measured;
        double target = 1.5;
    };

    RatioReporter(Clock clock, std::vector<Pair> pairs) : clock_(clock), pairs_(std::move(pairs)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                times_[run.benchmark_name()] =
                    clock_ == Clock::Real ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const Pair& pair : pairs_) {
            const auto base = times_.find(pair.baseline);
            const auto ours = times_.find(pair.measured);
            if (base != times_.end() && ours != times_.end() && base->second > 0) {
                std::printf("%s = %.2f (target <= %.2g)\n", pair.label.c_str(), ours->second / base->second,
                            pair.target);
            }
        }
    }

protected:
    // The time of a finished run in the reporter's clock and the run's unit, or a negative value.
    double timeOf(const std::string& name) const {
        const auto it = times_.find(name);
        return it == times_.end() ? -1.0 : it->second;
    }

private:
    Clock clock_;
    std::vector<Pair> pairs_;
    std::map<std::string, double> times_;
};

// Runs the registered benchmarks with one QApplication, offscreen unless the caller chose a platform.
inline int runGuiBenchmarks(int argc, char** argv, benchmark::BenchmarkReporter& reporter) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace vornak::bench
