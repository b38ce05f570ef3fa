// The chart's rules without a window: which rows become points, hit tests,
// the tint and the figures' texts (numbers and axes have their own file).
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
#include "table/TableListCtrl.h"
#include "tests/support/TableFill.h"

namespace lorvex {
namespace {

// A table from lines of cells split at '|' ("U||x" has an empty middle cell), headings first.
void Fill(TableData& data, const std::vector<std::string_view>& lines) {
    testkit::Rows rows;
    for (std::string_view line : lines) {
        rows.emplace_back();
        for (std::size_t at = 0, bar = 0; bar != line.npos; at = bar + 1)
            rows.back().emplace_back(line.substr(at, (bar = line.find('|', at)) - at));
    }
    testkit::FillTable(data, rows.front(), {rows.begin() + 1, rows.end()});
}

// name, x, y; row 7 ("h") is hidden by a filter.
class ChartRows : public ::testing::Test {
protected:
    void SetUp() override {
        Fill(data, {"name|x|y", "a|1|2", "b||3", "c|abc|4", "d|-2|5", "e|0|6", "f|10|0", "g|3|Bad Equation", "h|4|4"});
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
    const std::string none = "3 rows without a number", off = " at or below zero, left off the logarithmic axis";
    const struct {
        bool logX, logY;
        std::vector<int> highlighted;
        const char* points;
        std::string note;
    } cases[] = {
        {false, false, {}, "a,d,e,f", none},
        {false, false, {3, 1, 7}, "a,e,f,d*", none},  // highlighted last; b and h are no points
        {true, false, {}, "a,f", none + ",   2 rows" + off},
        {false, true, {0}, "d,e,a*", none + ",   1 row" + off},
        {true, true, {}, "a", none + ",   3 rows" + off},
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
    const ChartPoints points = CollectPoints(data, 1, 2, false, false);
    EXPECT_EQ((std::vector<double>{points.xLo, points.xHi, points.yLo, points.yHi}),
              (std::vector<double>{-2, 10, 0, 6}));
    data.SetCell(1, 1, "2");
    data.SetCell(2, 1, "2");
    EXPECT_EQ(ChartNote(CollectPoints(data, 1, 2, false, false)), "1 row without a number");
    data.SetCell(6, 2, "1");
    EXPECT_EQ(ChartNote(CollectPoints(data, 1, 2, false, false)), "");
    EXPECT_EQ(ChartNote(CollectPoints(data, 1, 9, false, false)), "7 rows without a number") << "no such column";
}

TEST(ChartColumns, AxisStartsLogarithmicOverThreeDecades) {
    const struct {
        std::vector<std::string> cells;  // "h": the row is hidden
        bool log;
        const char* why;
    } cases[] = {
        {{"3", "70000000", "40"}, true, "a few huge values among small ones"},
        {{"1", "1000"}, false, "three decades exactly"},
        {{"1", "1001"}, true, "just over"},
        {{"0", "5", "70000000"}, false, "a zero has no place on a logarithmic axis"},
        {{"-1", "5", "70000000"}, false, "nor has a negative value"},
        {{"", "abc", "2", "5000"}, true, "texts that are no number are left out"},
        {{"h1", "10", "5000"}, false, "a hidden row's value is left out too"},
        {{"", "abc"}, false, "no number at all"},
    };
    for (const auto& c : cases) {
        TableData data;
        Fill(data, {"block|cost"});
        for (const std::string& cell : c.cells) {
            const int r = data.AppendRow("UNITINFO");
            data.SetCell(r, 1, cell[0] == 'h' ? cell.substr(1) : cell);
            data.SetHidden(r, cell[0] == 'h');
        }
        EXPECT_EQ(StartsLogarithmic(data, 1), c.log) << c.why;
        EXPECT_FALSE(StartsLogarithmic(data, 2)) << "no such column";
    }
}

TEST(ChartColumns, LabelIsTheFirstColumnThatTellsRowsApart) {
    const struct {
        std::vector<std::string_view> lines;
        int collapsed;
        int label;
        const char* why;
    } cases[] = {
        {{"block|UnitName|Name", "UNITINFO|ARMCOM|Commander", "UNITINFO|ARMPW|Peewee", "UNITINFO|CORAK|A.K."},
         -1,
         1,
         "a game's unit files: the block name is the same in every record"},
        {{"name|cost", "a|1", "b|1", "c|2"}, -1, 0, "a first column that tells every row apart"},
        {{"block|side|weapon", "U|ARM|laser", "U|CORE|laser", "U|ARM|gun", "U|ARM|rocket"},
         -1,
         2,
         "none tells every row apart: the most distinct texts"},
        {{"block|a|b", "U|x|p", "U|y|q", "U|x|p"}, -1, 1, "a tie goes to the first"},
        {{"block|id|name", "U|1|tank", "U|2|jet", "U|3|ship"},
         1,
         2,
         "a collapsed column shows nothing, so it names nothing"},
        {{"block|gaps|kind", "U||x", "U||y", "U|a|z", "U|b|x"}, -1, 2, "empty cells tell nothing apart"},
        {{"block|side", "U|ARM", "U|ARM"}, -1, 0, "nothing better than the block name"},
        {{"block|side"}, -1, 0, "no rows"},
    };
    for (const auto& c : cases) {
        TableData data;
        Fill(data, c.lines);
        if (c.collapsed >= 0) data.SetColumnWidth(c.collapsed, TableListCtrl::kCollapsedLimit);
        EXPECT_EQ(LabelColumn(data), c.label) << c.why;
    }
    EXPECT_EQ(LabelColumn(TableData{}), -1) << "no columns";
}

TEST(ChartColumns, NumberKindsAndColumnsOfNumbers) {
    TableData data;
    Fill(data, {"name|cost|line|mixed|ratio|empty|hidden text", "a|1|10|1|||5", "b|x|11|two|0.5||6", "c|3||3|2||no"});
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
    Fill(data, {"n|x|y", "p|0|0", "q|50|50", "r|100|100", "s|50|50"});
    data.SetSelected(3, true);
    const ChartPoints points = CollectPoints(data, 1, 2, false, false);
    ChartPlot plot;
    plot.Place(points, AxisScale::Fit(0, 100, false), AxisScale::Fit(0, 100, false), {10, 20, 200, 100});
    // (x, y) in pixels: x from 10 to 210, y from 120 (value 0) up to 20 (value 100).
    const struct {
        double x, y;
        int row;
    } hits[] = {// row -1: no point within the radius
                {10, 120, 0}, {14, 117, 0}, {110, 70, 3}, {113, 74, 3}, {210, 20, 2}, {60, 95, -1}, {10, 126, -1}};
    for (const auto& h : hits) {
        const int i = plot.PointAt(h.x, h.y, 5);
        EXPECT_EQ(i < 0 ? -1 : points.points[i].row, h.row) << h.x << "," << h.y;
    }
    EXPECT_EQ(plot.RowsIn(0, 0, 300, 200), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(plot.RowsIn(210, 20, 110, 70), (std::vector<int>{1, 2, 3})) << "corners in any order, edges included";
    EXPECT_EQ(plot.RowsIn(11, 0, 109, 200), (std::vector<int>{}));
    // Zoomed in to x 0..50: the point at 100 lies right of the area, out of reach.
    plot.Place(points, AxisScale::Fit(0, 50, false), AxisScale::Fit(0, 100, false), {10, 20, 200, 100});
    EXPECT_EQ(plot.PointAt(410, 20, 5), -1);
    EXPECT_EQ(plot.RowsIn(0, 0, 1000, 1000), (std::vector<int>{0, 1, 3}));
}

TEST(ChartHits, AZoomKeepsTheValuesUnderThePointer) {
    const ChartPoints none;
    const AxisScale axis = AxisScale::Fit(0, 100, false);
    ChartPlot plot;
    plot.Place(none, axis, axis, {10, 20, 200, 100});  // x from 10 to 210, y from 120 (value 0) up to 20
    const struct {
        const char* why;
        double x, y, atX, atY, value;
    } cases[] = {
        {"inside: a quarter along either axis", 60, 95, 60, 95, 25},
        {"left of and below the plot: its corner", 0, 300, 10, 120, 0},
        {"right of and above it: the other corner", 500, -5, 210, 20, 100},
    };
    for (const auto& c : cases) {
        const ZoomAnchor at = plot.AnchorAt(c.x, c.y);
        EXPECT_EQ((std::vector{at.x, at.y, at.valueX, at.valueY}), (std::vector{c.atX, c.atY, c.value, c.value}))
            << c.why;
        ChartPlot zoomed;
        zoomed.Place(none, plot.ZoomedX(axis, at, 0.5), plot.ZoomedY(axis, at, 0.5), plot.Area());
        EXPECT_NEAR(zoomed.PixelX(c.value), c.atX, 1e-9) << c.why;
        EXPECT_NEAR(zoomed.PixelY(c.value), c.atY, 1e-9) << c.why;
        EXPECT_DOUBLE_EQ(zoomed.XScale().Hi() - zoomed.XScale().Lo(), 50) << c.why;
    }
    // Wider ticks moved the plot's left edge: 25 still lands on the pointer's pixel.
    const ZoomAnchor at = plot.AnchorAt(60, 95);
    ChartPlot moved;
    moved.Place(none, axis, axis, {50, 20, 160, 100});
    moved.Place(none, moved.ZoomedX(axis, at, 0.5), axis, moved.Area());
    EXPECT_NEAR(moved.PixelX(25), 60, 1e-9);
}

TEST(ChartShade, LevelIsTheRankWithinTheColumn) {
    TableData data;
    Fill(data, {"name|outlier|ties|one|none|text", "a|1|5|||9", "b|2|5||x|1", "c|3|7|42||2", "d|70000000|9|||3",
                "e||5|||4", "f|n/a||x||5", "g|900000000|1|||6"});
    data.SetHidden(6, true);  // the hidden values do not count in the ranks
    ShadeLevels levels;
    levels.Update(data, {0x81, 0x05, 0x05, 0x45, 0x05, 0x81});
    const struct {
        int row, column;
        double level;
        const char* why;
    } cases[] = {
        {0, 1, 0, "the lowest"},
        {1, 1, 1.0 / 3, "an outlier does not squash the rest toward 0"},
        {2, 1, 2.0 / 3, "evenly by rank"},
        {3, 1, 1, "the outlier itself is just the highest"},
        {4, 1, -1, "empty"},
        {5, 1, -1, "no number"},
        {0, 2, 0, "ties share the first one's rank: 5, 5, 5, 7, 9"},
        {4, 2, 0, "a tie further down too"},
        {2, 2, 0.75, "after three fives"},
        {3, 2, 1, "the highest"},
        {2, 3, 0, "a column of one value"},
        {5, 3, -1, "the word beside it"},
        {1, 4, -1, "a column without numbers"},
        {0, 5, -1, "numbers in a text column are not shaded"},
        {0, 0, -1, "nor are words"},
        {0, 9, -1, "no such column"},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(levels.Level(data, c.row, c.column), c.level) << c.why;

    // Lowest to highest: the tint moves from near the base halfway to the accent, and no further.
    const Rgb base{255, 255, 255}, accent{0, 0, 255};
    EXPECT_EQ(ShadeColour(base, accent, 0), (Rgb{240, 240, 255}));
    EXPECT_EQ(ShadeColour(base, accent, 1), (Rgb{128, 128, 255}));
    EXPECT_EQ(ShadeColour(base, accent, 5), (Rgb{128, 128, 255}));
    // A dark palette moves up toward its highlight the same way.
    EXPECT_EQ(ShadeColour({20, 20, 20}, {60, 120, 220}, 1), (Rgb{40, 70, 120}));
}

TEST(ChartFigures, ExactTextsOfTheHighlightedRows) {
    TableData data;
    Fill(data, {"name|Speed|Role|Line|Cost", "a|10|Tank|3|1", "b|2.5|Scout|4|2", "c|4|12|5|2", "d||Tank|6|-1.25",
                "e|0.5|7|7|0.5"});
    const std::vector<std::uint8_t> kinds = {0x81, 0x05, 0x81, 0x02, 0x45};
    const struct {
        std::vector<int> rows;
        int column;
        const char* text;
    } cases[] = {
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
    for (int r : {3, 4}) data.SetHidden(r, true);
    EXPECT_EQ(FiguresText(data, kinds, 3), "Line: sum 12   mean 4   min 3   max 5");
}

}  // namespace
}  // namespace lorvex
