// The reader against byte sequences written out here by hand, following the
// format notes directly rather than through the writer.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hpi/HpiArchive.h"
#include "hpi/HpiLz77.h"
#include "tests/hpi/HpiTestSupport.h"

namespace lorvex::hpi {
namespace {

using test::PutU32;
using test::ReadBytes;
using test::ScratchFolder;

std::string Decode(const std::vector<std::uint8_t>& stream, std::size_t expected, bool& ok)
{
    std::string out(expected, '\0');
    ok = Lz77Decode(stream.data(), stream.size(), reinterpret_cast<std::uint8_t*>(out.data()), expected);
    return out;
}

TEST(HpiLz77HandStreams, DecodeToTheExactBytes)
{
    const struct {
        const char* what;
        std::vector<std::uint8_t> stream;
        std::string expected;
    } cases[] = {
        // tag 0b110: literal 'a', reference offset 1 length 10 (0x0018) overlapping
        // the bytes it writes, then the offset-0 terminator.
        {"overlap", {0x06, 'a', 0x18, 0x00, 0x00, 0x00}, std::string(11, 'a')},
        // A reference into the untouched window reads its zeros: offset 100 length 3.
        {"zero window", {0x03, 0x41, 0x06, 0x00, 0x00}, std::string(3, '\0')},
        // Eight literals fill the first tag byte; the second tag marks a reference
        // to offset 1 length 8 (0x0016) and the terminator.
        {"two tags", {0x00, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 0x03, 0x16, 0x00, 0x00, 0x00}, "ABCDEFGHABCDEFGH"},
        // Offset 3 length 2 after "xyz": the second byte copied is the one the first copy just wrote.
        {"chained", {0x18, 'x', 'y', 'z', 0x30, 0x00, 0x00, 0x00}, "xyzzz"},
        // Input that ends right after the last item also ends the chunk.
        {"no terminator", {0x00, 'q'}, "q"},
    };
    for (const auto& c : cases) {
        bool ok = false;
        EXPECT_EQ(Decode(c.stream, c.expected.size(), ok), c.expected) << c.what;
        EXPECT_TRUE(ok) << c.what;
    }
}

TEST(HpiLz77HandStreams, WrongLengthFailsWithoutWritingPastTheEnd)
{
    const std::vector<std::uint8_t> overlap = {0x06, 'a', 0x18, 0x00, 0x00, 0x00};
    for (std::size_t room : {0u, 1u, 5u, 10u, 12u, 40u}) {
        std::string out(room + 4, '#');
        EXPECT_FALSE(Lz77Decode(overlap.data(), overlap.size(), reinterpret_cast<std::uint8_t*>(out.data()), room))
            << room;
        EXPECT_EQ(out.substr(room), "####") << room;
    }
    bool ok = true;
    Decode({0x01, 0x10}, 0, ok);  // a reference cut in half with nothing produced is still exactly 0 bytes
    EXPECT_TRUE(ok);
    Decode({0x01, 0x10}, 2, ok);
    EXPECT_FALSE(ok);
}

std::uint8_t Encrypt(std::uint8_t plain, std::uint32_t position, std::uint32_t seed)
{
    const std::uint32_t key = ~((seed * 4u) | (seed >> 6)) & 0xFFu;
    const std::uint32_t t = (position ^ key) & 0xFFu;
    return static_cast<std::uint8_t>(~(plain ^ t) & 0xFFu);
}

// An archive written out byte by byte: root holds "readme.txt" (stored, "HELLO")
// and folder "Units" holding "ARMX.FBI" (one LZ77 chunk giving 11 'a').
std::string HandArchive(std::uint32_t seed, bool scramble, std::uint32_t endField)
{
    std::string b;
    PutU32(b, 0x49504148);  // "HAPI"
    PutU32(b, 0x00010000);
    PutU32(b, endField);
    PutU32(b, seed);
    PutU32(b, 20);
    // 20: root node
    PutU32(b, 2);
    PutU32(b, 28);
    // 28: entry table, two entries of 9 bytes
    PutU32(b, 46), PutU32(b, 57), b.push_back(0);
    PutU32(b, 66), PutU32(b, 72), b.push_back(1);
    EXPECT_EQ(b.size(), 46u);
    b += std::string("readme.txt", 11);  // with its terminating zero
    PutU32(b, 107), PutU32(b, 5), b.push_back(0);  // 57: stored file record
    b += std::string("Units", 6);
    EXPECT_EQ(b.size(), 72u);
    PutU32(b, 1);  // 72: folder node of Units
    PutU32(b, 80);
    PutU32(b, 89), PutU32(b, 98), b.push_back(0);
    b += std::string("ARMX.FBI", 9);
    PutU32(b, 112), PutU32(b, 11), b.push_back(1);  // 98: packed file record
    EXPECT_EQ(b.size(), 107u);
    b += "HELLO";
    PutU32(b, 19 + 6);  // 112: chunk length table
    std::vector<std::uint8_t> packed = {0x06, 'a', 0x18, 0x00, 0x00, 0x00};
    if (scramble)
        for (std::size_t j = 0; j < packed.size(); ++j)
            packed[j] = static_cast<std::uint8_t>(((packed[j] ^ j) + j) & 0xFF);
    std::uint32_t sum = 0;
    for (std::uint8_t p : packed)
        sum += p;
    PutU32(b, 0x48535153);  // "SQSH"
    b.push_back(2), b.push_back(1), b.push_back(scramble ? 1 : 0);
    PutU32(b, 6), PutU32(b, 11), PutU32(b, sum);
    b.append(packed.begin(), packed.end());
    EXPECT_EQ(b.size(), 141u);
    if (seed != 0)
        for (std::uint32_t i = 20; i < b.size(); ++i)
            b[i] = static_cast<char>(Encrypt(static_cast<std::uint8_t>(b[i]), i, seed));
    return b;
}

TEST(HpiHandBuiltArchive, OpensListsAndExtracts)
{
    ScratchFolder scratch;
    const struct {
        std::uint32_t seed;
        bool scramble;
        std::uint32_t endField;
    } cases[] = {
        {0, false, 107},
        {0x12345678, true, 107},
        {0xFFFFFFFF, false, 107},
        {0x41, true, 87},  // the end field read as the directory's size
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "seed " << c.seed << " end " << c.endField);
        test::WriteBytes(scratch / "hand.hpi", HandArchive(c.seed, c.scramble, c.endField));
        auto archive = HpiArchive::Open(scratch / "hand.hpi");
        ASSERT_TRUE(archive);
        char name[32];
        std::size_t next = archive->Dir(0, "", name, sizeof name);
        EXPECT_NE(next, 0u);
        EXPECT_STREQ(name, "readme.txt");
        EXPECT_EQ(archive->Dir(next, "", name, sizeof name), 0u);
        next = archive->Dir(0, "units", name, sizeof name);
        EXPECT_NE(next, 0u);
        EXPECT_STREQ(name, "ARMX.FBI");
        EXPECT_EQ(archive->Dir(next, "units", name, sizeof name), 0u);
        ASSERT_TRUE(archive->ExtractFile("\\readme.txt", scratch / "r.txt"));
        EXPECT_EQ(ReadBytes(scratch / "r.txt"), "HELLO");
        ASSERT_TRUE(archive->ExtractFile("units\\armx.fbi", scratch / "a.fbi"));
        EXPECT_EQ(ReadBytes(scratch / "a.fbi"), std::string(11, 'a'));
    }
}

TEST(HpiHandBuiltArchive, EmptyRootWithSizeInTheEndField)
{
    ScratchFolder scratch;
    std::string b;
    PutU32(b, 0x49504148), PutU32(b, 0x00010000), PutU32(b, 8), PutU32(b, 0), PutU32(b, 20);
    PutU32(b, 0), PutU32(b, 0);
    test::WriteBytes(scratch / "empty.hpi", b);
    auto archive = HpiArchive::Open(scratch / "empty.hpi");
    ASSERT_TRUE(archive);
    char name[8];
    EXPECT_EQ(archive->Dir(0, "", name, sizeof name), 0u);
}

}  // namespace
}  // namespace lorvex::hpi

namespace lorvex::hpi {
namespace {

// A root folder whose entries are the given (name, isFolder) pairs; each file is
// the one stored byte "Z", each folder is empty.
std::string RootWith(const std::vector<std::pair<std::string, bool>>& entries)
{
    std::string b;
    PutU32(b, 0x49504148), PutU32(b, 0x00010000), PutU32(b, 0), PutU32(b, 0), PutU32(b, 20);
    PutU32(b, static_cast<std::uint32_t>(entries.size())), PutU32(b, 28);
    const std::size_t table = b.size();
    b.append(9 * entries.size(), '\0');
    std::vector<std::size_t> records;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        test::SetU32(b, table + 9 * i, static_cast<std::uint32_t>(b.size()));
        b += entries[i].first;
        b.push_back('\0');
        test::SetU32(b, table + 9 * i + 4, static_cast<std::uint32_t>(b.size()));
        b[table + 9 * i + 8] = entries[i].second ? 1 : 0;
        if (entries[i].second)
            PutU32(b, 0), PutU32(b, 0);
        else
            records.push_back(b.size()), b.append(9, '\0');
    }
    test::SetU32(b, 8, static_cast<std::uint32_t>(b.size()));
    for (std::size_t r : records)
        test::SetU32(b, r, static_cast<std::uint32_t>(b.size())), test::SetU32(b, r + 4, 1);
    b += "Z";
    return b;
}

std::vector<std::string> Listed(const HpiArchive& archive, bool folders)
{
    std::vector<std::string> names;
    char name[64];
    auto dir = [&](std::size_t c) {
        return folders ? archive.DirFolders(c, "", name, sizeof name) : archive.Dir(c, "", name, sizeof name);
    };
    for (std::size_t c = dir(0); c != 0; c = dir(c))
        names.emplace_back(name);
    return names;
}

TEST(HpiHandBuiltArchive, NamesThatAreNoPlainFileNameAndRepeatsAreLeftOut)
{
    ScratchFolder scratch;
    const std::vector<std::pair<std::string, bool>> entries = {
        {"ok.fbi", false},     {"", false},        {".", false},      {"..", false},
        {"..\\..\\evil", false}, {"a/b", false},   {"c:d", false},    {"OK.FBI", false},
        {"Units", true},       {"units", true},    {"", true},        {"..", true},
        {"ok.fbi", true},  // a folder may share a file's name
    };
    test::WriteBytes(scratch / "names.hpi", RootWith(entries));
    auto archive = HpiArchive::Open(scratch / "names.hpi");
    ASSERT_TRUE(archive);
    EXPECT_EQ(Listed(*archive, false), (std::vector<std::string>{"ok.fbi"}));
    EXPECT_EQ(Listed(*archive, true), (std::vector<std::string>{"Units", "ok.fbi"}));
    EXPECT_FALSE(archive->ExtractFile("..\\..\\evil", scratch / "evil"));
    EXPECT_FALSE(archive->EntrySize("a/b"));
    ASSERT_TRUE(archive->ExtractFile("OK.fbi", scratch / "ok"));
    EXPECT_EQ(ReadBytes(scratch / "ok"), "Z");
}

}  // namespace
}  // namespace lorvex::hpi
