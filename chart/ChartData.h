#pragma once
// What the chart shows of the table: the columns it offers, and one point per
// shown row whose two cells are numbers. Free of any window toolkit.
#include <cstdint>
#include <string>
#include <vector>

namespace lorvex {

class TableData;

// A Numeric or Math column: its kind's comparison reads floating point.
bool IsNumberKind(std::uint8_t kind);

// The columns a chart can take, in table order: every Numeric and Math column,
// and every other column in which each shown cell that is not empty reads as a
// number, at least one of them. kinds holds one byte per column (may be short).
std::vector<int> ChartableColumns(const TableData& data, const std::vector<std::uint8_t>& kinds);

struct ChartPoint {
    double x = 0, y = 0;
    int row = 0;
    bool highlighted = false;
};

struct ChartPoints {
    // The plain points in row order, then the highlighted ones in row order,
    // so that drawing in this order puts the highlight on top.
    std::vector<ChartPoint> points;
    int firstHighlighted = 0;                     // index of the first highlighted point
    int withoutNumber = 0;                        // shown rows whose x or y cell is empty or no number
    int offLogAxis = 0;                           // further rows with a value at or below 0 on a logarithmic axis
    double xLo = 0, xHi = -1, yLo = 0, yHi = -1;  // the points' ranges (lo > hi when none)
};

// The points of the shown rows for columns xColumn and yColumn.
ChartPoints CollectPoints(const TableData& data, int xColumn, int yColumn, bool logX, bool logY);

// Whether a column's axis starts logarithmic: every shown cell that reads as
// a number is above 0, and they span more than AxisScale::kLogarithmicSpan.
bool StartsLogarithmic(const TableData& data, int column);

// The column that names a point in its tooltip: of the columns not
// collapsed, in table order, the first one whose non-empty texts differ in
// every row; failing that, the first with the most distinct non-empty texts.
// Column 0 (in a game's unit files, the block name every record shares) wins
// only when no column tells more records apart. Reads at most kLabelRows rows,
// so that a hover over a huge table stays quick; -1 for a table without columns.
int LabelColumn(const TableData& data);

inline constexpr int kLabelRows = 4096;

// The line under the plot: "12 rows without a number", and the rows a
// logarithmic axis leaves out; empty when every shown row is a point.
std::string ChartNote(const ChartPoints& points);

}  // namespace lorvex
