#include "load/RecordParser.h"

#include <gtest/gtest.h>

#include <memory>

#include "load/LoadRun.h"
#include "load/PostfixEquation.h"
#include "tests/support/GameFolder.h"
#include "tests/tdf/TestFiles.h"

namespace lorvex {
namespace {

// Columns from a configuration text, then the two fixed columns, as a load sets them up.
struct Fixture {
    std::unique_ptr<LoadState> state = std::make_unique<LoadState>();
    TableData table;
    testkit::CapturedMessages messages;
    testkit::GameFolder folder;
    TdfReader reader;
    int files = 0;

    explicit Fixture(std::string_view configText, int showUnusedTags = 0) {
        TdfReader config;
        EXPECT_TRUE(config.Open(folder.Write("c.cfg", configText)));
        std::uint8_t kinds[LoadState::kMaxListColumns] = {};
        ReadConfiguration(*state, config, table, messages, kinds);  // as a load reads it
        state->showUnusedTags = showUnusedTags;
    }
    void Parse(std::string_view records, std::string_view archive = "..\\base.hpi", int pair = 0) {
        const std::string path = folder.Write("r" + std::to_string(files++) + ".fbi", records);
        ParseRecordFile(*state, reader, table, "x1", path, archive, pair);
    }
    std::string Cell(int row, int column) const { return std::string(table.Cell(row, column)); }
    std::string Location(int row) const { return Cell(row, state->locationColumn); }
    std::string Line(int row) const { return Cell(row, state->locationColumn + 1); }
};

TEST(RecordParser, OneRowPerTopLevelBlockWithItsLocation) {
    Fixture f("[string]\n{\ntag=name;\n}\n");
    f.Parse("// two records\n[A]\n{\nname=First;\n}\n\n[B]\r\n{\r\nname=Second;\r\n}\r\n");
    // A header with its brace on its own line starts no record; lines outside records are skipped.
    f.Parse("k=1;\n}\n[A] {\nname=Skipped;\n}\n{\n[C]\n{\nname=Third;\n}\n");
    f.Parse("name=x;\n[H] {\n");
    ParseRecordFile(*f.state, f.reader, f.table, "gone", f.folder.PathOf("missing.fbi"), "..\\base.hpi", 0);
    ASSERT_EQ(f.table.RowCount(), 3);
    const char* expected[][2] = {{"First", "2"}, {"Second", "7"}, {"Third", "7"}};
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(f.Cell(row, 0), expected[row][0]);
        EXPECT_EQ(f.Location(row), "base.hpi  ::  x1");
        EXPECT_EQ(f.Line(row), expected[row][1]);
    }
    const std::tuple<bool, const char*, int, const char*, const char*> locations[] = {
        {true, "f", 0, "..\\base.hpi", "base.hpi  ::  f\\x1"},
        {true, "g", 5, "..\\rev31.gp3", "rev31.gp3  ::  g\\x1"},
        {true, "", 3, "..\\a.ufo", "a.ufo  ::  \\x1"},
        {false, "", 0, "plain.hpi", "plain.hpi  ::  x1"},  // no "..\" to drop: kept whole
    };
    for (const auto& [indexed, folder, pair, archive, location] : locations) {
        Fixture g("");
        g.state->indexedKeys = indexed;
        g.state->hpiFolders[pair] = folder;
        g.Parse("[R]\n{\n}\n", archive, pair);
        EXPECT_EQ(g.Location(0), location);
    }
}

TEST(RecordParser, CellTextsByColumnType) {
    const char* numeric2 = "[numeric]\n{\ntag=v;\ndecimals=2;\n}";
    const char* symbolic = "[symbolic]\n{\ntag=v;\nsymbol(0)=Ground;\nsymbol(1)=Air;\n}";
    const std::tuple<const char*, const char*, const char*> cases[] = {
        // column block, lines of the record, cell text
        {numeric2, "v=7.50;", "7.5"},
        {numeric2, "v=abc;", "0"},
        {numeric2, "v=-0.0001;", "-0"},
        {"[numeric]\n{\ntag=v;\ndecimals=0;\n}", "V=3;\nv=100;", "100"},
        {"[numeric]\n{\ntag=v;\ndecimals=60;\n}", "v=0.33333333;", "0.3333333432674407958984375"},
        {"[numeric]\n{\ntag=v;\n}", "v=3e38;", "300000000549775575777803994281145270272"},
        {"[string]\n{\ntag=v;\n}", "v=Big Gun ; note;", "Big Gun "},
        {"[boolean]\n{\ntag=v;\n}", "v=2;", "X"},
        {"[boolean]\n{\ntag=v;\n}", "v=0.5;", ""},
        {symbolic, "v=0.6;", "Air"},
        {symbolic, "v=2;", "2"},
        {symbolic, "v=-0.7;", "Ground"},
        {symbolic, "v=-1.6;", "-1"},
        {"[symbolic]\n{\ntag=v;\n}", "v=1e20;", "2147483647"},
        {"[multibool]\n{\ntagfor(A)=a;\ntagfor(B)=b;\ntagfor(C)=c;\n}", "a=1;\nb=0;\nc=5;", "A,  C"},
        {"[multibool]\n{\ntagfor(A)=a;\ntagfor(B)=b;\n}", "a=1;\na=0;", "A"},
        {"[multibool]\n{\ntagfor(A)=a;\ntagfor(B)=b;\n}", "A=2;\nB=1;", "A,  B"},
        {"[math]\n{\nequation=a b /;\ndecimals=2;\n}", "a=1;\nb=3;", "0.33"},
        {"[math]\n{\nequation=a b /;\n}", "a=1;\nb=0;", ""},            // a division by zero leaves the cell
        {"[math]\n{\nequation=a b / c +;\n}", "a=1;\nb=0;\nc=1;", ""},  // reading stops at the division
        {"[math]\n{\nequation=a+b;\n}", "a=1;\nb=2;", "Bad Equation"},
        {"[math]\n{\nequation=a b + *;\n}", "a=1;\nb=2;", "Bad Equation"},
        {"[math]\n{\nequation=a b;\n}", "a=1;\nb=2;", ""},
        {"[math]\n{\nequation=a(10) b +;\n}", "b=5;", "15"},
        {"[math]\n{\nequation=a b c * + a -;\n}", "a=1;\nb=2;\nc=3;", "6"},
        {"[math]\n{\nequation=(100) cost /;\n}", "cost=8;", "12.5"},
        {"[math]\n{\nequation=Cost(1) n +;\n}", "COST=5;\nn=1;", "6"},
        {"[math]\n{\nequation=Cost(1) n +;\n}", "cost=5;\nn=1;", "2"},  // a capital in the name matches only itself
    };
    for (const auto& [column, record, cell] : cases) {
        // The column under test at position 1, behind a string column that keeps column 0's "...".
        Fixture f(std::string("[string]\n{\ntag=none;\n}\n") + column + "\n");
        f.Parse(std::string("[R]\n{\n") + record + "\n}\n");
        ASSERT_EQ(f.table.RowCount(), 1);
        EXPECT_EQ(f.Cell(0, 1), cell) << column << " / " << record;
        EXPECT_EQ(f.Cell(0, 0), "...");
    }
}

// The loads above reach the equation only through compiled columns, whose
// operands and program always agree; here the programs a column cannot compile.
TEST(PostfixEquation, EveryOutcome) {
    using enum EquationOutcome;
    const struct {
        const char* program;
        std::size_t size;
        int count;
        EquationOutcome outcome;
        float value;
        const char* why;
    } cases[] = {
        {"xx-", 3, 2, Value, 3, "the top two, the earlier on the left"},
        {"xx+x", 3, 2, Value, 7, "no character past the program's size is read"},
        {"x", 1, 2, Bad, 0, "an operand left unread"},
        {"xxx", 3, 2, Bad, 0, "an x past the operands"},
        {"x+", 2, 1, Bad, 0, "too few values for a sign"},
        {"xx", 2, 2, Blank, 0, "two values left over"},
        {"xx/", 3, 2, Value, 2.5f, "a division"},
    };
    for (const auto& c : cases) {
        float operands[] = {5, 2, 9};
        const EquationResult r = EvaluatePostfix(c.program, c.size, operands, c.count);
        EXPECT_EQ(r.outcome, c.outcome) << c.why;
        if (c.outcome == Value) {
            EXPECT_EQ(r.value, c.value) << c.why;
        }
    }
}

TEST(RecordParser, CombinedColumnsAndPerRecordValues) {
    // A division by zero leaves column 0's "..."; values start over with each record.
    Fixture f(
        "[math]\n{\nequation=a b /;\n}\n[multibool]\n{\ntagfor(A)=a;\n}\n[math]\n{\nequation=a(7) b(1) *;\n}\n"
        "[headertext]\n{\n}\n[numeric]\n{\ntag=cost;\n}\n[string]\n{\ntag=COST;\n}\n");
    f.Parse(
        "[R]\n{\na=1;\n[sub]\n{\nCost=1.50;\n}\nb=0;\n}\n[S]\n{\n}\n[Big Gun ]\n{\na=2;\n");  // cut off inside a record
    ASSERT_EQ(f.table.RowCount(), 3);
    const char* expected[][6] = {
        {"...", "A", "0", "R", "1.5", "1.50"},  // the nested key is matched too, by both columns
        {"...", "", "7", "S", "", ""},
        {"...", "A", "2", "Big Gun ", "", ""},
    };
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 6; ++column)
            EXPECT_EQ(f.Cell(row, column), expected[row][column]) << row << column;
    EXPECT_EQ(f.Line(2), "13");
    // A MultiBool column at position 0 always replaces the "...".
    Fixture g("[multibool]\n{\ntagfor(A)=a;\n}\n");
    g.Parse("[R]\n{\nb=1;\n}\n");
    EXPECT_EQ(g.Cell(0, 0), "");
}

TEST(RecordParser, UnclaimedKeysGetColumnsByDepthUpTo128) {
    const char* records =
        "[A]\n{\nItemName=Gun;\nname=a;\n[sub]\n{\nDeep=1;\n}\nAfter=2;\n}\n[B]\n{\nITEMNAME=Tank;\n}\n";
    const std::pair<int, std::vector<std::string>> cases[] = {
        {0, {}}, {1, {"ItemName", "After"}}, {2, {"ItemName", "Deep", "After"}}};
    for (const auto& [show, headings] : cases) {
        Fixture f("[string]\n{\ntag=name;\n}\n", show);
        f.Parse(records);
        ASSERT_EQ(f.table.ColumnCount(), 3 + static_cast<int>(headings.size())) << show;
        EXPECT_EQ(f.state->columnCount, f.table.ColumnCount());
        for (std::size_t i = 0; i < headings.size(); ++i) {
            EXPECT_EQ(f.table.Column(3 + static_cast<int>(i)).heading, headings[i]);
            EXPECT_EQ(f.table.Column(3 + static_cast<int>(i)).align, Align::Center);
        }
        if (show == 0) continue;
        EXPECT_STREQ(f.state->columns[3].tag, "itemname");
        EXPECT_EQ(f.Cell(0, 3) + f.Cell(1, 3), "GunTank");  // the key matched without case in both records
    }

    Fixture f("[string]\n{\ntag=name;\n}\n", 1);
    std::string record = "[R]\n{\n";
    for (int i = 0; i < 200; ++i) record += "key" + std::to_string(i) + "=" + std::to_string(i) + ";\n";
    f.Parse(record + "}\n");
    EXPECT_EQ(f.state->columnCount, 128);
    EXPECT_EQ(f.table.ColumnCount(), 128);
    EXPECT_EQ(f.table.Column(127).heading, "key124");
    EXPECT_EQ(f.Cell(0, 127), "124");
    // An overlong key is cut for matching; the second record finds the cut tag again.
    Fixture g("", 1);
    const std::string longKey(300, 'K');
    g.Parse("[R]\n{\n" + longKey + "=1;\n}\n[S]\n{\n" + longKey + "=2;\n}\n");
    ASSERT_EQ(g.table.ColumnCount(), 3);
    EXPECT_EQ(g.table.Column(2).heading, longKey);
    EXPECT_EQ(g.state->columns[2].tag, std::string(127, 'k'));
    EXPECT_EQ(g.Cell(1, 2), "2");
}

TEST(RecordParser, ManyRecordsKeepFileOrder) {
    Fixture f("[string]\n{\ntag=name;\n}\n");
    std::string text;
    for (int i = 0; i < 1500; ++i) text += "[R]\n{\nname=R" + std::to_string(i) + ";\n}\n";
    f.Parse(text);
    f.Parse("[R]\n{\nname=Last;\n}\n");
    ASSERT_EQ(f.table.RowCount(), 1501);
    for (int i = 0; i < 1500; ++i) {
        ASSERT_EQ(f.Cell(i, 0), "R" + std::to_string(i));
        ASSERT_EQ(f.Line(i), std::to_string(4 * i + 1));
    }
    EXPECT_EQ(f.Cell(1500, 0), "Last");
}

}  // namespace
}  // namespace lorvex
