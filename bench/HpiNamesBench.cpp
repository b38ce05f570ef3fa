// Name lookups in an archive whose one folder holds 200,000 entries: opening
// it, walking it as "lorvex-hpi list -l" does (Dir, then Info for each entry)
// and unpacking every entry into memory as a load does. Each of these must
// grow linearly with the entry count.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hpi/HpiArchive.h"
#include "hpi/HpiWriter.h"

namespace {

using namespace lorvex::hpi;

constexpr int kEntries = 200000;
constexpr std::size_t kNameRoom = 256;
const char* const kFolder = "units";

struct Data {
    std::string bytes;
    std::vector<std::string> entries;

    Data() {
        HpiWriter writer;
        entries.reserve(kEntries);
        for (int i = 0; i < kEntries; ++i) {
            // Names sharing a long prefix, as a mod's numbered units do: the
            // costly case for a scan comparing names.
            const std::string name = "UNIT_RECORD_" + std::to_string(i) + ".fbi";
            const std::string text =
                "[U" + std::to_string(i) + "]\r\n{\r\n\tbuildcost=" + std::to_string(i % 977) + ";\r\n}\r\n";
            entries.push_back(std::string(kFolder) + "\\" + name);
            writer.AddFile(entries.back(), text, i % 2 == 0 ? PackMethod::Zlib : PackMethod::Stored);
        }
        bytes = writer.Build(0x5A17u);
    }
};

Data& TheData() {
    static Data data;
    return data;
}

void BM_Open(benchmark::State& state) {
    Data& data = TheData();
    for (auto _ : state) {
        auto archive = HpiArchive::OpenBytes(data.bytes);
        if (!archive) state.SkipWithError("open failed");
        benchmark::DoNotOptimize(archive.get());
    }
    state.counters["entries"] = kEntries;
}
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond);

void BM_ListDetails(benchmark::State& state) {
    auto archive = HpiArchive::OpenBytes(TheData().bytes);
    char name[kNameRoom];
    for (auto _ : state) {
        std::uint64_t total = 0;
        int listed = 0;
        for (std::size_t c = archive->Dir(0, kFolder, name, sizeof name); c != 0;
             c = archive->Dir(c, kFolder, name, sizeof name), ++listed) {
            const auto info = archive->Info(std::string(kFolder) + "\\" + name);
            total += info ? info->packedSize : 0;
        }
        if (listed != kEntries) state.SkipWithError("wrong entry count");
        benchmark::DoNotOptimize(total);
    }
    state.counters["entries"] = kEntries;
}
BENCHMARK(BM_ListDetails)->Unit(benchmark::kMillisecond);

void BM_ExtractAllToMemory(benchmark::State& state) {
    Data& data = TheData();
    auto archive = HpiArchive::OpenBytes(data.bytes);
    std::vector<std::uint8_t> bytes;
    for (auto _ : state) {
        for (const std::string& entry : data.entries)
            if (!archive->ExtractToMemory(entry, bytes)) state.SkipWithError("extract failed");
        benchmark::DoNotOptimize(bytes.data());
    }
    state.counters["entries"] = kEntries;
}
BENCHMARK(BM_ExtractAllToMemory)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
