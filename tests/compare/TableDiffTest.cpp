// Matching the rows of two games' tables and what changed between them, on
// tables filled here as a load fills them; then what the writers make of it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compare/TableDiff.h"
#include "export/Changelog.h"
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
    const std::vector<std::string> without = {"Block", "Metal", "Located In", "Line #"};
    const std::string noName = "no column \"Name\" to match rows by";
    const std::string com = "rev31.gp3  ::  units\\armcom.fbi", flash = "rev31.gp3  ::  units\\armflash.fbi";
    const struct {
        const char* why;
        Rows mine, other;
        std::string expected;  // the summary, or the error when the rows cannot be matched
        MatchOptions options = {};
        std::vector<std::string> mineHeadings = kHeadings, otherHeadings = kHeadings;
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
        {"a block new at the top of a file leaves the file's other blocks paired",
         {row("A", "a", "1", com, "1"), row("B", "b", "2", com, "5")},
         {row("B", "b", "2", com, "3")},
         "added | same"},
        {"two columns of one heading pair in their order",
         {{"ARMCOM", "1", "2", com, "1"}},
         {{"ARMCOM", "1", "2", com, "1"}},
         "same",
         {},
         {"Block", "Metal", "Metal", "Located In", "Line #"},
         {"Block", "Metal", "Metal", "Located In", "Line #"}},
        {"texts compare exactly, case included",
         {row("ARMCOM", "COMMANDER", "120", com), row("ARMFLASH", "Flash", "100", flash)},
         kOld,
         "changed Name | same"},
        {"an empty cell against a number is a change",
         {row("ARMCOM", "Commander", "", com), kOld[1]},
         kOld,
         "changed Metal | same"},
        {"no match column in this game", {}, {}, noName, {.matchHeading = "Name"}, without},
        {"... nor in the other", {}, {}, noName, {.matchHeading = "Name"}, kHeadings, without},
        {"both games empty", {}, {}, ""},
        {"this game empty", {}, kOld, " | removed Commander | removed Flash"},
    };
    for (const auto& c : cases) {
        Games games(c.mineHeadings, c.mine, c.otherHeadings, c.other, c.options);
        EXPECT_EQ(games.ok ? games.Summary() : games.error, c.expected) << c.why;
        if (!games.ok) continue;
        // Compared again, as the window does each time: nothing of the first run is left over.
        const std::string counts = CountsText(games.diff.Counts());
        ASSERT_TRUE(games.diff.Compare(Games::Side(games.mine, 0), Games::Side(games.other, 0), c.options));
        EXPECT_EQ(games.Summary() + CountsText(games.diff.Counts()), c.expected + counts) << c.why;
    }
}

// Without a block column rows pair by their place in the file: the second record of u.fbi moved down a few
// lines. Unclaimed keys become columns per game: they pair by heading, and a column one game lacks holds
// nothing there, as an empty cell does.
TEST(TableDiff, WithoutABlockRowsPairByPlaceAndAColumnOfOneGameOnlyIsNothingInTheOther) {
    Games games(
        {"Name", "Stealth", "Located In", "Line #"},
        {{"a", "", "y.hpi  ::  u.fbi", "1"}, {"B", "1", "y.hpi  ::  u.fbi", "12"}, {"c", "", "y.hpi  ::  u.fbi", "20"}},
        {"Name", "Located In", "Line #", "BuildTime"},
        {{"a", "x.hpi  ::  u.fbi", "1", ""}, {"b", "x.hpi  ::  u.fbi", "7", ""}, {"c", "x.hpi  ::  u.fbi", "9", "40"}},
        {}, -1);
    EXPECT_EQ(games.Summary(), "same | changed Name Stealth | changed BuildTime");
    EXPECT_EQ(games.diff.Columns().back().mine, -1);
    EXPECT_EQ(games.diff.OtherCell(1, 0), "b");
    EXPECT_TRUE(games.diff.CellChanged(1, 1));
    EXPECT_FALSE(games.diff.CellChanged(1, 2));
    EXPECT_EQ(CountsText(games.diff.Counts()), ",   2 changed, 0 added, 0 removed");
    std::string diff;
    WriteHighlighterDiff(games.diff, games.AllColumns(), [&](std::string_view piece) { diff += piece; });
    // The highlighter marks the columns added and dropped once, in its first line, not in every row.
    EXPECT_EQ(diff, "!,,+++,---\r\n@@,Name,Stealth,BuildTime\r\n,a,,\r\n->,b->B,1,\r\n,c,,40\r\n");
    // Either kind of one-game column alone still calls for the "!" line.
    const auto k = [&](std::string_view heading) {
        std::size_t at = 0;
        while (games.diff.Columns()[at].heading != heading) ++at;
        return at;
    };
    const std::pair<std::size_t, const char*> alone[] = {{k("Stealth"), "!,,+++\r\n@@,Name,Stealth\r\n"},
                                                         {k("BuildTime"), "!,,---\r\n@@,Name,BuildTime\r\n"}};
    for (const auto& [column, start] : alone) {
        diff.clear();
        WriteHighlighterDiff(games.diff, {k("Name"), column}, [&](std::string_view piece) { diff += piece; });
        EXPECT_TRUE(diff.starts_with(start)) << diff;
    }
    // When no column tells every row apart, the first of those that tell the most apart names them.
    EXPECT_EQ(LabelColumn(games.diff, {k("Stealth"), k("BuildTime")}), static_cast<int>(k("Stealth")));
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
        {"1.09", "1.2", ChangeStyle::Difference, "1.2 (+0.11)"},   // 0 and 9 are places too
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

}  // namespace
}  // namespace lorvex
