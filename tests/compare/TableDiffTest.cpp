// Matching the rows of two games' tables and what changed between them, on
// tables filled here as a load fills them; then what the writers make of it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/Changelog.h"
#include "compare/TableDiff.h"
#include "tests/support/TableFill.h"

namespace lorvex {
namespace {

using testkit::Rows;

const std::vector<std::string> kHeadings = {"Block", "Name", "Metal", "Located In", "Line #"};

struct Games {
    TableData mine, other;
    TableComparison diff;
    bool ok = false;
    std::string error;
    Games(const std::vector<std::string>& mineHeadings, const Rows& mineRows,
          const std::vector<std::string>& otherHeadings, const Rows& otherRows, const MatchOptions& options = {},
          int block = 0) {
        testkit::FillTable(mine, mineHeadings, mineRows);
        testkit::FillTable(other, otherHeadings, otherRows);
        ok = diff.Compare(Side(mine, block), Side(other, block), options, &error);
    }
    static CompareSide Side(const TableData& data, int block) {
        CompareSide side{&data, -1, -1, block};
        for (int c = 0; c < data.ColumnCount(); ++c) {
            if (data.Column(c).heading == "Located In") side.locationColumn = c;
            if (data.Column(c).heading == "Line #") side.lineColumn = c;
        }
        return side;
    }
    // Per row of mine its status and changed headings ("changed Metal"), then each removed row's name.
    std::string Summary() const {
        std::string s;
        for (int r = 0; r < mine.RowCount(); ++r) {
            s += r ? " | " : "";
            s += diff.Status(r) == RowChange::None ? "same" : std::string(ChangeWord(diff.Status(r)));
            for (std::size_t k = 0; k < diff.Columns().size(); ++k)
                if (diff.ChangedAt(r, k)) s += " " + diff.Columns()[k].heading;
        }
        for (int o : diff.RemovedRows()) s += " | removed " + std::string(other.Cell(o, 1));
        return s;
    }
    std::vector<std::size_t> AllColumns() const {
        std::vector<int> columns;
        for (int c = 0; c < mine.ColumnCount(); ++c) columns.push_back(c);
        return OutputColumns(diff, columns, true);
    }
};

const Rows kOld = {{"ARMCOM", "Commander", "120", "rev31.gp3  ::  units\\armcom.fbi", "1"},
                   {"ARMFLASH", "Flash", "100", "rev31.gp3  ::  units\\armflash.fbi", "1"}};

TEST(TableDiff, RowsMatchByRecordFileAndBlockAndCellsCompareAsTextsOrNumbers) {
    const auto row = [](std::string block, std::string name, std::string metal, std::string location,
                        std::string line = "1") {
        return std::vector<std::string>{block, name, metal, location, line};
    };
    const std::string com = "rev31.gp3  ::  units\\armcom.fbi", flash = "rev31.gp3  ::  units\\armflash.fbi";
    const struct {
        const char* why;
        Rows mine, other;
        std::string expected;
        MatchOptions options = {};
    } cases[] = {
        {"one cell differs", {row("ARMCOM", "Commander", "150", com), kOld[1]}, kOld, "changed Metal | same"},
        {"a record new in this game, one gone from it",
         {kOld[0], row("NEW", "Fresh", "7", "b.hpi  ::  units\\new.fbi")},
         kOld,
         "same | added | removed Flash"},
        {"a record that moved to another archive, its file name's case changed and its line moved",
         {kOld[0], row("ARMFLASH", "Flash", "100", "patch.ccx  ::  UNITS\\ArmFlash.FBI", "9")},
         kOld,
         "same | same"},
        {"a renamed file is another record",
         {kOld[0], row("ARMFLASH", "Flash", "100", "rev31.gp3  ::  units\\flash.fbi")},
         kOld,
         "same | added | removed Flash"},
        {"... unless rows are matched by a column the user names",
         {kOld[0], row("ARMFLASH", "Flash", "101", "rev31.gp3  ::  units\\flash.fbi")},
         kOld,
         "same | changed Metal",
         {.matchHeading = "NAME"}},
        {"the folder is part of the file name",
         {kOld[0], row("ARMFLASH", "Flash", "100", "rev31.gp3  ::  other\\armflash.fbi")},
         kOld,
         "same | added | removed Flash"},
        {"a block name repeated in a file pairs in order of line, whatever the table's order",
         {row("A", "second", "2", com, "10"), row("A", "first", "1", com, "1")},
         {row("A", "first", "1", com, "1"), row("A", "Second", "2", com, "12")},
         "changed Name | same"},
        {"... and a block added at the file's end is the one added",
         {row("A", "third", "3", com, "9"), row("A", "first", "1", com, "1"), row("A", "second", "2", com, "5")},
         {row("A", "first", "1", com, "1"), row("A", "second", "2", com, "5")},
         "added | same | same"},
        {"numbers compare as numbers, blanks around them aside",
         {row("ARMCOM", "Commander", "120.0", com), row("ARMFLASH", "Flash", " 1e2 ", flash)},
         kOld,
         "same | same"},
        {"texts compare exactly, case included",
         {row("ARMCOM", "COMMANDER", "120", com), row("ARMFLASH", "Flash", "100", flash)},
         kOld,
         "changed Name | same"},
        {"an empty cell against a number is a change",
         {row("ARMCOM", "Commander", "", com), kOld[1]},
         kOld,
         "changed Metal | same"},
        {"both games empty", {}, {}, ""},
        {"this game empty", {}, kOld, " | removed Commander | removed Flash"},
    };
    for (const auto& c : cases) {
        Games games(kHeadings, c.mine, kHeadings, c.other, c.options);
        ASSERT_TRUE(games.ok) << c.why << ": " << games.error;
        EXPECT_EQ(games.Summary(), c.expected) << c.why;
    }
}

TEST(TableDiff, WithoutABlockColumnRowsPairByTheirPlaceInTheFile) {
    const std::vector<std::string> headings = {"Name", "Located In", "Line #"};
    const Rows other = {{"a", "x.hpi  ::  u.fbi", "1"}, {"b", "x.hpi  ::  u.fbi", "7"}};
    // The second record of u.fbi moved down a few lines and changed its name.
    Games games(headings, {{"a", "y.hpi  ::  u.fbi", "1"}, {"B", "y.hpi  ::  u.fbi", "12"}}, headings, other, {}, -1);
    EXPECT_EQ(games.Summary(), "same | changed Name");
}

// Unclaimed keys become columns per game: they pair by heading, and a column
// one game lacks holds nothing there, as an empty cell does.
TEST(TableDiff, AColumnOfOneGameOnlyIsNothingInTheOther) {
    const std::vector<std::string> mine = {"Block", "Name", "Metal", "Stealth", "Located In", "Line #"};
    const std::vector<std::string> other = {"Block", "Name", "Metal", "Located In", "Line #", "BuildTime"};
    const std::string at = "rev31.gp3  ::  u.fbi";
    Games games(mine, {{"A", "a", "1", "", at, "1"}, {"B", "b", "1", "1", at, "5"}, {"C", "c", "1", "", at, "9"}},
                other, {{"A", "a", "1", at, "1", ""}, {"B", "b", "1", at, "5", ""}, {"C", "c", "1", at, "9", "40"}});
    EXPECT_EQ(games.Summary(), "same | changed Stealth | changed BuildTime");
    EXPECT_EQ(games.diff.Columns().back().heading, "BuildTime");
    EXPECT_EQ(games.diff.Columns().back().mine, -1);
    EXPECT_EQ(games.diff.OtherCell(2, 2), "1");
    EXPECT_TRUE(games.diff.CellChanged(1, 3));
    EXPECT_FALSE(games.diff.CellChanged(1, 2));
    EXPECT_EQ(CountsText(games.diff.Counts()), ",   2 changed, 0 added, 0 removed");
}

TEST(TableDiff, AMatchColumnMissingFromEitherGameIsAnError) {
    for (const auto& missingIn : {"mine", "other"}) {
        const std::vector<std::string> without = {"Block", "Metal", "Located In", "Line #"};
        const bool mine = std::string(missingIn) == "mine";
        Games games(mine ? without : kHeadings, {}, mine ? kHeadings : without, {}, {.matchHeading = "Name"});
        EXPECT_FALSE(games.ok) << missingIn;
        EXPECT_EQ(games.error, "no column \"Name\" to match rows by") << missingIn;
    }
}

TEST(TableDiff, ChangeTexts) {
    const struct {
        const char *before, *after;
        ChangeStyle style;
        const char* text;
    } cases[] = {
        {"120", "150", ChangeStyle::Difference, "150 (+30)"},
        {"150", "120", ChangeStyle::Difference, "120 (-30)"},
        {"1.2", "1.45", ChangeStyle::Difference, "1.45 (+0.25)"},  // the places the texts were written with
        {"0.1", "0.3", ChangeStyle::Difference, "0.3 (+0.2)"},     // not 0.19999999999999998
        {"120", "150", ChangeStyle::Percent, "+25%"},
        {"150", "100", ChangeStyle::Percent, "-33.3%"},
        {"-40", "-20", ChangeStyle::Percent, "+50%"},  // against the old value's size
        {"0", "5", ChangeStyle::Percent, "5"},         // no percent of nothing
        {"fast", "slow", ChangeStyle::Difference, "slow"},
        {"", "7", ChangeStyle::Difference, "7"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChangeText(c.before, c.after, c.style), c.text) << c.before << " -> " << c.after;
}

// Changed Commander (Metal, and Speed now empty), unchanged Flash, added Fresh, removed Gone.
struct Sample : Games {
    Sample()
        : Games({"Block", "Name", "Metal", "Speed", "Located In", "Line #"},
                {{"UNITINFO", "Commander", "150", "", "rev31.gp3  ::  units\\armcom.fbi", "1"},
                 {"UNITINFO", "Flash", "100", "a->b", "rev31.gp3  ::  units\\armflash.fbi", "1"},
                 {"UNITINFO", "Fresh_*", "7", "NULL", "new.hpi  ::  units\\new.fbi", "1"}},
                {"Block", "Name", "Metal", "Speed", "Located In", "Line #"},
                {{"UNITINFO", "Commander", "120", "1.2", "rev31.gp3  ::  units\\armcom.fbi", "1"},
                 {"UNITINFO", "Flash", "100", "a->b", "rev31.gp3  ::  units\\armflash.fbi", "1"},
                 {"UNITINFO", "Gone", "5", "", "rev31.gp3  ::  units\\gone.fbi", "1"}}) {}
    std::string Changelog(const std::vector<std::size_t>& columns) const {
        std::string out;
        WriteChangelog(diff, columns, [&](std::string_view piece) { out += piece; });
        return out;
    }
};

TEST(Changelog, NamesEachRecordByTheColumnThatTellsThemApart) {
    Sample games;
    // The block name every record shares is no label; the name is. Names and
    // files are Markdown-escaped (the backslash too) so that they show as themselves.
    EXPECT_EQ(LabelColumn(games.diff, games.AllColumns()), 1);
    EXPECT_EQ(games.Changelog(games.AllColumns()),
              "## Changed\r\n\r\n- **Commander** (units\\\\armcom.fbi): Metal 120 \xE2\x86\x92 150, Speed 1.2 "
              "\xE2\x86\x92 (empty)\r\n\r\n"
              "## Added\r\n\r\n- **Fresh\\_\\*** (units\\\\new.fbi)\r\n\r\n"
              "## Removed\r\n\r\n- **Gone** (units\\\\gone.fbi)\r\n");
    // Only the columns written: a record whose changes all lie elsewhere is left out, and so is its section.
    games.mine.SetHidden(2, true);
    games.other.SetHidden(2, true);
    EXPECT_EQ(games.Changelog(OutputColumns(games.diff, {1, 3}, false)),
              "## Changed\r\n\r\n- **Commander** (units\\\\armcom.fbi): Speed 1.2 \xE2\x86\x92 (empty)\r\n");
    EXPECT_EQ(games.Changelog(OutputColumns(games.diff, {1}, false)), "No differences.\r\n");
}

TEST(Changelog, TheChangeTableAndTheDiffHoldEveryRow) {
    Sample games;
    TableData table;
    FillChangeTable(games.diff, games.AllColumns(), table);
    std::string rows;
    for (int r = 0; r < table.RowCount(); ++r) rows += testkit::RowText(table, r) + "\n";
    EXPECT_EQ(rows,
              "changed,UNITINFO,Commander,120 \xE2\x86\x92 150,1.2 \xE2\x86\x92 ,rev31.gp3  ::  units\\armcom.fbi,1\n"
              ",UNITINFO,Flash,100,a->b,rev31.gp3  ::  units\\armflash.fbi,1\n"
              "added,UNITINFO,Fresh_*,7,NULL,new.hpi  ::  units\\new.fbi,1\n"
              "removed,UNITINFO,Gone,5,,rev31.gp3  ::  units\\gone.fbi,1\n");
    EXPECT_EQ(table.Column(0).heading, "Change");

    std::string diff;
    WriteHighlighterDiff(games.diff, games.AllColumns(), [&](std::string_view piece) { diff += piece; });
    // A cell holding "->" lengthens the arrow; a NULL that is text is told from a missing value.
    EXPECT_EQ(diff,
              "@@,Block,Name,Metal,Speed\r\n"
              "-->,UNITINFO,Commander,120-->150,1.2-->\r\n"
              ",UNITINFO,Flash,100,a->b\r\n"
              "+++,UNITINFO,Fresh_*,7,_NULL\r\n"
              "---,UNITINFO,Gone,5,\r\n");
}

TEST(Changelog, TheDiffAddsAndDropsColumnsOneGameLacks) {
    Games games({"Name", "Stealth", "Located In", "Line #"}, {{"a", "1", "x  ::  u.fbi", "1"}},
                {"Name", "Located In", "Line #", "Old"}, {{"a", "x  ::  u.fbi", "1", "9"}}, {}, -1);
    std::string diff;
    WriteHighlighterDiff(games.diff, games.AllColumns(), [&](std::string_view piece) { diff += piece; });
    EXPECT_EQ(diff, "!,,+++,---\r\n@@,Name,Stealth,Old\r\n,a,1,9\r\n");
}

}  // namespace
}  // namespace lorvex
