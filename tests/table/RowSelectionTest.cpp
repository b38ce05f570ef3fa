// The table view's rules without a window: which row each line shows, where
// lines and columns fall, and how clicks and keys highlight rows.
#include "table/RowSelection.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "table/ListGeometry.h"
#include "tests/support/TableFill.h"

namespace lorvex {
namespace {

using testkit::HighlightedRows;

// Six rows, 0 to 5; `hidden` ones taken off the lines by a filter.
void Fill(TableData& data, const std::vector<int>& hidden = {}) {
    testkit::FillTable(data, {"n"}, {{"0"}, {"1"}, {"2"}, {"3"}, {"4"}, {"5"}});
    for (int r : hidden) data.SetHidden(r, true);
}

// f of each value, joined by ",".
template <class F>
std::string Joined(std::initializer_list<int> values, F f) {
    std::string s;
    for (int v : values) s += (s.empty() ? "" : ",") + std::to_string(f(v));
    return s;
}

std::string LinesText(const RowLines& lines) {
    std::string s;
    for (int line = 0; line < lines.Count(); ++line) s += (line ? "," : "") + std::to_string(lines.RowAt(line));
    return s;
}

TEST(RowLines, HiddenRowsTakeNoLineAndTheLinesFollowTheRows) {
    const struct {
        const char* why;
        std::vector<int> hidden;
        const char* rows;    // the row of each line
        const char* lineOf;  // the line of rows -1 to 6
    } cases[] = {
        {"no filter: each row its own line", {}, "0,1,2,3,4,5", "-1,0,1,2,3,4,5,-1"},
        {"hidden rows between", {1, 3}, "0,2,4,5", "-1,0,-1,1,-1,2,3,-1"},
        {"the first and last hidden", {0, 5}, "1,2,3,4", "-1,-1,0,1,2,3,-1,-1"},
        {"everything hidden", {0, 1, 2, 3, 4, 5}, "", "-1,-1,-1,-1,-1,-1,-1,-1"},
    };
    for (const auto& c : cases) {
        TableData data;
        Fill(data, c.hidden);
        const RowLines lines(data);
        EXPECT_EQ(LinesText(lines), c.rows) << c.why;
        EXPECT_EQ(Joined({-1, 0, 1, 2, 3, 4, 5, 6}, [&](int row) { return lines.LineOf(row); }), c.lineOf) << c.why;
        EXPECT_EQ(lines.RowAt(-1), -1) << c.why;
        EXPECT_EQ(lines.RowAt(lines.Count()), -1) << c.why;
    }
    // The lines are kept between changes; the observer's word finds them again.
    TableData data;
    Fill(data, {1, 3});
    RowLines lines(data);
    ASSERT_EQ(LinesText(lines), "0,2,4,5");
    data.SetHidden(0, true);
    lines.Invalidate();
    EXPECT_EQ(LinesText(lines), "2,4,5");
    EXPECT_EQ(lines.LineOf(4), 1);
}

TEST(LineScroll, WholeLinesInViewAndTheLeastScrollThatShowsALine) {
    // Lines 20 pixels high in a view 95 high: four lines fit whole, the fifth in part.
    const LineScroll scroll{10, 20, 95};
    EXPECT_EQ(scroll.PageLines(), 4);
    EXPECT_EQ((LineScroll{0, 20, 10}.PageLines()), 1) << "a view lower than a line still pages by one";
    // Above the view; the top line; the last pixel of a line and the first of the next; below the lines that fit.
    EXPECT_EQ(Joined({-1, 0, 39, 40, 95}, [&](int y) { return scroll.LineAtY(y); }), "-1,10,11,12,14");
    EXPECT_EQ(scroll.TopOf(12), 40);
    // A line above comes to the top; the top line and the last whole one stay; one below scrolls down by one; one
    // far below comes to the bottom.
    EXPECT_EQ(Joined({3, 10, 13, 14, 30}, [&](int line) { return scroll.FirstShowing(line); }), "3,10,10,11,27");
    EXPECT_EQ(scroll.LastFirst(10), 6) << "the last page shows full";
    EXPECT_EQ(scroll.LastFirst(2), 0) << "fewer lines than a page";
}

TEST(ListColumns, ColumnsAlongXAndTheHighlightByMode) {
    TableData data;
    testkit::FillTable(data, {"a", "b", "c"}, {}, 0);
    for (int c : {0, 1, 2}) data.SetColumnWidth(c, (c + 1) * 10);  // 10, 20, 30
    EXPECT_EQ(RowWidth(data), 60);
    // The first pixel; a column's right edge is the next one's; the last pixel; past the last; left of the first.
    EXPECT_EQ(Joined({0, 10, 59, 60, -1}, [&](int x) { return ColumnAtX(data, 0, x); }), "0,1,2,-1,-1");
    EXPECT_EQ(ColumnAtX(data, -15, -5), 1) << "scrolled by 15: b starts at -5";

    const XSpan label{5, 45};
    const struct {
        const char* why;
        int mode, text, viewRight;
        XSpan light;
    } modes[] = {
        {"0: the first cell's text", 0, 12, 300, {5, 17}},
        {"0: a text wider than its column stays inside it", 0, 90, 300, {5, 45}},
        {"1: the whole row", 1, 12, 300, {5, 125}},
        {"2: out to the view's edge", 2, 12, 300, {5, 300}},
        {"2: a view edge left of the row: empty, not reversed", 2, 12, 2, {5, 5}},
        {"an unknown mode: the first column", 7, 12, 300, {5, 45}},
    };
    for (const auto& c : modes) EXPECT_EQ(HighlightSpan(c.mode, label, 125, c.text, c.viewRight), c.light) << c.why;
}

class Selecting : public ::testing::Test {
protected:
    // One step: what was done, then what is highlighted, focused and anchored.
    struct Step {
        const char* why;
        std::function<void()> act;
        const char* selected;
        int focus, anchor;
    };
    void Run(const std::vector<Step>& steps) {
        for (const Step& s : steps) {
            s.act();
            EXPECT_EQ(HighlightedRows(data), s.selected) << s.why;
            EXPECT_EQ(data.FocusedRow(), s.focus) << s.why;
            EXPECT_EQ(selection.Anchor(), s.anchor) << s.why;
        }
    }
    auto Click(int row, bool ctrl = false, bool shift = false) {
        return [=, this] { selection.Click(row, ctrl, shift); };
    }
    auto Key(RowKey key, bool ctrl = false, bool shift = false) {
        return [=, this] { selection.Move(key, 2, ctrl, shift); };
    }
    // Space on row `focus` (-1: the focus as it stands).
    auto Space(int focus, bool ctrl = false) {
        return [=, this] {
            if (focus >= 0) data.SetFocusedRow(focus);
            selection.Space(ctrl);
        };
    }
    auto DeleteRow(int row) {
        return [=, this] {
            data.DeleteRow(row);
            selection.DropLostAnchor();
        };
    }

    TableData data;
    RowLines lines{data};
    RowSelection selection{data, lines};
};

TEST_F(Selecting, ClicksWithCtrlAndShift) {
    Fill(data);
    data.SetFocusedRow(3);
    Run({
        {"Shift with no anchor starts at the focused row", Click(1, false, true), "1,2,3", 1, 3},
        {"a plain click: that row alone", Click(2), "2", 2, 2},
        {"Ctrl adds a row and anchors there", Click(4, true), "2,4", 4, 4},
        {"Ctrl again takes it off", Click(2, true), "4", 2, 2},
        {"Shift: from the anchor up", Click(0, false, true), "0,1,2", 0, 2},
        {"Shift again: from the same anchor down", Click(5, false, true), "2,3,4,5", 5, 2},
        {"Ctrl+Shift keeps the others", Click(0, true, true), "0,1,2,3,4,5", 0, 2},
        {"Ctrl below the rows keeps everything", Click(-1, true), "0,1,2,3,4,5", 0, 2},
        {"so does Shift below the rows", Click(-1, false, true), "0,1,2,3,4,5", 0, 2},
        {"a plain click below the rows takes the highlight away", Click(-1), "", 0, 2},
    });
}

TEST_F(Selecting, KeysWalkTheShownLines) {
    Fill(data, {1, 3});  // lines: 0, 2, 4, 5
    Run({
        {"from no focus a move starts at the first line", Key(RowKey::Up), "0", 0, 0},
        {"down skips the hidden row", Key(RowKey::Down), "2", 2, 2},
        {"Shift highlights from the anchor, not the hidden row", Key(RowKey::Down, false, true), "2,4", 4, 2},
        {"Ctrl moves the focus alone", Key(RowKey::Up, true), "2,4", 2, 2},
        {"a page is two lines here", Key(RowKey::PageDown), "5", 5, 5},
        {"past the end stays at the last line", Key(RowKey::Down), "5", 5, 5},
        {"Shift+Home: every shown row to the top", Key(RowKey::Home, false, true), "0,2,4,5", 0, 5},
        {"past the top stays at the first line", Key(RowKey::PageUp), "0", 0, 0},
        {"End", Key(RowKey::End), "5", 5, 5},
        {"Ctrl+Shift moves the range without keeping the rest", Key(RowKey::PageUp, true, true), "2,4,5", 2, 5},
    });
    TableData empty;
    RowLines none(empty);
    EXPECT_EQ(RowSelection(empty, none).Move(RowKey::End, 2, false, false), -1) << "no line to go to";
}

TEST_F(Selecting, SpaceMenuCtrlAAndRowsThatGo) {
    Fill(data, {3});
    Run({
        {"Space on no focused row does nothing", Space(-1), "", -1, -1},
        {"a click", Click(1), "1", 1, 1},
        {"Space highlights the focused row", Space(2), "1,2", 2, 2},
        {"Ctrl+Space turns it over", Space(-1, true), "1", 2, 2},
        {"Space on a hidden focused row does nothing", Space(3), "1", 3, 2},
        {"a menu on a highlighted row keeps the highlight", [&] { selection.MenuOn(1); }, "1", 1, 1},
        {"a menu on another row highlights it alone", [&] { selection.MenuOn(4); }, "4", 4, 4},
        {"a menu on no row changes nothing", [&] { selection.MenuOn(-1); }, "4", 4, 4},
        {"Ctrl+A: every shown row", [&] { selection.HighlightShown(); }, "0,1,2,4,5", 4, 4},
        {"the anchor stays while its row does", DeleteRow(5), "0,1,2,4", 4, 4},
        {"and goes with it", DeleteRow(4), "0,1,2", -1, -1},
        {"Shift with no anchor starts at a focused first row",
         [&] {
             data.SetFocusedRow(0);
             selection.Click(1, false, true);
         },
         "0,1", 1, 0},
    });
}

}  // namespace
}  // namespace lorvex
