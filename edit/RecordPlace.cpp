#include "edit/RecordPlace.h"

#include <charconv>
#include <string_view>

namespace lorvex {

RecordColumns RecordColumnsOf(const LoadState& state, const TableData& table) {
    // The load puts "Line #" right after "Located In".
    return {table.ColumnOfOrigin(state.locationColumn), table.ColumnOfOrigin(state.locationColumn + 1)};
}

int BlockLineOf(const TableData& table, const RecordColumns& columns, int row) {
    const std::string_view text = table.Cell(row, columns.line);
    int line = 0;
    std::from_chars(text.data(), text.data() + text.size(), line);
    return line;
}

}  // namespace lorvex
