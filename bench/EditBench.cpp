// One cell edit as the window makes it: the value written into the record
// file's text, the file parsed again and its rows rewritten, the step kept for
// undo. A table of 5,000 rows from 1,000 record files of 5 records of 40 keys
// (about 3 KB each), 30 columns of every type. The edit should stay under 5 ms.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

#include "bench/SyntheticGame.h"
#include "edit/EditHistory.h"
#include "load/LoadRun.h"
#include "load/RecordParser.h"

namespace {

constexpr int kFiles = 1000;
constexpr int kPerFile = 5;
constexpr int kKeys = 40;
constexpr int kEditedColumn = 1;  // the first numeric column
// Undo steps kept before the history is emptied, so that memory stays flat over a long run.
constexpr int kStepsKept = 1000;

class NoMessages : public lorvex::platform::MessageSink {
public:
    void ShowMessage(std::string_view) override {}
};

void BM_EditCellWithReparse(benchmark::State& run) {
    using namespace lorvex;
    LoadState state;
    TableData table;
    NoMessages messages;
    std::uint8_t kinds[LoadState::kMaxListColumns] = {};
    TdfReader reader;
    const std::string cfg = bench::SyntheticConfiguration("units", ".fbi", 1);
    reader.OpenMemory(cfg);
    ReadConfiguration(state, reader, table, messages, kinds);

    std::vector<RecordSource> sources;
    std::map<std::string, std::string, std::less<>> texts;
    for (int f = 0; f < kFiles; ++f) {
        const std::string name = "f" + std::to_string(f) + ".fbi";
        RecordSource source{"rev31.gp3  ::  " + name, "..\\rev31.gp3", "units\\" + name, name, 0};
        texts[source.location] = bench::SyntheticRecordFile(f, kPerFile, kKeys);
        ParseRecordText(state, reader, table, name, texts[source.location], source.archivePath, 0);
        sources.push_back(std::move(source));
    }
    std::map<std::string, const RecordSource*, std::less<>> byLocation;
    for (const RecordSource& s : sources) byLocation[s.location] = &s;

    EditSession session([&](const RecordSource& s) { return std::optional<std::string>(texts.at(s.location)); });
    EditHistory history(state, table, session, [&](std::string_view location) -> const RecordSource* {
        const auto it = byLocation.find(location);
        return it == byLocation.end() ? nullptr : it->second;
    });

    const int row = table.RowCount() / 2;
    int n = 0;
    for (auto _ : run) {
        const EditHistory::Result r = history.EditCell(row, kEditedColumn, {(n & 1) ? "123" : "456"});
        benchmark::DoNotOptimize(r.done);
        if (!r.done) {
            run.SkipWithError(r.problem.c_str());
            break;
        }
        if (++n % kStepsKept == 0) history.Clear();
    }
    run.counters["rows"] = table.RowCount();
}
BENCHMARK(BM_EditCellWithReparse)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
