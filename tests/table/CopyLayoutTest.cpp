#include <gtest/gtest.h>

#include "table/ColumnLayout.h"
#include "table/CopyText.h"
#include "table/RowRemoval.h"
#include "table/TableListCtrl.h"
#include "tests/support/TableFill.h"

namespace lorvex {
namespace {

using testkit::FillTable;

TEST(CopyText, TakesHighlightedShownRowsAndOpenColumns) {
    TableData data;
    FillTable(data, {"Name", "Hidden", "Note"},
              {{"a&b", "x", "<i>\"q\""}, {"c", "y", "tab\there"}, {"d", "z", ""}, {"e\r\nf", "w", "line\nbreak"}});
    data.SetColumnWidth(1, TableListCtrl::kCollapsedLimit);  // collapsed: the limit itself is collapsed
    const struct {
        const char* what;
        std::vector<int> highlight, hide;
        int focus;
        const char* plain;
    } cases[] = {
        {"nothing", {}, {}, -1, ""},
        {"the focused row when none is highlighted", {}, {}, 1, "Name\tNote\nc\ttab here\n"},
        {"a hidden focused row is not copied", {}, {1}, 1, ""},
        {"highlighted rows, top to bottom", {2, 0}, {}, 1, "Name\tNote\na&b\t<i>\"q\"\nd\t\n"},
        {"hidden highlighted rows stay out", {0, 2}, {2}, -1, "Name\tNote\na&b\t<i>\"q\"\n"},
        {"a line break inside a cell would split its row on paste", {3}, {}, -1, "Name\tNote\ne  f\tline break\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        data.SelectAll(false);
        data.ShowAllRows();
        for (int r : c.highlight) data.SetSelected(r, true);
        for (int r : c.hide) data.SetHidden(r, true);
        data.SetFocusedRow(c.focus);
        const CopiedRows copied = CopyRows(data);
        EXPECT_EQ(copied.plain, c.plain);
        EXPECT_EQ(copied.html.empty(), copied.rows == 0);  // the exact HTML: the window test
    }
}

TEST(ColumnLayout, PutsOrderAndWidthsBackByHeading) {
    TableListCtrl table;
    TableData& data = table.Data();
    FillTable(data, {"A", "B", "C", "D"}, {{"a", "b", "c", "d"}});
    const std::uint8_t kinds[] = {1, 2, 5, 0x81};
    table.SetColumnKinds(kinds, 4);
    const ColumnLayout original = CaptureLayout(data);

    table.MoveColumn(3, 0);  // D to the front
    table.MoveColumn(1, 4);  // A to the end: D, B, C, A
    data.SetColumnWidth(2, 10);
    const ColumnLayout arranged = CaptureLayout(data);
    ColumnLayout decoded;
    ASSERT_TRUE(DecodeLayout(EncodeLayout(arranged), &decoded));
    EXPECT_EQ(decoded, arranged);

    ApplyLayout(table, original);  // back to the configuration's own
    EXPECT_EQ(CaptureLayout(data), original);
    EXPECT_EQ(testkit::RowText(data, 0), "a,b,c,d");
    EXPECT_EQ(table.ColumnKinds(), std::vector<std::uint8_t>({1, 2, 5, 0x81})) << "kinds travel with their columns";
    ApplyLayout(table, decoded);
    EXPECT_EQ(CaptureLayout(data), arranged);
    // A layout naming a column the table lacks, and missing some it has: those follow in their own order.
    ApplyLayout(table, ColumnLayout{{{"Z", 70}, {"C", 33}, {"A", 44}}});
    EXPECT_EQ(CaptureLayout(data), (ColumnLayout{{{"C", 33}, {"A", 44}, {"D", 50}, {"B", 50}}}));
    // A heading that occurs twice is known by its occurrence.
    FillTable(data, {"X", "Y", "X"}, {{"x1", "y", "x2"}});
    const ColumnLayout twice{{{"X", 11}, {"X", 22}, {"Y", 33}}};
    ApplyLayout(table, twice);
    EXPECT_EQ(CaptureLayout(data), twice);
    EXPECT_EQ(testkit::RowText(data, 0), "x1,x2,y");
}

TEST(ColumnLayout, RefusesDamagedTextAndKeysByNameAndHeadings) {
    ColumnLayout layout;
    for (const char* bad : {"12", "x\tA\n", "\tA\n", "-1\tA\n", "5\tA\n7"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(DecodeLayout(bad, &layout));
    }
    TableData one, two;
    FillTable(one, {"A", "B"}, {});
    FillTable(two, {"B", "A"}, {});
    // Layouts are kept under this key: it must not change between versions, leading zeros and the name's case too.
    EXPECT_EQ(LayoutKey("U4.CFG", one), "0575c43a4d9e66bf");
    EXPECT_NE(LayoutKey("units.cfg", one), LayoutKey("units.cfg", two));
    EXPECT_NE(LayoutKey("units.cfg", one), LayoutKey("other.cfg", one));
}

// Rows a..e; b and d highlighted; c hidden by a filter in some cases.
TEST(RowRemoval, OnlyShownRowsOfTheAskedKindGoAndTheLineCountsThem) {
    const struct {
        const char* why;
        bool highlighted, hideC;
        const char* left;
        int removed;
        const char* status;
    } cases[] = {
        {"the highlighted rows go", true, false, "a,c,e", 2, "3 total table entries,   0 hilighted entries"},
        {"the others go", false, false, "b,d", 3, "2 total table entries,   2 hilighted entries"},
        {"a hidden row stays", false, true, "b,c,d", 2, "3 total table entries,   2 hilighted entries,   2 shown"},
        {"a hidden highlighted row stays", true, true, "a,c,e", 2,
         "3 total table entries,   0 hilighted entries,   2 shown"},
    };
    for (const auto& c : cases) {
        TableData data;
        FillTable(data, {"n"}, {{"a"}, {"b"}, {"c"}, {"d"}, {"e"}});
        data.SetSelected(1, true);
        data.SetSelected(3, true);
        data.SetHidden(2, c.hideC);
        EXPECT_EQ(RemoveShownRows(data, c.highlighted), c.removed) << c.why;
        EXPECT_EQ(testkit::ColumnText(data, 0), c.left) << c.why;
        EXPECT_EQ(StatusLineText(data, c.hideC), c.status) << c.why;
    }
}

}  // namespace
}  // namespace lorvex
