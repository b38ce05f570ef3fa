#pragma once
// Where a row's record stands, read from the row itself: its "Located In" text
// and the line its block opens on ("Line #"), wherever the user has moved
// those two columns since the load.
#include "config/LoadState.h"
#include "table/TableData.h"

namespace lorvex {

struct RecordColumns {
    int location = -1, line = -1;  // where the two columns stand now; -1 for one that is gone
    bool Found() const { return location >= 0 && line >= 0; }
};
RecordColumns RecordColumnsOf(const LoadState& state, const TableData& table);

// The line the row's block opens on; 0 when the cell holds no number.
int BlockLineOf(const TableData& table, const RecordColumns& columns, int row);

}  // namespace lorvex
