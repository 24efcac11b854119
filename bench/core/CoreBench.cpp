// Load, save and table export of a ~20 MB definition, each timed beside a baseline that does only
// the unavoidable work on the same bytes in the same run:
//   load:   read the file and split it into a vector of line strings;
//   save, exportTable: write the already-built bytes with the same flush-and-replace steps
//   (and the same two from the command line's compact definition of the file).
// The two are timed alternately in every iteration, so a noisy machine slows both alike; the
// counters give the ratio of the totals and of the fastest runs. Load also reports its peak heap
// (counted by this program's operator new) relative to the file size.
//
// Files go to $VORNAK_BENCH_DIR when set, else to the system's temporary folder.
#include "AtomicFile.h"
#include "CompactDefinition.h"
#include "CountingAllocator.h"
#include "LargeDefinition.h"
#include "PairedTimer.h"
#include "ReportDefinition.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace vornak::bench {
namespace {

constexpr std::size_t parameterCount = 10'000;
constexpr std::size_t rowsPerParameter = 20;

struct Workload {
    std::filesystem::path folder;
    std::string definitionPath;
    ReportDefinition model;
    std::string definitionBytes;
    std::string tableBytes;

    Workload() {
        const char* chosen = std::getenv("VORNAK_BENCH_DIR");
        const std::filesystem::path base =
            chosen != nullptr ? std::filesystem::path(chosen) : std::filesystem::temp_directory_path();
        folder = base / ("vornak-core-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        definitionPath = (folder / "large.rpt").string();
        model = makeLargeDefinition(parameterCount, rowsPerParameter);
        definitionBytes = serializeDefinition(model);
        tableBytes = serializeTable(model);
        std::string error;
        if (!replaceFileContents(definitionPath, definitionBytes, error)) {
            throw std::runtime_error("cannot write the benchmark file: " + error);
        }
    }
    ~Workload() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::string scratchPath(const char* name) const { return (folder / name).string(); }
};

Workload& workload() {
    static Workload instance;
    return instance;
}

} // namespace

const std::string& largeDefinitionFile() {
    return workload().definitionPath;
}

std::string benchScratchPath(const char* name) {
    return workload().scratchPath(name);
}

namespace {

using Clock = std::chrono::steady_clock;

double secondsOf(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The bare reader: the whole file into memory, then one string per line without its line end.
std::vector<std::string> readLines(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    file.seekg(0, std::ios::end);
    const auto size = static_cast<std::size_t>(file.tellg());
    file.seekg(0, std::ios::beg);
    std::string bytes(size, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(size));
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        std::size_t stop = end;
        if (stop > start && bytes[stop - 1] == '\r') {
            --stop;
        }
        lines.emplace_back(bytes, start, stop - start);
        start = end + 1;
    }
    return lines;
}

void BM_Load(benchmark::State& state) {
    const Workload& w = workload();
    PairedTimer timer;
    for (auto _ : state) {
        std::vector<std::string> lines;
        const double baseline = secondsOf([&] { lines = readLines(w.definitionPath); });
        benchmark::DoNotOptimize(lines.data());
        lines = {};
        settleHeap();

        auto loaded = std::make_unique<ReportDefinition>();
        bool ok = false;
        const double measured = secondsOf([&] { ok = loaded->load(w.definitionPath); });
        if (!ok) {
            state.SkipWithError(("load failed: " + loaded->loadError().reason).c_str());
            break;
        }
        loaded.reset();
        settleHeap();
        state.SetIterationTime(measured);
        timer.add(measured, baseline);
    }
    timer.report(state);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * w.definitionBytes.size()));
    state.counters["file_MB"] = static_cast<double>(w.definitionBytes.size()) / 1e6;
}

// Peak heap during one call, relative to the file size, and what stays live after it.
struct HeapUse {
    double peakRatio = 0;
    double keptRatio = 0;
};

template <typename Work> HeapUse heapUseOf(std::size_t fileSize, Work work) {
    const std::size_t before = liveHeapBytes();
    resetPeakHeapBytes();
    auto result = work();
    HeapUse use;
    use.peakRatio = static_cast<double>(peakHeapBytes() - before) / static_cast<double>(fileSize);
    use.keptRatio = static_cast<double>(liveHeapBytes() - before) / static_cast<double>(fileSize);
    benchmark::DoNotOptimize(result);
    return use;
}

void BM_LoadPeakMemory(benchmark::State& state) {
    const Workload& w = workload();
    const std::size_t fileSize = w.definitionBytes.size();
    HeapUse core;
    HeapUse baseline;
    HeapUse compact;
    for (auto _ : state) {
        core = heapUseOf(fileSize, [&] {
            ReportDefinition loaded;
            if (!loaded.load(w.definitionPath)) {
                throw std::runtime_error("load failed");
            }
            return loaded;
        });
        baseline = heapUseOf(fileSize, [&] { return readLines(w.definitionPath); });
        compact = heapUseOf(fileSize, [&] {
            auto loaded = std::make_unique<CompactDefinition>();
            if (!loaded->load(w.definitionPath)) {
                throw std::runtime_error("compact load failed");
            }
            return loaded;
        });
    }
    state.counters["peak_per_file_byte"] = core.peakRatio;
    state.counters["model_per_file_byte"] = core.keptRatio;
    state.counters["baseline_peak_per_file_byte"] = baseline.peakRatio;
    state.counters["baseline_lines_per_file_byte"] = baseline.keptRatio;
    // The command line's compact definition of the same file.
    state.counters["compact_peak_per_file_byte"] = compact.peakRatio;
    state.counters["compact_per_file_byte"] = compact.keptRatio;
}

void writeBenchmark(benchmark::State& state, const std::string& bytes,
                    const std::function<bool(const std::string&)>& write) {
    const Workload& w = workload();
    const std::string measuredPath = w.scratchPath("measured.out");
    const std::string baselinePath = w.scratchPath("baseline.out");
    PairedTimer timer;
    for (auto _ : state) {
        std::string error;
        bool baselineOk = false;
        const double baseline =
            secondsOf([&] { baselineOk = replaceFileContents(baselinePath, bytes, error); });
        bool ok = false;
        const double measured = secondsOf([&] { ok = write(measuredPath); });
        if (!ok || !baselineOk) {
            state.SkipWithError("writing failed");
            break;
        }
        state.SetIterationTime(measured);
        timer.add(measured, baseline);
    }
    timer.report(state);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
    if (std::filesystem::file_size(measuredPath) != bytes.size()) {
        state.SkipWithError("the written file differs in size from the baseline's");
    }
}

void BM_Save(benchmark::State& state) {
    const Workload& w = workload();
    writeBenchmark(state, w.definitionBytes, [&](const std::string& path) { return w.model.save(path); });
}

// The same writer over the compact definition of the same file, as the command line saves it.
const CompactDefinition& compactModel() {
    static const CompactDefinition compact = [] {
        CompactDefinition loaded;
        if (!loaded.load(workload().definitionPath)) {
            throw std::runtime_error("compact load failed");
        }
        return loaded;
    }();
    return compact;
}

void BM_SaveCompact(benchmark::State& state) {
    writeBenchmark(state, workload().definitionBytes,
                   [&](const std::string& path) { return compactModel().save(path); });
}

void BM_ExportTableCompact(benchmark::State& state) {
    writeBenchmark(state, workload().tableBytes,
                   [&](const std::string& path) { return compactModel().exportTable(path); });
}

void BM_ExportTable(benchmark::State& state) {
    const Workload& w = workload();
    writeBenchmark(state, w.tableBytes, [&](const std::string& path) { return w.model.exportTable(path); });
}

BENCHMARK(BM_Load)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_LoadPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_ExportTable)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_SaveCompact)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_ExportTableCompact)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace
} // namespace vornak::bench

BENCHMARK_MAIN();
