// The main form with a large definition: 5,000 parameters of 20 value rows each and 1,000 results.
//
//   BM_Open        opening the file into the form (5,000 parameters), beside plain QTableWidgets
//   BM_Show        what showing adds to a definition already read, 50,000 parameters beside 5,000
//   BM_AddAtTop    a new parameter above all others: every number below changes
//   BM_HoldF2      one auto-repeated F2 key press, including the repaint that follows
//   BM_Undo/Redo   one undo or redo of a step at 5,000 parameters, the views following
//
// Open and AddAtTop run beside a baseline that reads the same file and puts the same rows into
// plain QTableWidgets; the reporter prints each ratio with its target (open at most 0.4: the
// models show only the visible rows; what showing adds to the read, at 50,000 parameters at most
// 1.5 times what it adds at 5,000). Open and Show make five runs each and give the spread of their
// ratios. HoldF2, Undo and Redo: at most 4 ms each.
#include "CellGrid.h"
#include "DefinitionDocument.h"
#include "DiskStamp.h"
#include "MainWindow.h"
#include "PairedTimer.h"
#include "PlatformServices.h"
#include "RatioReporter.h"
#include "RecentFileList.h"
#include "ScriptedFileDialogs.h"
#include "ScriptedMessageBox.h"
#include "ScriptedShellOpener.h"
#include "TextCodec.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <QUndoStack>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <string>

namespace {

using namespace vornak;
using vornak::bench::PairedTimer;

constexpr int kParameters = 5000;
constexpr int kRowsEach = 20;
constexpr int kResults = 1000;
constexpr double kRepeatIntervalMs = 1000.0 / 30.0;

const ReportDefinition& largeDefinition() {
    static const ReportDefinition definition = [] {
        ReportDefinition d;
        d.parameters.reserve(kParameters);
        for (int p = 0; p < kParameters; ++p) {
            ParameterRecord record;
            record.name = TextCodec::encode(QStringLiteral("Параметр кости № %1").arg(p + 1));
            record.kind = static_cast<ValueKind>(p % 3 == 2 ? 1 : p % 2);
            record.values.reserve(kRowsEach);
            for (int r = 0; r < kRowsEach; ++r) {
                record.values.push_back(
                    ValueRow{std::to_string(20 + r) + ".5", std::to_string(21 + r) + ".5",
                             TextCodec::encode(QStringLiteral("Рост %1 см").arg(150 + r))});
            }
            d.parameters.push_back(std::move(record));
        }
        for (int r = 0; r < kResults; ++r) {
            d.results.push_back(ResultRow{TextCodec::encode(QStringLiteral("Результат %1").arg(r + 1)),
                                          "#P(" + std::to_string(r % kParameters + 1) + ")*2.5+60"});
        }
        return d;
    }();
    return definition;
}

// The large definition as a file, written once: opening reads it like the user's Open does.
const std::string& largeFile(int parameters) {
    static std::map<int, std::string> files;
    auto it = files.find(parameters);
    if (it == files.end()) {
        ReportDefinition d = largeDefinition();
        while (static_cast<int>(d.parameters.size()) < parameters) {
            d.parameters.push_back(d.parameters[d.parameters.size() % kParameters]);
        }
        d.parameters.resize(static_cast<std::size_t>(parameters));
        const std::string path = "/tmp/vornak-bench-editor-" + std::to_string(parameters) + ".rpt";
        if (!d.save(path)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
        }
        it = files.emplace(parameters, path).first;
    }
    return it->second;
}

// The form on scripted services, shown and initialised, over its own document.
struct FormRig {
    ScriptedFileDialogs dialogs;
    ScriptedMessageBox messages;
    ScriptedShellOpener shell;
    PlatformServices services{&dialogs, &messages, nullptr, &shell};
    DefinitionDocument document;
    RecentFileList recent;
    MainWindow form{document, services, recent};

    explicit FormRig(int parameters = 0) {
        form.show();
        QApplication::processEvents();
        if (parameters > 0) {
            document.open(largeFile(parameters));
            QApplication::processEvents();
        }
    }
};

// A key press as the platform delivers it: offered to the shortcuts first.
void pressKey(QWidget* target, Qt::Key key, bool autoRepeat) {
    if (!qt_sendShortcutOverrideEvent(target, 0, key, Qt::NoModifier, QString(), autoRepeat)) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(), autoRepeat);
        QApplication::sendEvent(target, &press);
    }
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(target, &release);
}

// Three plain tables with the form's columns, sized like the form's lists.
struct PlainTables {
    QWidget window;
    QTableWidget parameters{&window};
    QTableWidget values{&window};
    QTableWidget results{&window};

    PlainTables() {
        parameters.setGeometry(0, 0, 240, 250);
        values.setGeometry(250, 0, 280, 200);
        results.setGeometry(0, 260, 220, 70);
        parameters.setColumnCount(2);
        values.setColumnCount(2);
        results.setColumnCount(3);
        window.resize(540, 340);
        window.show();
        QApplication::processEvents();
    }

    // The same rows the form shows after a load, from the same bytes.
    void fill(const ReportDefinition& d) {
        parameters.setRowCount(0);
        values.setRowCount(0);
        results.setRowCount(0);
        parameters.setRowCount(static_cast<int>(d.parameters.size()));
        for (int i = 0; i < parameters.rowCount(); ++i) {
            parameters.setItem(i, 0, new QTableWidgetItem(QString::number(i + 1)));
            parameters.setItem(
                i, 1,
                new QTableWidgetItem(TextCodec::decode(d.parameters[static_cast<std::size_t>(i)].name)));
        }
        parameters.selectRow(0);
        results.setRowCount(static_cast<int>(d.results.size()));
        for (int i = 0; i < results.rowCount(); ++i) {
            const ResultRow& r = d.results[static_cast<std::size_t>(i)];
            results.setItem(i, 0, new QTableWidgetItem(QString::number(i + 1)));
            results.setItem(i, 1, new QTableWidgetItem(TextCodec::decode(r.name)));
            results.setItem(i, 2, new QTableWidgetItem(TextCodec::decode(r.result)));
        }
        results.selectRow(0);
        showValues(d.parameters.front());
    }

    void showValues(const ParameterRecord& p) {
        values.setRowCount(0);
        values.setRowCount(static_cast<int>(p.values.size()));
        for (int i = 0; i < values.rowCount(); ++i) {
            const ValueRow& v = p.values[static_cast<std::size_t>(i)];
            values.setItem(i, 0, new QTableWidgetItem(TextCodec::decode(v.value)));
            values.setItem(i, 1, new QTableWidgetItem(TextCodec::decode(v.result)));
        }
        values.selectRow(0);
    }
};

// CPU time of the calling thread, in seconds: what the benchmark library counts as cpu_time.
double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Each iteration of the opening and showing rows is one run of several rounds, the measured work
// and its baseline alternately, so that a noisy machine slows both alike; the run's ratio is that
// of its totals, and the rows report the ratios' spread over their runs.
constexpr int kRuns = 5;
constexpr int kOpensPerRun = 8;
constexpr int kShowsPerRun = 10;

// Opening the file into the form (reading it, and showing the lists: only their visible rows)
// beside reading the same file and putting its rows into plain QTableWidgets.
void BM_Open(benchmark::State& state) {
    FormRig rig;
    PlainTables tables;
    const std::string& path = largeFile(kParameters);
    // The definition it replaces is freed on another thread once the form has painted (here at
    // once, waited for outside the window's processor time); it is gone before the baseline
    // starts, which it would otherwise slow.
    // What the form's opening consists of: reading the file into the document (the lists'
    // resets included), then the event loop's turn that lays out and paints it.
    double reading = 0;
    double painting = 0;
    int openings = 0;
    const auto openForm = [&] {
        const double start = threadCpuSeconds();
        rig.document.open(path);
        const double read = threadCpuSeconds();
        QApplication::processEvents();
        reading += read - start;
        painting += threadCpuSeconds() - read;
        ++openings;
        rig.document.waitUntilReplacedFreed();
    };
    const auto openPlain = [&] {
        ReportDefinition d;
        d.load(path);
        tables.fill(d);
        QApplication::processEvents();
    };
    openForm(); // the first opening of each lays out what later ones reuse
    openPlain();
    PairedTimer runs;
    for (auto _ : state) {
        double form = 0;
        double plain = 0;
        for (int round = 0; round < kOpensPerRun; ++round) {
            const double start = threadCpuSeconds();
            openForm();
            form += threadCpuSeconds() - start;
            vornak::bench::settleHeap();
            const double plainStart = threadCpuSeconds();
            openPlain();
            plain += threadCpuSeconds() - plainStart;
            vornak::bench::settleHeap();
        }
        state.SetIterationTime(form / kOpensPerRun);
        runs.add(form / kOpensPerRun, plain / kOpensPerRun);
    }
    runs.report(state);
    state.counters["reading_ms"] = reading / openings * 1000;
    state.counters["painting_ms"] = painting / openings * 1000;
    state.counters["parameters"] = static_cast<double>(rig.form.parameterGrid()->model()->rowCount());
}

// What showing adds to reading: the form taking a definition already read (the lists' models
// reset, their first rows selected, the parameter's controls filled) and its first layout and
// paint, at 50,000 parameters beside the same at 5,000. The read, the copy handed over and the
// freeing of the previous definition stay outside the timing, so that what grows with the file is
// not counted; what is left must not grow with it.
struct ShownFile {
    std::string path;
    ReportDefinition read;
    DiskStamp stamp;
};

double showOnce(FormRig& rig, const ShownFile& file) {
    rig.document.newDocument(); // the large definition is freed here
    QApplication::processEvents();
    rig.document.waitUntilReplacedFreed();
    ReportDefinition copy = file.read;
    const double start = threadCpuSeconds();
    rig.document.restore(std::move(copy), file.path, file.stamp);
    QApplication::processEvents();
    return threadCpuSeconds() - start;
}

void BM_Show(benchmark::State& state) {
    FormRig rig;
    ShownFile small{largeFile(kParameters), {}, {}};
    ShownFile large{largeFile(10 * kParameters), {}, {}};
    for (ShownFile* file : {&small, &large}) {
        if (!file->read.load(file->path)) {
            state.SkipWithError("cannot read the definition");
            return;
        }
        file->stamp = DiskStamp::of(file->path);
    }
    showOnce(rig, large);
    showOnce(rig, small);
    PairedTimer runs;
    for (auto _ : state) {
        double largeTotal = 0;
        double smallTotal = 0;
        for (int round = 0; round < kShowsPerRun; ++round) {
            largeTotal += showOnce(rig, large);
            smallTotal += showOnce(rig, small);
        }
        state.SetIterationTime(largeTotal / kShowsPerRun);
        runs.add(largeTotal / kShowsPerRun, smallTotal / kShowsPerRun);
    }
    runs.report(state);
}

void BM_AddAtTop_Form(benchmark::State& state) {
    FormRig rig(kParameters);
    CellGrid* list = rig.form.parameterGrid();
    for (auto _ : state) {
        state.PauseTiming();
        list->clearSelection(); // with no row selected the new parameter goes first
        QApplication::processEvents();
        state.ResumeTiming();
        rig.form.runCommand(QStringLiteral("addParameter"));
        QApplication::processEvents();
        state.PauseTiming();
        rig.form.runCommand(QStringLiteral("editUndo"));
        QApplication::processEvents();
        state.ResumeTiming();
    }
    if (rig.document.definition().parameters.size() != static_cast<std::size_t>(kParameters)) {
        state.SkipWithError("the definition did not return to its size");
    }
}

void BM_AddAtTop_Baseline(benchmark::State& state) {
    PlainTables tables;
    const ReportDefinition& d = largeDefinition();
    tables.fill(d);
    ParameterRecord fresh;
    fresh.values.push_back(ValueRow{"x", "", "y"});
    for (auto _ : state) {
        // The same rows change: one row in at the top, every number below rewritten, the new
        // parameter's single value row shown.
        tables.parameters.insertRow(0);
        tables.parameters.setItem(0, 0, new QTableWidgetItem(QStringLiteral("1")));
        tables.parameters.setItem(0, 1, new QTableWidgetItem(QStringLiteral("Название")));
        for (int i = 1; i < tables.parameters.rowCount(); ++i) {
            tables.parameters.item(i, 0)->setText(QString::number(i + 1));
        }
        tables.parameters.selectRow(0);
        tables.showValues(fresh);
        QApplication::processEvents();
        state.PauseTiming();
        tables.parameters.removeRow(0);
        for (int i = 0; i < tables.parameters.rowCount(); ++i) {
            tables.parameters.item(i, 0)->setText(QString::number(i + 1));
        }
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

// Auto-repeated F2 on the title edit, on the started form (small) or after opening the large
// definition (large); each repeat is served and painted before the next is sent.
void BM_HoldF2(benchmark::State& state) {
    FormRig rig(state.range(0) != 0 ? kParameters : 0);
    QWidget* title = rig.form.findChild<QWidget*>(QStringLiteral("titleEdit"));
    title->setFocus();
    int repeats = 0;
    for (auto _ : state) {
        pressKey(title, Qt::Key_F2, repeats > 0);
        QApplication::processEvents();
        ++repeats;
    }
    state.counters["repeat_interval_ms"] = kRepeatIntervalMs;
}

// One undo, or one redo, of a step at 5,000 parameters, views included: 0 a parameter added at
// the top (every code renumbered back), 1 the first parameter deleted, 2 a kind switch to Input
// (rows dropped and brought back), 3 a cell's text.
void doStep(FormRig& rig, int kind) {
    DefinitionDocument& d = rig.document;
    switch (kind) {
    case 0:
        d.addParameter(0);
        break;
    case 1:
        d.deleteParameter(0);
        break;
    case 2:
        d.setKind(0,
                  d.definition().parameters[0].kind == ValueKind::Input ? ValueKind::List : ValueKind::Input);
        break;
    default:
        d.setCell(TextLocation{TextField::Value, 1, 1}, QStringLiteral("%1").arg(d.undoStack()->count()));
        break;
    }
    QApplication::processEvents();
}

void BM_Undo(benchmark::State& state) {
    FormRig rig(kParameters);
    QUndoStack* stack = rig.document.undoStack();
    for (auto _ : state) {
        state.PauseTiming();
        doStep(rig, static_cast<int>(state.range(0)));
        state.ResumeTiming();
        stack->undo();
        QApplication::processEvents();
    }
}

void BM_Redo(benchmark::State& state) {
    FormRig rig(kParameters);
    QUndoStack* stack = rig.document.undoStack();
    for (auto _ : state) {
        state.PauseTiming();
        doStep(rig, static_cast<int>(state.range(0)));
        stack->undo();
        QApplication::processEvents();
        state.ResumeTiming();
        stack->redo();
        QApplication::processEvents();
        state.PauseTiming();
        stack->undo();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_Open)->UseManualTime()->Iterations(kRuns)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Show)->UseManualTime()->Iterations(kRuns)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddAtTop_Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddAtTop_Form)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HoldF2)->Arg(0)->Arg(1)->Iterations(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Undo)->DenseRange(0, 3)->Iterations(30)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Redo)->DenseRange(0, 3)->Iterations(30)->Unit(benchmark::kMillisecond);

// The form's figures over their baselines, then the held-F2, undo and redo costs.
class EditorReporter : public vornak::bench::RatioReporter {
public:
    EditorReporter()
        : RatioReporter(Clock::Cpu, {{"add at top: form / plain QTableWidgets", "BM_AddAtTop_Baseline",
                                      "BM_AddAtTop_Form"}}) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.counters.count("ratio") != 0) {
                ratios_[run.run_name.function_name] = {run.counters.at("ratio"), run.counters.at("ratio_min"),
                                                       run.counters.at("ratio_max")};
            }
        }
        RatioReporter::ReportRuns(runs);
    }

    void Finalize() override {
        RatioReporter::Finalize();
        printRatio("BM_Open", "open: form / plain QTableWidgets", 0.4);
        // Reading grows with the file; what showing adds to it must not: the lists show visible
        // rows only.
        printRatio("BM_Show", "what showing adds: 50,000 parameters / 5,000", 1.5);
        for (const char* name : {"BM_HoldF2/0/iterations:100", "BM_HoldF2/1/iterations:100"}) {
            const double ms = timeOf(name);
            if (ms >= 0) {
                std::printf("%s: %.2f ms per repeat (target <= 4 ms at 5,000 parameters)\n", name, ms);
            }
        }
        for (const char* op : {"BM_Undo", "BM_Redo"}) {
            for (int kind = 0; kind <= 3; ++kind) {
                const std::string name = std::string(op) + "/" + std::to_string(kind) + "/iterations:30";
                const double ms = timeOf(name);
                if (ms >= 0) {
                    std::printf("%s: %.2f ms (target <= 4 ms)\n", name.c_str(), ms);
                }
            }
        }
    }

private:
    struct Ratio {
        double total = 0;
        double lowest = 0;
        double highest = 0;
    };

    void printRatio(const std::string& run, const char* label, double target) const {
        const auto it = ratios_.find(run);
        if (it != ratios_.end()) {
            std::printf("%s = %.2f (%.2f-%.2f over %d runs; target <= %.2g)\n", label, it->second.total,
                        it->second.lowest, it->second.highest, kRuns, target);
        }
    }

    std::map<std::string, Ratio> ratios_;
};

} // namespace

int main(int argc, char** argv) {
    EditorReporter reporter;
    return vornak::bench::runGuiBenchmarks(argc, argv, reporter);
}
