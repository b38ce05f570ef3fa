// Inflating zlib-packed record files: the raw chunk inflation in memory, and
// whole-file extraction to disk through HpiArchive, over ~60 MB of TDF-like text.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "hpi/HpiArchive.h"
#include "hpi/HpiChunk.h"
#include "hpi/HpiInflate.h"
#include "hpi/HpiWriter.h"

namespace {

namespace fs = std::filesystem;
using namespace lorvex::hpi;

constexpr int kArchives = 4;
constexpr int kFilesPerArchive = 25;

// Text shaped like the game's unit records: many small blocks of key=value
// lines whose values vary, so it packs about as well as the real thing.
std::string RecordText(std::uint32_t seed, std::size_t size) {
    static const char* const keys[] = {"name",       "description",   "buildcostenergy", "buildcostmetal",
                                       "maxdamage",  "maxvelocity",   "acceleration",    "brakerate",
                                       "turnrate",   "sightdistance", "radardistance",   "category",
                                       "footprintx", "footprintz",    "maxslope",        "weapon1"};
    std::string text;
    text.reserve(size + 512);
    std::uint32_t x = seed * 2654435761u + 1;
    auto next = [&x] {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        return x;
    };
    for (int block = 0; text.size() < size; ++block) {
        text += "[UNITINFO" + std::to_string(seed) + "_" + std::to_string(block) + "]\r\n{\r\n";
        for (const char* key : keys) {
            text += "\t";
            text += key;
            text += "=";
            const std::uint32_t r = next();
            if (r % 3 == 0)
                text += "Unit " + std::to_string(r % 977) + " of series " + std::to_string(r % 31);
            else
                text += std::to_string(r % 100000) + "." + std::to_string(r % 100);
            text += ";\r\n";
        }
        text += "}\r\n";
    }
    text.resize(size);
    return text;
}

std::size_t FileSize(int index) {
    // 60 KB to ~1.2 MB, about 600 KB on average.
    return 60000 + static_cast<std::size_t>((index * 7919) % 100) * 11000;
}

struct Data {
    fs::path folder;
    std::vector<fs::path> archives;
    std::vector<std::vector<std::string>> entries;  // per archive
    std::vector<std::string> chunks;                // packed zlib payloads, no header
    std::vector<std::size_t> chunkSizes;            // unpacked size of each
    std::uint64_t totalBytes = 0;

    Data() {
        folder = fs::temp_directory_path() / ("lorvex-hpi-bench-" + std::to_string(::getpid()));
        fs::create_directories(folder / "out");
        int index = 0;
        for (int a = 0; a < kArchives; ++a) {
            HpiWriter writer;
            entries.emplace_back();
            for (int f = 0; f < kFilesPerArchive; ++f, ++index) {
                const std::string text = RecordText(static_cast<std::uint32_t>(index), FileSize(index));
                const std::string entry = "units\\unit" + std::to_string(index) + ".fbi";
                writer.AddFile(entry, text, PackMethod::Zlib);
                entries.back().push_back(entry);
                totalBytes += text.size();
                for (std::size_t at = 0; at < text.size(); at += kChunkUnpacked) {
                    const std::size_t n = std::min(kChunkUnpacked, text.size() - at);
                    std::string chunk;
                    AppendChunk(reinterpret_cast<const std::uint8_t*>(text.data() + at), n, kChunkZlib, false, chunk);
                    chunks.push_back(chunk.substr(kChunkHeaderSize));
                    chunkSizes.push_back(n);
                }
            }
            archives.push_back(folder / ("a" + std::to_string(a) + ".hpi"));
            writer.WriteTo(archives.back(), 0x1207u + static_cast<std::uint32_t>(a));
        }
    }
    ~Data() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
};

Data& TheData() {
    static Data data;
    return data;
}

void InflateChunks(benchmark::State& state, InflateBackend backend) {
    Data& data = TheData();
    Inflater inflater(backend);
    std::vector<std::uint8_t> out(kChunkUnpacked);
    for (auto _ : state) {
        for (std::size_t i = 0; i < data.chunks.size(); ++i) {
            const auto* in = reinterpret_cast<const std::uint8_t*>(data.chunks[i].data());
            if (!inflater.Inflate(in, data.chunks[i].size(), out.data(), data.chunkSizes[i]))
                state.SkipWithError("inflate failed");
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.totalBytes));
}

void BM_InflateChunksZlib(benchmark::State& state) { InflateChunks(state, InflateBackend::Zlib); }
BENCHMARK(BM_InflateChunksZlib)->Unit(benchmark::kMillisecond);

void BM_InflateChunksLibdeflate(benchmark::State& state) {
    if (!HaveLibdeflate()) {
        state.SkipWithError("built without libdeflate");
        return;
    }
    InflateChunks(state, InflateBackend::Libdeflate);
}
BENCHMARK(BM_InflateChunksLibdeflate)->Unit(benchmark::kMillisecond);

// Open every archive and extract every file, as a load does.
void BM_ExtractAllFiles(benchmark::State& state) {
    Data& data = TheData();
    const fs::path out = data.folder / "out";
    for (auto _ : state) {
        for (std::size_t a = 0; a < data.archives.size(); ++a) {
            auto archive = HpiArchive::Open(data.archives[a]);
            if (!archive) {
                state.SkipWithError("open failed");
                return;
            }
            int n = 0;
            for (const std::string& entry : data.entries[a])
                if (!archive->ExtractFile(entry, out / ("f" + std::to_string(n++) + ".fbi")))
                    state.SkipWithError("extract failed");
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.totalBytes));
    state.counters["files"] = static_cast<double>(kArchives * kFilesPerArchive);
}
BENCHMARK(BM_ExtractAllFiles)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
