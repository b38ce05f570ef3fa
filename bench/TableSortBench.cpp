// Sorting and fitting a table of the size a large game gives: 100,000 rows of
// 130 cells. Each iteration starts from a shuffled row order.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "table/TableListCtrl.h"

namespace {

constexpr int kRows = 100000;
constexpr int kColumns = 130;
constexpr int kNumericColumn = 1;
constexpr int kTextColumn = 2;

// Widths from a table per byte, the way the window's measure works.
class ByteMeasure : public lorvex::TextMeasure {
public:
    int CellTextWidth(std::string_view text) override { return Sum(text); }
    int HeadingTextWidth(std::string_view text) override { return Sum(text); }
    int SpaceWidth() override { return 3; }

private:
    static int Sum(std::string_view text) {
        int w = 0;
        for (unsigned char c : text) w += 5 + (c & 3);
        return w;
    }
};

// A table as a load leaves it: rows in load order, texts interned in that order.
lorvex::TableListCtrl* MakeTable() {
    auto* t = new lorvex::TableListCtrl;
    lorvex::TableData& data = t->Data();
    std::mt19937 random(2024);
    std::vector<std::string> words;
    for (int i = 0; i < 5000; ++i) {
        std::string w;
        const int len = 3 + static_cast<int>(random() % 12);
        for (int k = 0; k < len; ++k) w += static_cast<char>((random() % 3 ? 'a' : 'A') + random() % 26);
        words.push_back(w);
    }
    std::vector<std::uint8_t> kinds(kColumns, 0x81);
    for (int c = 0; c < kColumns; ++c) data.InsertColumn(c, "Column " + std::to_string(c), lorvex::Align::Left, 0);
    data.SetNotify(false);
    char number[32];
    for (int r = 0; r < kRows; ++r) {
        const int row = data.AppendRow("unit" + std::to_string(random() % 1000000));
        for (int c = 1; c < kColumns; ++c) {
            if (c % 3 == 1) {  // numeric columns, some empty
                if (random() % 10 == 0) continue;
                std::snprintf(number, sizeof number, "%.2f", static_cast<double>(random() % 2000000) / 100.0 - 5000.0);
                data.SetCell(row, c, number);
                kinds[c] = 0x05;
            } else if (random() % 7 != 0) {
                data.SetCell(row, c, words[random() % words.size()]);
            }
        }
    }
    data.SetNotify(true);
    t->SetColumnKinds(kinds.data(), kColumns);
    t->EnableClickSort(true);
    return t;
}

// The sorts shuffle this one; the fit after a load gets its own.
lorvex::TableListCtrl& Table() {
    static lorvex::TableListCtrl* table = MakeTable();
    return *table;
}
lorvex::TableListCtrl& LoadedTable() {
    static lorvex::TableListCtrl* table = MakeTable();
    return *table;
}

void Shuffle(lorvex::TableData& data, std::mt19937& random) {
    std::vector<int> order(static_cast<std::size_t>(data.RowCount()));
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), random);
    data.PermuteRows(order);
}

void SortColumn(benchmark::State& state, int column, bool ctrl) {
    lorvex::TableListCtrl& table = Table();
    std::mt19937 random(5);
    for (auto _ : state) {
        state.PauseTiming();
        Shuffle(table.Data(), random);
        state.ResumeTiming();
        table.HeadingClick(column, 0, ctrl);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_SortNumeric(benchmark::State& state) { SortColumn(state, kNumericColumn, false); }
void BM_SortText(benchmark::State& state) { SortColumn(state, kTextColumn, false); }
void BM_SortTextCtrlDuplicates(benchmark::State& state) { SortColumn(state, kTextColumn, true); }

// The fit at the end of a load: every column of width 0.
void BM_AutoSizeAllColumns(benchmark::State& state) {
    lorvex::TableListCtrl& table = LoadedTable();
    ByteMeasure measure;
    table.SetTextMeasure(&measure);
    for (auto _ : state) {
        state.PauseTiming();
        for (int c = 0; c < kColumns; ++c) table.Data().SetColumnWidth(c, 0);
        state.ResumeTiming();
        table.AutoSizeColumns(-1, 1);
    }
    table.SetTextMeasure(nullptr);
}

}  // namespace

BENCHMARK(BM_SortNumeric)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortTextCtrlDuplicates)->Unit(benchmark::kMillisecond);
// A right click that expands one column of a sorted (shuffled) table.
void BM_ExpandOneColumn(benchmark::State& state) {
    lorvex::TableListCtrl& table = Table();
    ByteMeasure measure;
    table.SetTextMeasure(&measure);
    for (auto _ : state) {
        table.Data().SetColumnWidth(kNumericColumn, 10);
        table.CollapseOrExpand(kNumericColumn);
    }
    table.SetTextMeasure(nullptr);
}

BENCHMARK(BM_AutoSizeAllColumns)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExpandOneColumn)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
