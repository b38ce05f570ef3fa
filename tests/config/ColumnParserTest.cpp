#include "config/ColumnParser.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <vector>

#include "tests/support/GameFolder.h"
#include "tests/tdf/TestFiles.h"

namespace lorvex {
namespace {

// Reads a configuration the way a load does: blocks go to ParseColumnBlock, other key=value lines are
// collected as top-level keys. The state is kept from one Read to the next.
struct Loaded {
    std::unique_ptr<LoadState> state = std::make_unique<LoadState>();
    std::vector<ListColumn> columns;  // the table columns the blocks declared
    testkit::CapturedMessages messages;
    std::string topLevelKeys;

    explicit Loaded(std::string_view text) { Read(text); }
    void Read(std::string_view text) {
        testkit::GameFolder folder;
        TdfReader reader;
        ASSERT_TRUE(reader.Open(folder.Write("c.cfg", text)));
        columns.clear();
        state->headerTextColumn = -1;
        for (TdfResult r; (r = reader.NextEntry()) != TdfResult::End;) {
            if (r == TdfResult::KeyValue) topLevelKeys += std::string(reader.Key()) + " ";
            ListColumn column;
            const int index = static_cast<int>(columns.size());
            if (r == TdfResult::BlockOpen && ParseColumnBlock(*state, reader, messages, column, index))
                columns.push_back(column);
        }
    }
    const ColumnDef& Column(int i) const { return state->columns[i]; }
    // A column's entries as "name=text(value)"; an operand as "name(default)", the way an equation writes it.
    std::string Entries(int i) const {
        const ColumnDef& c = Column(i);
        const bool math = c.type == static_cast<int>(ColumnType::Math);
        std::ostringstream all;
        for (int e = 0; e < c.count; ++e)
            all << (e ? " " : "") << c.names[e] << (math ? "" : "=" + c.texts[e]) << "(" << c.values[e] << ")";
        return all.str();
    }
};

TEST(ColumnParser, TypesHeadingsAlignmentsKindsAndDecimals) {
    const std::tuple<const char*, const char*, ColumnType, ColumnAlign, std::uint8_t> cases[] = {
        {"NUMERIC", "tag=a;", ColumnType::Numeric, ColumnAlign::Right, 0x05},
        {"string", "tag=a;", ColumnType::String, ColumnAlign::Left, 0x81},
        {"boolean", "tag=a;", ColumnType::Boolean, ColumnAlign::Center, 0x41},
        {"headertext", "", ColumnType::HeaderText, ColumnAlign::Center, 0x01},
        {"symbolic", "tag=a;", ColumnType::Symbolic, ColumnAlign::Center, 0x81},
        {"multibool", "tagfor(A)=a;", ColumnType::MultiBool, ColumnAlign::Left, 0x81},
        {"math", "equation=a b +;", ColumnType::Math, ColumnAlign::Right, 0x45},
    };
    for (const auto& [block, body, type, align, kind] : cases) {
        Loaded l(std::string("[") + block + "]\n{\nname=H;\nname=Last;\nwidth=77;\n" + body + "\n}\n");
        ASSERT_EQ(l.columns.size(), 1u) << block;
        EXPECT_EQ(l.Column(0).type, static_cast<int>(type)) << block;
        EXPECT_EQ(l.columns[0].align, align) << block;
        EXPECT_EQ(l.columns[0].kind, kind) << block;
        EXPECT_EQ(l.columns[0].heading + std::to_string(l.columns[0].width), "Last77") << block;
    }
    Loaded item("hpifolder=units;\n[string]\n{\ntag=ItemName;\n}\n");
    EXPECT_STREQ(item.Column(0).tag, "itemname");
    EXPECT_EQ(item.columns.at(0).width, 0);
    EXPECT_EQ(item.topLevelKeys, "hpifolder ");
    const std::pair<const char*, const char*> decimals[] = {
        {"", "%.4f"},
        {"decimals=-3;", "%.0f"},
        {"decimals=abc;", "%.0f"},
        {"decimals=1000;", "%.60f"},
        {"decimals=1;\ndecimals=3;", "%.3f"},
    };
    for (const auto& [line, format] : decimals) {
        Loaded l(std::string("[numeric]\n{\ntag=a;\n") + line + "\n}\n[math]\n{\nequation=a;\n" + line + "\n}\n");
        EXPECT_EQ(l.Column(0).texts[0] + l.Column(1).texts[0], std::string(format) + format) << line;
    }
}

TEST(ColumnParser, RefusedBlocksAndWhoReadsTheirLines) {
    Loaded l(
        "[Column]\n{\nname=No;\nextension=rec;\n}\n"  // no type: its lines are top-level
        "[multibool]\n{\nname=Empty;\n}\n"            // no tagfor
        "[math]\n{\nname=NoEq;\n}\n"                  // no equation
        "[math]\n{\nequation=+ - ;\n}\n"              // no operand
        "[math]\n{\nequation=a;\nequation=;\n}\n"     // the last equation counts
        "[headertext]\n{\nname=First;\n}\n"
        "[headertext]\n{\nname=Second;\nextension=no;\n}\n"               // consumed, not shown
        "[string]\n{\nname=Outer;\n[inner]\n{\ntag=x;\n}\nwidth=5;\n}\n"  // a nested header ends the column
        "[boolean]\n{\n}\n");
    ASSERT_EQ(l.columns.size(), 3u);
    EXPECT_EQ(l.columns[0].heading + "," + l.columns[1].heading + "," + l.columns[2].heading,
              "First,Outer,................");
    EXPECT_EQ(l.state->headerTextColumn, 0);
    EXPECT_STREQ(l.Column(1).tag, "");
    EXPECT_EQ(l.Column(2).texts[0] + "|" + l.Column(2).texts[1], "|X");
    EXPECT_EQ(l.topLevelKeys, "name extension tag width ");
    // A later load reuses the entries: nothing of the earlier columns stays.
    l.Read("[numeric]\n{\ntag=cost;\ndecimals=1;\n}\n[multibool]\n{\ntagfor(A)=a;\n}\n");
    l.Read("[numeric]\n{\nname=NoTag;\n}\n[string]\n{\ntag=s;\n}\n");
    EXPECT_STREQ(l.Column(0).tag, "");
    EXPECT_EQ(l.Column(0).texts[0], "%.4f");
    EXPECT_EQ(l.Column(1).count, 0);
}

TEST(ColumnParser, SymbolTagForAndEquationLimits) {
    std::string text = "[symbolic]\n{\ntag=Kind;\nsymbol(0)=Ground ; x;\nsymbol( 7)=Air;\nsymbol(abc)=Zero;\n";
    std::string symbols = "=Ground (0) =Air(7) =Zero(0)", flags = "e=Early(0)";
    for (int i = 0; i < 20; ++i) {
        text += "symbol(" + std::to_string(100 + i) + ")=S" + std::to_string(i) + ";\n";
        // The 17th and later symbols are dropped without a message.
        if (i < 13) symbols += " =S" + std::to_string(i) + "(" + std::to_string(100 + i) + ")";
    }
    text += "}\n[multibool]\n{\ntagfor(Early)=e;\nname=Flags;\n";
    for (int i = 1; i < 18; ++i) {
        text += "TagFor(T" + std::to_string(i) + ")=Key" + std::to_string(i) + ";\n";
        if (i < 16) flags += " key" + std::to_string(i) + "=T" + std::to_string(i) + "(0)";
    }
    text += "}\n[multibool]\n{\n";
    for (int i = 0; i < 17; ++i) text += "tagfor(U)=k;\n";
    text += "name=Late;\n}\n[math]\n{\nname=Sum;\nequation=a0 a1 +";
    std::string compiled = "xx+";
    for (int i = 2; i < 20; ++i) {
        text += " a" + std::to_string(i) + " +";
        compiled += i < 15 ? "x+" : "";
    }
    Loaded l(text + ";\n}\n");
    ASSERT_EQ(l.columns.size(), 4u);
    EXPECT_EQ(l.Entries(0), symbols);
    EXPECT_EQ(l.Entries(1), flags);
    EXPECT_EQ(l.Column(3).count, 15);
    EXPECT_EQ(l.Column(3).tag, compiled);
    EXPECT_EQ(l.messages.texts, (std::vector<std::string>{
                                    "Column Flags: too many TagFor= lines specified(16 max)",
                                    "Column Flags: too many TagFor= lines specified(16 max)",
                                    "Column ................: too many TagFor= lines specified(16 max)",
                                    "Column Sum: too many tags specifiedin equation (15 max)",
                                }));
}

TEST(ColumnParser, CompilesEquationsAndCutsOverlongTexts) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        // equation, compiled form, operands with their defaults
        {"(100) cost /", "xx/", "(100) cost(0)"},
        {"Cost hits(1) /", "xx/", "Cost(0) hits(1)"},
        {"a+b", "x+x", "a(0) b(0)"},
        {"  a\tb-  ", "xx-", "a(0) b(0)"},
        {"a(x) b(-3 c", "xx", "a(0) b(-3)"},
        {"2) x.y", "xx", "2)(0) x.y(0)"},
    };
    for (const auto& [equation, compiled, operands] : cases) {
        Loaded l(std::string("[math]\n{\nequation=") + equation + ";\n}\n");
        ASSERT_EQ(l.columns.size(), 1u);
        EXPECT_STREQ(l.Column(0).tag, compiled) << equation;
        EXPECT_EQ(l.Entries(0), operands) << equation;
    }
    const std::string longName(300, 'Q');
    Loaded l("[numeric]\n{\ntag=" + longName + ";\nname=" + longName + ";\n}\n[multibool]\n{\ntagfor(" + longName +
             ")=" + longName + ";\n}\n[math]\n{\nequation=" + longName + " " + std::string(400, '+') + ";\n}\n");
    ASSERT_EQ(l.columns.size(), 3u);
    EXPECT_EQ(l.Column(0).tag, std::string(127, 'q'));
    EXPECT_EQ(l.columns[0].heading, longName);
    EXPECT_EQ(l.Entries(1), std::string(127, 'q') + "=" + longName + "(0)");
    EXPECT_EQ(l.Column(2).names[0], std::string(127, 'Q'));  // operand names keep their case
    EXPECT_EQ(l.Column(2).tag, "x" + std::string(126, '+'));
}

}  // namespace
}  // namespace lorvex
