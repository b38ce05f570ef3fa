// Archives with very many entries, as a stranger's mod can make them: every
// name lookup must cost the same however full a folder is, so that a load
// grows with the entries and no faster.
//  - BM_LoadOneFolderOf200000: 200,000 record files in one folder, all harvested
//    (a reload: the scratch copies are already there).
//  - BM_RealGameReload / BM_RealGameWith20000OtherEntries: the real-shaped game
//    alone, and with an archive of 20,000 entries no configuration harvests
//    (target: within 1.2 times the game alone).
// Run: build/bench/ManyEntriesBench
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bench/RealShapedGame.h"
#include "bench/Reloads.h"
#include "hpi/HpiWriter.h"
#include "load/LoadRun.h"

namespace fs = std::filesystem;

namespace {

constexpr int kManyEntries = 200'000;
constexpr int kOtherEntries = 20'000;

// Reloads, with the counters these benchmarks report.
void ReloadWithCounters(benchmark::State& state, const fs::path& current) {
    lorvex::bench::TimeReloads(state, current, "units.cfg",
                               [&](const lorvex::Loader& loader, const lorvex::TableListCtrl& table) {
                                   state.counters["rows"] = table.Data().RowCount();
                                   state.counters["skipped"] = static_cast<double>(loader.Report().skipped.size());
                               });
}

void BM_LoadOneFolderOf200000(benchmark::State& state) {
    const fs::path root = fs::temp_directory_path() / ("lorvex-many-" + std::to_string(::getpid()));
    fs::create_directories(root / "cur");
    {
        lorvex::hpi::HpiWriter writer;
        for (int i = 0; i < kManyEntries; ++i) {
            const std::string n = std::to_string(i);
            writer.AddFile("units\\u" + n + ".fbi", "[U" + n + "]\n{\nname=u" + n + ";\n}\n",
                           lorvex::hpi::PackMethod::Stored);
        }
        writer.WriteTo(root / "rev31.gp3", 0);
        std::ofstream(root / "cur" / "units.cfg") << "hpifolder=units;\nextension=.fbi;\n"
                                                     "[string]\n{\nname=Name;\ntag=name;\n}\n";
    }
    state.counters["MB_archive"] = static_cast<double>(fs::file_size(root / "rev31.gp3")) / 1e6;
    ReloadWithCounters(state, root / "cur");
    std::error_code ec;
    fs::remove_all(root, ec);
}
BENCHMARK(BM_LoadOneFolderOf200000)->Unit(benchmark::kMillisecond)->Iterations(2);

lorvex::bench::RealShapedGame& TheGame() {
    static lorvex::bench::RealShapedGame game;
    return game;
}

void BM_RealGameReload(benchmark::State& state) { ReloadWithCounters(state, TheGame().root / "cur"); }
BENCHMARK(BM_RealGameReload)->Unit(benchmark::kMillisecond)->Iterations(10);

// The same game with one more archive, holding only what the configuration never asks for.
void BM_RealGameWith20000OtherEntries(benchmark::State& state) {
    const fs::path extra = TheGame().root / "zz-other.hpi";
    {
        lorvex::hpi::HpiWriter writer;
        // Half beside the records with another ending (walked past), half in a folder never asked for.
        for (int i = 0; i < kOtherEntries; ++i)
            writer.AddFile((i % 2 ? "anims\\frame" : "units\\script") + std::to_string(i) + (i % 2 ? ".gaf" : ".cob"),
                           "x", lorvex::hpi::PackMethod::Stored);
        writer.WriteTo(extra, 0);
    }
    ReloadWithCounters(state, TheGame().root / "cur");
    fs::remove(extra);
}
BENCHMARK(BM_RealGameWith20000OtherEntries)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
