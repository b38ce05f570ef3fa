#pragma once
// What Copy puts on the clipboard: the highlighted rows (the focused row when
// none is), only shown rows, only columns that are not collapsed, in their
// current order, under a line of headings. Once as text with TAB between cells
// and LF after every line, once as an HTML table, so that a spreadsheet keeps
// the columns either way. Texts stay bytes as the table holds them.
#include <string>
#include <vector>

#include "table/TableData.h"

namespace lorvex {

struct CopiedRows {
    std::string plain;
    std::string html;
    int rows = 0;  // 0: nothing to copy, both texts empty
};

// The rows Copy takes, top to bottom.
std::vector<int> RowsToCopy(const TableData& table);
CopiedRows CopyRows(const TableData& table);

// Appends text with &, <, > and " as HTML entities; the clipboard's table and the HTML export share it.
void AppendEscapedHtml(std::string& out, std::string_view text);

}  // namespace lorvex
