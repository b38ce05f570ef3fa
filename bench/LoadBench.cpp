// A whole load of a synthetic game of 100,000 records (about 60 MB of record
// text, zlib-packed into four archives, 1,000 files), against merely inflating
// the same chunks in memory, and against inflating them and writing each file
// as a short script would. Run: build/bench/LoadBench
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <unistd.h>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/QuietLoad.h"
#include "bench/Reloads.h"
#include "bench/SyntheticGame.h"
#include "hpi/HpiInflate.h"
#include "hpi/HpiWriter.h"
#include "load/LoadRun.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 1000;
constexpr int kPerFile = 100;
constexpr int kKeys = 40;

struct Game {
    fs::path root;
    std::size_t textBytes = 0;
    std::vector<std::vector<std::string>> chunks;  // each file's zlib chunks, 64 KiB of text each
    std::vector<std::size_t> sizes;                // each file's text size
    ~Game() {
        std::error_code ec;
        if (!root.empty()) fs::remove_all(root, ec);
    }
};

void Build(Game& g) {
    {
        g.root = fs::temp_directory_path() / ("lorvex-loadbench-" + std::to_string(::getpid()));
        fs::remove_all(g.root);
        fs::create_directories(g.root / "cur");
        const char* names[] = {"rev31.gp3", "a.ccx", "b.ufo", "c.hpi"};
        for (int a = 0; a < 4; ++a) {
            lorvex::hpi::HpiWriter w;
            for (int f = a; f < kFiles; f += 4) {
                const std::string text = lorvex::bench::SyntheticRecordFile(f, kPerFile, kKeys);
                g.textBytes += text.size();
                w.AddFile("records\\r" + std::to_string(f) + ".rec", text, lorvex::hpi::PackMethod::Zlib);
                std::vector<std::string> packed;
                for (std::size_t at = 0; at < text.size(); at += 65536) {
                    const std::size_t n = std::min<std::size_t>(65536, text.size() - at);
                    uLongf len = compressBound(n);
                    std::string out(len, '\0');
                    compress2(reinterpret_cast<Bytef*>(out.data()), &len,
                              reinterpret_cast<const Bytef*>(text.data() + at), n, Z_DEFAULT_COMPRESSION);
                    out.resize(len);
                    packed.push_back(std::move(out));
                }
                g.chunks.push_back(std::move(packed));
                g.sizes.push_back(text.size());
            }
            w.WriteTo(g.root / names[a], 0x4242);
        }
        std::ofstream(g.root / "cur" / "bench.cfg") << lorvex::bench::SyntheticConfiguration("records", "rec", 0);
    }
}

Game& TheGame() {
    static Game game;  // removes its folder at exit
    if (game.root.empty()) Build(game);
    return game;
}

long PeakKiB() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

void Counters(benchmark::State& state, long rows) {
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["records/s"] =
        benchmark::Counter(static_cast<double>(rows) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["MB_text"] = static_cast<double>(TheGame().textBytes) / 1e6;
    state.counters["peak_MiB"] = static_cast<double>(PeakKiB()) / 1024.0;
}

// Each iteration a new program in a new current folder (created untimed).
void BM_LoadWholeGame(benchmark::State& state) {
    Game& g = TheGame();
    const fs::path old = fs::current_path();
    long rows = 0;
    int serial = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path folder = g.root / ("first" + std::to_string(serial++));
        fs::create_directories(folder);
        fs::copy_file(g.root / "cur" / "bench.cfg", folder / "bench.cfg");
        fs::current_path(folder);
        state.ResumeTiming();
        lorvex::TableListCtrl table;
        lorvex::bench::Quiet quiet("bench.cfg");
        lorvex::Loader loader(table, quiet, quiet);
        loader.LoadRun(quiet.Configuration());
        rows = table.Data().RowCount();
        benchmark::DoNotOptimize(rows);
    }
    fs::current_path(old);
    Counters(state, rows);
}
BENCHMARK(BM_LoadWholeGame)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same program loading again in the same folder.
void BM_ReloadWholeGame(benchmark::State& state) {
    lorvex::bench::TimeReloads(
        state, TheGame().root / "cur", "bench.cfg",
        [&](const lorvex::Loader&, const lorvex::TableListCtrl& table) { Counters(state, table.Data().RowCount()); });
}
BENCHMARK(BM_ReloadWholeGame)->Unit(benchmark::kMillisecond)->Iterations(3);

// Inflating every file's chunks and writing the file, overwriting the last
// iteration's copy: what a load must at least do when every file is new.
void BM_InflateAndWrite(benchmark::State& state) {
    Game& g = TheGame();
    const fs::path folder = g.root / "written";
    fs::create_directories(folder);
    std::vector<unsigned char> out;
    lorvex::hpi::Inflater inflater;
    for (auto _ : state) {
        for (std::size_t f = 0; f < g.chunks.size(); ++f) {
            out.resize(g.sizes[f]);
            for (std::size_t i = 0; i < g.chunks[f].size(); ++i) {
                const std::string& c = g.chunks[f][i];
                const std::size_t n = std::min<std::size_t>(65536, g.sizes[f] - i * 65536);
                if (!inflater.Inflate(reinterpret_cast<const std::uint8_t*>(c.data()), c.size(), out.data() + i * 65536,
                                      n))
                    state.SkipWithError("inflate failed");
            }
            std::FILE* file = std::fopen((folder / ("r" + std::to_string(f) + ".rec")).c_str(), "wb");
            if (!file || std::fwrite(out.data(), 1, out.size(), file) != out.size())
                state.SkipWithError("write failed");
            if (file) std::fclose(file);
        }
    }
    state.counters["MB_text"] = static_cast<double>(g.textBytes) / 1e6;
}
BENCHMARK(BM_InflateAndWrite)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_InflateOnly(benchmark::State& state) {
    Game& g = TheGame();
    // The same inflater the archive reader uses, on the same 64 KiB chunks.
    std::vector<unsigned char> out(65536);
    lorvex::hpi::Inflater inflater;
    for (auto _ : state) {
        std::size_t total = 0;
        for (std::size_t f = 0; f < g.chunks.size(); ++f)
            for (std::size_t i = 0; i < g.chunks[f].size(); ++i) {
                const std::string& c = g.chunks[f][i];
                const std::size_t n = std::min<std::size_t>(65536, g.sizes[f] - i * 65536);
                if (!inflater.Inflate(reinterpret_cast<const std::uint8_t*>(c.data()), c.size(), out.data(), n))
                    state.SkipWithError("inflate failed");
                total += n;
            }
        benchmark::DoNotOptimize(total);
    }
    state.counters["MB_text"] = static_cast<double>(g.textBytes) / 1e6;
}
BENCHMARK(BM_InflateOnly)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
