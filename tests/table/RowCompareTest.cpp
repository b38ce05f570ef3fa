#include "table/RowCompare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "table/TableData.h"
#include "tests/support/TableFill.h"

namespace lorvex {
namespace {

using testkit::ColumnText;
using testkit::RowText;

// What the text readers make of a cell, and what neither order shows: equal values, texts that are no dates,
// pairs of empty cells. Each pair is compared ascending and descending, since which results the direction turns
// is part of each rule. How each kind orders rows is checked against the sort below.
TEST(CompareRows, EveryComparisonAndEmptyRule) {
    const struct {
        std::uint8_t kind;
        const char *a, *b;
        int ascending, descending;
    } cases[] = {
        // 0: bytes, unsigned; a text that begins the other comes first
        {0x00, "abc", "abd", -1, 1},
        {0x00, "ab", "abc", -1, 1},
        {0x00, "B", "a", -1, 1},
        {0x00, "\xe9", "z", 1, -1},
        {0x00, "abc", "abc", 0, 0},
        // 2: whole numbers, clamped at the ends of 64 bits
        {0x02, "12abc", "12", 0, 0},
        {0x02, "abc", "0", 0, 0},
        {0x02, " -5", "+3", -1, 1},
        {0x02, "99999999999999999999", "1", 1, -1},
        {0x02, "-99999999999999999999", "-5", -1, 1},
        {0x02, "9223372036854775800", "9223372036854775801", -1, 1},  // just below the clamp: apart
        {0x02, "+-1", "-1", 1, -1},
        // 3 and 6: dates; equal moments give +d; a text that is no date gives 0
        {0x03, "2024-03-07", "2024-03-08", -1, 1},
        {0x03, "8/3/2024", "2024-03-07", 1, -1},
        {0x03, "2024-03-07", "7/3/2024", 1, -1},
        {0x03, "garbage", "2024-03-07", 0, 0},
        {0x03, "2024-03-07", "garbage", 0, 0},
        // 5: floats, equal values give +d
        {0x05, "1.5", "1.25", 1, -1},
        {0x05, "2", "2.0", 1, -1},
        {0x05, "12abc", "12", 1, -1},
        {0x05, "1e3", "999", 1, -1},
        {0x05, "-1", "", -1, 1},
        {0x05, "0.1", "0.2", -1, 1},
        {0x05, "inf", "0.5", -1, 1},
        {0x05, "nan", "-.5e1", 1, -1},
        {0x05, "1e999", "3e38", 1, -1},
        {0x05, " \t-3x", "-2", -1, 1},
        // empty-last (bit 7) is not turned by the direction; bit 6 is then not examined
        {0x81, "", "a", 1, 1},
        {0x81, "a", "", -1, -1},
        {0x81, "", "", 0, 0},
        // empty-greatest (bit 6) is; the empty rule comes before the comparison; bit 5 is ignored
        {0x41, "", "a", 1, -1},
        {0x41, "a", "", -1, 1},
        {0x45, "", "", 0, 0},
        {0x43, "", "garbage", 1, -1},
        {0x21, "a", "b", -1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << int(c.kind) << " \"" << c.a << "\" vs \"" << c.b << '"');
        EXPECT_EQ(CompareRows({1, c.a}, {2, c.b}, MakeSortParam(true, c.kind)), c.ascending);
        EXPECT_EQ(CompareRows({1, c.a}, {2, c.b}, MakeSortParam(false, c.kind)), c.descending);
    }
    // Any non-zero low byte means ascending.
    EXPECT_EQ(CompareRows({0, "a"}, {0, "b"}, 0x01ff), -1);
    EXPECT_EQ(CompareRows({0, "a"}, {0, "b"}, 0x0100), 1);
}

// Sorts 300 rows drawn at random from texts by every kind given, both ways. Where the comparison orders the
// texts, the result is exactly their stable sort by it; texts that are no dates are equal to everything, so
// there (ordering false) any permutation serves that puts no neighbours in the wrong order.
void CheckSorts(const std::vector<const char*>& texts, unsigned seed, const std::vector<std::uint8_t>& kinds,
                bool ordering = true) {
    std::mt19937 random(seed);
    TableData data;
    testkit::FillTable(data, {"first", "values"}, {});
    std::vector<int> identity(300);
    for (int& r : identity) data.SetCell(r = data.AppendRow("row"), 1, texts[random() % texts.size()]);
    for (std::uint8_t kind : kinds) {
        for (bool ascending : {true, false}) {
            SCOPED_TRACE(testing::Message() << "kind " << int(kind) << (ascending ? " ascending" : " descending"));
            const auto compare = [&](int p, int q) {
                return CompareRows({0, data.Cell(p, 1)}, {0, data.Cell(q, 1)}, MakeSortParam(ascending, kind));
            };
            const std::vector<int> order = SortRowOrder(data, 1, kind, ascending);
            if (ordering) {
                std::vector<int> expected = identity;
                std::stable_sort(expected.begin(), expected.end(),
                                 [&](int p, int q) { return compare(p, q) < 0 && compare(q, p) > 0; });
                EXPECT_EQ(order, expected);
                continue;
            }
            ASSERT_TRUE(std::is_permutation(order.begin(), order.end(), identity.begin(), identity.end()));
            for (std::size_t i = 0; i + 1 < order.size(); ++i)
                EXPECT_TRUE(compare(order[i], order[i + 1]) <= 0 || compare(order[i + 1], order[i]) > 0) << i;
        }
    }
}

TEST(SortRowOrder, OrderedStableAndComplete) {
    CheckSorts({"",    "0", "1",     "10",  "9", "-2",  "1.5", "abc", "ABC",  "a_b",
                "aab", "x", "12abc", "2.0", "2", "Zed", "zed", "1e2", "\xe9", "Abc"},
               7, {0x00, 0x01, 0x02, 0x04, 0x05, 0x41, 0x45, 0x81, 0xC5, 0x82, 0x84});
    // Dates keep their order among equal moments while every text is a date.
    CheckSorts(
        {"", "2024-03-07", "7/3/2024", "1/1/1999 10:00", "1999-01-01T10:00:00", "31.12.1899", "2024-03-07 00:00:01"},
        11, {0x43, 0x46, 0x83, 0x86});
    CheckSorts({"", "2024-03-07", "x", "1/1/1999", "garbage", "8/3/2024"}, 13, {0x03, 0x06, 0x43, 0x86}, false);

    TableData data;
    data.InsertColumn(0, "a", Align::Left, 10);
    EXPECT_TRUE(SortRowOrder(data, 0, 0x05, true).empty());
    data.AppendRow("5");
    data.AppendRow("1");
    EXPECT_EQ(SortRowOrder(data, 7, 0x81, true), (std::vector<int>{0, 1}));  // no such column: nothing moves
    // Many unparsed dates among parsed ones: the sort ends and returns every row.
    for (int r = 0; r < 5000; ++r) data.AppendRow(r % 3 ? "x" : std::to_string(1 + r % 28) + "/3/2024");
    EXPECT_EQ(SortRowOrder(data, 0, 0x03, true).size(), 5002u);
}

// Cells go by column position: inserting, deleting and moving a column carries every row's cell along, stored
// or not; highlight and focus travel with their rows.
TEST(TableData, CellsFollowColumnsAndHighlightFollowsRows) {
    TableData t;
    testkit::FillTable(t, {"A", "B", "C"}, {{"r0a", "r0b", "r0c"}, {"r1a", "r1b", "r1c"}, {"short"}});
    t.InsertColumn(1, "New", Align::Right, 0);
    EXPECT_EQ(RowText(t, 2), "short,,,");
    ASSERT_TRUE(t.MoveColumnTo(3, 0));
    EXPECT_EQ(RowText(t, 1) + "|" + RowText(t, 2), "r1c,r1a,,r1b|,short,,");
    ASSERT_TRUE(t.MoveColumnTo(0, 3) && t.DeleteColumn(1));
    EXPECT_EQ(RowText(t, 1), "r1a,r1b,r1c");
    EXPECT_FALSE(t.MoveColumnTo(0, 3) || t.DeleteColumn(3) || t.SetCell(0, 3, "x") || t.SetCell(9, 0, "x"));
    EXPECT_EQ(std::string(t.Cell(0, 7)) + std::string(t.Cell(-1, 0)), "");

    for (int r : {0, 2, 2}) t.SetSelected(r, true);
    t.SetFocusedRow(2);
    t.PermuteRows({2, 0, 1});
    EXPECT_EQ(ColumnText(t, 0), "short,r0a,r1a");
    EXPECT_EQ(testkit::HighlightedRows(t), "0,1");
    EXPECT_EQ(t.FocusedRow(), 0);
    ASSERT_TRUE(t.DeleteRow(0));
    EXPECT_EQ(t.SelectedCount(), 1);
    EXPECT_EQ(t.FocusedRow(), -1);
    EXPECT_EQ(t.InsertRow(99, "back"), 2);
    t.SetFocusedRow(0);
    t.InsertRow(0, "front");
    EXPECT_EQ(ColumnText(t, 0), "front,r0a,r1a,back");
    EXPECT_EQ(t.FocusedRow(), 1) << "a row inserted at the focused one pushes the focus down with its row";
    t.SetFocusedRow(t.RowCount());
    EXPECT_EQ(t.FocusedRow(), -1) << "one past the last row is no row";
    // Inserted before the last column, a column still pushes the last one's cells along.
    t.InsertColumn(2, "Between", Align::Left, 0);
    EXPECT_EQ(RowText(t, 2), "r1a,r1b,,r1c");
}

// Hidden rows keep their place, cells and highlight through sorts and deletions; the count follows them and
// a cleared table shows everything again. Extra observers hear every change, held ones once at the end.
TEST(TableData, HiddenRowsAndExtraObservers) {
    struct Counter : TableObserver {
        int rows = 0, columns = 0;
        void TableRowsChanged() override { ++rows; }
        void TableColumnsChanged() override { ++columns; }
    } view, chart;
    TableData t;
    t.SetObserver(&view);
    t.AddObserver(&chart);
    t.AddObserver(&chart);
    testkit::FillTable(t, {"A"}, {{"a"}, {"b"}, {"c"}, {"d"}});
    for (int r : {1, 3, 3}) t.SetHidden(r, true);
    t.SetSelected(1, true);
    t.SetSelected(2, true);
    EXPECT_EQ(t.HiddenCount(), 2);
    EXPECT_EQ(t.ShownCount(), 2);
    std::string walk;
    for (int r = t.NextRow(-1, false, true); r >= 0; r = t.NextRow(r, false, true)) walk += t.Cell(r, 0);
    for (int r = t.NextRow(-1, true, true); r >= 0; r = t.NextRow(r, true, true)) walk += t.Cell(r, 0);
    EXPECT_EQ(walk, "acc");
    t.PermuteRows({3, 2, 1, 0});
    EXPECT_TRUE(t.IsHidden(0) && !t.IsHidden(1) && t.IsHidden(2) && !t.IsHidden(3) && !t.IsHidden(4));
    ASSERT_TRUE(t.DeleteRow(0));
    EXPECT_EQ(t.HiddenCount(), 1);
    t.ShowAllRows();
    EXPECT_EQ(t.ShownCount(), 3);
    t.SelectAll(true);
    EXPECT_EQ(t.SelectedCount(), 3) << "Ctrl+A counts every row for the status line";
    t.SetHidden(0, true);
    t.SetFocusedRow(1);
    t.DeleteAllRows();  // a reload starts afresh
    EXPECT_TRUE(t.HiddenCount() == 0 && t.SelectedCount() == 0 && t.FocusedRow() == -1);
    EXPECT_TRUE(chart.rows == view.rows && chart.columns == view.columns);
    t.RemoveObserver(&chart);
    const int before = chart.rows;
    {
        NotifyHold hold(t);
        t.AppendRow("x");
    }
    EXPECT_EQ(chart.rows, before);
    t.AddObserver(&chart);
    {
        NotifyHold hold(t);
        t.AppendRow("z");
        t.SetHidden(0, true);
    }
    EXPECT_EQ(chart.rows, before + 1);
}

TEST(StringPool, TextsStayWhereTheyWereWhileThePoolGrows) {
    StringPool pool;
    EXPECT_EQ(pool.Intern(""), StringPool::kEmpty);
    EXPECT_EQ(pool.Intern("X"), pool.Intern("X"));
    const std::string longText(100000, 'z');
    EXPECT_EQ(pool.Text(pool.Intern(longText)), longText);
    EXPECT_EQ(pool.Text(pool.Intern(std::string_view("\0", 1))), std::string_view("\0", 1));
    const StringPool::Id word = pool.Intern("Verdant");
    const std::string_view first = pool.Text(word);
    for (int i = 0; i < 50000; ++i) pool.Intern("text number " + std::to_string(i));
    EXPECT_EQ(first.data(), pool.Text(word).data());
    EXPECT_EQ(pool.Text(word), "Verdant");
}

}  // namespace
}  // namespace lorvex
