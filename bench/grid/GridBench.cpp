// Shows 10,000 rows of three cells in the grid (a table model over texts that already exist, as the
// definition's do) and paints the visible page, and fills a plain QTableWidget with the same texts
// in the same run; prints the grid's time over the table's for each pair. The grid asks its model
// only for the cells it paints, so showing the rows costs next to nothing.
#include "CellGrid.h"
#include "RatioReporter.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QString>
#include <QTableWidget>
#include <benchmark/benchmark.h>

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

// The texts as rows of three editable cells; no data of its own beyond how many rows it shows.
class TextTable : public QAbstractTableModel {
public:
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : rows_; }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : kColumns; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) {
            return {};
        }
        return cellTexts()[static_cast<std::size_t>(index.row() * kColumns + index.column())];
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
    }
    void show(int rows) {
        beginResetModel();
        rows_ = rows;
        endResetModel();
    }

private:
    int rows_ = 0;
};

template <typename Table> void setUpColumns(Table& table) {
    table.resize(480, 360);
    for (int c = 0; c < kColumns; ++c) {
        table.setColumnWidth(c, 150);
    }
    table.show();
}

// A plain QTableWidget: one item per cell.
struct PlainTable {
    PlainTable() {
        table.setColumnCount(kColumns);
        setUpColumns(table);
    }
    void clear() { table.setRowCount(0); }
    void fill() {
        const std::vector<QString>& texts = cellTexts();
        table.setRowCount(kRows);
        for (int r = 0; r < kRows; ++r) {
            for (int c = 0; c < kColumns; ++c) {
                table.setItem(r, c, new QTableWidgetItem(texts[static_cast<std::size_t>(r * kColumns + c)]));
            }
        }
        table.selectRow(3);
    }
    QWidget* viewport() { return table.viewport(); }

    QTableWidget table;
};

// The grid over the model, set up as the editor sets up its lists.
struct Grid {
    Grid() {
        grid.setModel(&model);
        grid.setGridLines(true, Qt::black);
        grid.setShowSelectionAlways(true);
        setUpColumns(grid);
    }
    void clear() { model.show(0); }
    void fill() {
        model.show(kRows);
        grid.selectRow(3);
    }
    QWidget* viewport() { return grid.viewport(); }

    TextTable model; // outlives the grid
    CellGrid grid;
};

// One iteration: an empty list is filled and its visible page painted.
template <typename List> void BM_FillAndPaint(benchmark::State& state) {
    List list;
    for (auto _ : state) {
        state.PauseTiming();
        list.clear();
        QApplication::processEvents();
        state.ResumeTiming();
        list.fill();
        list.viewport()->repaint();
    }
    state.SetItemsProcessed(state.iterations() * kRows * kColumns);
}

// One iteration: the visible page of a filled list is painted.
template <typename List> void BM_Paint(benchmark::State& state) {
    List list;
    list.fill();
    QApplication::processEvents();
    for (auto _ : state) {
        list.viewport()->repaint();
    }
}

BENCHMARK(BM_FillAndPaint<PlainTable>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillAndPaint<Grid>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paint<PlainTable>)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Paint<Grid>)->Unit(benchmark::kMicrosecond);

} // namespace

// CPU time: on a busy machine wall time mostly measures the other processes.
int main(int argc, char** argv) {
    vornak::bench::RatioReporter reporter(
        vornak::bench::RatioReporter::Clock::Cpu,
        {{"fill and paint: CellGrid / QTableWidget CPU time", "BM_FillAndPaint<PlainTable>",
          "BM_FillAndPaint<Grid>", 0.5},
         {"paint: CellGrid / QTableWidget CPU time", "BM_Paint<PlainTable>", "BM_Paint<Grid>", 1.5}});
    return vornak::bench::runGuiBenchmarks(argc, argv, reporter);
}
