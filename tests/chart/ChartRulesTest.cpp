// The chart's rules without a window: reading numbers, the axes, which rows
// become points, hit tests, the tint and the figures' texts.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "chart/AxisScale.h"
#include "chart/ChartData.h"
#include "chart/ChartPlot.h"
#include "chart/Figures.h"
#include "chart/NumberText.h"
#include "chart/Shade.h"
#include "tests/support/TableFill.h"

namespace lorvex {
namespace {

using testing::FillTable;

TEST(ChartNumbers, ReadsWholeTextsOnly) {
    const struct { const char* text; bool number; double value; } cases[] = {
        {"12", true, 12},        {" -3.5 ", true, -3.5}, {"+4", true, 4},     {"1e3", true, 1000},
        {".5", true, 0.5},       {"7.", true, 7},        {"", false, 0},      {"  ", false, 0},
        {"abc", false, 0},       {"12abc", false, 0},    {"Bad Equation", false, 0},
        {"inf", false, 0},       {"nan", false, 0},      {"-", false, 0},     {"1e999", false, 0},
        {"0x10", false, 0},      {"1,5", false, 0},      {"- 3", false, 0},      {"1.2.3", false, 0},
        // Exactly the double the text names, short or long.
        {"0.3", true, 0.3},      {"162.8", true, 162.8}, {"-0.001", true, -0.001},
        {"1234567890.123456789", true, 1234567890.123456789}, {"12345678901234567", true, 12345678901234567.0},
    };
    for (const auto& c : cases) {
        double value = -99;
        EXPECT_EQ(ReadNumber(c.text, &value), c.number) << c.text;
        if (c.number) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(ChartNumbers, FormatsAndCountsPlaces) {
    const struct { double value; int decimals; const char* text; } cases[] = {{2.5, 2, "2.5"}, {3, 4, "3"},
        {-0.0001, 2, "0"}, {1234.5678, 2, "1234.57"}, {100, 0, "100"}, {0.1 + 0.2, 6, "0.3"}, {-1.25, 9, "-1.25"}};
    for (const auto& c : cases) EXPECT_EQ(FormatNumber(c.value, c.decimals), c.text) << c.value;
    EXPECT_EQ(DecimalsOf("12.50"), 2);
    EXPECT_EQ(DecimalsOf("7"), 0);
    EXPECT_EQ(DecimalsOf("0.123456789"), kMaxShownDecimals);
}

std::string Ticks(const AxisScale& axis) {
    std::string s;
    for (double t : axis.Ticks()) s += (s.empty() ? "" : " ") + axis.TickText(t);
    return s;
}

TEST(ChartAxis, FitsRoundTicks) {
    const struct { double lo, hi; bool log; const char* ticks; } cases[] = {
        {3, 97, false, "0 20 40 60 80 100"},
        {97, 3, false, "0 20 40 60 80 100"},  // either order
        {0.1, 0.35, false, "0.1 0.15 0.2 0.25 0.3 0.35"},
        {-7, 3, false, "-8 -6 -4 -2 0 2 4"},
        {5, 5, false, "4.4 4.6 4.8 5 5.2 5.4 5.6"},  // one value sits in the middle
        {0, 0, false, "-1 -0.5 0 0.5 1"},
        {3, 2500, true, "1 10 100 1000 10000"},
        {20, 50, true, "10 100"},  // inside one decade
        {100, 100, true, "100 1000"},
        {0.002, 0.5, true, "0.001 0.01 0.1 1"},
        {1, 1e12, true, "1 100 10000 1000000 100000000 1e10 1e12"},  // every second decade
        {0, 5, true, "1 10"},  // nothing above 0 to show
    };
    for (const auto& c : cases) EXPECT_EQ(Ticks(AxisScale::Fit(c.lo, c.hi, c.log)), c.ticks) << c.lo << ".." << c.hi;
}

TEST(ChartAxis, PlacesValuesByValueOrLogarithm) {
    const AxisScale linear = AxisScale::Fit(3, 97, false);
    const AxisScale log = AxisScale::Fit(3, 2500, true);
    EXPECT_DOUBLE_EQ(linear.Fraction(50), 0.5);
    EXPECT_DOUBLE_EQ(linear.Fraction(0), 0);
    EXPECT_DOUBLE_EQ(linear.ValueAt(0.25), 25);
    EXPECT_DOUBLE_EQ(log.Fraction(100), 0.5);
    EXPECT_DOUBLE_EQ(log.Fraction(1), 0);
    EXPECT_NEAR(log.ValueAt(0.75), 1000, 1e-9);
    EXPECT_LT(log.Fraction(0), 0) << "no place for zero on a logarithmic axis";
}

// name, x, y; row 7 ("h") is hidden by a filter.
class ChartRows : public ::testing::Test {
protected:
    void SetUp() override {
        FillTable(data, {"name", "x", "y"},
                  {{"a", "1", "2"},
                   {"b", "", "3"},
                   {"c", "abc", "4"},
                   {"d", "-2", "5"},
                   {"e", "0", "6"},
                   {"f", "10", "0"},
                   {"g", "3", "Bad Equation"},
                   {"h", "4", "4"}});
        data.SetHidden(7, true);
    }
    std::string Names(const ChartPoints& points) {
        std::string s;
        for (const ChartPoint& p : points.points)
            s += (s.empty() ? "" : ",") + std::string(data.Cell(p.row, 0)) + (p.highlighted ? "*" : "");
        return s;
    }
    TableData data;
};

TEST_F(ChartRows, PointsAreTheShownRowsWithTwoNumbers) {
    const struct { bool logX, logY; std::vector<int> highlighted; const char* points; const char* note; } cases[] = {
        {false, false, {}, "a,d,e,f", "3 rows without a number"},
        {false, false, {3, 1, 7}, "a,e,f,d*", "3 rows without a number"},  // highlighted last; b and h are no points
        {true, false, {}, "a,f", "3 rows without a number,   2 rows at or below zero, left off the logarithmic axis"},
        {false, true, {0}, "d,e,a*", "3 rows without a number,   1 row at or below zero, left off the logarithmic axis"},
        {true, true, {}, "a", "3 rows without a number,   3 rows at or below zero, left off the logarithmic axis"},
    };
    for (const auto& c : cases) {
        data.SelectAll(false);
        for (int r : c.highlighted) data.SetSelected(r, true);
        const ChartPoints points = CollectPoints(data, 1, 2, c.logX, c.logY);
        EXPECT_EQ(Names(points), c.points) << c.logX << c.logY;
        EXPECT_EQ(ChartNote(points), c.note) << c.logX << c.logY;
    }
}

TEST_F(ChartRows, RangesAndNotesFollowTheRows) {
    ChartPoints points = CollectPoints(data, 1, 2, false, false);
    EXPECT_EQ(points.xLo, -2);
    EXPECT_EQ(points.xHi, 10);
    EXPECT_EQ(points.yLo, 0);
    EXPECT_EQ(points.yHi, 6);
    data.SetCell(1, 1, "2");
    data.SetCell(2, 1, "2");
    EXPECT_EQ(ChartNote(CollectPoints(data, 1, 2, false, false)), "1 row without a number");
    data.SetCell(6, 2, "1");
    EXPECT_EQ(ChartNote(CollectPoints(data, 1, 2, false, false)), "");
    EXPECT_EQ(ChartNote(CollectPoints(data, 1, 9, false, false)), "7 rows without a number") << "no such column";
}

TEST(ChartColumns, NumberKindsAndColumnsOfNumbers) {
    TableData data;
    FillTable(data, {"name", "cost", "line", "mixed", "ratio", "empty", "hidden text"},
              {{"a", "1", "10", "1", "", "", "5"}, {"b", "x", "11", "two", "0.5", "", "6"}, {"c", "3", "", "3", "2", "", "no"}});
    data.SetHidden(2, true);
    // Numeric and Math kinds come whatever their cells; others need numbers in every shown cell.
    const std::vector<std::uint8_t> kinds = {0x81, 0x05, 0x02, 0x81, 0x45, 0x81, 0x81};
    EXPECT_EQ(ChartableColumns(data, kinds), (std::vector<int>{1, 2, 4, 6}));
    data.SetHidden(2, false);
    EXPECT_EQ(ChartableColumns(data, kinds), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(ChartableColumns(data, {}), (std::vector<int>{2, 4})) << "without kinds only the cells decide";
}

TEST(ChartHits, NearestPointAndRectangle) {
    TableData data;
    // Row 3 lies on row 1's place and is highlighted: drawn last, hit first.
    FillTable(data, {"n", "x", "y"}, {{"p", "0", "0"}, {"q", "50", "50"}, {"r", "100", "100"}, {"s", "50", "50"}});
    data.SetSelected(3, true);
    const ChartPoints points = CollectPoints(data, 1, 2, false, false);
    ChartPlot plot;
    plot.Place(points, AxisScale::Fit(0, 100, false), AxisScale::Fit(0, 100, false), {10, 20, 200, 100});
    // (x, y) in pixels: x from 10 to 210, y from 120 (value 0) up to 20 (value 100).
    const struct { double x, y; int row; } hits[] = {  // row -1: no point within the radius
        {10, 120, 0}, {14, 117, 0}, {110, 70, 3}, {113, 74, 3}, {210, 20, 2}, {60, 95, -1}, {10, 126, -1}};
    for (const auto& h : hits) {
        const int i = plot.PointAt(h.x, h.y, 5);
        EXPECT_EQ(i < 0 ? -1 : points.points[i].row, h.row) << h.x << "," << h.y;
    }
    EXPECT_EQ(plot.RowsIn(0, 0, 300, 200), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(plot.RowsIn(210, 20, 110, 70), (std::vector<int>{1, 2, 3})) << "corners in any order, edges included";
    EXPECT_EQ(plot.RowsIn(11, 0, 109, 200), (std::vector<int>{}));
}

TEST(ChartShade, TintFollowsTheValueWithinItsColumn) {
    TableData data;
    FillTable(data, {"name", "cost", "same", "text"},
              {{"a", "10", "4", "9"}, {"b", "30", "4", "1"}, {"c", "", "4", "2"}, {"d", "20", "", "3"},
               {"e", "Bad Equation", "4", "4"}, {"f", "500", "4", "5"}});
    data.SetHidden(5, true);  // the hidden 500 does not stretch the range
    ShadeLevels levels;
    levels.Update(data, {0x81, 0x05, 0x45, 0x81});
    const struct { int row, column; double level; } cases[] = {{0, 1, 0},  {1, 1, 1},  {3, 1, 0.5}, {2, 1, -1}, {4, 1, -1}, {0, 2, 0},
                 {3, 2, -1}, {0, 3, -1}, {0, 0, -1},  {0, 9, -1}};
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(levels.Level(data, c.row, c.column), c.level) << c.row << "," << c.column;

    // Lowest to highest: each tint lies further from the base toward the accent.
    const Rgb base{255, 255, 255}, accent{0, 0, 255};
    EXPECT_EQ(ShadeColour(base, accent, 0), (Rgb{240, 240, 255}));
    EXPECT_EQ(ShadeColour(base, accent, 1), (Rgb{128, 128, 255}));
    EXPECT_EQ(ShadeColour(base, accent, 5), (Rgb{128, 128, 255}));
    int previous = 256;
    for (int row : {0, 3, 1}) {
        const int red = ShadeColour(base, accent, levels.Level(data, row, 1)).r;
        EXPECT_LT(red, previous) << row;
        previous = red;
    }
    // A dark palette moves up toward its highlight the same way.
    EXPECT_EQ(ShadeColour({20, 20, 20}, {60, 120, 220}, 1), (Rgb{40, 70, 120}));
}

TEST(ChartFigures, ExactTextsOfTheHighlightedRows) {
    TableData data;
    FillTable(data, {"name", "Speed", "Role", "Line", "Cost"},
              {{"a", "10", "Tank", "3", "1"},
               {"b", "2.5", "Scout", "4", "2"},
               {"c", "4", "12", "5", "2"},
               {"d", "", "Tank", "6", "-1.25"},
               {"e", "0.5", "7", "7", "0.5"}});
    const std::vector<std::uint8_t> kinds = {0x81, 0x05, 0x81, 0x02, 0x45};
    const struct { std::vector<int> rows; int column; const char* text; } cases[] = {
        {{0, 1, 2}, 1, "Speed: sum 16.5   mean 5.5   min 2.5   max 10"},
        {{0, 1, 2, 3}, 1, "Speed: sum 16.5   mean 5.5   min 2.5   max 10   (1 row without a number)"},
        {{3, 4}, 1, "Speed: sum 0.5   mean 0.5   min 0.5   max 0.5   (1 row without a number)"},
        {{0, 1, 2}, 4, "Cost: sum 5   mean 1.67   min 1   max 2"},
        {{3, 4}, 4, "Cost: sum -0.75   mean -0.375   min -1.25   max 0.5"},
        {{2, 4}, 2, "Role: sum 19   mean 9.5   min 7   max 12"},  // words elsewhere, numbers in these rows
        {{0, 2}, 2, ""},                                          // a word among them
        {{0}, 1, ""},                                             // one row
        {{}, 1, ""},
        {{0, 1}, 0, ""},
        {{0, 1}, 7, ""},
        {{0, 1}, -1, ""},
        {{3, 3}, 1, ""},
    };
    for (const auto& c : cases) {
        data.SelectAll(false);
        for (int r : c.rows) data.SetSelected(r, true);
        EXPECT_EQ(FiguresText(data, kinds, c.column), c.text) << c.column << " rows " << c.rows.size();
    }
    // Hidden rows are left out even when highlighted.
    data.SelectAll(true);
    data.SetHidden(3, true);
    data.SetHidden(4, true);
    EXPECT_EQ(FiguresText(data, kinds, 3), "Line: sum 12   mean 4   min 3   max 5");
}

}  // namespace
}  // namespace lorvex
