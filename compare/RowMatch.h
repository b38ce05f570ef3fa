#pragma once
// Which row of one game's table is which row of another's. A record keeps its
// record file and block name from release to release while its archive, its
// line and its place in the table move, so those two make the key; a user who
// knows better (units renamed between files) names a column instead.
#include <string>
#include <string_view>
#include <vector>

#include "table/TableListCtrl.h"

namespace lorvex {

// One loaded table and the columns that say where each row came from.
struct CompareSide {
    const TableData* data = nullptr;
    int locationColumn = -1;  // "Located In": "archive  ::  folder\file"
    int lineColumn = -1;      // "Line #": where the record's block starts in its file
    int blockColumn = -1;     // the configuration's header-text column (the block name), -1 when it has none
};

// The side of a loaded table: "Located In" and "Line #" found by heading (the
// user may have moved them), the block name in headerTextColumn (the load's
// LoadState::headerTextColumn, or where the user moved that column; -1 for none).
CompareSide SideOf(const TableListCtrl& table, int headerTextColumn);

struct MatchOptions {
    // Empty: record file and block name. Otherwise the heading of the column
    // whose texts (A-Z folded) name a record in both games.
    std::string matchHeading;
};

// The record file of a "Located In" cell: what follows "  ::  " (folder kept),
// or the whole cell when it has no separator.
std::string_view RecordFileOf(std::string_view location);

// Rows pair by key. Without a match column: the record file (A-Z folded,
// archive left out), the block name (A-Z folded) and how many rows of that file
// with that block name come before it by "Line #". Without a block column every
// row of a file has the same block name, so the count is its place in the file.
// With a match column: the column's text (A-Z folded) and how many rows with
// that text come before it, ordered by record file and "Line #".
struct RowMatch {
    std::vector<int> otherOfMine;  // per row of mine: the other table's row, -1 when only mine has it
    std::vector<int> mineOfOther;  // per row of other: mine's row, -1 when only the other has it
};

// Pairs rows whose keys agree. False (with a message in error) when the match
// heading is missing from either table.
bool MatchRows(const CompareSide& mine, const CompareSide& other, const MatchOptions& options, RowMatch& match,
               std::string* error);

}  // namespace lorvex
