#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "export/TableFormats.h"
#include "tests/support/TableFill.h"

namespace lorvex {
namespace {

using testkit::Rows;

// Every text a format must keep inside its cell: comma, quote, pipe, TAB,
// CR LF, a lone LF and a lone CR, <&>, a Windows-1252 byte that is no UTF-8, empty cells.
const std::vector<std::string> kHeadings = {"Name", "Note \"n\""};
const Rows kRows = {{"a,b", "say \"hi\""}, {"x|y", "t\tu"}, {"l1\r\nl2", "m\nn"}, {"<&>", "r\rs"}, {"caf\xE9", ""}};

std::string Formatted(ExportFormat format, const std::vector<std::string>& headings, const Rows& rows,
                      const FormatOptions& options = {}) {
    TableSlice slice;
    slice.headings.assign(headings.begin(), headings.end());
    slice.rowCount = rows.size();
    slice.cell = [&](std::size_t r, std::size_t c) { return std::string_view(rows[r][c]); };
    std::string out;
    WriteFormatted(
        format, slice, [&](std::string_view piece) { out += piece; }, options);
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
         "Name,\"Note \"\"n\"\"\"\r\n\"a,b\",\"say "
         "\"\"hi\"\"\"\r\nx|y,t\tu\r\n\"l1\r\nl2\",\"m\nn\"\r\n<&>,\"r\rs\"\r\n"
         "caf\xE9,\r\n"},
        {ExportFormat::Markdown, kRows,
         "| Name | Note \"n\" |\r\n| --- | --- |\r\n| a,b | say \"hi\" |\r\n| x\\|y | t\tu |\r\n"
         "| l1<br>l2 | m<br>n |\r\n| &lt;&amp;> | r<br>s |\r\n| caf\xE9 |  |\r\n"},
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

// Record values come from strangers' archives: a cell, written as a heading and
// as a row, must stay its text in the spreadsheet or Markdown viewer that opens it.
TEST(TableFormats, HostileCellsStayText) {
    const ExportFormat csv = ExportFormat::Csv, md = ExportFormat::Markdown;
    const FormatOptions formulas{.csvFormulas = true};
    const struct {
        const char* why;
        ExportFormat format;
        std::string cell;
        std::string field;  // as written, on the heading line and the row line alike
        FormatOptions options = {};
    } cases[] = {
        {"a formula that fetches a page; quoted for its comma", csv, "=HYPERLINK(\"http://x/\",\"y\")",
         "\"'=HYPERLINK(\"\"http://x/\"\",\"\"y\"\")\""},
        {"the @ form of a function call", csv, "@SUM(1)", "'@SUM(1)"},
        {"a sum that starts like a signed number", csv, "+1+1", "'+1+1"},
        {"a minus before a name", csv, "-x", "'-x"},
        {"a lone sign is no number", csv, "-", "'-"},
        {"a negative whole number is data", csv, "-5", "-5"},
        {"a plus-signed number is data", csv, "+3", "+3"},
        {"a negative number with an exponent is data", csv, "-1.5e3", "-1.5e3"},
        {"only the first character makes a formula", csv, "a=b", "a=b"},
        {"kept as it is when formulas are wanted", csv, "=1+1", "=1+1", formulas},
        {"raw HTML with a script", md, "<img src=x onerror=alert(1)>", "&lt;img src=x onerror=alert(1)>"},
        {"emphasis", md, "*star* __u__", "\\*star\\* \\_\\_u\\_\\_"},
        {"a link and an image", md, "[link](x) ![i](y)", "\\[link\\](x) \\!\\[i\\](y)"},
        {"code, strike-through, a backslash, an entity", md, "`c` ~~s~~ a\\b &amp;",
         "\\`c\\` \\~\\~s\\~\\~ a\\\\b &amp;amp;"},
        {"numbers and everyday punctuation read as they are", md, "-1.5, 1e3: (a+b=c); #x.", "-1.5, 1e3: (a+b=c); #x."},
        {"a formula is no markup", md, "=1+1", "=1+1"},
        {"a CR LF that ends the cell is one break", md, "end\r\n", "end<br>"},
    };
    for (const auto& c : cases) {
        const std::string expected = c.format == csv ? c.field + "\r\n" + c.field + "\r\n"
                                                     : "| " + c.field + " |\r\n| --- |\r\n| " + c.field + " |\r\n";
        EXPECT_EQ(Formatted(c.format, {c.cell}, {{c.cell}}, c.options), expected) << c.why;
    }
}

TEST(TableFormats, RecognisesUtf8) {
    for (const char* text : {"plain", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"})
        EXPECT_TRUE(IsUtf8(text)) << text;
    for (const char* text : {"\xE9", "\xC3", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                             "\xF5\x80\x80\x80", "\xE2\x82", "\xC3\x28"})
        EXPECT_FALSE(IsUtf8(text)) << text;
}

TEST(TableFormats, EndingReplacesOnlyTheNamesOwn) {
    const char* const cases[][3] = {{"units.dat", ".csv", "units.csv"},
                                    {".hidden", ".csv", ".hidden.csv"},  // a leading dot starts no ending
                                    {"dir.v2/units", ".md", "dir.v2/units.md"}};
    for (const auto& c : cases) EXPECT_EQ(WithEnding(c[0], c[1]), c[2]) << c[0];
}

}  // namespace
}  // namespace lorvex
