// Saving one changed record file back into a mod-sized archive: 1,500 zlib
// entries, about 8 MB, each a file of several records with varied values (so
// that they pack about as well as real ones do).
//  - BM_SaveOneChangeInto1500Entries: SaveIntoArchives end to end: the archive
//    read, rewritten with its other entries copied as stored, flushed to the
//    disk, kept as .bak (the first time) and renamed into place.
//    Target: under 1 s.
// Run: build/bench/SaveBench
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>

#include "edit/SaveChanges.h"
#include "hpi/HpiWriter.h"

namespace fs = std::filesystem;

namespace {

constexpr int kEntries = 1500;
constexpr int kBlocksPerFile = 76;
constexpr const char* kSides[] = {"CINDER", "VERDANT", "NEUTRAL"};

// One record block shaped like the demo game's units, values drawn at random.
std::string Block(std::mt19937& random, const std::string& name) {
    std::uniform_int_distribution<int> big(100, 99999), small(0, 99);
    const auto n = [&](auto& d) { return std::to_string(d(random)); };
    return "[" + name + "]\r\n\t{\r\n\tUnitName=" + name + ";\r\n\tName=" + name + " Mk" + n(small) +
           ";\r\n\tSide=" + kSides[small(random) % 3] + ";\r\n\tDescription=Raider of the " + n(big) +
           "th line;\r\n\tBuildCostMetal=" + n(big) + "." + n(small) + ";\r\n\tBuildCostEnergy=" + n(big) +
           ";\r\n\tBuildTime=" + n(big) + ";\r\n\tMaxDamage=" + n(big) + ";\r\n\tmaxvelocity=" + n(small) + "." +
           n(big) + ";\r\n\tSightDistance=" + n(big) + ";\r\n\tTechLevel=" + n(small) + ";\r\n\tThreatLevel=0." +
           n(big) + ";\r\n\tcanfly=0;\r\n\tCanHover=" + std::to_string(small(random) % 2) + ";\r\n\tWeapon1=WPN_" +
           n(big) + ";\r\n\tWeapon2=WPN_" + n(big) + ";\r\n\t}\r\n";
}

std::string File(std::mt19937& random, int index) {
    std::string text;
    for (int b = 0; b < kBlocksPerFile; ++b)
        text += Block(random, "UNIT" + std::to_string(index) + "_" + std::to_string(b));
    return text;
}

void BM_SaveOneChangeInto1500Entries(benchmark::State& state) {
    const fs::path root = fs::temp_directory_path() / ("lorvex-save-" + std::to_string(::getpid()));
    fs::create_directories(root / "cur");
    std::mt19937 random(1500);
    {
        lorvex::hpi::HpiWriter writer;
        for (int i = 0; i < kEntries; ++i)
            writer.AddFile((i % 5 == 0 ? "weapons\\w" : "units\\u") + std::to_string(i) + ".fbi", File(random, i));
        writer.WriteTo(root / "mod.hpi", 0);
    }
    state.counters["MB_archive"] = static_cast<double>(fs::file_size(root / "mod.hpi")) / 1e6;
    const std::string text = File(random, 7);
    int round = 0;
    for (auto _ : state) {
        const lorvex::SaveOutcome saved = lorvex::SaveIntoArchives(
            {{"..\\mod.hpi", "units\\u7.fbi", text + "; round " + std::to_string(round++) + "\r\n"}}, root.string());
        if (!saved.ok) state.SkipWithError(saved.message.c_str());
    }
    std::error_code ec;
    fs::remove_all(root, ec);
}
BENCHMARK(BM_SaveOneChangeInto1500Entries)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
