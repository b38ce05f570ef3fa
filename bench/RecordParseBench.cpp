// Parsing speed of record files: a configuration of 30 columns of every type
// over synthetic records of 40 keys each, 100,000 records per run.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "load/LoadRun.h"
#include "load/RecordParser.h"

namespace {

constexpr int kRecords = 100000;
constexpr int kKeys = 40;

class NoMessages : public lorvex::platform::MessageSink {
public:
    void ShowMessage(std::string_view) override {}
};

// The peak resident size of this process in KiB, from /proc/self/status.
double PeakMemoryKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6));
    return 0;
}

std::string Configuration() {
    std::string c = "hpifolder=units;\nextension=fbi;\nshowunusedtags=1;\n";
    int key = 0;
    auto block = [&c](const std::string& type, const std::string& body) {
        c += "[" + type + "]\n{\nname=" + type + ";\n" + body + "}\n";
    };
    for (int i = 0; i < 10; ++i)
        block("numeric", "tag=k" + std::to_string(key++) + ";\ndecimals=" + std::to_string(i % 4) + ";\n");
    for (int i = 0; i < 6; ++i) block("string", "tag=K" + std::to_string(key++) + ";\n");
    for (int i = 0; i < 4; ++i) block("boolean", "tag=k" + std::to_string(key++) + ";\n");
    for (int i = 0; i < 3; ++i)
        block("symbolic", "tag=k" + std::to_string(key++) + ";\nsymbol(0)=None;\nsymbol(1)=One;\nsymbol(2)=Two;\n");
    for (int i = 0; i < 3; ++i) {
        std::string body;
        for (int j = 0; j < 3; ++j) body += "tagfor(Flag" + std::to_string(j) + ")=k" + std::to_string(key++) + ";\n";
        block("multibool", body);
    }
    // The math columns combine keys that other columns show too.
    block("math", "equation=k0 k1(1) / k2 *;\ndecimals=2;\n");
    block("math", "equation=k3 k4 + k5 -;\n");
    block("math", "equation=k6 k7 k8 * +;\ndecimals=1;\n");
    block("headertext", "");
    return c;  // keys k0..k31 are claimed; k32..k39 get columns of their own
}

std::string Record(int i, std::uint32_t& seed) {
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    std::string r = "[UNIT" + std::to_string(i) + "]\n{\n";
    for (int k = 0; k < kKeys; ++k) {
        r += "\tk" + std::to_string(k) + "=";
        const std::uint32_t v = next();
        if (k >= 10 && k < 16)
            r += (k == 10 ? "Unit number " + std::to_string(i) : "Text" + std::to_string(v % 50));
        else if (k < 10)
            r += std::to_string(v % 10000) + "." + std::to_string(v % 100);
        else
            r += std::to_string(v % 3);
        r += ";\n";
        if (k == 20) r += "\t[weapon]\n\t{\n\tdamage=" + std::to_string(v % 500) + ";\n\t}\n";
    }
    return r + "}\n";
}

struct Files {
    std::filesystem::path folder;
    std::string config;
    std::vector<std::string> records;  // record files, kRecords records in all

    explicit Files(int fileCount) {
        folder = std::filesystem::temp_directory_path() /
                 ("lorvex-bench-" + std::to_string(::getpid()) + "-" + std::to_string(fileCount));
        std::filesystem::create_directories(folder);
        config = (folder / "bench.cfg").string();
        std::ofstream(config, std::ios::binary) << Configuration();
        std::uint32_t seed = 12345;
        const int perFile = kRecords / fileCount;
        for (int f = 0; f < fileCount; ++f) {
            const std::string path = (folder / ("u" + std::to_string(f) + ".fbi")).string();
            std::ofstream out(path, std::ios::binary);
            for (int i = 0; i < perFile; ++i) out << Record(f * perFile + i, seed);
            records.push_back(path);
        }
    }
    ~Files() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

void SetUpColumns(lorvex::LoadState& state, lorvex::TableData& table, const std::string& config) {
    NoMessages messages;
    lorvex::TdfReader reader;
    reader.Open(config);
    std::uint8_t kinds[lorvex::LoadState::kMaxListColumns] = {};
    lorvex::ReadConfiguration(state, reader, table, messages, kinds);
}

void ParseRecords(benchmark::State& benchState) {
    const int fileCount = static_cast<int>(benchState.range(0));
    const Files files(fileCount);
    auto state = std::make_unique<lorvex::LoadState>();
    lorvex::TdfReader reader;
    std::int64_t rows = 0;
    int columns = 0;
    for (auto _ : benchState) {
        benchState.PauseTiming();
        auto table = std::make_unique<lorvex::TableData>();
        SetUpColumns(*state, *table, files.config);
        benchState.ResumeTiming();
        for (std::size_t f = 0; f < files.records.size(); ++f)
            lorvex::ParseRecordFile(*state, reader, *table, "u" + std::to_string(f) + ".fbi", files.records[f],
                                    "..\\bench.hpi", 0);
        rows = table->RowCount();
        columns = table->ColumnCount();
        benchmark::DoNotOptimize(rows);
        benchState.PauseTiming();
        table.reset();  // freeing the table is not part of the parse
        benchState.ResumeTiming();
    }
    if (rows != kRecords) benchState.SkipWithError("wrong row count");
    benchState.counters["records/s"] = benchmark::Counter(
        static_cast<double>(kRecords) * static_cast<double>(benchState.iterations()), benchmark::Counter::kIsRate);
    benchState.counters["columns"] = columns;
    benchState.counters["peak_KiB"] = PeakMemoryKiB();
}

}  // namespace

// One file of 100,000 records, and 100,000 records in 2,000 files of 50.
BENCHMARK(ParseRecords)->Arg(1)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
