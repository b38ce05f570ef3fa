// The window's load of the real-shaped game (bench/RealShapedGame.h) on the
// offscreen platform: the real progress labels, column fitting and the paint
// of the filled table, timed until no event is left. Compare with RealGameBench,
// which loads the same game without a window as lorvex-export does.
// Run: build/bench/WindowLoadBench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/MainDialog.h"
#include "bench/RealShapedGame.h"

namespace fs = std::filesystem;

namespace {

lorvex::bench::RealShapedGame& TheGame() {
    static lorvex::bench::RealShapedGame game;
    return game;
}

class Units : public lorvex::ConfigChooser {
public:
    std::string ChooseConfiguration() override { return "units.cfg"; }
};

// The window up, its first load (started by its first paint) over.
struct Window {
    Units chooser;
    lorvex::MainDialog dialog;
    Window() {
        dialog.SetChooser(&chooser);
        dialog.show();
        while (dialog.Table().Data().RowCount() == 0) QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    void Load() {
        dialog.LoadRun();
        QCoreApplication::processEvents();  // the table's paint
    }
};

void BM_WindowFirstLoad(benchmark::State& state) {
    auto& game = TheGame();
    const fs::path old = fs::current_path();
    fs::current_path(game.root / "cur");
    Window window;
    int serial = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path folder = game.root / ("window" + std::to_string(serial++));
        fs::create_directories(folder);
        lorvex::bench::RealShapedGame::WriteConfiguration(folder);
        fs::current_path(folder);
        state.ResumeTiming();
        window.Load();
    }
    fs::current_path(old);
    state.counters["rows"] = window.dialog.Table().Data().RowCount();
    state.counters["columns"] = window.dialog.Table().Data().ColumnCount();
}
BENCHMARK(BM_WindowFirstLoad)->Unit(benchmark::kMillisecond)->Iterations(8);

void BM_WindowReload(benchmark::State& state) {
    auto& game = TheGame();
    const fs::path old = fs::current_path();
    fs::current_path(game.root / "cur");
    Window window;
    for (auto _ : state) window.Load();
    fs::current_path(old);
    state.counters["rows"] = window.dialog.Table().Data().RowCount();
}
BENCHMARK(BM_WindowReload)->Unit(benchmark::kMillisecond)->Iterations(8);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
