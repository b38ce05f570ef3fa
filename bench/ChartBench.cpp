// The chart and the shading over a table of 100,000 rows: opening a chart
// window (columns offered, points, axes and one paint into an image), a hover's
// hit test, and the shading's and the figures' passes over the rows. Runs on
// the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <memory>
#include <random>
#include <string>

#include "chart/ChartPlot.h"
#include "chart/Figures.h"
#include "chart/Shade.h"
#include "chart/widget/ChartWindow.h"
#include "table/widget/TableListView.h"

namespace {

constexpr int kRows = 100000;
constexpr int kNumberColumns = 10;

// name, ten number columns (costs with one place, whole speeds and so on), a text column.
struct BigTable {
    BigTable() {
        lorvex::TableData& data = control.Data();
        std::mt19937 random(7);
        data.InsertColumn(0, "Name", lorvex::Align::Left, 80);
        for (int c = 1; c <= kNumberColumns; ++c)
            data.InsertColumn(c, "N" + std::to_string(c), lorvex::Align::Right, 60);
        data.InsertColumn(kNumberColumns + 1, "Role", lorvex::Align::Left, 80);
        for (int r = 0; r < kRows; ++r) {
            const int row = data.AppendRow("unit" + std::to_string(r));
            for (int c = 1; c <= kNumberColumns; ++c)
                data.SetCell(row, c, std::to_string(random() % 20000) + "." + std::to_string(random() % 10));
            data.SetCell(row, kNumberColumns + 1, r % 3 ? "Walker" : "Flyer");
        }
        std::vector<std::uint8_t> kinds(kNumberColumns + 2, 0x05);
        kinds.front() = kinds.back() = 0x81;
        control.SetColumnKinds(kinds.data(), static_cast<std::uint32_t>(kinds.size()));
        for (int r = 0; r < kRows; r += 50) data.SetSelected(r, true);
        host = std::make_unique<QWidget>();
        view = new lorvex::TableListView(control, host.get());
    }
    lorvex::TableListCtrl control;
    std::unique_ptr<QWidget> host;
    lorvex::TableListView* view;
};

BigTable& Table() {
    static BigTable* table = new BigTable;
    return *table;
}

// What Ctrl+G does up to the first picture: the window, its lists, the points, the axes, one paint.
void BM_OpenChart100k(benchmark::State& state) {
    BigTable& t = Table();
    QImage image(800, 600, QImage::Format_RGB32);
    for (auto _ : state) {
        auto* chart = new lorvex::ChartWindow(t.control, t.view, t.host.get());
        chart->canvas->resize(image.size());
        QPainter p(&image);
        chart->canvas->Render(p);
        p.end();
        benchmark::DoNotOptimize(chart->Points().points.size());
        delete chart;
    }
}
BENCHMARK(BM_OpenChart100k)->Unit(benchmark::kMillisecond);

// One pointer move over the plot: the nearest of 100,000 placed points.
void BM_HoverHitTest100k(benchmark::State& state) {
    BigTable& t = Table();
    const lorvex::ChartPoints points = lorvex::CollectPoints(t.control.Data(), 1, 2, false, false);
    lorvex::ChartPlot plot;
    plot.Place(points, lorvex::ChartPlot::FitX(points, false), lorvex::ChartPlot::FitY(points, false),
               {60, 10, 700, 500});
    std::mt19937 random(3);
    for (auto _ : state) benchmark::DoNotOptimize(plot.PointAt(60 + random() % 700, 10 + random() % 500, 6));
}
BENCHMARK(BM_HoverHitTest100k)->Unit(benchmark::kMicrosecond);

// The shading's ranges of ten number columns, taken again after every change of the rows.
void BM_ShadeRanges100k(benchmark::State& state) {
    BigTable& t = Table();
    lorvex::ShadeLevels levels;
    for (auto _ : state) levels.Update(t.control.Data(), t.control.ColumnKinds());
}
BENCHMARK(BM_ShadeRanges100k)->Unit(benchmark::kMillisecond);

// The figures of 2,000 highlighted rows among 100,000, after every change of the highlight.
void BM_Figures100k(benchmark::State& state) {
    BigTable& t = Table();
    for (auto _ : state) benchmark::DoNotOptimize(lorvex::FiguresText(t.control.Data(), t.control.ColumnKinds(), 3));
}
BENCHMARK(BM_Figures100k)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
