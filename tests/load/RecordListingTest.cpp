#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "load/RecordListing.h"
#include "tests/support/GameFolder.h"

namespace lorvex {
namespace {

using testing::GameFolder;

TEST(RecordListing, FindsTheFileNameInALocation) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"base.hpi  ::  armcom.fbi", "armcom.fbi"},
        {"base.hpi  ::  units\\armcom.fbi", "armcom.fbi"},
        {"base.hpi  ::  a\\b\\c.fbi", "c.fbi"},
        {"base.hpi::x", "x"},
        {"a:b:c", "b:c"},
        {"no colon here", ""},
        {"base.hpi  ::  ", ""},
        {"base.hpi  ::  units\\", ""},
        {"", ""},
        {"base.hpi  ::  two words.fbi", "two words.fbi"},
    };
    for (const auto& [location, name] : cases) EXPECT_EQ(ListingFileName(location), name) << location;
}

TEST(RecordListing, ReadsTheLineNumberAsAWholeNumber) {
    const std::vector<std::pair<std::string, std::int32_t>> cases = {
        {"12", 12},        {"  7", 7},   {"\t\n5", 5},          {"+8", 8},   {"-3", -3}, {"12abc", 12},
        {"", 0},           {"abc", 0},   {"99999999999", INT_MAX}, {"-99999999999", INT_MIN},
        {"2147483647", INT_MAX}, {"1 2", 1},
    };
    for (const auto& [text, number] : cases) EXPECT_EQ(ListingLineNumber(text), number) << text;
}

TEST(RecordListing, ShowsOneRecordFromItsHeaderToItsOutermostBrace) {
    const std::string three =
        "[ONE]\r\n{\r\na=1;\r\n}\r\n"           // lines 1-4
        "[TWO]\r\n\t{\r\n\tb=2;\r\n\t}\r\n"     // lines 5-8
        "[THREE]\r\n{\r\nc=3;\r\n}\r\n";         // lines 9-12
    const std::string nested = "[N]\n{\nx=1;\n  [INNER]\n  {\n  y=2;\n  }\nz=3;\n}\n[AFTER]\n{\n}\n";
    const std::string sameLine = "[S] {\nk=1;\n  [I]\n  {\n  }\n}\n";
    const std::string noFinalBreak = "[L]\n{\nk=v;\n}";
    const std::string neverCloses = "[U]\n{\nk=1;\n";
    const std::string strayClose = "[V]\n}\n{\nk=1;\n}\nrest\n";
    struct Case {
        const char* what;
        const std::string& file;
        std::int32_t line;
        const char* text;
    };
    const std::vector<Case> cases = {
        {"first record at line 1", three, 1, "[ONE]\r\n{\r\na=1;\r\n}\r\n"},
        {"second of three", three, 5, "[TWO]\r\n\t{\r\n\tb=2;\r\n\t}\r\n"},
        {"last of three", three, 9, "[THREE]\r\n{\r\nc=3;\r\n}\r\n"},
        {"nested blocks", nested, 1, "[N]\r\n{\r\nx=1;\r\n  [INNER]\r\n  {\r\n  y=2;\r\n  }\r\nz=3;\r\n}\r\n"},
        {"a brace after text does not count", sameLine, 1, "[S] {\r\nk=1;\r\n  [I]\r\n  {\r\n  }\r\n"},
        {"last line without a line break", noFinalBreak, 1, "[L]\r\n{\r\nk=v;\r\n}\r\n"},
        {"a block that never closes runs to the end", neverCloses, 1, "[U]\r\n{\r\nk=1;\r\n"},
        {"a close before any open lowers the depth", strayClose, 1, "[V]\r\n}\r\n{\r\n"},
        {"line past the end", three, 13, ""},
        {"line 0", three, 0, ""},
        {"negative line", three, -4, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GameFolder folder;
        std::filesystem::create_directory("Lorvex temp");
        GameFolder::Write("Lorvex temp/rec.fbi", c.file);
        const RecordListing listing = ReadRecordListing("Lorvex temp\\rec.fbi", c.line);
        EXPECT_TRUE(listing.opened);
        EXPECT_EQ(listing.text, c.text);
    }
}

TEST(RecordListing, ReadsLongLinesIn1022CharacterPieces) {
    GameFolder folder;
    const std::string exact(1022, 'e');
    const std::string longLine(2000, 'L');
    const std::string value = "k=" + std::string(1100, 'v');
    const std::string file = exact + "\n" +                          // line 1: one piece
                             longLine + "\n" +                       // lines 2-3: 1022 + 978
                             "[B]\n{\n" + value + "\n}\n" +          // lines 4-8 (value in two pieces)
                             "[C]\n{\n" + std::string(1022, ' ') + "}x\nmore\n}\n";  // lines 10-14
    GameFolder::Write("r.fbi", file);

    EXPECT_EQ(ReadRecordListing("r.fbi", 1).text.substr(0, 2048),
              exact + "\r\n" + std::string(1022, 'L') + "\r\n");
    // Starting inside no block, the listing runs on until a block closes.
    EXPECT_EQ(ReadRecordListing("r.fbi", 3).text.substr(0, 985), std::string(978, 'L') + "\r\n[B]\r\n");
    EXPECT_EQ(ReadRecordListing("r.fbi", 4).text,
              "[B]\r\n{\r\n" + value.substr(0, 1022) + "\r\n" + value.substr(1022) + "\r\n}\r\n");
    // The piece that starts with the brace closes the block, like a line of its own.
    EXPECT_EQ(ReadRecordListing("r.fbi", 9).text, "[C]\r\n{\r\n" + std::string(1022, ' ') + "\r\n}x\r\n");
}

TEST(RecordListing, MissingFileIsNotOpenedNorCreated) {
    GameFolder folder;
    const RecordListing listing = ReadRecordListing("Lorvex temp\\gone.fbi", 1);
    EXPECT_FALSE(listing.opened);
    EXPECT_TRUE(listing.text.empty());
    EXPECT_FALSE(std::filesystem::exists("Lorvex temp"));
    std::filesystem::create_directory("Lorvex temp");
    EXPECT_FALSE(ReadRecordListing("Lorvex temp", 1).opened) << "a folder is no file";
    EXPECT_FALSE(std::filesystem::exists("Lorvex temp/gone.fbi"));
}

// Name, Located In, Line # as a load leaves them.
void FillLoaded(TableListCtrl& table) {
    TableData& d = table.Data();
    d.InsertColumn(0, "Name", Align::Left, 50);
    d.InsertColumn(1, "Located In", Align::Left, 50);
    d.InsertColumn(2, "Line #", Align::Right, 50);
    const char* rows[][3] = {{"alpha", "base.hpi  ::  a.fbi", "1"},
                             {"beta", "more.ufo  ::  units\\b.fbi", "17"},
                             {"gamma", "nothing here", "3"},
                             {"delta", "base.hpi  ::  d.fbi", "x"}};
    for (const auto& r : rows) {
        const int i = d.AppendRow(r[0]);
        d.SetCell(i, 1, r[1]);
        d.SetCell(i, 2, r[2]);
    }
    const std::uint8_t kinds[] = {0x81, 0x01, 0x02};
    table.SetColumnKinds(kinds, 3);
}

TEST(RecordListing, RequestsForRows) {
    TableListCtrl table;
    FillLoaded(table);
    ListingRequest r;
    ASSERT_TRUE(ListingRequestForRow(table, 1, 1, &r));
    EXPECT_EQ(r.path, "Lorvex temp\\b.fbi");
    EXPECT_EQ(r.fileName, "b.fbi");
    EXPECT_EQ(r.lineNumber, 17);
    ASSERT_TRUE(ListingRequestForRow(table, 1, 3, &r));
    EXPECT_EQ(r.lineNumber, 0);
    EXPECT_FALSE(ListingRequestForRow(table, 1, 2, &r)) << "no colon";
    EXPECT_FALSE(ListingRequestForRow(table, 1, -1, &r));
    EXPECT_FALSE(ListingRequestForRow(table, 1, 4, &r));

    // The location text is read as at most 500 characters.
    table.Data().SetCell(0, 1, std::string(490, 'a') + "  ::  " + std::string(20, 'n'));
    ASSERT_TRUE(ListingRequestForRow(table, 1, 0, &r));
    EXPECT_EQ(r.fileName, std::string(4, 'n'));
}

TEST(RecordListing, FollowsTheFixedColumnsWhenTheyMove) {
    TableListCtrl table;
    FillLoaded(table);
    // A column of block names: the same kind as "Located In", and the user named it so.
    table.Data().InsertColumn(0, "Located In", Align::Center, 50);
    table.Data().SetCell(1, 0, "BETA");
    const std::uint8_t kinds[] = {0x01, 0x81, 0x01, 0x02};
    ASSERT_TRUE(table.SetColumnKinds(kinds, 4));

    struct Move {
        int from, to;
    };
    const std::vector<std::vector<Move>> moves = {
        {},
        {{2, 0}},          // "Located In" to the front
        {{3, 0}},          // "Line #" to the front
        {{2, 0}, {1, 4}},  // "Located In" to the front, the block names to the end
        {{2, 4}, {2, 0}},  // "Located In" to the end, then "Line #" to the front
    };
    for (const auto& sequence : moves) {
        TableListCtrl moved;
        FillLoaded(moved);
        moved.Data().InsertColumn(0, "Located In", Align::Center, 50);
        moved.Data().SetCell(1, 0, "BETA");
        ASSERT_TRUE(moved.SetColumnKinds(kinds, 4));
        for (const Move& m : sequence) moved.MoveColumn(m.from, m.to);
        ListingRequest r;
        ASSERT_TRUE(ListingRequestForRow(moved, 2, 1, &r)) << sequence.size();
        EXPECT_EQ(r.fileName, "b.fbi");
        EXPECT_EQ(r.lineNumber, 17);
    }

    // No kinds at all: the columns the load placed.
    TableListCtrl plain;
    FillLoaded(plain);
    plain.SetColumnKinds(nullptr, 0);
    const ListingColumns c = FindListingColumns(plain, 1, 0);
    EXPECT_EQ(c.location, 1);
    EXPECT_EQ(c.line, 2);
}

}  // namespace
}  // namespace lorvex
