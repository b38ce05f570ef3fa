#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "table/TableData.h"

namespace lorvex {
namespace {

std::vector<std::string> RowTexts(const TableData& t, int row) {
    std::vector<std::string> cells;
    for (int c = 0; c < t.ColumnCount(); ++c) cells.emplace_back(t.Cell(row, c));
    return cells;
}

TableData ThreeByThree() {
    TableData t;
    for (const char* h : {"A", "B", "C"}) t.InsertColumn(99, h, Align::Left, 10);
    for (int r = 0; r < 3; ++r) {
        t.AppendRow("r" + std::to_string(r) + "a");
        t.SetCell(r, 1, "r" + std::to_string(r) + "b");
        t.SetCell(r, 2, "r" + std::to_string(r) + "c");
    }
    return t;
}

// Cells are addressed by column position: inserting, deleting and moving a
// column carries every row's cell along, whether or not the row has it stored.
TEST(TableData, ColumnChangesMoveCells) {
    TableData t = ThreeByThree();
    t.AppendRow("short");  // holds only its first cell
    t.InsertColumn(1, "New", Align::Right, 0);
    EXPECT_EQ(RowTexts(t, 0), (std::vector<std::string>{"r0a", "", "r0b", "r0c"}));
    EXPECT_EQ(RowTexts(t, 3), (std::vector<std::string>{"short", "", "", ""}));
    ASSERT_TRUE(t.MoveColumnTo(3, 0));
    EXPECT_EQ(t.Column(0).heading, "C");
    EXPECT_EQ(RowTexts(t, 1), (std::vector<std::string>{"r1c", "r1a", "", "r1b"}));
    EXPECT_EQ(RowTexts(t, 3), (std::vector<std::string>{"", "short", "", ""}));
    ASSERT_TRUE(t.MoveColumnTo(0, 3));
    EXPECT_EQ(RowTexts(t, 1), (std::vector<std::string>{"r1a", "", "r1b", "r1c"}));
    ASSERT_TRUE(t.DeleteColumn(1));
    EXPECT_EQ(RowTexts(t, 2), (std::vector<std::string>{"r2a", "r2b", "r2c"}));
    EXPECT_FALSE(t.MoveColumnTo(0, 3));
    EXPECT_FALSE(t.DeleteColumn(3));
    // Writing outside the table changes nothing; reading outside gives empty text.
    EXPECT_FALSE(t.SetCell(0, 3, "x"));
    EXPECT_FALSE(t.SetCell(9, 0, "x"));
    EXPECT_EQ(t.Cell(0, 7), "");
    EXPECT_EQ(t.Cell(-1, 0), "");
}

TEST(TableData, HighlightAndFocusFollowRows) {
    TableData t = ThreeByThree();
    t.SetSelected(0, true);
    t.SetSelected(2, true);
    t.SetSelected(2, true);
    t.SetFocusedRow(2);
    EXPECT_EQ(t.SelectedCount(), 2);
    EXPECT_EQ(t.NextRow(-1, true), 0);
    EXPECT_EQ(t.NextRow(0, true), 2);
    EXPECT_EQ(t.NextRow(2, true), -1);
    t.PermuteRows({2, 0, 1});
    EXPECT_EQ(RowTexts(t, 0)[0], "r2a");
    EXPECT_TRUE(t.IsSelected(0));
    EXPECT_TRUE(t.IsSelected(1));
    EXPECT_FALSE(t.IsSelected(2));
    EXPECT_EQ(t.FocusedRow(), 0);
    ASSERT_TRUE(t.DeleteRow(0));
    EXPECT_EQ(t.SelectedCount(), 1);
    EXPECT_EQ(t.FocusedRow(), -1);
    t.InsertRow(0, "front");
    EXPECT_EQ(RowTexts(t, 0)[0], "front");
    EXPECT_EQ(t.InsertRow(99, "back"), 3);
    t.DeleteAllRows();
    EXPECT_EQ(t.RowCount(), 0);
    EXPECT_EQ(t.SelectedCount(), 0);
}

TEST(StringPool, IdsAndTexts) {
    StringPool pool;
    const std::string longText(100000, 'z');
    const StringPool::Id e = pool.Intern("");
    const StringPool::Id x = pool.Intern("X");
    const StringPool::Id x2 = pool.Intern("X");
    const StringPool::Id word = pool.Intern("Verdant");
    const StringPool::Id big = pool.Intern(longText);
    const StringPool::Id nul = pool.Intern(std::string_view("\0", 1));
    EXPECT_EQ(e, StringPool::kEmpty);
    EXPECT_EQ(x, x2);
    EXPECT_EQ(pool.Text(x), "X");
    EXPECT_EQ(pool.Text(word), "Verdant");
    EXPECT_EQ(pool.Text(big), longText);
    EXPECT_EQ(pool.Text(nul), std::string_view("\0", 1));
    // Earlier texts stay where they were while the store grows.
    const std::string_view first = pool.Text(word);
    for (int i = 0; i < 50000; ++i) pool.Intern("text number " + std::to_string(i));
    EXPECT_EQ(first.data(), pool.Text(word).data());
    EXPECT_EQ(pool.Text(word), "Verdant");
    pool.Clear();
    EXPECT_EQ(pool.Text(pool.Intern("again")), "again");
}

}  // namespace
}  // namespace lorvex
