#pragma once
// The "Remove From Table..." commands and the status line's text, without a
// window: which rows go, and what the line says of the table.
#include <string>

#include "table/TableData.h"

namespace lorvex {

// Removes the shown rows that are highlighted (or, with highlighted false,
// the shown rows that are not), telling the table's observers once. Rows a
// filter hides stay. Returns the number of rows removed.
int RemoveShownRows(TableData& table, bool highlighted);

// "12 total table entries,   3 hilighted entries", and ",   5 shown" while a filter is active.
std::string StatusLineText(const TableData& table, bool filterActive);

}  // namespace lorvex
