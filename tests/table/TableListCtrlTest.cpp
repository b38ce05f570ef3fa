#include "table/TableListCtrl.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/TableFill.h"

namespace lorvex {
namespace {

using testkit::ColumnText;
using testkit::HighlightedRows;
using testkit::Rows;
using testkit::RowText;
using Kinds = std::vector<std::uint8_t>;
using Moves = std::vector<std::pair<int, int>>;

// Every character `perChar` pixels wide, a space `space` wide.
struct FixedMeasure : TextMeasure {
    FixedMeasure(int c, int s) : perChar(c), space(s) {}
    int CellTextWidth(std::string_view text) override { return static_cast<int>(text.size()) * perChar; }
    int HeadingTextWidth(std::string_view text) override { return static_cast<int>(text.size()) * perChar; }
    int SpaceWidth() override { return space; }
    int perChar, space;
};

void Fill(TableListCtrl& table, const std::vector<std::string>& headings, const Rows& rows, const Kinds& kinds = {},
          int width = 50) {
    testkit::FillTable(table.Data(), headings, rows, width);
    table.SetColumnKinds(kinds.data(), static_cast<std::uint32_t>(kinds.size()));
    table.EnableClickSort(true);
}

Rows Single(const std::vector<std::string>& values) {  // one column of values
    Rows rows;
    for (const std::string& v : values) rows.push_back({v});
    return rows;
}

std::string Widths(const TableData& data) {
    std::string s;
    for (int c = 0; c < data.ColumnCount(); ++c) s += (c ? "," : "") + std::to_string(data.ColumnWidth(c));
    return s;
}

TEST(TableListCtrl, SettingsAndKindCheck) {
    TableListCtrl table;
    Fill(table, {"a", std::string(200, 'h')}, {});
    EXPECT_EQ(table.ColumnHeading(1), std::string(127, 'h'));
    EXPECT_EQ(table.ColumnHeading(2) + table.ColumnHeading(-1), "");
    const std::pair<Kinds, bool> cases[] = {{{0x05, 0x81, 0x41, 0x01, 0x45, 0x02}, true},
                                            {{0x00, 0x03, 0x04, 0x06, 0xE6, 0x20, 0xC0}, true},
                                            {{0x01, 0x07}, false},
                                            {{0x1F}, false},
                                            {{0x81, 0x81, 0x27, 0x81}, false},
                                            {{}, true}};
    for (const auto& [kinds, ok] : cases) {
        const std::uint8_t old[] = {0x01, 0x02};
        table.SetColumnKinds(old, 2);
        EXPECT_EQ(table.SetColumnKinds(kinds.data(), static_cast<std::uint32_t>(kinds.size())), ok);
        EXPECT_EQ(table.ColumnKinds(), ok ? kinds : Kinds{});  // none kept on refusal
    }
    EXPECT_FALSE(table.SetColumnKinds(nullptr, 3));

    // Highlight modes go from 0 to 2; any other keeps the mode, and every call answers the one before.
    const struct {
        const char* why;
        int asked, previous, after;
    } modes[] = {
        {"to the right edge", 2, 0, 2},
        {"one above the last mode changes nothing", 3, 2, 2},
        {"nor does a negative one", -1, 2, 2},
        {"back to the first cell's label", 0, 2, 0},
    };
    for (const auto& m : modes) {
        EXPECT_EQ(table.SetRowHighlightMode(m.asked), m.previous) << m.why;
        EXPECT_EQ(table.HighlightMode(), m.after) << m.why;
    }
}

TEST(TableListCtrl, ClickDirectionAndRememberedColumn) {
    TableListCtrl table;
    Fill(table, {"name", "n"}, {{"b", "2"}, {"a", "10"}, {"c", "9"}}, {0x81, 0x02});
    table.Data().SetSelected(0, true);  // "b": a plain click keeps the highlight on its row
    const std::tuple<int, int, bool, const char*> steps[] = {
        // column, mouse button, ascending after, names
        {0, 0, true, "a,b,c"}, {0, 0, false, "c,b,a"}, {0, 0, true, "a,b,c"},  {1, 0, true, "b,c,a"},
        {1, 1, true, "b,c,a"}, {1, 2, true, "b,c,a"},  {1, 0, false, "a,c,b"}, {0, 0, true, "a,b,c"}};
    for (const auto& [column, button, ascending, names] : steps) {
        table.HeadingClick(column, button, false);
        EXPECT_TRUE(table.SortColumn() == column && table.SortAscending() == ascending) << names;
        EXPECT_EQ(ColumnText(table.Data(), 0), names);
        EXPECT_EQ(table.Data().Cell(table.Data().NextRow(-1, true), 0), "b");
    }
    // A new load keeps the remembered column and direction: the click reverses. So does a move: the position counts.
    Fill(table, {"name", "n"}, {{"x", "1"}, {"y", "2"}}, {0x81, 0x02});
    table.HeadingClick(0, 0, false);
    EXPECT_EQ(ColumnText(table.Data(), 0), "y,x");
    table.MoveColumn(1, 0);
    table.HeadingClick(0, 0, false);
    EXPECT_EQ(ColumnText(table.Data(), 0), "1,2");
    // Click sorting off, or a missing column: nothing.
    for (auto [on, column] : {std::pair{false, 1}, {true, 5}})
        table.EnableClickSort(on), table.HeadingClick(column, 0, false);
    EXPECT_TRUE(table.SortColumn() == 0 && table.SortAscending());
}

TEST(TableListCtrl, SortKindsAndEmptyCells) {
    const std::tuple<Kinds, std::vector<std::string>, const char*, const char*> cases[] = {
        // kinds, values, asc, desc
        {{0x81}, {"b", "", "A", "", "c"}, "A,b,c,,", "c,b,A,,"},     // the column's kind
        {{}, {"b", "10", "", "B", "2"}, ",10,2,b,B", "b,B,2,10,"},   // no kinds: folded text
        {{0x81, 0x09}, {"b", "10", "", "2"}, ",10,2,b", "b,2,10,"},  // a refused list: the same
    };
    for (const auto& [kinds, values, ascending, descending] : cases) {
        TableListCtrl table;
        Fill(table, {"v"}, Single(values), kinds);
        table.SortBy(0, true);  // a direct sort, as a script asks for one, from the loaded order
        EXPECT_EQ(ColumnText(table.Data(), 0), descending);
        EXPECT_FALSE(table.SortAscending());
        for (const char* expected : {ascending, descending}) {  // and each click turns it
            table.HeadingClick(0, 0, false);
            EXPECT_EQ(ColumnText(table.Data(), 0), expected);
        }
    }
    // A column past the kinds: folded text as well.
    TableListCtrl table;
    Fill(table, {"a", "b"}, {{"x", "2"}, {"y", "10"}}, {0x02});
    table.HeadingClick(1, 0, false);
    EXPECT_EQ(ColumnText(table.Data(), 1), "10,2");
}

TEST(TableListCtrl, CtrlClickHighlightsDuplicates) {
    const std::tuple<std::vector<std::string>, std::uint8_t, const char*, const char*> cases[] = {
        {{"b", "x", "B", "a"}, 0x81, "a,b,B,x", "1,2"},
        {{"q", "a", "A", "z"}, 0x81, "a,A,q,z", "0,1"},  // the first row too
        {{"", "m", "", "k"}, 0x81, "k,m,,", "2,3"},      // empty cells count as equal
        {{"a", "b", "c"}, 0x81, "a,b,c", ""},
        {{"7", "7", "7"}, 0x02, "7,7,7", "0,1,2"},
        {{"2", "2.0", "1"}, 0x05, "1,2,2.0", ""},  // comparison 1 whatever the kind
        {{"only"}, 0x81, "only", "0"},
    };
    for (const auto& [values, kind, sorted, highlighted] : cases) {
        TableListCtrl table;
        Fill(table, {"v"}, Single(values), {kind});
        for (int r = 0; r < table.Data().RowCount(); ++r) table.Data().SetSelected(r, r % 2 == 0);
        table.HeadingClick(0, 0, true);
        EXPECT_EQ(ColumnText(table.Data(), 0), sorted);
        EXPECT_EQ(HighlightedRows(table.Data()), highlighted);
    }
}

// Column i: heading Hi, width 10+i, a kind of its own and cells "r<row>c<i>"; what a move gives comes from taking
// the column out and putting it in at its final index.
TEST(TableListCtrl, MoveColumnEveryGap) {
    const Kinds kinds = {0x00, 0x81, 0x42, 0x03, 0xC4};
    const auto column = [&](int i) {
        const std::string n = std::to_string(i);
        return "H" + n + " " + std::to_string(10 + i) + " " + std::to_string(kinds[i]) + " r0c" + n + ",r1c" + n + "|";
    };
    for (int from = 0; from < 5; ++from) {
        for (int to = 0; to <= 5; ++to) {
            TableListCtrl table;
            Fill(table, {"H0", "H1", "H2", "H3", "H4"},
                 {{"r0c0", "r0c1", "r0c2", "r0c3", "r0c4"}, {"r1c0", "r1c1", "r1c2", "r1c3", "r1c4"}}, kinds);
            for (int c = 0; c < 5; ++c) table.Data().SetColumnWidth(c, 10 + c);
            std::vector<int> order{0, 1, 2, 3, 4};
            if (to != from && to != from + 1) {
                order.erase(order.begin() + from);
                order.insert(order.begin() + (to < from ? to : to - 1), from);
            }
            table.MoveColumn(from, to);
            std::string got, expected;
            for (int c = 0; c < table.ColumnCount(); ++c) {
                got += table.ColumnHeading(c) + " " + std::to_string(table.Data().ColumnWidth(c)) + " " +
                       std::to_string(table.ColumnKinds()[c]) + " " + ColumnText(table.Data(), c) + "|";
                expected += column(order[c]);
            }
            EXPECT_EQ(got, expected) << from << "->" << to;
        }
    }
    // Kinds that do not reach a moved column stay; a moved heading is cut to 158, an unmoved one not at all.
    TableListCtrl table;
    Fill(table, {std::string(200, 'a'), "b", "c", "d"}, {{"1", "2", "3", "4"}}, {0x01, 0x02, 0x05});
    table.MoveColumn(3, 0);
    EXPECT_EQ(table.ColumnKinds(), (Kinds{0x01, 0x02, 0x05}));
    EXPECT_EQ(table.Data().Column(1).heading, std::string(200, 'a'));
    table.MoveColumn(1, 4);
    EXPECT_EQ(table.Data().Column(3).heading, std::string(158, 'a'));
    for (auto [from, to] : {std::pair{-1, 0}, {4, 0}, {0, 5}, {2, -1}}) table.MoveColumn(from, to);
    EXPECT_EQ(RowText(table.Data(), 0), "4,2,3,1");
}

TEST(TableListCtrl, CollapseExpandAndAutoSize) {
    FixedMeasure measure(7, 3);  // margin: 2 * 2 * 3 on top of the text, and 5 to spare
    TableListCtrl table;
    table.SetTextMeasure(&measure);
    Fill(table, {"Name", "x", "LongHeading", "e"}, {{"abcdefghij", "", "ab", ""}, {"a", "", "abc", ""}}, {}, 16);
    TableData& data = table.Data();
    data.SetColumnWidth(2, 15);
    for (int column : {0, 0, 2, 9, 0}) table.CollapseOrExpand(column);  // 9: no such column
    EXPECT_EQ(Widths(data), "10,16,94,16");                             // the widest cell wins, then the heading
    table.CollapseOrExpand(0);
    EXPECT_EQ(data.ColumnWidth(0), 70 + 17);
    // A fit of at most 15 gives 15 and stays there: it never collapses. Without a measure every text is 0 wide.
    FixedMeasure narrow(2, 1);
    table.SetTextMeasure(&narrow);
    for (const char* widths : {"87,16,94,10", "87,16,94,15", "87,16,94,15"}) {
        table.CollapseOrExpand(3);
        EXPECT_EQ(Widths(data), widths);
    }
    table.SetTextMeasure(nullptr);
    data.SetColumnWidth(0, 3);
    table.CollapseOrExpand(0);
    EXPECT_EQ(data.ColumnWidth(0), 15);

    // AutoSizeColumns fits the columns narrower than the limit: fitted width + 5, at least 15.
    FixedMeasure wide(5, 2);  // margin 8
    table.SetTextMeasure(&wide);
    Fill(table, {"aa", "bbbb", "c", "dddddd"}, {{"xxxxxxxx", "y", "zz", ""}}, {}, 0);
    data.SetColumnWidth(1, 1);
    // Every column, the last too, but one as wide as the limit; one column; a column that does not exist.
    const std::pair<int, int> calls[] = {{-1, 1}, {1, 9999}, {4, 9999}};
    const char* widths[] = {"53,1,23,43", "53,33,23,43", "53,33,23,43"};
    for (int i = 0; i < 3; ++i) {
        table.AutoSizeColumns(calls[i].first, calls[i].second);
        EXPECT_EQ(Widths(data), widths[i]) << i;
    }
}

TEST(HeaderDragTracker, GapAndMarker) {
    const std::vector<int> widths{50, 30, 0, 20};
    const int cases[][3] = {{-5, 0, 0},  {0, 0, 0},   {49, 0, 0},    {50, 1, 50},  {79, 1, 50},
                            {80, 3, 80}, {99, 3, 80}, {100, 4, 100}, {500, 4, 100}};  // x, gap, marker x
    for (const auto& c : cases) {
        int markerX = -1;
        EXPECT_EQ(HeaderDragTracker::GapAt(c[0], widths, &markerX), c[1]) << c[0];
        EXPECT_EQ(markerX, c[2]) << c[0];
    }
    int markerX = -1;
    EXPECT_EQ(HeaderDragTracker::GapAt(10, {}, &markerX) + markerX, 0);
    EXPECT_EQ(HeaderDragTracker::MarkerRectAt(100, 20), (MarkerRect{94, 9, 106, 21}));
    EXPECT_EQ(HeaderDragTracker::MarkerRectAt(100, 23), (MarkerRect{94, 11, 106, 24}));
    EXPECT_EQ(HeaderDragTracker::MarkerRectAt(0, 3), (MarkerRect{-1, 1, 1, 4}));
    const MarkerTriangle t = HeaderDragTracker::TriangleAt(100, 23);
    EXPECT_EQ((std::vector<MarkerPoint>{t.tip, t.left, t.right}),
              (std::vector<MarkerPoint>{{100, 23}, {95, 11}, {105, 11}}));
}

// The widget tests drive a whole drag; here what they cannot reach.
TEST(HeaderDragTracker, DragStates) {
    const std::vector<int> widths{40, 40, 40, 40};
    HeaderDragTracker t;
    Moves moves;
    t.SetMoveHandler([&](int from, int to) { moves.emplace_back(from, to); });
    t.Press(true, 1);  // switched off: everything passes on
    EXPECT_TRUE(!t.Pressed() && t.Move(130, true, widths, 20).passOn && !t.Release().dragEnded);
    t.EnableDrag(true);
    t.Press(true, 2);
    t.Move(85, true, widths, 20);
    auto m = t.Move(-20, true, {500, 500}, 20);  // the widths at the start hold
    EXPECT_EQ(m.newMarker, HeaderDragTracker::MarkerRectAt(0, 20));
    EXPECT_FALSE(t.Move(-30, true, {}, 20).markerMoved);  // the same gap
    // A move without the button ends the drag without a move; a press on a divider after an armed press starts none.
    EXPECT_TRUE(t.Move(100, false, widths, 20).dragEnded);
    EXPECT_FALSE(t.Dragging() || t.Pressed() || t.Release().moved);
    t.Press(true, 0);
    t.Release();
    EXPECT_FALSE(t.Move(100, false, widths, 20).dragEnded || t.Pressed()) << "a move without the button disarms";
    t.Press(true, 0);
    t.Release();
    t.Press(false, -1);
    EXPECT_TRUE(t.Move(100, true, widths, 20).passOn);
    EXPECT_FALSE(t.Dragging() || t.Release().moved);
    EXPECT_TRUE(moves.empty());
}

TEST(HeaderDragTracker, ReleaseGapRule) {
    // Drag column 1 and release over x: gaps 1 and 2 (either side of the column) move nothing.
    const int cases[][3] = {{-3, true, 0},   {20, true, 0},  {45, false, 1},
                            {100, false, 2}, {125, true, 3}, {999, true, 4}};
    for (const auto& c : cases) {
        HeaderDragTracker t;
        Moves moves;
        t.SetMoveHandler([&](int from, int to) { moves.emplace_back(from, to); });
        t.EnableDrag(true);
        t.Press(true, 1);
        t.Move(60, true, {40, 40, 40, 40}, 20);
        t.Move(c[0], true, {40, 40, 40, 40}, 20);
        const auto r = t.Release();
        EXPECT_TRUE(r.dragEnded);
        EXPECT_EQ(r.moved, c[1] != 0) << c[0];
        EXPECT_EQ(moves, (c[1] ? Moves{{1, c[2]}} : Moves{})) << c[0];
    }
}

}  // namespace
}  // namespace lorvex
