// Splits the input into a configuration and a record file (at the first two
// NUL bytes in a row, or in the middle), reads the configuration the way a load
// does and parses the record file into a table, both from memory as a load does.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "load/LoadRun.h"
#include "load/RecordParser.h"

namespace {

class NoMessages : public lorvex::platform::MessageSink {
public:
    void ShowMessage(std::string_view text) override { total += text.size(); }
    std::size_t total = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::size_t split = size / 2;
    std::size_t rest = split;
    for (std::size_t i = 0; i + 1 < size; ++i) {
        if (data[i] == 0 && data[i + 1] == 0) {
            split = i;
            rest = i + 2;
            break;
        }
    }
    const char* text = reinterpret_cast<const char*>(data);
    const std::string_view configText(text, split);
    const std::string_view recordText(text + rest, size - rest);

    // One state for the whole run, reset the way every load resets it: what a
    // load leaves behind must not change the next one.
    static auto state = std::make_unique<lorvex::LoadState>();
    state->headerTextColumn = -1;
    state->indexedKeys = false;
    for (auto& f : state->hpiFolders) f.clear();
    for (auto& e : state->extensions) e.clear();
    state->showUnusedTags = 0;
    lorvex::TableData table;
    NoMessages messages;
    std::uint8_t kinds[lorvex::LoadState::kMaxListColumns];
    std::memset(kinds, 0x81, sizeof kinds);
    static lorvex::TdfReader config;
    config.OpenMemory(configText);
    lorvex::ReadConfiguration(*state, config, table, messages, kinds);

    static lorvex::TdfReader records;
    lorvex::ParseRecordText(*state, records, table, "unit.fbi", recordText, "..\\fuzz.hpi",
                            static_cast<int>(size % lorvex::LoadState::kPairs));
    // A second file into the same table, as a load does with many files.
    lorvex::ParseRecordText(*state, records, table, "unit2.fbi", recordText, "fuzz.hpi", 31);
    // Columns for unclaimed keys stop at 128; with 127 or 128 configured ones the
    // two fixed columns alone go past that.
    const int limit = std::max(lorvex::LoadState::kMaxColumns, state->firstExtraColumn);
    if (state->columnCount > limit || table.ColumnCount() != state->columnCount) __builtin_trap();
    return 0;
}
