// Comparing two releases of a game of 100,000 records each (1,000 files of 100
// records, 30 columns): matching and comparing the two loaded tables alone,
// and two loads against two loads followed by the comparison, the way
// lorvex-export --compare runs. Run: build/bench/CompareBench
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "bench/QuietLoad.h"
#include "bench/SyntheticGame.h"
#include "compare/TableDiff.h"
#include "hpi/HpiWriter.h"
#include "load/LoadRun.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 1000;
constexpr int kPerFile = 100;
constexpr int kKeys = 40;
constexpr int kArchives = 2;
constexpr int kChangedEvery = 20;  // every 20th file of the old release has other flags
constexpr int kRenamedEvery = 50;  // every 50th file is new in this release (its old one gone)

// One release: its archives in root, its work folder root/cur with the configuration.
void BuildRelease(const fs::path& root, bool old) {
    fs::create_directories(root / "cur");
    for (int a = 0; a < kArchives; ++a) {
        lorvex::hpi::HpiWriter w;
        for (int f = a; f < kFiles; f += kArchives) {
            std::string text = lorvex::bench::SyntheticRecordFile(f, kPerFile, kKeys);
            std::string name = "r" + std::to_string(f);
            if (old && f % kChangedEvery == 0) {
                for (std::size_t at = text.find("=1;"); at != std::string::npos; at = text.find("=1;", at + 1))
                    text[at + 1] = '0';
            }
            if (!old && f % kRenamedEvery == 1) name += "new";
            w.AddFile("records\\" + name + ".rec", text, lorvex::hpi::PackMethod::Zlib);
        }
        w.WriteTo(root / ("a" + std::to_string(a) + ".hpi"), 0x4242);
    }
    std::ofstream(root / "cur" / "bench.cfg") << lorvex::bench::SyntheticConfiguration("records", "rec", 0);
}

struct Release {
    fs::path cur;
    lorvex::TableListCtrl table;
    lorvex::bench::Quiet quiet{"bench.cfg"};
    lorvex::Loader loader{table, quiet, quiet};
    void Load() {
        const fs::path old = fs::current_path();
        fs::current_path(cur);
        loader.LoadRun(quiet.Configuration());
        fs::current_path(old);
    }
    lorvex::CompareSide Side() const { return lorvex::SideOf(table, loader.State().headerTextColumn); }
};

struct Games {
    fs::path root;
    std::unique_ptr<Release> mine, other;
    Games() {
        root = fs::temp_directory_path() / ("lorvex-comparebench-" + std::to_string(::getpid()));
        fs::remove_all(root);
        BuildRelease(root / "new", false);
        BuildRelease(root / "old", true);
        mine = std::make_unique<Release>();
        other = std::make_unique<Release>();
        mine->cur = root / "new" / "cur";
        other->cur = root / "old" / "cur";
        mine->Load();  // the scratch copies are in place for every timed load
        other->Load();
    }
    ~Games() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

Games& TheGames() {
    static Games games;
    return games;
}

void Counters(benchmark::State& state, const lorvex::TableComparison& diff) {
    const Games& g = TheGames();
    state.counters["rows"] = g.mine->table.Data().RowCount();
    state.counters["other_rows"] = g.other->table.Data().RowCount();
    state.counters["changed"] = diff.Counts().changed;
    state.counters["added"] = diff.Counts().added;
    state.counters["removed"] = diff.Counts().removed;
}

void BM_CompareLoadedTables(benchmark::State& state) {
    Games& g = TheGames();
    lorvex::TableComparison diff;
    for (auto _ : state) {
        diff.Compare(g.mine->Side(), g.other->Side(), {});
        benchmark::DoNotOptimize(diff.Counts());
    }
    Counters(state, diff);
}
BENCHMARK(BM_CompareLoadedTables)->Unit(benchmark::kMillisecond)->Iterations(5);

// The rows' keys and their pairing alone, without the cells.
void BM_MatchRows(benchmark::State& state) {
    Games& g = TheGames();
    lorvex::RowMatch match;
    for (auto _ : state) {
        lorvex::MatchRows(g.mine->Side(), g.other->Side(), {}, match, nullptr);
        benchmark::DoNotOptimize(match.otherOfMine.data());
    }
}
BENCHMARK(BM_MatchRows)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_TwoLoads(benchmark::State& state) {
    Games& g = TheGames();
    for (auto _ : state) {
        g.mine->Load();
        g.other->Load();
    }
    state.counters["rows"] = g.mine->table.Data().RowCount();
}
BENCHMARK(BM_TwoLoads)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TwoLoadsAndCompare(benchmark::State& state) {
    Games& g = TheGames();
    lorvex::TableComparison diff;
    for (auto _ : state) {
        g.mine->Load();
        g.other->Load();
        diff.Compare(g.mine->Side(), g.other->Side(), {});
        benchmark::DoNotOptimize(diff.Counts());
    }
    Counters(state, diff);
}
BENCHMARK(BM_TwoLoadsAndCompare)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
