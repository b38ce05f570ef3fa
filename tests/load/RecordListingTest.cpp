#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "load/RecordListing.h"
#include "tests/support/GameFolder.h"
#include "tests/support/TableFill.h"

namespace lorvex {
namespace {

using testkit::GameFolder;

TEST(RecordListing, FileNameAndLineNumberTexts) {
    const std::pair<const char*, const char*> names[] = {
        {"base.hpi  ::  armcom.fbi", "armcom.fbi"},
        {"base.hpi  ::  a\\b\\c.fbi", "c.fbi"},
        {"base.hpi::x", "x"},
        {"a:b:c", "b:c"},
        {"no colon here", ""},
        {"base.hpi  ::  units\\", ""},
        {"x ::  two words.fbi", "two words.fbi"},
    };
    for (const auto& [location, name] : names) EXPECT_EQ(ListingFileName(location), name) << location;
    const std::pair<const char*, std::int32_t> numbers[] = {
        {"  7", 7},
        {"\t\n+8", 8},
        {"-3", -3},
        {"12abc", 12},
        {"", 0},
        {"abc", 0},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
        {"2147483647", INT_MAX},
        {"1 2", 1},
        {"010", 10},  // leading zeros: still decimal
    };
    for (const auto& [text, number] : numbers) EXPECT_EQ(ListingLineNumber(text), number) << text;
}

TEST(RecordListing, ShowsOneRecordFromItsHeaderToItsOutermostBrace) {
    const std::string three =
        "[ONE]\r\n{\r\na=1;\r\n}\r\n[TWO]\r\n\t{\r\n\tb=2;\r\n\t}\r\n[THREE]\r\n{\r\nc=3;\r\n}\r\n";
    const std::string nested = "[N]\n{\nx=1;\n  [INNER]\n  {\n  y=2;\n  }\nz=3;\n}\n[AFTER]\n{\n}\n";
    const std::tuple<const char*, std::string, std::int32_t, const char*> cases[] = {
        {"first record at line 1", three, 1, "[ONE]\r\n{\r\na=1;\r\n}\r\n"},
        {"last of three", three, 9, "[THREE]\r\n{\r\nc=3;\r\n}\r\n"},
        {"braces behind a TAB", three, 5, "[TWO]\r\n\t{\r\n\tb=2;\r\n\t}\r\n"},
        {"nested blocks", nested, 1, "[N]\r\n{\r\nx=1;\r\n  [INNER]\r\n  {\r\n  y=2;\r\n  }\r\nz=3;\r\n}\r\n"},
        {"a brace after text does not count", "[S] {\nk=1;\n  [I]\n  {\n  }\n}\n", 1,
         "[S] {\r\nk=1;\r\n  [I]\r\n  {\r\n  }\r\n"},
        {"last line without a line break", "[L]\n{\nk=v;\n}", 1, "[L]\r\n{\r\nk=v;\r\n}\r\n"},
        {"a block that never closes runs to the end", "[U]\n{\nk=1;\n", 1, "[U]\r\n{\r\nk=1;\r\n"},
        {"a close before any open lowers the depth", "[V]\n}\n{\nk=1;\n}\nrest\n", 1, "[V]\r\n}\r\n{\r\n"},
        {"line past the end", three, 13, ""},
        {"line 0", three, 0, ""},
        {"negative line", three, -4, ""},
    };
    GameFolder folder;
    std::filesystem::create_directory("Lorvex temp");
    for (const auto& [what, file, line, text] : cases) {
        GameFolder::Write("Lorvex temp/rec.fbi", file);
        const RecordListing listing = ReadRecordListing("Lorvex temp\\rec.fbi", line);
        EXPECT_TRUE(listing.opened) << what;
        EXPECT_EQ(listing.text, text) << what;
    }
    // Long lines are read in pieces of 1,022 characters, each piece a line of its own.
    const std::string exact(1022, 'e'), value = "k=" + std::string(1100, 'v');
    GameFolder::Write("r.fbi", exact + "\n" + std::string(2000, 'L') + "\n" +               // lines 1, 2-3
                                   "[B]\n{\n" + value + "\n}\n" +                           // lines 4-8
                                   "[C]\n{\n" + std::string(1022, ' ') + "}x\nmore\n}\n");  // lines 9-14
    EXPECT_EQ(ReadRecordListing("r.fbi", 1).text.substr(0, 2048), exact + "\r\n" + std::string(1022, 'L') + "\r\n");
    // Starting inside no block, the listing runs on until a block closes.
    EXPECT_EQ(ReadRecordListing("r.fbi", 3).text.substr(0, 985), std::string(978, 'L') + "\r\n[B]\r\n");
    EXPECT_EQ(ReadRecordListing("r.fbi", 4).text,
              "[B]\r\n{\r\n" + value.substr(0, 1022) + "\r\n" + value.substr(1022) + "\r\n}\r\n");
    // The piece that starts with the brace closes the block, like a line of its own.
    EXPECT_EQ(ReadRecordListing("r.fbi", 9).text, "[C]\r\n{\r\n" + std::string(1022, ' ') + "\r\n}x\r\n");
    // A missing file is not opened, nor created; a folder is no file.
    EXPECT_FALSE(ReadRecordListing("Lorvex temp\\gone.fbi", 1).opened);
    EXPECT_FALSE(std::filesystem::exists("Lorvex temp/gone.fbi"));
    EXPECT_FALSE(ReadRecordListing("Lorvex temp", 1).opened);
}

// Name, Located In, Line # as a load leaves them; with `front`, a column of block names at the front that
// the user named "Located In", of the same kind as the real one.
void FillLoaded(TableListCtrl& table, bool front = false) {
    testkit::FillTable(table.Data(), {"Name", "Located In", "Line #"},
                       {{"alpha", "base.hpi  ::  a.fbi", "1"},
                        {"beta", "more.ufo  ::  units\\b.fbi", "17"},
                        {"gamma", "nothing here", "3"},
                        {"delta", "base.hpi  ::  d.fbi", "x"}});
    const std::uint8_t kinds[] = {0x01, 0x81, 0x01, 0x02};
    if (front) {
        table.Data().InsertColumn(0, "Located In", Align::Center, 50);
        table.Data().SetCell(1, 0, "BETA");
    }
    ASSERT_TRUE(table.SetColumnKinds(kinds + (front ? 0 : 1), front ? 4 : 3));
}

// What a double click on a row asks for, as "path|file name|line number"; "" for nothing.
std::string Request(const TableListCtrl& table, int row, int locationColumn = 1) {
    ListingRequest r;
    if (!ListingRequestForRow(table, locationColumn, row, &r)) return "";
    return r.path + "|" + r.fileName + "|" + std::to_string(r.lineNumber);
}

TEST(RecordListing, RequestsForRowsFollowTheMovedColumns) {
    TableListCtrl table;
    FillLoaded(table);
    EXPECT_EQ(Request(table, 1), "Lorvex temp\\b.fbi|b.fbi|17");
    EXPECT_EQ(Request(table, 3), "Lorvex temp\\d.fbi|d.fbi|0");
    EXPECT_EQ(Request(table, 2), "") << "no colon";
    EXPECT_EQ(Request(table, -1) + Request(table, 4), "");
    // The location text is read as at most 500 characters.
    table.Data().SetCell(0, 1, std::string(490, 'a') + "  ::  " + std::string(20, 'n'));
    EXPECT_EQ(Request(table, 0), "Lorvex temp\\nnnn|nnnn|1");

    const std::vector<std::vector<std::pair<int, int>>> moves = {
        {}, {{2, 0}}, {{3, 0}}, {{2, 0}, {1, 4}}, {{2, 4}, {2, 0}},  // "Located In" and "Line #" to either end
    };
    for (const auto& sequence : moves) {
        TableListCtrl moved;
        FillLoaded(moved, true);
        for (auto [from, to] : sequence) moved.MoveColumn(from, to);
        EXPECT_EQ(Request(moved, 1, 2), "Lorvex temp\\b.fbi|b.fbi|17") << sequence.size();
    }
    // No kinds at all: the columns the load placed.
    table.SetColumnKinds(nullptr, 0);
    const ListingColumns c = FindListingColumns(table, 1, 0);
    EXPECT_EQ(c.location, 1);
    EXPECT_EQ(c.line, 2);
}

}  // namespace
}  // namespace lorvex
