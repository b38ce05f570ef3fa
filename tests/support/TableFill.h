#pragma once
// Small tables for tests: filled from literal rows, read back as joined text.
#include <string>
#include <vector>

#include "table/TableData.h"

namespace lorvex::testkit {

using Rows = std::vector<std::vector<std::string>>;

// Replaces every column and row of data; row cells go by position.
inline void FillTable(TableData& data, const std::vector<std::string>& headings, const Rows& rows, int width = 50) {
    data.DeleteAllRows();
    while (data.DeleteColumn(0)) {
    }
    for (const std::string& h : headings) data.InsertColumn(data.ColumnCount(), h, Align::Left, width);
    for (const auto& row : rows) {
        const int r = data.AppendRow(row.at(0));
        for (std::size_t c = 1; c < row.size(); ++c) data.SetCell(r, static_cast<int>(c), row[c]);
    }
}

// One column's cells top to bottom, or one row's cells left to right, joined by ",".
inline std::string ColumnText(const TableData& data, int column) {
    std::string s;
    for (int r = 0; r < data.RowCount(); ++r) s += (r ? "," : "") + std::string(data.Cell(r, column));
    return s;
}
inline std::string RowText(const TableData& data, int row) {
    std::string s;
    for (int c = 0; c < data.ColumnCount(); ++c) s += (c ? "," : "") + std::string(data.Cell(row, c));
    return s;
}
// The highlighted row numbers, joined by ",".
inline std::string HighlightedRows(const TableData& data) {
    std::string s;
    for (int r = data.NextRow(-1, true); r >= 0; r = data.NextRow(r, true))
        s += (s.empty() ? "" : ",") + std::to_string(r);
    return s;
}

}  // namespace lorvex::testkit
