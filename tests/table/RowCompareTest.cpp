#include "table/RowCompare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "platform/DateParse.h"
#include "table/TableData.h"
#include "tests/support/TableFill.h"

namespace lorvex {
namespace {

using testkit::ColumnText;
using testkit::RowText;

TEST(CompareRows, EveryComparisonAndEmptyRule) {
    const struct {
        std::uint8_t kind;
        bool ascending;
        const char *a, *b;
        int expected;
    } cases[] = {
        // 0: bytes, unsigned; a text that begins the other comes first
        {0x00, true, "abc", "abd", -1},
        {0x00, true, "ab", "abc", -1},
        {0x00, true, "B", "a", -1},
        {0x00, true, "\xe9", "z", 1},
        {0x00, true, "abc", "abc", 0},
        {0x00, false, "abc", "abd", 1},
        // 1: folded (platform::CompareFolded's own cases are in AsciiTextTest), turned by the direction
        {0x01, true, "abc", "ABC", 0},
        {0x01, false, "B", "a", -1},
        // 2: whole numbers
        {0x02, true, "9", "10", -1},
        {0x02, true, "12abc", "12", 0},
        {0x02, true, "abc", "0", 0},
        {0x02, true, " -5", "+3", -1},
        {0x02, false, "9", "10", 1},
        {0x02, true, "99999999999999999999", "1", 1},
        {0x02, true, "-99999999999999999999", "-5", -1},
        {0x02, true, "9223372036854775800", "9223372036854775801", -1},  // just below the clamp: apart
        {0x02, true, "+-1", "-1", 1},
        // 3 and 6: dates; equal moments give +d; a text that is no date gives 0
        {0x03, true, "2024-03-07", "2024-03-08", -1},
        {0x03, true, "8/3/2024", "2024-03-07", 1},
        {0x03, true, "2024-03-07", "7/3/2024", 1},
        {0x03, false, "2024-03-07", "7/3/2024", -1},
        {0x03, true, "garbage", "2024-03-07", 0},
        {0x03, false, "2024-03-07", "garbage", 0},
        {0x06, true, "2024-03-07 10:00", "2024-03-07 09:59", 1},
        {0x06, false, "2024-03-07 10:00", "2024-03-07 09:59", -1},
        // 4: nothing; 5: floats, equal values give +d
        {0x04, true, "a", "b", 0},
        {0x04, false, "b", "a", 0},
        {0x05, true, "1.5", "1.25", 1},
        {0x05, true, "2", "2.0", 1},
        {0x05, false, "2", "2.0", -1},
        {0x05, true, "12abc", "12", 1},
        {0x05, true, "1e3", "999", 1},
        {0x05, true, "-1", "", -1},
        {0x05, true, "0.1", "0.2", -1},
        {0x05, true, "inf", "0.5", -1},
        {0x05, true, "nan", "-.5e1", 1},
        {0x05, true, "1e999", "3e38", 1},
        {0x05, true, " \t-3x", "-2", -1},
        // empty-last (bit 7) is not turned by the direction; bit 6 is then not examined
        {0x81, true, "", "a", 1},
        {0x81, false, "", "a", 1},
        {0x81, true, "a", "", -1},
        {0x81, false, "a", "", -1},
        {0x81, false, "", "", 0},
        {0xC1, false, "", "a", 1},
        // empty-greatest (bit 6) is; the empty rule comes before the comparison; bit 5 is ignored
        {0x41, true, "", "a", 1},
        {0x41, false, "", "a", -1},
        {0x41, false, "a", "", 1},
        {0x45, true, "", "", 0},
        {0x45, false, "3", "2", -1},
        {0x43, true, "", "garbage", 1},
        {0x84, true, "", "x", 1},
        {0x21, true, "a", "b", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CompareRows({1, c.a}, {2, c.b}, MakeSortParam(c.ascending, c.kind)), c.expected)
            << "kind " << int(c.kind) << (c.ascending ? " asc " : " desc ") << '"' << c.a << "\" vs \"" << c.b << '"';
    // Any non-zero low byte means ascending.
    EXPECT_EQ(CompareRows({0, "a"}, {0, "b"}, 0x01ff), -1);
    EXPECT_EQ(CompareRows({0, "a"}, {0, "b"}, 0x0100), 1);
}

// Whether two texts hold the same value for a comparison: such rows must keep their order in a sort.
bool SameValue(int c, std::string_view a, std::string_view b) {
    switch (c) {
        case 0: return a == b;
        case 1: return CompareFolded(a, b) == 0;
        case 2: return ReadWholeNumber(a) == ReadWholeNumber(b);
        case 5: return ReadFloat(a) == ReadFloat(b);
        case 3:
        case 6: return platform::ParseDate(a) == platform::ParseDate(b);
        default: return true;
    }
}

// Sorts 300 rows drawn at random from texts by every kind given, both ways: a permutation, no neighbours in the
// wrong order, and equal values in their old order.
void CheckSorts(const std::vector<const char*>& texts, unsigned seed, const std::vector<std::uint8_t>& kinds,
                bool checkStable = true) {
    std::mt19937 random(seed);
    TableData data;
    const int rows = 300;
    testkit::FillTable(data, {"first", "values"}, {});
    std::vector<int> identity(rows);
    for (int r = 0; r < rows; ++r)
        data.SetCell(identity[r] = data.AppendRow(std::to_string(r)), 1, texts[random() % texts.size()]);
    for (std::uint8_t kind : kinds) {
        for (bool ascending : {true, false}) {
            const std::vector<int> order = SortRowOrder(data, 1, kind, ascending);
            ASSERT_TRUE(std::is_permutation(order.begin(), order.end(), identity.begin(), identity.end()));
            const std::uint32_t param = MakeSortParam(ascending, kind);
            for (int i = 0; i + 1 < rows; ++i) {
                const SortRecord p{0, data.Cell(order[i], 1)}, q{0, data.Cell(order[i + 1], 1)};
                EXPECT_TRUE(CompareRows(p, q, param) <= 0 || CompareRows(q, p, param) > 0)
                    << "kind " << int(kind) << " at " << i << ": \"" << p.text << "\" before \"" << q.text << '"';
            }
            for (int i = 0; checkStable && i < rows; ++i) {
                for (int j = i + 1; j < rows; ++j) {
                    const std::string_view a = data.Cell(order[i], 1), b = data.Cell(order[j], 1);
                    if ((kind & 0xC0) != 0 && a.empty() != b.empty()) continue;
                    if (SameValue(kind & 0x1f, a, b)) {
                        ASSERT_LT(order[i], order[j]) << "kind " << int(kind);
                    }
                }
            }
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
    // Texts that are no dates are equal to everything: any order serves that puts no neighbours wrong.
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
    t.InsertRow(0, "front");
    EXPECT_EQ(ColumnText(t, 0), "front,r0a,r1a,back");
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
    t.SetHidden(0, true);
    t.DeleteAllRows();
    EXPECT_EQ(t.HiddenCount(), 0);
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
