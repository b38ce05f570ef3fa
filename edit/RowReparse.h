#pragma once
// After a record file's text changed, its rows are made again by the load's own
// parser (same equations, symbols and columns for unclaimed keys) and copied
// over the rows that show the file, wherever sorting put them. Rows the user
// removed stay removed.
#include <string_view>

#include "config/LoadState.h"
#include "load/LoadRun.h"
#include "table/TableData.h"

namespace lorvex {

// Rewrites the cells of every row showing source (found by its "Located In"
// cell, its record by the "Line #" cell as it reads in `before`): a line added
// to one record shifts the later ones, so records are matched by their order in
// the file. Returns the number of rows rewritten.
int ReparseRows(LoadState& state, TableData& table, const RecordSource& source, std::string_view before,
                std::string_view after);

}  // namespace lorvex
