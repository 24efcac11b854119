// Fills a grid with 10,000 rows of three cells and paints it, and does the same with a plain
// QTableWidget in the same run; prints the grid's time over the table's for each pair.
#include "CellGrid.h"
#include "RatioReporter.h"

#include <QApplication>
#include <QString>
#include <QTableWidget>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 10000;
constexpr int kColumns = 3;

const std::vector<QString>& cellTexts() {
    static const std::vector<QString> texts = [] {
        std::vector<QString> all;
        all.reserve(kRows * kColumns);
        for (int r = 0; r < kRows; ++r) {
            all.push_back(QString::number(r + 1));
            all.push_back(QStringLiteral("Название параметра %1").arg(r + 1));
            all.push_back(QStringLiteral("#P(%1)*2 + \" см.\"").arg(r % 97));
        }
        return all;
    }();
    return texts;
}

template <typename Table> void setUpColumns(Table& table) {
    table.resize(480, 360);
    table.setColumnCount(kColumns);
    for (int c = 0; c < kColumns; ++c) {
        table.setColumnWidth(c, 150);
    }
    table.show();
}

void fill(QTableWidget& table) {
    const std::vector<QString>& texts = cellTexts();
    table.setRowCount(kRows);
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            table.setItem(r, c, new QTableWidgetItem(texts[static_cast<std::size_t>(r * kColumns + c)]));
        }
    }
}

void fill(CellGrid& grid) {
    const std::vector<QString>& texts = cellTexts();
    grid.setRowCount(kRows);
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            grid.SetCellText(r, c, texts[static_cast<std::size_t>(r * kColumns + c)]);
        }
    }
}

template <typename Table> void prepare(Table& table);
template <> void prepare(QTableWidget& table) {
    table.selectRow(3);
}
template <> void prepare(CellGrid& grid) {
    grid.SetGridLines(true, Qt::black, false);
    grid.SetShowSelAlways(true);
    grid.SetEditable(true, -1);
    grid.SelectRow(3);
}

// One iteration: an empty list is filled and its visible page painted.
template <typename Table> void BM_FillAndPaint(benchmark::State& state) {
    Table table;
    setUpColumns(table);
    for (auto _ : state) {
        state.PauseTiming();
        table.setRowCount(0);
        QApplication::processEvents();
        state.ResumeTiming();
        fill(table);
        prepare(table);
        table.viewport()->repaint();
    }
    state.SetItemsProcessed(state.iterations() * kRows * kColumns);
}

// One iteration: the visible page of a filled list is painted.
template <typename Table> void BM_Paint(benchmark::State& state) {
    Table table;
    setUpColumns(table);
    fill(table);
    prepare(table);
    QApplication::processEvents();
    for (auto _ : state) {
        table.viewport()->repaint();
    }
}

BENCHMARK(BM_FillAndPaint<QTableWidget>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillAndPaint<CellGrid>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paint<QTableWidget>)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Paint<CellGrid>)->Unit(benchmark::kMicrosecond);

} // namespace

// CPU time: on a busy machine wall time mostly measures the other processes.
int main(int argc, char** argv) {
    vornak::bench::RatioReporter reporter(
        vornak::bench::RatioReporter::Clock::Cpu,
        {{"fill and paint: CellGrid / QTableWidget CPU time", "BM_FillAndPaint<QTableWidget>",
          "BM_FillAndPaint<CellGrid>"},
         {"paint: CellGrid / QTableWidget CPU time", "BM_Paint<QTableWidget>", "BM_Paint<CellGrid>"}});
    return vornak::bench::runGuiBenchmarks(argc, argv, reporter);
}
