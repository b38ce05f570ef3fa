// Loads of a game of real size and shape (bench/RealShapedGame.h): the first
// load into a new current folder, and a reload in the same folder, which finds
// the scratch copies already there. Run: build/bench/RealGameBench
// (LORVEX_KEEP_GAME=/tmp/game build/bench/RealGameBench --benchmark_filter=Reload leaves the game
// in /tmp/game, to time lorvex-export -C /tmp/game/cur units.cfg out.txt on it.)
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

#include "bench/QuietLoad.h"
#include "bench/RealShapedGame.h"
#include "bench/Reloads.h"
#include "load/LoadRun.h"

namespace fs = std::filesystem;

namespace {

lorvex::bench::RealShapedGame& TheGame() {
    static lorvex::bench::RealShapedGame game;
    return game;
}

void Report(benchmark::State& state, const lorvex::TableListCtrl& table) {
    state.counters["rows"] = table.Data().RowCount();
    state.counters["columns"] = table.Data().ColumnCount();
    state.counters["MB_text"] = static_cast<double>(TheGame().textBytes) / 1e6;
}

// Every iteration loads in a current folder of its own, created (untimed) just before.
void BM_RealGameFirstLoad(benchmark::State& state) {
    auto& game = TheGame();
    const fs::path old = fs::current_path();
    lorvex::TableListCtrl table;
    int serial = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path folder = game.root / ("first" + std::to_string(serial++));
        fs::create_directories(folder);
        lorvex::bench::RealShapedGame::WriteConfiguration(folder);
        fs::current_path(folder);
        lorvex::bench::Quiet quiet("units.cfg");
        lorvex::Loader loader(table, quiet, quiet);
        loader.SetArchiveFolder("..");
        state.ResumeTiming();
        loader.LoadRun(quiet.Configuration());
    }
    fs::current_path(old);
    Report(state, table);
}
BENCHMARK(BM_RealGameFirstLoad)->Unit(benchmark::kMillisecond)->Iterations(8);

// One load first (untimed), then every iteration loads again in the same folder.
void BM_RealGameReload(benchmark::State& state) {
    lorvex::bench::TimeReloads(state, TheGame().root / "cur", "units.cfg",
                               [&](const lorvex::Loader& loader, const lorvex::TableListCtrl& table) {
                                   Report(state, table);
                                   state.counters["scratch_written"] = loader.ScratchWritten();
                               });
}
BENCHMARK(BM_RealGameReload)->Unit(benchmark::kMillisecond)->Iterations(8);

}  // namespace

BENCHMARK_MAIN();
