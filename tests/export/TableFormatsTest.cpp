#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "export/ExportWriter.h"
#include "export/TableFormats.h"
#include "tests/support/GameFolder.h"
#include "tests/support/TableFill.h"

namespace lorvex {
namespace {

using testing::GameFolder;
using testing::Rows;

// Every text a format must keep inside its cell: comma, quote, pipe, TAB,
// CR LF, a lone LF and a lone CR, <&>, a Windows-1252 byte that is no UTF-8, empty cells.
const std::vector<std::string> kHeadings = {"Name", "Note \"n\""};
const Rows kRows = {{"a,b", "say \"hi\""}, {"x|y", "t\tu"}, {"l1\r\nl2", "m\nn"}, {"<&>", "r\rs"}, {"caf\xE9", ""}};

std::string Formatted(ExportFormat format, const std::vector<std::string>& headings, const Rows& rows) {
    TableSlice slice;
    slice.headings.assign(headings.begin(), headings.end());
    slice.rowCount = rows.size();
    slice.cell = [&](std::size_t r, std::size_t c) { return std::string_view(rows[r][c]); };
    std::string out;
    WriteFormatted(format, slice, [&](std::string_view piece) { out += piece; });
    return out;
}

const char* kHtmlBody =
    "\">\r\n<title>Table</title>\r\n</head>\r\n<body>\r\n<table border=\"1\">\r\n"
    "<tr><th>Name</th><th>Note &quot;n&quot;</th></tr>\r\n"
    "<tr><td>a,b</td><td>say &quot;hi&quot;</td></tr>\r\n"
    "<tr><td>x|y</td><td>t\tu</td></tr>\r\n"
    "<tr><td>l1\r\nl2</td><td>m\nn</td></tr>\r\n"
    "<tr><td>&lt;&amp;&gt;</td><td>r\rs</td></tr>\r\n";

TEST(TableFormats, WritesExactBytes) {
    const Rows utf8Rows(kRows.begin(), kRows.end() - 1);
    const struct {
        ExportFormat format;
        const Rows& rows;
        std::string expected;
    } cases[] = {
        {ExportFormat::Csv, kRows,
         "Name,\"Note \"\"n\"\"\"\r\n\"a,b\",\"say \"\"hi\"\"\"\r\nx|y,t\tu\r\n\"l1\r\nl2\",\"m\nn\"\r\n<&>,\"r\rs\"\r\n"
         "caf\xE9,\r\n"},
        {ExportFormat::Markdown, kRows,
         "| Name | Note \"n\" |\r\n| --- | --- |\r\n| a,b | say \"hi\" |\r\n| x\\|y | t\tu |\r\n"
         "| l1<br>l2 | m<br>n |\r\n| <&> | r<br>s |\r\n| caf\xE9 |  |\r\n"},
        {ExportFormat::Html, kRows,
         std::string("<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"windows-1252") + kHtmlBody +
             "<tr><td>caf\xE9</td><td></td></tr>\r\n</table>\r\n</body>\r\n</html>\r\n"},
        {ExportFormat::Html, utf8Rows,
         std::string("<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"UTF-8") + kHtmlBody +
             "</table>\r\n</body>\r\n</html>\r\n"},
        // One column: an empty cell is quoted so that it is no blank line.
        {ExportFormat::Csv, Rows{{""}, {"z"}}, "Name\r\n\"\"\r\nz\r\n"},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> headings(kHeadings.begin(), kHeadings.begin() + c.rows[0].size());
        EXPECT_EQ(Formatted(c.format, headings, c.rows), c.expected) << FormatEnding(c.format);
    }
}

TEST(TableFormats, CsvReadsBackIntoTheSameCells) {
    GameFolder folder;
    GameFolder::Write("t.csv", Formatted(ExportFormat::Csv, kHeadings, kRows));
    // Python's csv module, bytes kept as Latin-1, each field printed in hex.
    const char* script =
        "import csv\n"
        "for row in csv.reader(open('t.csv', newline='', encoding='latin-1')):\n"
        "    print(','.join(f.encode('latin-1').hex() for f in row))\n";
    GameFolder::Write("read.py", script);
    ASSERT_EQ(std::system("python3 read.py > back.txt"), 0);
    Rows expected = kRows;
    expected.insert(expected.begin(), kHeadings);
    std::string wanted;
    for (const auto& row : expected) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c) wanted += ',';
            for (unsigned char b : row[c]) {
                char hex[3];
                std::snprintf(hex, sizeof hex, "%02x", b);
                wanted += hex;
            }
        }
        wanted += '\n';
    }
    EXPECT_EQ(GameFolder::Read("back.txt"), wanted);
}

TEST(TableFormats, RecognisesUtf8) {
    const struct {
        const char* text;
        bool utf8;
    } cases[] = {
        {"plain", true},           {"\xC3\xA9", true},       {"\xE2\x82\xAC", true},     {"\xF0\x9F\x98\x80", true},
        {"\xE9", false},           {"\xC3", false},          {"\xC0\xAF", false},        {"\xE0\x80\xAF", false},
        {"\xED\xA0\x80", false},   {"\xF4\x90\x80\x80", false}, {"\xE2\x82", false},     {"\xC3\x28", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsUtf8(c.text), c.utf8) << c.text;
}

// Through the export writer: the chosen columns or the collapsed rule, only
// shown and only highlighted rows, and the format's bytes stored as they are (no LF made CR LF).
TEST(TableFormats, ExportWriterAppliesColumnsAndRows) {
    GameFolder folder;
    TableListCtrl table;
    testing::FillTable(table.Data(), {"Name", "Hidden", "Note"}, {{"a", "h", "m\nn"}, {"f", "h", "y"}, {"b", "h", "x"}},
                       80);
    table.Data().SetHidden(1, true);  // left out by a filter
    table.Data().SetColumnWidth(1, 15);
    table.Data().SetSelected(0, true);
    const struct {
        ExportSettings settings;
        std::string expected;
    } cases[] = {
        {{.format = ExportFormat::Csv}, "Name,Note\r\na,\"m\nn\"\r\nb,x\r\n"},
        {{.includeCollapsed = true, .onlyHighlighted = true, .format = ExportFormat::Csv},
         "Name,Hidden,Note\r\na,h,\"m\nn\"\r\n"},
        {{.format = ExportFormat::Markdown, .columns = {2, 1, 7, 0}}, "| Note | Hidden | Name |\r\n"
                                                                       "| --- | --- | --- |\r\n"
                                                                       "| m<br>n | h | a |\r\n| x | h | b |\r\n"},
        {{.columns = {2, 0}}, "Note\tName\r\nm\r\nn\ta\r\nx\tb"},
    };
    for (const auto& c : cases) {
        ExportSettings s = c.settings;
        s.fileName = "out.txt";
        std::string written;
        ASSERT_TRUE(WriteExport(table, s, &written));
        EXPECT_EQ(GameFolder::Read("out.txt"), c.expected);
        EXPECT_EQ(written, (folder.Current() / "out.txt").string());
    }
    EXPECT_EQ(FindColumnByHeading(table, "hIDDEN"), 1);
    EXPECT_EQ(FindColumnByHeading(table, "Hidde"), -1);
}

}  // namespace
}  // namespace lorvex
