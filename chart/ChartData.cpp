#include "chart/ChartData.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>

#include "chart/AxisScale.h"
#include "chart/NumberText.h"
#include "table/RowCompare.h"
#include "table/TableData.h"
#include "table/TableListCtrl.h"

namespace lorvex {
namespace {

std::string Rows(int count, const char* what) {
    return std::to_string(count) + (count == 1 ? " row " : " rows ") + what;
}

}  // namespace

bool IsNumberKind(std::uint8_t kind) { return ColumnKind::FromByte(kind).Is(Comparison::Number); }

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
    const bool columnsExist =
        xColumn >= 0 && yColumn >= 0 && xColumn < data.ColumnCount() && yColumn < data.ColumnCount();
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

bool StartsLogarithmic(const TableData& data, int column) {
    if (column < 0 || column >= data.ColumnCount()) return false;
    bool any = false;
    double lo = 0, hi = 0, value = 0;
    for (int r = data.NextRow(-1, false, true); r >= 0; r = data.NextRow(r, false, true)) {
        if (!ReadNumber(data.Cell(r, column), &value)) continue;
        lo = any ? std::min(lo, value) : value;
        hi = any ? std::max(hi, value) : value;
        any = true;
    }
    return any && AxisScale::WantsLogarithmic(lo, hi);
}

int LabelColumn(const TableData& data) {
    if (data.ColumnCount() == 0) return -1;
    const int rows = std::min(data.RowCount(), kLabelRows);
    int best = 0;
    std::size_t bestCount = 0;
    std::unordered_set<std::string_view> texts;  // equal texts may have different ids
    for (int c = 0; c < data.ColumnCount(); ++c) {
        if (data.ColumnWidth(c) <= TableListCtrl::kCollapsedLimit) continue;
        texts.clear();
        for (int r = 0; r < rows; ++r) {
            const std::string_view text = data.Cell(r, c);
            if (!text.empty()) texts.insert(text);
        }
        if (texts.size() > bestCount) {
            best = c;
            bestCount = texts.size();
        }
        if (texts.size() == static_cast<std::size_t>(rows)) break;
    }
    return best;
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
