// Splits the input into a configuration and a record file (at the first two
// NUL bytes in a row, or in the middle), reads the configuration the way a load
// does and parses the record file into a table.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include <unistd.h>

#include "load/LoadRun.h"
#include "load/RecordParser.h"

namespace {

class NoMessages : public lorvex::platform::MessageSink {
public:
    void ShowMessage(std::string_view text) override { total += text.size(); }
    std::size_t total = 0;
};

bool WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string base = "/tmp/lorvex-fuzz-cfg-" + std::to_string(::getpid());
    static const std::string configPath = base + ".cfg";
    static const std::string recordPath = base + ".fbi";

    std::size_t split = size / 2;
    std::size_t rest = split;
    for (std::size_t i = 0; i + 1 < size; ++i) {
        if (data[i] == 0 && data[i + 1] == 0) {
            split = i;
            rest = i + 2;
            break;
        }
    }
    if (!WriteFile(configPath, data, split) || !WriteFile(recordPath, data + rest, size - rest)) return 0;

    auto state = std::make_unique<lorvex::LoadState>();
    lorvex::TableData table;
    NoMessages messages;
    std::uint8_t kinds[lorvex::LoadState::kMaxListColumns];
    std::memset(kinds, 0x81, sizeof kinds);
    lorvex::TdfReader config;
    if (!config.Open(configPath)) return 0;
    lorvex::ReadConfiguration(*state, config, table, messages, kinds);

    static lorvex::TdfReader records;
    lorvex::ParseRecordFile(*state, records, table, "unit.fbi", recordPath, "..\\fuzz.hpi",
                            static_cast<int>(size % lorvex::LoadState::kPairs));
    // A second file into the same table, as a load does with many files.
    lorvex::ParseRecordFile(*state, records, table, "unit2.fbi", recordPath, "fuzz.hpi", 31);
    // Columns for unclaimed keys stop at 128; with 127 or 128 configured ones the
    // two fixed columns alone go past that.
    const int limit = std::max(lorvex::LoadState::kMaxColumns, state->firstExtraColumn);
    if (state->columnCount > limit || table.ColumnCount() != state->columnCount) __builtin_trap();
    return 0;
}
