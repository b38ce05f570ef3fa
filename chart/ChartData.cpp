#include "chart/ChartData.h"

#include <algorithm>

#include "chart/NumberText.h"
#include "table/RowCompare.h"
#include "table/TableData.h"

namespace lorvex {
namespace {

std::string Rows(int count, const char* what) {
    return std::to_string(count) + (count == 1 ? " row " : " rows ") + what;
}

}  // namespace

bool IsNumberKind(std::uint8_t kind) { return (kind & kKindComparisonMask) == 5; }

std::vector<int> ChartableColumns(const TableData& data, const std::vector<std::uint8_t>& kinds) {
    std::vector<int> columns;
    for (int c = 0; c < data.ColumnCount(); ++c) {
        bool take = static_cast<std::size_t>(c) < kinds.size() && IsNumberKind(kinds[c]);
        if (!take) {
            bool anyNumber = false, allNumbers = true;
            double value = 0;
            for (int r = data.NextRow(-1, false, true); r >= 0 && allNumbers; r = data.NextRow(r, false, true)) {
                const std::string_view cell = data.Cell(r, c);
                if (cell.empty()) continue;
                allNumbers = ReadNumber(cell, &value);
                anyNumber = anyNumber || allNumbers;
            }
            take = anyNumber && allNumbers;
        }
        if (take) columns.push_back(c);
    }
    return columns;
}

ChartPoints CollectPoints(const TableData& data, int xColumn, int yColumn, bool logX, bool logY) {
    ChartPoints result;
    std::vector<ChartPoint> highlighted;
    const bool columnsExist = xColumn >= 0 && yColumn >= 0 && xColumn < data.ColumnCount() && yColumn < data.ColumnCount();
    for (int r = data.NextRow(-1, false, true); r >= 0; r = data.NextRow(r, false, true)) {
        ChartPoint p;
        p.row = r;
        if (!columnsExist || !ReadNumber(data.Cell(r, xColumn), &p.x) || !ReadNumber(data.Cell(r, yColumn), &p.y)) {
            ++result.withoutNumber;
            continue;
        }
        if ((logX && p.x <= 0) || (logY && p.y <= 0)) {
            ++result.offLogAxis;
            continue;
        }
        p.highlighted = data.IsSelected(r);
        if (result.xLo > result.xHi) {
            result.xLo = result.xHi = p.x;
            result.yLo = result.yHi = p.y;
        }
        result.xLo = std::min(result.xLo, p.x);
        result.xHi = std::max(result.xHi, p.x);
        result.yLo = std::min(result.yLo, p.y);
        result.yHi = std::max(result.yHi, p.y);
        (p.highlighted ? highlighted : result.points).push_back(p);
    }
    result.firstHighlighted = static_cast<int>(result.points.size());
    result.points.insert(result.points.end(), highlighted.begin(), highlighted.end());
    return result;
}

std::string ChartNote(const ChartPoints& points) {
    std::string note;
    if (points.withoutNumber > 0) note = Rows(points.withoutNumber, "without a number");
    if (points.offLogAxis > 0) {
        if (!note.empty()) note += ",   ";
        note += Rows(points.offLogAxis, "at or below zero, left off the logarithmic axis");
    }
    return note;
}

}  // namespace lorvex
