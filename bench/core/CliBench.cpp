// vornak-cli on the large definition beside iconv converting the same file from Windows-1251 to
// UTF-8, the two run alternately as child processes: the CPU time each child took (user plus
// system), and vornak-cli's peak resident memory compared with the file's size. The peak is taken
// by /usr/bin/time in a run of its own: a child started from this process would count this
// process's memory as its own peak, since the system keeps the largest resident size across exec.
#include "LargeDefinition.h"
#include "PairedTimer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace vornak::bench {
namespace {

struct ChildUse {
    double cpuSeconds = 0;
};

// Runs the program (looked up in PATH) with its standard output going to `output`, and returns
// what the child used; throws when it cannot be run or does not succeed.
ChildUse runChild(const std::vector<std::string>& command, const std::string& output) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (const std::string& arg : command) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        throw std::runtime_error("cannot run " + command[0]);
    }
    int status = 0;
    rusage use{};
    while (::wait4(child, &status, 0, &use) < 0) {
        if (errno != EINTR) {
            throw std::runtime_error("cannot wait for " + command[0]);
        }
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error(command[0] + " failed");
    }
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return {seconds(use.ru_utime) + seconds(use.ru_stime)};
}

// The command's peak resident memory in bytes, as /usr/bin/time reports it.
double peakBytesOf(const std::vector<std::string>& command) {
    const std::string report = benchScratchPath("peak.txt");
    std::vector<std::string> timed = {"/usr/bin/time", "-f", "%M", "-o", report};
    timed.insert(timed.end(), command.begin(), command.end());
    runChild(timed, "/dev/null");
    std::ifstream in(report);
    double kilobytes = 0;
    if (!(in >> kilobytes) || kilobytes <= 0) {
        throw std::runtime_error("/usr/bin/time gave no peak memory");
    }
    return kilobytes * 1024.0;
}

// `arguments` follow the program's name; the file's path is appended, then `extra`.
void cliBenchmark(benchmark::State& state, const std::vector<std::string>& arguments,
                  const std::vector<std::string>& extra, const std::string& baselineOutput) {
    const std::string& file = largeDefinitionFile();
    const double fileSize = static_cast<double>(std::filesystem::file_size(file));
    // $VORNAK_BENCH_CLI measures another build of the tool (an earlier version, say) the same way.
    const char* chosen = std::getenv("VORNAK_BENCH_CLI");
    std::vector<std::string> command = {chosen != nullptr ? chosen : VORNAK_CLI_PATH};
    command.insert(command.end(), arguments.begin(), arguments.end());
    command.push_back(file);
    command.insert(command.end(), extra.begin(), extra.end());
    PairedTimer timer;
    std::vector<double> peaks;
    try {
        for (auto _ : state) {
            const ChildUse baseline =
                runChild({"iconv", "-f", "cp1251", "-t", "utf-8", file}, baselineOutput);
            const ChildUse measured = runChild(command, "/dev/null");
            state.SetIterationTime(measured.cpuSeconds);
            timer.add(measured.cpuSeconds, baseline.cpuSeconds);
            peaks.push_back(peakBytesOf(command) / fileSize);
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    timer.report(state);
    PairedTimer::reportSpread(state, "peak_per_file_byte", peaks);
    state.counters["peak_per_file_byte"] = *std::max_element(peaks.begin(), peaks.end());
    state.counters["file_MB"] = fileSize / 1e6;
}

void BM_CliCheck(benchmark::State& state) {
    // iconv's UTF-8 goes nowhere, as check's report of a sound file is one line.
    cliBenchmark(state, {"check"}, {}, "/dev/null");
}

void BM_CliConvert(benchmark::State& state) {
    // The same iconv as for check: convert writes its R2 bytes through a safe replace on top.
    cliBenchmark(state, {"convert"}, {benchScratchPath("converted.rpt")}, "/dev/null");
}

BENCHMARK(BM_CliCheck)->UseManualTime()->Iterations(7)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CliConvert)->UseManualTime()->Iterations(7)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace vornak::bench
