#pragma once
#include <cstdint>

#include "config/LoadState.h"
#include "platform/MessageSink.h"
#include "table/TableData.h"
#include "tdf/TdfReader.h"

namespace lorvex {

// Reads one column block (the reader has just reported BlockOpen), fills
// state.columns[index], appends the list column to table and writes the
// column's kind into kindSlot. False when the block defines no column.
bool ParseColumnBlock(LoadState& state, TdfReader& reader, TableData& table,
                      platform::MessageSink& messages, std::uint8_t& kindSlot, int index);

}  // namespace lorvex
