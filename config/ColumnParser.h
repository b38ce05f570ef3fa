#pragma once
#include <cstdint>

#include "config/LoadState.h"
#include "platform/MessageSink.h"
#include "tdf/TdfReader.h"

namespace lorvex {

// Reads one column block (the reader has just reported BlockOpen), fills
// state.columns[index] and describes the table column it declares in column.
// False when the block defines no column.
bool ParseColumnBlock(LoadState& state, TdfReader& reader, platform::MessageSink& messages, ListColumn& column,
                      int index);

}  // namespace lorvex
