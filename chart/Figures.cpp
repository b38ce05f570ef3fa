#include "chart/Figures.h"

#include <algorithm>

#include "chart/ChartData.h"
#include "chart/NumberText.h"
#include "table/TableData.h"

namespace lorvex {

std::string FiguresText(const TableData& data, const std::vector<std::uint8_t>& kinds, int column) {
    if (column < 0 || column >= data.ColumnCount()) return {};
    const bool numberKind = static_cast<std::size_t>(column) < kinds.size() && IsNumberKind(kinds[column]);
    int rows = 0, numbers = 0, decimals = 0;
    double sum = 0, lo = 0, hi = 0;
    for (int r = data.NextRow(-1, true, true); r >= 0; r = data.NextRow(r, true, true)) {
        ++rows;
        const std::string_view cell = data.Cell(r, column);
        double value = 0;
        if (!ReadNumber(cell, &value)) {
            if (!cell.empty() && !numberKind) return {};  // a column of words
            continue;
        }
        lo = numbers ? std::min(lo, value) : value;
        hi = numbers ? std::max(hi, value) : value;
        sum += value;
        decimals = std::max(decimals, DecimalsOf(cell));
        ++numbers;
    }
    if (rows < 2 || numbers == 0) return {};
    std::string text = data.Column(column).heading + ": sum " + ShownNumber(sum, decimals) + "   mean " +
                       ShownNumber(sum / numbers, decimals + 2) + "   min " + ShownNumber(lo, decimals) + "   max " +
                       ShownNumber(hi, decimals);
    const int missing = rows - numbers;
    if (missing > 0)
        text += "   (" + std::to_string(missing) + (missing == 1 ? " row" : " rows") + " without a number)";
    return text;
}

}  // namespace lorvex
