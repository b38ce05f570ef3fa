#include "tdf/TdfEdit.h"

#include <gtest/gtest.h>

namespace lorvex {
namespace {

using O = TdfEditOutcome;

constexpr int kOwn = 1;
constexpr int kAny = kTdfAnyDepth;

const std::string kTwo = "[A]\n{\nCost=1;\n}\n[B]\n\t{\n\tName=Bee;\n\tCost=5; // dear\n\t}\n";

struct SetCase {
    const char* why;
    std::string text;
    int blockLine;
    const char* key;
    std::string value;
    int maxDepth;
    O outcome;
    std::string after;  // the whole text afterwards
};

void PrintTo(const SetCase& c, std::ostream* os) { *os << c.why; }

class TdfSet : public ::testing::TestWithParam<SetCase> {};

TEST_P(TdfSet, ChangesOnlyTheValueAndPutsItBackByteForByte) {
    const SetCase& c = GetParam();
    std::string text = c.text;
    const TdfEditResult r = TdfSetValue(text, c.blockLine, c.key, c.value, c.maxDepth);
    EXPECT_EQ(r.outcome, c.outcome) << c.why << ": " << r.problem;
    EXPECT_EQ(text, c.after) << c.why;
    if (r.outcome == O::Refused || r.outcome == O::NoSuchBlock) {
        EXPECT_FALSE(r.problem.empty()) << c.why;
        return;
    }
    EXPECT_EQ(TdfReadValue(text, c.blockLine, c.key, c.maxDepth), c.value) << c.why;
    if (r.outcome == O::Replaced) {
        const TdfEditResult back = TdfSetValue(text, c.blockLine, c.key, r.oldValue, c.maxDepth);
        EXPECT_EQ(back.outcome, O::Replaced) << c.why;
        EXPECT_EQ(text, c.text) << c.why << ": put back";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TdfSet,
    ::testing::Values(SetCase{"CR LF file, comment behind the ';' stays", "[U]\r\n{\r\n  Cost = 12 ; // x\r\n}\r\n", 1,
                              "cost", "300", kOwn, O::Replaced, "[U]\r\n{\r\n  Cost = 300 ; // x\r\n}\r\n"},
                      SetCase{"second record of the file, its own comment kept", kTwo, 5, "COST", "7", kOwn,
                              O::Replaced, "[A]\n{\nCost=1;\n}\n[B]\n\t{\n\tName=Bee;\n\tCost=7; // dear\n\t}\n"},
                      SetCase{"the last of two occurrences is the one a load takes", "[U]\n{\nk=1;\nk=2;\n}\n", 1, "k",
                              "9", kOwn, O::Replaced, "[U]\n{\nk=1;\nk=9;\n}\n"},
                      SetCase{"depth 1 skips the nested block's key", "[U]\n{\nk=1;\n[S]\n{\nk=2;\n}\n}\n", 1, "k", "9",
                              kOwn, O::Replaced, "[U]\n{\nk=9;\n[S]\n{\nk=2;\n}\n}\n"},
                      SetCase{"any depth takes the nested block's key", "[U]\n{\nk=1;\n[S]\n{\nk=2;\n}\n}\n", 1, "k",
                              "9", kAny, O::Replaced, "[U]\n{\nk=1;\n[S]\n{\nk=9;\n}\n}\n"},
                      SetCase{"missing key: before the brace, indented like the keys, CR LF",
                              "[U]\r\n{\r\n    a=1;\r\n  [S]\r\n  {\r\n  k=2;\r\n  }\r\n}\r\n", 1, "k", "5", kOwn,
                              O::Added, "[U]\r\n{\r\n    a=1;\r\n  [S]\r\n  {\r\n  k=2;\r\n  }\r\n    k=5;\r\n}\r\n"},
                      SetCase{"missing key in a block without keys, LF", "[U]\n{\n}\n[V]\n{\n}\n", 4, "k", "x y", kOwn,
                              O::Added, "[U]\n{\n}\n[V]\n{\n\tk=x y;\n}\n"},
                      SetCase{"last line without a line end; no ';' either", "[U]\n{\nk=old value", 1, "k", "new", kOwn,
                              O::Replaced, "[U]\n{\nk=new"},
                      SetCase{"blanks inside a value are the value", "[U]\n{\nName =  Big Gun\t;\n}\n", 1, "name",
                              "Small Gun Two", kOwn, O::Replaced, "[U]\n{\nName =  Small Gun Two\t;\n}\n"},
                      SetCase{"several pairs on a line: the reader takes the first only", "[U]\n{\na=1; b=2;\n}\n", 1,
                              "a", "3", kOwn, O::Replaced, "[U]\n{\na=3; b=2;\n}\n"},
                      SetCase{"so the second pair is missing and gets a line", "[U]\n{\na=1; b=2;\n}\n", 1, "b", "3",
                              kOwn, O::Added, "[U]\n{\na=1; b=2;\nb=3;\n}\n"},
                      SetCase{"a ';' would cut the value", kTwo, 1, "cost", "1;2", kOwn, O::Refused, kTwo},
                      SetCase{"a brace would open a block", kTwo, 1, "cost", "{", kOwn, O::Refused, kTwo},
                      SetCase{"a comment marker would hide the value", kTwo, 1, "cost", "a//b", kOwn, O::Refused, kTwo},
                      SetCase{"a trailing blank is not read back", kTwo, 1, "cost", "2 ", kOwn, O::Refused, kTwo},
                      SetCase{"a line end", kTwo, 1, "cost", "2\n", kOwn, O::Refused, kTwo},
                      SetCase{"a line past the reader's limit is cut", kTwo, 1, "cost", std::string(1100, 'v'), kOwn,
                              O::Refused, kTwo},
                      SetCase{"a line that opens no block", kTwo, 3, "cost", "2", kOwn, O::NoSuchBlock, kTwo},
                      SetCase{"no closing brace to add before", "[U]\n{\na=1;\n", 1, "k", "2", kOwn, O::Refused,
                              "[U]\n{\na=1;\n"}));

TEST(TdfEdit, ListsBlocksAndReadsValuesAsALoadDoes) {
    const std::string text = "// head\n[A]\n{\nk=1;\n}\n[B]\r\n{\r\n[N]\n{\nk = deep  ;\n}\n}\n";
    const auto blocks = TdfBlocks(text);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].name + ":" + std::to_string(blocks[0].line), "A:2");
    EXPECT_EQ(blocks[1].name + ":" + std::to_string(blocks[1].line), "B:6");
    const std::pair<std::optional<std::string>, std::optional<std::string>> reads[] = {
        {TdfReadValue(text, 2, "K", kOwn), "1"},
        {TdfReadValue(text, 6, "k", kOwn), std::nullopt},  // only nested: not the block's own line
        {TdfReadValue(text, 6, "k", 2), "deep"},           // blanks before ';' are layout
        {TdfReadValue(text, 4, "k", kAny), std::nullopt},  // no block opens there
    };
    for (const auto& [got, want] : reads) EXPECT_EQ(got, want);
}

TEST(TdfEdit, SetsAChosenOccurrenceForFlagsThatAnyOccurrenceSets) {
    std::string text = "[U]\n{\nf=1;\n[S]\n{\nf=1;\n}\n}\n";
    const auto all = TdfReadValues(text, 1, "f", kAny);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(TdfSetValueOnLine(text, 1, all[0].line, "f", "0", kAny).outcome, O::Replaced);
    EXPECT_EQ(text, "[U]\n{\nf=0;\n[S]\n{\nf=1;\n}\n}\n");
    EXPECT_EQ(TdfSetValueOnLine(text, 1, 2, "f", "0", kAny).outcome, O::Refused);  // no such occurrence
}

}  // namespace
}  // namespace lorvex
