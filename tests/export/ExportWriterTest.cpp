#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "export/ExportWriter.h"
#include "tests/support/GameFolder.h"
#include "tests/support/TableFill.h"

namespace lorvex {
namespace {

using testkit::GameFolder;

// Name, Cost, Hidden (collapsed, 15 wide), <Edge> (16 wide) and five rows: rows 1 and 3 highlighted, the last one
// hidden by a filter.
void Fill(TableListCtrl& table) {
    testkit::FillTable(table.Data(), {"Name", "Cost", "Hidden", "<Edge>"},
                       {{"a", "1", "h0", "e0"},
                        {"b", "2", "h1", "e1"},
                        {"c\td", "3", "h2", "e\n2"},
                        {"<x&y>", "", "h3", "e3"},
                        {"f", "4", "h4", "e4"}},
                       80);
    table.Data().SetColumnWidth(2, 15);
    table.Data().SetColumnWidth(3, 16);
    table.Data().SetSelected(1, true);
    table.Data().SetSelected(3, true);
    table.Data().SetHidden(4, true);
}

// Writes the export to "out.dat" and gives the file's bytes, or "failed".
std::string Written(const TableListCtrl& table, ExportSettings s) {
    s.fileName = "out.dat";
    return WriteExport(table, s) ? GameFolder::Read("out.dat") : "failed";
}

// The modes the dialog offers are checked byte for byte through the window; here the edges of the table.
TEST(ExportWriter, WritesExactBytesAtTheEdges) {
    GameFolder folder;
    TableListCtrl table;
    Fill(table);
    ExportSettings html{"", "</td><td>", "\n<tr><td>", "<table><tr><td>", "</table>"};
    html.escapeHtmlCells = true;
    const struct {
        const char* why;
        ExportSettings settings;
        std::string expected;
    } cases[] = {
        {"the collapsed column left out, width 16 kept, no quoting, each line feed stored as CR LF",
         {},
         "Name\tCost\t<Edge>\r\na\t1\te0\r\nb\t2\te1\r\nc\td\t3\te\r\n2\r\n<x&y>\t\te3"},
        {"empty delimiters run together", {"", "", ""}, "NameCost<Edge>a1e0b2e1c\td3e\r\n2<x&y>e3"},
        {"framed as HTML: headings and cells escaped, the frame and delimiters as typed", html,
         "<table><tr><td>Name</td><td>Cost</td><td>&lt;Edge&gt;\r\n<tr><td>a</td><td>1</td><td>e0\r\n"
         "<tr><td>b</td><td>2</td><td>e1\r\n<tr><td>c\td</td><td>3</td><td>e\r\n2\r\n"
         "<tr><td>&lt;x&amp;y&gt;</td><td></td><td>e3</table>"},
        {"a format's bytes stored as they are",
         {.format = ExportFormat::Csv},
         "Name,Cost,<Edge>\r\na,1,e0\r\nb,2,e1\r\nc\td,3,\"e\n2\"\r\n<x&y>,,e3\r\n"},
        {"collapsed columns included, only highlighted rows",
         {.includeCollapsed = true, .onlyHighlighted = true, .format = ExportFormat::Csv},
         "Name,Cost,Hidden,<Edge>\r\nb,2,h1,e1\r\n<x&y>,,h3,e3\r\n"},
        {"chosen columns in their order, collapsed or not, one past the last left out",
         {.format = ExportFormat::Markdown, .columns = {3, 2, 4, 0}},
         "| &lt;Edge> | Hidden | Name |\r\n| --- | --- | --- |\r\n| e0 | h0 | a |\r\n| e1 | h1 | b |\r\n"
         "| e<br>2 | h2 | c\td |\r\n| e3 | h3 | &lt;x&amp;y> |\r\n"},
        {"chosen columns as delimited text",
         {.columns = {3, 0}},
         "<Edge>\tName\r\ne0\ta\r\ne1\tb\r\ne\r\n2\tc\td\r\ne3\t<x&y>"},
    };
    for (const auto& c : cases) EXPECT_EQ(Written(table, c.settings), c.expected) << c.why;
    EXPECT_EQ(FindColumnByHeading(table, "hIDDEN"), 2);
    EXPECT_EQ(FindColumnByHeading(table, "Hidde"), -1);
    // The pieces go out in file order, line feeds as they are.
    std::vector<std::string> pieces;
    ForEachExportPiece(table, {"", "\t", "\n", "H", "T", false, true}, [&](auto p) { pieces.emplace_back(p); });
    EXPECT_EQ(pieces, (std::vector<std::string>{"H", "Name\tCost\t<Edge>", "\nb\t2\te1", "\n<x&y>\t\te3", "T"}));

    const ExportSettings framed{"", "\t", "\n", "<", ">"};
    table.Data().SelectAll(false);
    EXPECT_EQ(Written(table, {"", "\t", "\n", "<", ">", false, true}), "<Name\tCost\t<Edge>>");  // none highlighted
    while (table.Data().DeleteColumn(0)) continue;
    EXPECT_EQ(Written(table, framed), "<\r\n\r\n\r\n\r\n>");  // no columns: each row still gives its delimiter
    table.Data().DeleteAllRows();
    table.Data().InsertColumn(0, "A", Align::Left, 50);
    table.Data().InsertColumn(1, "B", Align::Left, 50);
    EXPECT_EQ(Written(table, framed), "<A\tB>");  // no rows: header, headings, trailer
    // More columns than a fixed list could hold, column 100 collapsed.
    std::vector<std::string> headings, cells;
    std::string expectedHeadings, expectedCells;
    for (int c = 0; c < 130; ++c) {
        headings.push_back("c" + std::to_string(c));
        cells.push_back("v" + std::to_string(c));
        if (c == 100) continue;
        expectedHeadings += (c ? "\t" : "") + headings.back();
        expectedCells += (c ? "\t" : "") + cells.back();
    }
    testkit::FillTable(table.Data(), headings, {cells}, 30);
    table.Data().SetColumnWidth(100, 10);
    EXPECT_EQ(Written(table, {}), expectedHeadings + "\r\n" + expectedCells);
}

// Where and how the file is written is platform::SaveFile's, tested with it;
// here what the export hands it and what it reports back.
TEST(ExportWriter, ReplacesFilesOnlyWhenWrittenWhole) {
    GameFolder folder;
    TableListCtrl table;
    Fill(table);
    GameFolder::Write("old.dat", "old contents");
    std::filesystem::create_directory("sub");
    const std::pair<const char*, const char*> refused[] = {
        {"missing folder\\x.dat", "the folder \"missing folder\" does not exist"},
        {"", "no file name was given"},
        {"sub", "\"sub\" is a folder"}};
    for (const auto& [name, reason] : refused) {
        std::string error;
        EXPECT_FALSE(WriteExport(table, {name}, nullptr, &error)) << name;
        EXPECT_EQ(error, reason);
    }
    // A write that fails half way (the disk full): the old file stays whole and no temporary file is left behind.
    for (int r = 0; r < 2000; ++r) table.Data().AppendRow("a longer cell text to fill the file");
    EXPECT_FALSE(testkit::WithFileSizeLimit(4096, [&] { return WriteExport(table, {"old.dat"}); }));
    EXPECT_EQ(GameFolder::Read("old.dat"), "old contents");
    auto entries = [] { return std::distance(std::filesystem::directory_iterator("."), {}); };
    EXPECT_EQ(entries(), 2) << "old.dat and sub, nothing more";
    // Written whole, it replaces the old file; the name's case on disk is kept, and so is the path reported.
    std::string written;
    ASSERT_TRUE(WriteExport(table, {"OLD.DAT"}, &written));
    EXPECT_EQ(written, (folder.Current() / "old.dat").string());
    EXPECT_EQ(GameFolder::Read("old.dat").substr(0, 18), "Name\tCost\t<Edge>\r\n");
    EXPECT_EQ(entries(), 2);
}

}  // namespace
}  // namespace lorvex
