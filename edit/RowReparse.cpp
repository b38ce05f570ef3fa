#include "edit/RowReparse.h"

#include <unordered_map>

#include "edit/RecordPlace.h"
#include "load/RecordParser.h"
#include "tdf/TdfEdit.h"

namespace lorvex {

int ReparseRows(LoadState& state, TableData& table, const RecordSource& source, std::string_view before,
                std::string_view after) {
    NotifyHold hold(table);
    // The user may have moved columns since the load: the parser writes by the
    // load's numbers, the rows keep their cells where the columns stand now.
    const RecordColumns place = RecordColumnsOf(state, table);
    if (!place.Found()) return 0;
    std::unordered_map<int, int> blockOfLine;  // line in `before` -> the block's place in the file
    const std::vector<TdfBlockInfo> blocks = TdfBlocks(before);
    for (std::size_t i = 0; i < blocks.size(); ++i) blockOfLine.emplace(blocks[i].line, static_cast<int>(i));

    // The new rows go below the table for the time it takes to copy them.
    const int first = table.RowCount();
    TdfReader reader;
    ParseRecordText(state, reader, table, source.entryName, after, source.archivePath, source.pairIndex);
    const int made = table.RowCount() - first;

    int rewritten = 0;
    const int columns = table.ColumnCount();
    for (int row = 0; row < first; ++row) {
        if (table.Cell(row, place.location) != source.location) continue;
        const auto block = blockOfLine.find(BlockLineOf(table, place, row));
        if (block == blockOfLine.end() || block->second >= made) continue;
        const int from = first + block->second;
        for (int c = 0; c < columns; ++c) table.SetCell(row, c, table.Cell(from, table.Column(c).origin));
        ++rewritten;
    }
    for (int row = table.RowCount() - 1; row >= first; --row) table.DeleteRow(row);
    return rewritten;
}

}  // namespace lorvex
