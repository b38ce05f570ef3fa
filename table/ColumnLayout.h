#pragma once
// A configuration's column arrangement (order, widths, and with them the
// collapsed state), captured from the table and put back later. Columns are
// known by their headings; a heading that occurs twice is matched by its
// occurrence.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "table/TableListCtrl.h"

namespace lorvex {

struct ColumnLayoutEntry {
    std::string heading;
    int width = 0;
    bool operator==(const ColumnLayoutEntry&) const = default;
};

struct ColumnLayout {
    std::vector<ColumnLayoutEntry> columns;
    bool Empty() const { return columns.empty(); }
    bool operator==(const ColumnLayout&) const = default;
};

ColumnLayout CaptureLayout(const TableData& table);

// Moves the named columns to the layout's order (through MoveColumn, so the
// column kinds travel) and gives them its widths; columns it does not name
// follow in their own order, and names the table lacks are passed over.
void ApplyLayout(TableListCtrl& table, const ColumnLayout& layout);

// One line per column: width, TAB, heading. Decoding refuses anything else.
std::string EncodeLayout(const ColumnLayout& layout);
bool DecodeLayout(std::string_view text, ColumnLayout* layout);

// A name under which to keep the layout of configuration configName whose
// load produced these headings (in the load's order): the same file with other
// columns is another arrangement. Case of the file name does not count.
std::string LayoutKey(std::string_view configName, const TableData& table);

}  // namespace lorvex
