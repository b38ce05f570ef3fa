#include "tdf/TdfEdit.h"

#include <gtest/gtest.h>

namespace lorvex {
namespace {

using O = TdfEditOutcome;

constexpr int kOwn = 1;
constexpr int kAny = kTdfAnyDepth;

const std::string kTwo = "[A]\n{\nCost=1;\n}\n[B]\n\t{\n\tName=Bee;\n\tCost=5; // dear\n\t}\n";

TEST(TdfSet, ChangesOnlyTheValueAndPutsItBackByteForByte) {
    const struct {
        const char* why;
        std::string text;
        int blockLine;
        const char* key;
        std::string value;
        O outcome;
        std::string after;  // the whole text afterwards; for a refusal, a part of its reason (the text stays)
        int maxDepth = kOwn;
    } cases[] = {
        {"CR LF file, comment behind the ';' stays", "[U]\r\n{\r\n  Cost = 12 ; // x\r\n}\r\n", 1, "cost", "300",
         O::Replaced, "[U]\r\n{\r\n  Cost = 300 ; // x\r\n}\r\n"},
        {"second record of the file, its own comment kept", kTwo, 5, "COST", "7", O::Replaced,
         "[A]\n{\nCost=1;\n}\n[B]\n\t{\n\tName=Bee;\n\tCost=7; // dear\n\t}\n"},
        {"the last of two occurrences is the one a load takes", "[U]\n{\nk=1;\nk=2;\n}\n", 1, "k", "9", O::Replaced,
         "[U]\n{\nk=1;\nk=9;\n}\n"},
        {"depth 1 skips the nested block's key", "[U]\n{\nk=1;\n[S]\n{\nk=2;\n}\n}\n", 1, "k", "9", O::Replaced,
         "[U]\n{\nk=9;\n[S]\n{\nk=2;\n}\n}\n"},
        {"any depth takes the nested block's key", "[U]\n{\nk=1;\n[S]\n{\nk=2;\n}\n}\n", 1, "k", "9", O::Replaced,
         "[U]\n{\nk=1;\n[S]\n{\nk=9;\n}\n}\n", kAny},
        {"missing key: before the brace, indented like the keys, CR LF",
         "[U]\r\n{\r\n    a=1;\r\n  [S]\r\n  {\r\n  k=2;\r\n  }\r\n}\r\n", 1, "k", "5", O::Added,
         "[U]\r\n{\r\n    a=1;\r\n  [S]\r\n  {\r\n  k=2;\r\n  }\r\n    k=5;\r\n}\r\n"},
        {"missing key in a block without keys, LF", "[U]\n{\n}\n[V]\n{\n}\n", 4, "k", "x y", O::Added,
         "[U]\n{\n}\n[V]\n{\n\tk=x y;\n}\n"},
        {"last line without a line end; no ';' either", "[U]\n{\nk=old value", 1, "k", "new", O::Replaced,
         "[U]\n{\nk=new"},
        {"blanks inside a value are the value", "[U]\n{\nName =  Big Gun\t;\n}\n", 1, "name", "Small Gun Two",
         O::Replaced, "[U]\n{\nName =  Small Gun Two\t;\n}\n"},
        {"several pairs on a line: the reader takes the first only", "[U]\n{\na=1; b=2;\n}\n", 1, "a", "3", O::Replaced,
         "[U]\n{\na=3; b=2;\n}\n"},
        {"so the second pair is missing and gets a line", "[U]\n{\na=1; b=2;\n}\n", 1, "b", "3", O::Added,
         "[U]\n{\na=1; b=2;\nb=3;\n}\n"},
        {"one slash is no comment marker", kTwo, 1, "cost", "1/2", O::Replaced,
         "[A]\n{\nCost=1/2;\n}\n[B]\n\t{\n\tName=Bee;\n\tCost=5; // dear\n\t}\n"},
        {"a ';' would cut the value", kTwo, 1, "cost", "1;2", O::Refused, "a ';' would end the value"},
        {"a brace would open a block", kTwo, 1, "cost", "{", O::Refused, "brackets and braces mark blocks"},
        {"a comment marker would hide the value", kTwo, 1, "cost", "a//b", O::Refused, "a comment marker would hide"},
        {"a trailing blank is not read back", kTwo, 1, "cost", "2 ", O::Refused, "blanks at either end"},
        {"nor a leading one", kTwo, 1, "cost", "\t2", O::Refused, "blanks at either end"},
        {"a line end", kTwo, 1, "cost", "2\n", O::Refused, "a value cannot span lines"},
        {"a line past the reader's limit is cut", kTwo, 1, "cost", std::string(1100, 'v'), O::Refused,
         "would read back"},
        {"a line that opens no block", kTwo, 3, "cost", "2", O::NoSuchBlock, "no block opens on line 3"},
        {"no closing brace to add before", "[U]\n{\na=1;\n", 1, "k", "2", O::Refused, "no closing brace"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        std::string text = c.text;
        const TdfEditResult r = TdfSetValue(text, c.blockLine, c.key, c.value, c.maxDepth);
        EXPECT_EQ(r.outcome, c.outcome) << r.problem;
        if (r.outcome == O::Refused || r.outcome == O::NoSuchBlock) {
            EXPECT_EQ(text, c.text);
            EXPECT_NE(r.problem.find(c.after), std::string::npos) << r.problem;
            continue;
        }
        EXPECT_EQ(text, c.after);
        EXPECT_EQ(TdfReadValue(text, c.blockLine, c.key, c.maxDepth), c.value);
        if (r.outcome == O::Replaced) {
            EXPECT_EQ(TdfSetValue(text, c.blockLine, c.key, r.oldValue, c.maxDepth).outcome, O::Replaced);
            EXPECT_EQ(text, c.text) << "put back";
        }
    }
}

TEST(TdfEdit, ListsBlocksAndReadsValuesAsALoadDoes) {
    const std::string text = "// head\n[A]\n{\nk=1;\n}\n[B]\r\n{\r\n[N]\n{\nk = deep  ;\n}\n}\n";
    std::string blocks;
    for (const TdfBlockInfo& b : TdfBlocks(text)) blocks += b.name + ":" + std::to_string(b.line) + " ";
    EXPECT_EQ(blocks, "A:2 B:6 ");
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
