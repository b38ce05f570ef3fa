#include "table/TableListCtrl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lorvex {
namespace {

// Every character `perChar` pixels wide, a space `space` wide.
class FixedMeasure : public TextMeasure {
public:
    FixedMeasure(int perChar, int space) : perChar_(perChar), space_(space) {}
    int CellTextWidth(std::string_view text) override { return static_cast<int>(text.size()) * perChar_; }
    int HeadingTextWidth(std::string_view text) override { return static_cast<int>(text.size()) * perChar_; }
    int SpaceWidth() override { return space_; }

private:
    int perChar_, space_;
};

using Rows = std::vector<std::vector<std::string>>;

void Fill(TableListCtrl& table, const std::vector<std::string>& headings, const Rows& rows, int width = 50) {
    TableData& data = table.Data();
    data.DeleteAllRows();
    while (data.ColumnCount() > 0) data.DeleteColumn(0);
    for (const std::string& h : headings) data.InsertColumn(data.ColumnCount(), h, Align::Left, width);
    for (const auto& row : rows) {
        const int r = data.AppendRow(row[0]);
        for (std::size_t c = 1; c < row.size(); ++c) data.SetCell(r, static_cast<int>(c), row[c]);
    }
    table.EnableClickSort(true);
}

std::vector<std::string> ColumnTexts(const TableListCtrl& table, int column) {
    std::vector<std::string> texts;
    for (int r = 0; r < table.Data().RowCount(); ++r) texts.emplace_back(table.Data().Cell(r, column));
    return texts;
}

std::vector<int> Highlighted(const TableListCtrl& table) {
    std::vector<int> rows;
    for (int r = table.Data().NextRow(-1, true); r >= 0; r = table.Data().NextRow(r, true)) rows.push_back(r);
    return rows;
}

using Texts = std::vector<std::string>;

TEST(TableListCtrl, SettingsAndKindCheck) {
    TableListCtrl table;
    EXPECT_EQ(table.SetRowHighlightMode(1), 0);
    EXPECT_EQ(table.SetRowHighlightMode(3), 1);  // above 2: nothing changes
    EXPECT_EQ(table.SetRowHighlightMode(2), 1);
    EXPECT_FALSE(table.EnableColumnDrag(true));
    EXPECT_TRUE(table.EnableColumnDrag(true) && table.Header().DragEnabled());
    EXPECT_FALSE(table.EnableClickSort(true));
    EXPECT_TRUE(table.EnableClickSort(false));
    Fill(table, {"a", std::string(200, 'h')}, {});
    EXPECT_EQ(table.GetColumnCount(), 2);
    EXPECT_EQ(table.GetColumnHeading(1), std::string(127, 'h'));
    EXPECT_EQ(table.GetColumnHeading(2) + table.GetColumnHeading(-1), "");

    struct {
        std::vector<std::uint8_t> kinds;
        bool ok;
    } cases[] = {{{0x05, 0x81, 0x41, 0x01, 0x45, 0x02}, true}, {{0x00, 0x03, 0x04, 0x06, 0xE6, 0x20, 0xC0}, true},
                 {{0x01, 0x07}, false}, {{0x1F}, false}, {{0x81, 0x81, 0x27, 0x81}, false}, {{}, true}};
    for (const auto& c : cases) {
        const std::uint8_t old[] = {0x01, 0x02};
        table.SetColumnKinds(old, 2);
        EXPECT_EQ(table.SetColumnKinds(c.kinds.data(), static_cast<std::uint32_t>(c.kinds.size())), c.ok);
        EXPECT_EQ(table.ColumnKinds(), c.ok ? c.kinds : std::vector<std::uint8_t>{});  // none kept on refusal
    }
    EXPECT_FALSE(table.SetColumnKinds(nullptr, 3));
}

TEST(TableListCtrl, ClickDirectionAndRememberedColumn) {
    TableListCtrl table;
    Fill(table, {"name", "n"}, {{"b", "2"}, {"a", "10"}, {"c", "9"}});
    const std::uint8_t kinds[] = {0x81, 0x02};
    table.SetColumnKinds(kinds, 2);

    struct Step {
        int column, button;
        bool ascending;
        Texts names;
    } steps[] = {
        {0, 0, true, {"a", "b", "c"}},   {0, 0, false, {"c", "b", "a"}}, {0, 0, true, {"a", "b", "c"}},
        {1, 0, true, {"b", "c", "a"}},   {1, 1, true, {"b", "c", "a"}},  {1, 2, true, {"b", "c", "a"}},
        {1, 0, false, {"a", "c", "b"}},  {0, 0, true, {"a", "b", "c"}},
    };
    for (const Step& s : steps) {
        table.HeadingClick(s.column, s.button, false);
        EXPECT_EQ(table.SortColumn(), s.column);
        EXPECT_EQ(table.SortAscending(), s.ascending);
        EXPECT_EQ(ColumnTexts(table, 0), s.names);
    }

    // A new load keeps the remembered column and direction: the click reverses.
    Fill(table, {"name", "n"}, {{"x", "1"}, {"y", "2"}});
    table.SetColumnKinds(kinds, 2);
    table.HeadingClick(0, 0, false);
    EXPECT_FALSE(table.SortAscending());
    EXPECT_EQ(ColumnTexts(table, 0), (Texts{"y", "x"}));
    // So does a move: the position counts, not the column.
    table.MoveColumn(1, 0);
    table.HeadingClick(0, 0, false);
    EXPECT_TRUE(table.SortAscending());
    EXPECT_EQ(ColumnTexts(table, 0), (Texts{"1", "2"}));

    // Click sorting off, a missing column, no rows, one row.
    table.EnableClickSort(false);
    table.HeadingClick(1, 0, false);
    EXPECT_EQ(table.SortColumn(), 0);
    table.EnableClickSort(true);
    table.HeadingClick(5, 0, false);
    EXPECT_EQ(table.SortColumn(), 0);
    Fill(table, {"a"}, {{"only"}});
    table.Data().SetSelected(0, true);
    table.HeadingClick(0, 0, true);
    EXPECT_FALSE(table.SortAscending());
    EXPECT_EQ(Highlighted(table), (std::vector<int>{0}));
    Fill(table, {"a"}, {});
    table.HeadingClick(0, 0, true);
    EXPECT_TRUE(table.SortAscending());
}

TEST(TableListCtrl, SortKindsAndEmptyCells) {
    struct {
        std::uint8_t kind;
        Texts values;
        Texts ascending;
        Texts descending;
    } cases[] = {
        {0x81, {"b", "", "A", "", "c"}, {"A", "b", "c", "", ""}, {"c", "b", "A", "", ""}},
        {0x41, {"X", "", "", "X"}, {"X", "X", "", ""}, {"", "", "X", "X"}},
        {0x45, {"2.5", "", "-1", "10"}, {"-1", "2.5", "10", ""}, {"", "10", "2.5", "-1"}},
        {0x05, {"1", "", "0", "-1", "abc"}, {"-1", "", "0", "abc", "1"}, {"1", "", "0", "abc", "-1"}},
        {0x02, {"10", "9", "100", "x"}, {"x", "9", "10", "100"}, {"100", "10", "9", "x"}},
        {0x01, {"aab", "a_b", "ABC", "abc"}, {"a_b", "aab", "ABC", "abc"}, {"ABC", "abc", "aab", "a_b"}},
        {0x00, {"b", "B", "a"}, {"B", "a", "b"}, {"b", "a", "B"}},
        {0x04, {"b", "a", "c"}, {"b", "a", "c"}, {"b", "a", "c"}},
        {0x06, {"8/3/2024", "2024-03-07", "1/1/2000"}, {"1/1/2000", "2024-03-07", "8/3/2024"},
         {"8/3/2024", "2024-03-07", "1/1/2000"}},
    };
    for (const auto& c : cases) {
        TableListCtrl table;
        Rows rows;
        for (std::size_t i = 0; i < c.values.size(); ++i) rows.push_back({std::to_string(i), c.values[i]});
        Fill(table, {"id", "v"}, rows);
        const std::uint8_t kinds[] = {0x02, c.kind};
        table.SetColumnKinds(kinds, 2);
        table.HeadingClick(1, 0, false);
        EXPECT_EQ(ColumnTexts(table, 1), c.ascending) << "kind " << int(c.kind);
        table.HeadingClick(1, 0, false);
        EXPECT_EQ(ColumnTexts(table, 1), c.descending) << "kind " << int(c.kind);
    }
}

TEST(TableListCtrl, SortMovesWholeRowsStably) {
    TableListCtrl table;
    Rows rows;
    for (int i = 0; i < 40; ++i) rows.push_back({"r" + std::to_string(i), std::to_string(i % 4), "cell" + std::to_string(i)});
    Fill(table, {"id", "key", "other"}, rows);
    const std::uint8_t kinds[] = {0x81, 0x05, 0x81};
    table.SetColumnKinds(kinds, 3);
    TableData& data = table.Data();
    data.SetSelected(5, true);
    data.SetSelected(6, true);
    data.SetFocusedRow(6);
    table.HeadingClick(1, 0, false);
    for (int r = 0; r < 40; ++r) {
        const int id = std::stoi(std::string(data.Cell(r, 0).substr(1)));
        EXPECT_EQ(data.Cell(r, 2), "cell" + std::to_string(id));
        EXPECT_EQ(data.IsSelected(r), id == 5 || id == 6);
        if (r > 0 && data.Cell(r, 1) == data.Cell(r - 1, 1)) {  // equal keys keep their old order
            EXPECT_LT(std::stoi(std::string(data.Cell(r - 1, 0).substr(1))), id);
        }
    }
    EXPECT_EQ(data.Cell(data.FocusedRow(), 0), "r6");
    EXPECT_EQ(data.SelectedCount(), 2);
}

TEST(TableListCtrl, WithoutKindsSortsAsFoldedText) {
    TableListCtrl table;
    Fill(table, {"a", "b"}, {{"b", "1"}, {"A", "2"}, {"", "3"}, {"c", "4"}});
    table.HeadingClick(0, 0, false);  // no kinds at all
    EXPECT_EQ(ColumnTexts(table, 0), (Texts{"", "A", "b", "c"}));
    const std::uint8_t bad[] = {0x81, 0x09};
    EXPECT_FALSE(table.SetColumnKinds(bad, 2));
    table.HeadingClick(0, 0, false);  // after a refused list
    EXPECT_EQ(ColumnTexts(table, 0), (Texts{"c", "b", "A", ""}));
    const std::uint8_t one[] = {0x02};
    table.SetColumnKinds(one, 1);
    table.HeadingClick(1, 0, false);  // a column past the kinds
    EXPECT_EQ(ColumnTexts(table, 1), (Texts{"1", "2", "3", "4"}));
}

TEST(TableListCtrl, CtrlClickHighlightsDuplicates) {
    struct {
        Texts values;
        std::uint8_t kind;
        Texts sorted;
        std::vector<int> highlighted;
    } cases[] = {
        {{"b", "x", "B", "a"}, 0x81, {"a", "b", "B", "x"}, {1, 2}},
        {{"q", "a", "A", "z"}, 0x81, {"a", "A", "q", "z"}, {0, 1}},  // the first row too
        {{"", "m", "", "k"}, 0x81, {"k", "m", "", ""}, {2, 3}},      // empty cells count as equal
        {{"a", "b", "c"}, 0x81, {"a", "b", "c"}, {}},
        {{"2", "2.0", "1"}, 0x05, {"1", "2", "2.0"}, {}},            // comparison 1 whatever the kind
        {{"7", "7", "7"}, 0x02, {"7", "7", "7"}, {0, 1, 2}},
    };
    for (const auto& c : cases) {
        TableListCtrl table;
        Rows rows;
        for (const std::string& v : c.values) rows.push_back({v});
        Fill(table, {"v"}, rows);
        const std::uint8_t kinds[] = {c.kind};
        table.SetColumnKinds(kinds, 1);
        for (int r = 0; r < table.Data().RowCount(); ++r) table.Data().SetSelected(r, r % 2 == 0);
        table.HeadingClick(0, 0, true);
        EXPECT_EQ(ColumnTexts(table, 0), c.sorted);
        EXPECT_EQ(Highlighted(table), c.highlighted);
        EXPECT_EQ(table.Data().SelectedCount(), static_cast<int>(c.highlighted.size()));
    }
}

// Columns H0..H4 with distinct kinds, widths 10+i and cells "r<row>c<col>"; the expected result of a move comes
// from taking the column out and putting it in at its final index.
TEST(TableListCtrl, MoveColumnEveryGap) {
    const int n = 5, rowCount = 3;
    const std::uint8_t kinds[n] = {0x00, 0x81, 0x42, 0x03, 0xC4};
    for (int from = 0; from < n; ++from) {
        for (int to = 0; to <= n; ++to) {
            TableListCtrl table;
            TableData& data = table.Data();
            for (int c = 0; c < n; ++c) data.InsertColumn(c, "H" + std::to_string(c), Align::Left, 10 + c);
            for (int r = 0; r < rowCount; ++r) {
                data.AppendRow("r" + std::to_string(r) + "c0");
                for (int c = 1; c < n; ++c) data.SetCell(r, c, "r" + std::to_string(r) + "c" + std::to_string(c));
            }
            table.SetColumnKinds(kinds, n);
            std::vector<int> expected{0, 1, 2, 3, 4};
            if (to != from && to != from + 1) {
                expected.erase(expected.begin() + from);
                expected.insert(expected.begin() + (to < from ? to : to - 1), from);
            }
            table.MoveColumn(from, to);
            ASSERT_EQ(data.ColumnCount(), n);
            for (int c = 0; c < n; ++c) {
                const int old = expected[c];
                EXPECT_EQ(table.GetColumnHeading(c), "H" + std::to_string(old)) << from << "->" << to;
                EXPECT_EQ(data.ColumnWidth(c), 10 + old);
                EXPECT_EQ(table.ColumnKinds()[c], kinds[old]);
                for (int r = 0; r < rowCount; ++r)
                    EXPECT_EQ(data.Cell(r, c), "r" + std::to_string(r) + "c" + std::to_string(old)) << from << "->" << to;
            }
        }
    }
}

TEST(TableListCtrl, MoveColumnLimits) {
    TableListCtrl table;
    Fill(table, {std::string(200, 'a'), "b", "c", "d"}, {{"1", "2", "3", "4"}});
    const std::uint8_t kinds[] = {0x01, 0x02, 0x05};
    table.SetColumnKinds(kinds, 3);
    auto cells = [&] {
        std::string s;
        for (int c = 0; c < 4; ++c) s += table.Data().Cell(0, c);
        return s;
    };
    table.MoveColumn(3, 0);  // the kinds do not reach index 3: they stay
    EXPECT_EQ(table.ColumnKinds(), (std::vector<std::uint8_t>{0x01, 0x02, 0x05}));
    EXPECT_EQ(table.Data().Column(1).heading, std::string(200, 'a'));  // not moved, not cut
    table.MoveColumn(1, 4);  // the long heading moves: cut to 158
    EXPECT_EQ(table.Data().Column(3).heading, std::string(158, 'a'));
    EXPECT_EQ(cells(), "4231");
    table.MoveColumn(0, 2);  // covered: the kinds move
    EXPECT_EQ(table.ColumnKinds(), (std::vector<std::uint8_t>{0x02, 0x01, 0x05}));
    for (auto [from, to] : {std::pair{-1, 0}, {4, 0}, {0, 5}, {2, -1}}) table.MoveColumn(from, to);
    EXPECT_EQ(cells(), "2431");
}

TEST(TableListCtrl, CollapseExpandAndFit) {
    FixedMeasure measure(7, 3);  // margin: 2 * 2 * 3 on top of the text
    TableListCtrl table;
    table.SetTextMeasure(&measure);
    Fill(table, {"Name", "x", "LongHeading", "e"}, {{"abcdefghij", "", "ab", ""}, {"a", "", "abc", ""}}, 16);
    table.CollapseOrExpand(0);
    EXPECT_EQ(table.Data().ColumnWidth(0), 10);
    table.CollapseOrExpand(0);
    EXPECT_EQ(table.Data().ColumnWidth(0), 70 + 12 + 5);  // widest cell wins
    table.CollapseOrExpand(0);
    EXPECT_EQ(table.Data().ColumnWidth(0), 10);
    table.Data().SetColumnWidth(2, 15);
    table.CollapseOrExpand(2);
    EXPECT_EQ(table.Data().ColumnWidth(2), 11 * 7 + 12 + 5);  // the heading wins
    table.CollapseOrExpand(9);  // no such column: nothing

    // A fit of at most 15 gives 15 and stays there: it never collapses.
    FixedMeasure narrow(2, 1);
    table.SetTextMeasure(&narrow);
    table.Data().SetColumnWidth(3, 16);
    table.CollapseOrExpand(3);
    EXPECT_EQ(table.Data().ColumnWidth(3), 10);
    for (int i = 0; i < 3; ++i) {
        table.CollapseOrExpand(3);
        EXPECT_EQ(table.Data().ColumnWidth(3), 15);
    }
    // Without a measure every text counts 0 wide.
    table.SetTextMeasure(nullptr);
    table.Data().SetColumnWidth(0, 3);
    table.CollapseOrExpand(0);
    EXPECT_EQ(table.Data().ColumnWidth(0), 15);
}

TEST(TableListCtrl, AutoSizeLimits) {
    FixedMeasure measure(5, 2);  // margin 8
    TableListCtrl table;
    table.SetTextMeasure(&measure);
    Fill(table, {"aa", "bbbb", "c", "dddddd"}, {{"xxxxxxxx", "y", "zz", ""}});
    table.Data().SetColumnWidth(0, 0);
    table.Data().SetColumnWidth(1, 1);
    table.Data().SetColumnWidth(2, 0);
    table.Data().SetColumnWidth(3, 200);
    table.AutoSizeColumns(-1, 1);  // fits exactly the columns of width 0
    EXPECT_EQ(table.Data().ColumnWidth(0), 40 + 8 + 5);
    EXPECT_EQ(table.Data().ColumnWidth(1), 1);
    EXPECT_EQ(table.Data().ColumnWidth(2), 10 + 8 + 5);
    EXPECT_EQ(table.Data().ColumnWidth(3), 200);
    table.AutoSizeColumns(1, 9999);
    EXPECT_EQ(table.Data().ColumnWidth(1), 20 + 8 + 5);
    table.AutoSizeColumns(3, 200);  // not narrower than the limit
    EXPECT_EQ(table.Data().ColumnWidth(3), 200);
    table.AutoSizeColumns(3, 201);
    EXPECT_EQ(table.Data().ColumnWidth(3), 30 + 8 + 5);
    table.AutoSizeColumns(4, 9999);  // past the last column: nothing
    EXPECT_EQ(table.Data().ColumnCount(), 4);
}

TEST(TableListCtrl, HeaderReleaseMovesColumn) {
    TableListCtrl table;
    Fill(table, {"a", "b", "c"}, {{"1", "2", "3"}}, 40);
    table.EnableColumnDrag(true);
    HeaderDragTracker& header = table.Header();
    header.Press(true, 0);
    header.Move(50, true, {40, 40, 40}, 20);
    header.Move(125, true, {40, 40, 40}, 20);
    EXPECT_TRUE(header.Release().moved);
    EXPECT_EQ(table.GetColumnHeading(2), "a");
    EXPECT_EQ(table.Data().Cell(0, 2), "1");
    EXPECT_EQ(table.Data().Cell(0, 0), "2");
}

}  // namespace
}  // namespace lorvex
