#include "load/RecordParser.h"

#include <gtest/gtest.h>

#include <memory>

#include "load/LoadRun.h"
#include "load/PostfixEquation.h"
#include "tests/support/GameFolder.h"
#include "tests/support/TableFill.h"
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
    // Every row's cells, rows one per line.
    std::string Rows() const {
        std::string all;
        for (int r = 0; r < table.RowCount(); ++r) all += (r ? "\n" : "") + testkit::RowText(table, r);
        return all;
    }
    std::string Headings() const {
        std::string all;
        for (int c = 0; c < table.ColumnCount(); ++c) all += (c ? "," : "") + table.Column(c).heading;
        return all;
    }
};

TEST(RecordParser, OneRowPerTopLevelBlockWithItsLocation) {
    Fixture f("[string]\n{\ntag=name;\n}\n");
    f.Parse("// two records\n[A]\n{\nname=First;\n}\n\n[B]\r\n{\r\nname=Second;\r\n}\r\n");
    // A header with its brace on its own line starts no record; lines outside records are skipped.
    f.Parse("k=1;\n}\n[A] {\nname=Skipped;\n}\n{\n[C]\n{\nname=Third;\n}\n");
    f.Parse("name=x;\n[H] {\n");
    ParseRecordFile(*f.state, f.reader, f.table, "gone", f.folder.PathOf("missing.fbi"), "..\\base.hpi", 0);
    std::string many, rows;  // many records keep the file's order
    for (int i = 0; i < 1500; ++i) {
        many += "[R]\n{\nname=R" + std::to_string(i) + ";\n}\n";
        rows += "\nR" + std::to_string(i) + ",base.hpi  ::  x1," + std::to_string(4 * i + 1);
    }
    f.Parse(many);
    EXPECT_EQ(f.Rows(), "First,base.hpi  ::  x1,2\nSecond,base.hpi  ::  x1,7\nThird,base.hpi  ::  x1,7" + rows);
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
        EXPECT_EQ(g.Rows(), std::string(location) + ",1");
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
        EXPECT_EQ(f.Rows(), std::string("...,") + cell + ",base.hpi  ::  x1,1") << column << " / " << record;
    }
}

// The loads above reach the equation only through compiled columns, whose
// operands and program always agree; here the programs a column cannot compile.
TEST(PostfixEquation, EveryOutcome) {
    using enum EquationOutcome;
    const std::tuple<const char*, std::size_t, int, EquationOutcome, float, const char*> cases[] = {
        // program, its size, operands, outcome, value
        {"xx-", 3, 2, Value, 3, "the top two, the earlier on the left"},
        {"xx+x", 3, 2, Value, 7, "no character past the program's size is read"},
        {"x", 1, 2, Bad, 0, "an operand left unread"},
        {"xxx", 3, 2, Bad, 0, "an x past the operands"},
        {"x+", 2, 1, Bad, 0, "too few values for a sign"},
        {"xx", 2, 2, Blank, 0, "two values left over"},
        {"xx/", 3, 2, Value, 2.5f, "a division"},
    };
    for (const auto& [program, size, count, outcome, value, why] : cases) {
        float operands[] = {5, 2, 9};
        const EquationResult r = EvaluatePostfix(program, size, operands, count);
        EXPECT_EQ(r.outcome, outcome) << why;
        EXPECT_EQ(r.value, value) << why;
    }
}

TEST(RecordParser, CombinedColumnsAndPerRecordValues) {
    // A division by zero leaves column 0's "..."; values start over with each record.
    Fixture f(
        "[math]\n{\nequation=a b /;\n}\n[multibool]\n{\ntagfor(A)=a;\n}\n[math]\n{\nequation=a(7) b(1) *;\n}\n"
        "[headertext]\n{\n}\n[numeric]\n{\ntag=cost;\n}\n[string]\n{\ntag=COST;\n}\n");
    f.Parse(
        "[R]\n{\na=1;\n[sub]\n{\nCost=1.50;\n}\nb=0;\n}\n[S]\n{\n}\n[Big Gun ]\n{\na=2;\n");  // cut off inside a record
    // The nested key is matched too, by both columns.
    EXPECT_EQ(f.Rows(),
              "...,A,0,R,1.5,1.50,base.hpi  ::  x1,1\n...,,7,S,,,base.hpi  ::  x1,10\n"
              "...,A,2,Big Gun ,,,base.hpi  ::  x1,13");
    // A MultiBool column at position 0 always replaces the "...".
    Fixture g("[multibool]\n{\ntagfor(A)=a;\n}\n");
    g.Parse("[R]\n{\nb=1;\n}\n");
    EXPECT_EQ(g.Rows(), ",base.hpi  ::  x1,1");
}

TEST(RecordParser, UnclaimedKeysGetColumnsByDepthUpTo128) {
    const char* records =
        "[A]\n{\nItemName=Gun;\nname=a;\n[sub]\n{\nDeep=1;\n}\nAfter=2;\n}\n[B]\n{\nITEMNAME=Tank;\n}\n";
    const std::tuple<int, const char*, const char*> cases[] = {
        // show unused tags, the headings after "Line #", the rows
        {0, "", "a,base.hpi  ::  x1,1\n...,base.hpi  ::  x1,11"},
        {1, ",ItemName,After", "a,base.hpi  ::  x1,1,Gun,2\n...,base.hpi  ::  x1,11,Tank,"},
        {2, ",ItemName,Deep,After", "a,base.hpi  ::  x1,1,Gun,1,2\n...,base.hpi  ::  x1,11,Tank,,"},
    };
    for (const auto& [show, headings, rows] : cases) {
        Fixture f("[string]\n{\ntag=name;\n}\n", show);
        f.Parse(records);
        EXPECT_EQ(f.Headings(), std::string("................,Located In,Line #") + headings) << show;
        EXPECT_EQ(f.Rows(), rows) << show;
        EXPECT_EQ(f.state->columnCount, f.table.ColumnCount());
        EXPECT_STREQ(f.state->columns[3].tag, show ? "itemname" : "");  // stored folded, matched without case
        for (int c = 3; c < f.table.ColumnCount(); ++c) EXPECT_EQ(f.table.Column(c).align, Align::Center);
    }

    Fixture f("[string]\n{\ntag=name;\n}\n", 1);
    std::string record = "[R]\n{\n";
    for (int i = 0; i < 200; ++i) record += "key" + std::to_string(i) + "=" + std::to_string(i) + ";\n";
    f.Parse(record + "}\n");
    EXPECT_EQ(f.state->columnCount, 128);
    EXPECT_EQ(f.table.ColumnCount(), 128);
    EXPECT_EQ(f.table.Column(127).heading + "=" + std::string(f.table.Cell(0, 127)), "key124=124");
    // An overlong key is cut for matching; the second record finds the cut tag again.
    Fixture g("", 1);
    const std::string longKey(300, 'K');
    g.Parse("[R]\n{\n" + longKey + "=1;\n}\n[S]\n{\n" + longKey + "=2;\n}\n");
    EXPECT_EQ(g.Headings(), "Located In,Line #," + longKey);
    EXPECT_EQ(g.state->columns[2].tag, std::string(127, 'k'));
    EXPECT_EQ(g.Rows(), "base.hpi  ::  x1,1,1\nbase.hpi  ::  x1,5,2");
}

}  // namespace
}  // namespace lorvex
