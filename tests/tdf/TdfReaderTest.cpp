#include "tdf/TdfReader.h"

#include <gtest/gtest.h>

#include <climits>

#include "tests/support/GameFolder.h"

namespace lorvex {
namespace {

using R = TdfResult;

// Every entry of a file as "<class><line>[:name | :key=value]", joined by "|":
// E End, K KeyValue, O BlockOpen, C BlockClose, H HeaderOnly, X Other.
std::string ReadAll(TdfReader& reader) {
    std::string out;
    for (R r = reader.NextEntry();; r = reader.NextEntry()) {
        out += "EKOCHX"[static_cast<int>(r)] + std::to_string(reader.EntryLine());
        if (r == R::KeyValue) out += std::string(":") + reader.Key() + "=" + reader.ValueText();
        if (r == R::BlockOpen || r == R::HeaderOnly) out += std::string(":") + reader.BlockName();
        if (r == R::End) return out;
        out += "|";
    }
}

// Every case runs against a file on disk and against the same bytes in memory (parameter true): both must
// give the same entries on the same lines, and the memory source never writes into the text it reads.
class TdfSources : public ::testing::TestWithParam<bool> {
protected:
    void Open(const std::string& bytes) {
        EXPECT_EQ(memory_, copy_);
        memory_ = copy_ = bytes;
        if (GetParam()) {
            reader_.OpenMemory(memory_);
        } else {
            ASSERT_TRUE(reader_.Open(folder_.Write("f.tdf", bytes)));
        }
    }
    void TearDown() override { EXPECT_EQ(memory_, copy_); }

    testkit::GameFolder folder_;
    TdfReader reader_;
    std::string memory_, copy_;
};

INSTANTIATE_TEST_SUITE_P(FileAndMemory, TdfSources, ::testing::Bool());

TEST_P(TdfSources, ClassifiesEntriesWithTheirLinesAndSplitsLongLines) {
    std::string pieces;  // 100 KB without a line end: 101 pieces, then the entry
    for (int i = 1; i <= 101; ++i) pieces += "X" + std::to_string(i) + "|";
    const std::string x1021(1021, 'x'), x1022(1022, 'x'), v1020(1020, 'v');
    const std::pair<std::string, std::string> cases[] = {
        {"   key =  value ; trailing\n", "K1:key=value |E1"},
        {"key=\nkey=   \nkey=;\n=value\n  =v\n", "X1|X2|K3:key=|X4|X5|E5"},
        {"[RECORD]\n{\n", "O1:RECORD|E2"},
        {"[RECORD] {\nItemName=X;\n", "H1:RECORD|K2:ItemName=X|E2"},
        {"};\n\t}\n", "C1|C2|E2"},
        {"// c\n\nkey=1;\n", "K3:key=1|E3"},
        {"/k=1;\n/\n", "K1:/k=1|X2|E2"},  // one slash is no comment marker
        {"/* start\nstill\nend */ key=1;\nkey=2;\n", "K4:key=2|E4"},
        {"/*\n/*\n*/\nkey=1;\n*/\nkey=2;\n", "K6:key=2|E6"},  // nested at line starts
        {"/*\na /* b\n*/\nk=1;\n", "K4:k=1|E4"},              // not nested later in a line
        {"  /* a */ x=1;\nx /* y\n*/\nkey=a // b;\n", "X2|X3|K4:key=a // b|E4"},
        {"[RECORD\n{\n[]\n{\n", "X1|X2|O3:|E4"},
        {"[ Big Gun ] junk\n\n// c\n{ junk\n", "O1: Big Gun |E4"},
        {"[A]\nk=v;\n[B]\n[C]\n/*\n*/\n{\n", "H1:A|K2:k=v|H3:B|O4:C|E7"},
        {"[A]\n{\n}\n[B]\n", "O1:A|C3|H4:B|E4"},  // a header on the last line is still a header
        {"{\na=b=c;\nkey with blanks \t= v;\n", "X1|K2:a=b=c|K3:key with blanks=v|E3"},
        {"[R]\r\n{\r\nk=v;\r\n}\r\nlast=1", "O1:R|K3:k=v|C4|K5:last=1|E5"},
        {std::string("ke\0y=1;\nk2=2;\nk=v\0;x\n", 21), "X1|K2:k2=2|K3:k=v|E3"},  // NUL ends the text
        {"", "E0"},
        {"\n\r\n", "E2"},
        // At most 1,022 characters per line: 2,000 read as 1,022 and 978, two lines counted.
        {"k=" + std::string(1998, 'v') + "\nnext=1;\n", "K1:k=" + v1020 + "|X2|K3:next=1|E3"},
        {x1022 + "tail=5;\n", "X1|K2:tail=5|E2"},
        {x1022 + "\r\nk=1;\n", "X1|K2:k=1|E2"},  // the line end right behind the limit goes along
        {"[" + std::string(400, 'n') + "]\n{\n", "O1:" + std::string(255, 'n') + "|E2"},
        {std::string(100 * 1024, 'y') + "\nk=2;\n", pieces + "K102:k=2|E102"},
        {x1021 + "\r\nk=1;\n", "X1|K2:k=1|E2"},  // the last character a read may store, then its line end
        {x1021 + "\rk=1;\n", "X1|K2:k=1|E2"},    // a lone CR is a character
        {x1022 + "\n\nk=1;\n", "X1|K3:k=1|E3"},
        {std::string(1023, 'x') + "\nk=1;\n", "X1|X2|K3:k=1|E3"},
        {x1022 + "\r\r\nk=1;\n", "X1|K3:k=1|E3"},  // CR, then CR LF: an empty line of its own
        {"k=" + v1020, "K1:k=" + v1020 + "|E1"},   // the last line, no line end
        {"k=" + v1020 + "v", "K1:k=" + v1020 + "|X2|E2"},
    };
    for (const auto& [input, expected] : cases) {
        Open(input);
        EXPECT_EQ(ReadAll(reader_), expected) << input.substr(0, 40) << " (" << input.size() << ")";
    }
}

TEST_P(TdfSources, ValuesAndArguments) {
    const std::tuple<const char*, float, std::int32_t, const char*, bool, const char*, std::int32_t> cases[] = {
        // line, ValueFloat, ValueInt, word tried with KeyWithArgument, matched, Argument, ArgumentInt
        {"TagFor(Can Fly)=12.5;", 12.5f, 12, "tagfor", true, "Can Fly", 0},
        {"tagfor (x)= abc;", 0, 0, "tagfor", false, "", 0},
        {"hpifolder( 3)=-3.7e2 x", -370, -3, "hpifolder", true, " 3", 3},
        {"symbol(-2=1,5", 1, 1, "symbol", true, "-2", -2},
        {"symbol(010)=0100", 100, 100, "symbol", true, "010", 10},  // leading zeros: still decimal
        {"symbol(4)junk=99999999999", 99999999999.0f, INT32_MAX, "symbol", true, "4", 4},
        {"symbo=-99999999999", -99999999999.0f, INT32_MIN, "symbol", false, "", 0},
        {"symbolic(1)=.5", 0.5f, 0, "symbol", false, "", 0},
        {"symbol(1)=x12", 0, 0, "Symbol", false, "", 0},  // a capital in the word matches only itself
    };
    for (const auto& [line, asFloat, asInt, word, matches, argument, argumentInt] : cases) {
        SCOPED_TRACE(line);
        Open(line);
        ASSERT_EQ(reader_.NextEntry(), R::KeyValue);
        EXPECT_FLOAT_EQ(reader_.ValueFloat(), asFloat);
        EXPECT_EQ(reader_.ValueInt(), asInt);
        EXPECT_EQ(reader_.KeyWithArgument(word), matches);
        EXPECT_STREQ(reader_.Argument(), argument);
        EXPECT_EQ(reader_.ArgumentInt(), argumentInt);
    }
}

TEST(TdfReader, OpenFailsWithoutCreatingAndReopenStartsOver) {
    testkit::GameFolder folder;
    TdfReader reader;
    EXPECT_FALSE(reader.Open(folder.PathOf("missing.cfg")));
    EXPECT_FALSE(std::filesystem::exists(folder.PathOf("missing.cfg")));
    EXPECT_EQ(reader.NextEntry(), R::End);
    EXPECT_FALSE(reader.Open(folder.PathOf("")));  // a folder is no file
    // Left inside a comment, or with a line pushed back: a new Open of either
    // source forgets both, and so does a switch from one source to the other.
    const std::string second = "k=1;\n";
    const auto open = [&](const std::string& bytes, bool memory, const char* name) {
        if (memory) reader.OpenMemory(bytes);
        return memory || reader.Open(folder.Write(name, bytes));
    };
    for (const std::string first : {"/*\nx=1;\n", "[H]\nold=1;\n"}) {
        for (int order = 0; order < 4; ++order) {
            ASSERT_TRUE(open(first, order & 1, "a.tdf"));
            reader.NextEntry();
            ASSERT_TRUE(open(second, order & 2, "b.tdf"));
            EXPECT_EQ(ReadAll(reader), "K1:k=1|E1") << order;
        }
    }
    reader.Close();
    EXPECT_EQ(reader.NextEntry(), R::End);
    reader.OpenMemory(second);
    reader.Close();  // a closed memory source reads nothing more
    EXPECT_EQ(reader.NextEntry(), R::End);
}

TEST(TdfName, FoldsOnlyTheTextsCapitals) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"numeric", "NUMERIC", true}, {"Name", "name", false}, {"Name", "Name", true}, {"name", "names", false},
        {"names", "name", false},     {"", "", true},          {"[", "{", false},  // no letters: never folded
        {"az", "AZ", true},           {"`{", "@[", false},  // the ends of the capitals, and just past them
    };
    for (const auto& [pattern, text, equal] : cases) EXPECT_EQ(TdfNameEquals(pattern, text), equal) << pattern << text;
}

}  // namespace
}  // namespace lorvex
