#pragma once
// What a load leaves behind for the rest of the program: the configuration's
// global keys, the column definitions and the column counters.
#include <array>
#include <cstdint>
#include <string>

#include "config/ColumnDef.h"

namespace lorvex {

struct LoadState {
    static constexpr int kPairs = 32;
    static constexpr int kMaxColumns = 128;
    // Room for every configured column plus "Located In" and "Line #".
    static constexpr int kMaxListColumns = kMaxColumns + 2;

    std::array<std::string, kPairs> hpiFolders;
    std::array<std::string, kPairs> extensions;
    std::int32_t showUnusedTags = 0;
    bool indexedKeys = false;
    std::int32_t headerTextColumn = -1;
    std::int32_t locationColumn = 0;
    std::int32_t columnCount = 0;
    std::int32_t firstExtraColumn = 0;
    std::array<ColumnDef, kMaxColumns> columns;
};

}  // namespace lorvex
