#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "config/LoadState.h"
#include "table/TableData.h"
#include "tdf/TdfReader.h"

namespace lorvex {

// Appends one row per top-level block of the record file at scratchPath.
// archivePath begins with "..\"; pairIndex (0-31) names the folder it was found under.
void ParseRecordFile(LoadState& state, TdfReader& reader, TableData& table, std::string_view entryName,
                     std::string_view scratchPath, std::string_view archivePath, int pairIndex);

// The same for a record file's text already in memory (its bytes exactly as
// extracted), read line by line as the file holding them would be. Stops
// before the table would pass rowLimit rows, and then returns false.
bool ParseRecordText(LoadState& state, TdfReader& reader, TableData& table, std::string_view entryName,
                     std::string_view text, std::string_view archivePath, int pairIndex,
                     std::size_t rowLimit = SIZE_MAX);

}  // namespace lorvex
