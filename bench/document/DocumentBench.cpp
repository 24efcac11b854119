// One undo plus one redo of each kind of step on 5,000 parameters × 20 rows and 1,000 results,
// with the parameter, value and result models attached as the editor has them. Target: each undo
// or redo at most 4 ms, that is at most 8 ms per UndoRedo iteration. PushUndo measures a new step
// (codes renumbered afresh) with its undo.
#include "DefinitionDocument.h"
#include "LargeDefinition.h"
#include "RecordTableModel.h"
#include "ValueTableModel.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <filesystem>
#include <functional>
#include <memory>

namespace vornak::bench {
namespace {

constexpr std::size_t parameterCount = 5000;

struct Room {
    DefinitionDocument document;
    RecordTableModel parameters{document, RecordKind::Parameter};
    ValueTableModel values{document};
    RecordTableModel results{document, RecordKind::Result};
};

// The large definition, opened once into a document with its models.
Room& room() {
    static std::unique_ptr<Room> opened = [] {
        ReportDefinition definition = makeLargeDefinition(parameterCount, 20);
        definition.results.clear();
        for (int i = 0; i < 1000; ++i) {
            definition.results.push_back(
                {"Result " + std::to_string(i + 1), "#P(" + std::to_string(i + 1) + ")*2"});
        }
        const std::string path =
            (std::filesystem::temp_directory_path() / "vornak-bench-document.rpt").string();
        definition.save(path);
        auto made = std::make_unique<Room>();
        made->document.open(path);
        std::filesystem::remove(path);
        made->values.setParameter(2500);
        return made;
    }();
    return *opened;
}

void undoRedo(benchmark::State& state, const std::function<bool(DefinitionDocument&)>& step) {
    Room& r = room();
    if (!step(r.document)) {
        state.SkipWithError("the step did nothing");
        return;
    }
    QUndoStack* stack = r.document.undoStack();
    for (auto _ : state) {
        stack->undo();
        stack->redo();
    }
    stack->undo();
}

// A new step (its renumbering found afresh) and its undo: what one held F2 or F4 costs.
void pushUndo(benchmark::State& state, const std::function<bool(DefinitionDocument&)>& step) {
    Room& r = room();
    QUndoStack* stack = r.document.undoStack();
    for (auto _ : state) {
        step(r.document);
        stack->undo();
    }
}

void registerAll() {
    const std::pair<const char*, std::function<bool(DefinitionDocument&)>> steps[] = {
        {"insert_parameter_at_top", [](DefinitionDocument& d) { return d.addParameter(0) == 0; }},
        {"delete_first_parameter", [](DefinitionDocument& d) { return d.deleteParameter(0); }},
        {"move_parameter", [](DefinitionDocument& d) { return d.moveParameter(10, 1) == 11; }},
        {"duplicate_parameter", [](DefinitionDocument& d) { return d.duplicateParameter(0) == 1; }},
        {"switch_shown_kind", [](DefinitionDocument& d) { return d.setKind(2500, ValueKind::Input); }},
        {"cell_edit",
         [](DefinitionDocument& d) {
             return d.setCell({TextField::ResultText, 1, 0}, "#T");
         }},
        {"insert_result_at_top", [](DefinitionDocument& d) { return d.addResult(0) == 0; }},
        {"add_value_row", [](DefinitionDocument& d) { return d.addValueRow(2500, 0) == 0; }},
    };
    for (const auto& [name, step] : steps) {
        benchmark::RegisterBenchmark((std::string("UndoRedo/") + name).c_str(), [step = step](
                                                                                    benchmark::State& state) {
            undoRedo(state, step);
        })->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("PushUndo/insert_parameter_at_top", [](benchmark::State& state) {
        pushUndo(state, [](DefinitionDocument& d) { return d.addParameter(0) == 0; });
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("PushUndo/insert_result_at_top", [](benchmark::State& state) {
        pushUndo(state, [](DefinitionDocument& d) { return d.addResult(0) == 0; });
    })->Unit(benchmark::kMillisecond);
}

} // namespace
} // namespace vornak::bench

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    vornak::bench::registerAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
