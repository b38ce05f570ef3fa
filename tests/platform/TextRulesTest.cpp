// The platform's text rules: dates, printf numbers, control bytes made visible, and text files by line.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/DateParse.h"
#include "platform/NumberFormat.h"
#include "platform/PrintableText.h"
#include "platform/TextFile.h"
#include "tests/support/GameFolder.h"

namespace lorvex::platform {
namespace {

using testkit::GameFolder;

TEST(ParseDate, AcceptedAndRefusedForms) {
    const struct {
        const char* why;
        std::vector<std::pair<const char*, double>> dates;
    } accepted[] = {
        {"day numbers count from 1899-12-30",
         {{"1899-12-30", 0}, {"1899-12-29", -1}, {"1900-01-01", 2}, {"1800-01-01", -36522}, {"2024-03-07", 45358}}},
        {"the time of day is a fraction",
         {{"2024-03-07T12:00:00", 45358.5},
          {"2024-03-07t06:00Z", 45358.25},
          {"2024-03-07 00:00:30.5", 45358 + 30.5 / 86400},
          {"2024-03-07 00:00:30,5", 45358 + 30.5 / 86400}}},  // the decimal comma of many locales
        {"the day first", {{"7/3/2024", 45358}, {"07.03.2024", 45358}, {"7-3-2024 18:00:00", 45358.75}}},
        {"two-digit years: 29 is this century, 30 the last",
         {{"7/3/24", 45358}, {"1/1/99", 36161}, {"1/1/29", 47119}, {"1/1/30", 10959}}},
        {"blanks around, slashes in the ISO order",
         {{"  2024-03-07  ", 45358}, {"2024/03/07", 45358}, {"2024-03-07 12:00 ", 45358.5}}},
        {"leap days and the last day", {{"29/2/2024", 45351}, {"2000-02-29", 36585}, {"31/12/9999", 2958465}}},
    };
    for (const auto& c : accepted) {
        for (const auto& [text, value] : c.dates) {
            const auto v = ParseDate(text);
            ASSERT_TRUE(v.has_value()) << c.why << ": " << text;
            EXPECT_NEAR(*v, value, 1e-9) << c.why << ": " << text;
        }
    }
    const struct {
        const char* why;
        std::vector<const char*> texts;
    } refused[] = {
        {"no date at all", {"", "abc", "12", "1.5"}},
        {"no such day", {"2024-13-01", "2023-02-29", "32/1/2024", "0/1/2024", "2024-03-00", "1900-02-29"}},
        {"no such time",
         {"2024-03-07 24:00", "2024-03-07 12:60", "2024-03-07 12:30:60", "2024-03-07 12", "2024-03-07 12:5:00"}},
        {"mixed or stray characters",
         {"7/3-2024", "2024-03-07x", "2024-3-7T", "2024-03-071", "7/3/2024T10:00", "-2024-03-07"}},
        {"a year of three, four with leading zeros or five digits", {"7/3/20245", "7/3/202", "1/1/0050"}},
    };
    for (const auto& c : refused)
        for (const char* text : c.texts) EXPECT_FALSE(ParseDate(text).has_value()) << c.why << ": " << text;
    // Before the epoch, the time of day still counts forwards.
    EXPECT_LT(*ParseDate("1800-01-01"), *ParseDate("1899-12-29 12:00"));
    EXPECT_LT(*ParseDate("1899-12-29 12:00"), *ParseDate("1899-12-30"));
}

TEST(NumberFormat, FormatsAsPrintfWouldNeverCutAndTrims) {
    const std::pair<const char*, std::string> formatted[] = {
        {"%.0f", "2"},                             // 2.5 ties to even, as printf
        {"%.61f", "2.5" + std::string(59, '0')},   // more places than a double holds are cut to 60
        {"%.200f", "2.5" + std::string(59, '0')},  // and never cut short
        {"%.f", "2"},                              // no digits: no places
        {"%d", "2.5000"},                          // not a fixed format: four places
        {"%.2g", "2.5000"},
        {"%.2fx", "2.5000"}};  // text behind the f: no fixed format either
    for (const auto& [format, text] : formatted) EXPECT_EQ(FormatNumber(format, 2.5), text) << format;
    EXPECT_EQ(FormatNumber("%.4f", -1e308).size(), 1u + 309u + 5u);
    for (auto [text, trimmed] : {std::pair<std::string, const char*>{"1.500", "1.5"},
                                 {"2.000", "2"},
                                 {"100", "100"},
                                 {"0.0", "0"},
                                 {"-0.10", "-0.1"},
                                 {"10.", "10"}}) {
        TrimNumber(text);
        EXPECT_EQ(text, trimmed);
    }
}

TEST(EscapeControls, ControlsBecomeVisibleAndTheRestStays) {
    using namespace std::string_literals;
    const struct {
        std::string text, shown;
        const char* why;
    } cases[] = {
        {"armx.fbi", "armx.fbi", "a plain name is left alone"},
        {"\x1b]0;pwned\x07", "\\x1b]0;pwned\\x07", "an OSC retitling the terminal, with its BEL"},
        {"a\nb\rc\td", "a\\x0ab\\x0dc\\x09d", "a line break would forge a row"},
        {"\0x"s, "\\x00x", "NUL, the lowest C0 byte"},
        {"\x1f \x20", "\\x1f  ", "0x1F is the last control, the space after it is text"},
        {"~\x7f", "~\\x7f", "DEL, but not the printable byte below it"},
        {"\xc2\x9b"
         "31m",
         "\\xc2\\x9b31m", "the UTF-8 CSI"},
        {"\xc2\x80\xc2\x9f", "\\xc2\\x80\\xc2\\x9f", "both ends of the C1 range"},
        {"\xc2\xa0\xc2\x7f", "\xc2\xa0\xc2\\x7f", "a no-break space is text; a lead byte before DEL stays as it is"},
        {"caf\xc3\xa9 \xe2\x80\x9b", "caf\xc3\xa9 \xe2\x80\x9b",
         "other UTF-8, continuation bytes in the C1 range included"},
        {"end\xc2", "end\xc2", "a lead byte at the very end"},
        {"\\x1b", "\\x1b", "a backslash is text"},
    };
    for (const auto& c : cases) EXPECT_EQ(EscapeControls(c.text), c.shown) << c.why;
}

// The line cases the record reader meets are read through it from file and memory (TdfReaderTest);
// here the length reported with each line, a folder, and the writer.
TEST(TextFile, ReadsLinesLikeTextModeReads) {
    GameFolder folder;
    const std::string k1021(1021, 'k'), k1022(1022, 'k');
    std::string atLimit64;
    std::vector<std::string> lines64{""};
    for (int i = 0; i < 64; ++i) atLimit64 += k1022 + "\r\n", lines64.push_back(k1022);
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"a\r\n\r\nb", {"a", "", "b"}},  // a last line without a line end reads whole
        {"lone\rcr\n", {"lone\rcr"}},
        {"", {}},
        {std::string(2000, 'x') + "\n", {std::string(1022, 'x'), std::string(978, 'x')}},
        {k1022 + "\r\nz", {k1022, "z"}},  // the line end right at the limit belongs to the line
        {k1021 + "\r\nz", {k1021, "z"}},
        // The CR of a line at the limit is the last byte of the read buffer, its LF the first of the next one.
        {"\n" + atLimit64, lines64},
    };
    char buf[1023];
    for (const auto& [bytes, expected] : cases) {
        GameFolder::Write("t.txt", bytes);
        TextFileReader r;
        ASSERT_TRUE(r.Open("t.txt"));
        std::vector<std::string> lines;
        for (std::size_t len = 0; r.ReadLine(buf, sizeof buf, &len) && lines.size() < 100; lines.emplace_back(buf, len))
            EXPECT_EQ(len, std::strlen(buf));
        EXPECT_EQ(lines, expected) << bytes.substr(0, 20);
    }
    // Opening never creates; a folder is no text file.
    TextFileReader r;
    EXPECT_FALSE(r.Open("absent") || std::filesystem::exists("absent") || r.Open(".") || r.ReadLine(buf, 8));

    TextFileWriter w;  // every line feed stored as CR LF
    ASSERT_TRUE(w.Create("w.txt"));
    EXPECT_TRUE(w.Write("a\nb") && w.Write("\n\nc") && w.Close());
    EXPECT_EQ(GameFolder::Read("w.txt"), "a\r\nb\r\n\r\nc");
    EXPECT_FALSE(w.Create("no-such-folder/x"));
}

}  // namespace
}  // namespace lorvex::platform
