#pragma once
// The figures of the highlighted rows in one column: sum, mean, lowest and
// highest, as the status area shows them beside the status line. Free of any
// window toolkit.
#include <cstdint>
#include <string>
#include <vector>

namespace lorvex {

class TableData;

// Empty unless two or more shown rows are highlighted and the column holds
// numbers (a Numeric or Math column, or one whose highlighted cells that are
// not empty all read as numbers) in at least one of them. For example
// "Speed: sum 95.5   mean 23.875   min 0.5   max 70", with
// "   (1 row without a number)" after it when highlighted cells are empty or
// no number. Sum, lowest and highest show the places of the most precise
// cell, the mean two more; trailing zeros go.
std::string FiguresText(const TableData& data, const std::vector<std::uint8_t>& kinds, int column);

}  // namespace lorvex
