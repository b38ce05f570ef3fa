// The reader against byte sequences written out here by hand, following the
// format notes directly rather than through the writer, and against damaged
// archives: Open fails or the extraction fails, and a failed extraction leaves no file behind.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "hpi/HpiArchive.h"
#include "hpi/HpiLz77.h"
#include "hpi/HpiWriter.h"
#include "tests/hpi/HpiTestSupport.h"

namespace lorvex::hpi {
namespace {

using test::BinaryData;
using test::GetU32;
using test::List;
using test::Names;
using test::PutU32;
using test::ReadBytes;
using test::SetU32;
using test::ZlibOf;
using Bytes = std::vector<std::uint8_t>;

bool Decode(const Bytes& stream, std::string& out) {
    return Lz77Decode(stream.data(), stream.size(), reinterpret_cast<std::uint8_t*>(out.data()), out.size());
}

TEST(HpiLz77HandStreams, DecodeToTheExactBytesOrFail) {
    const Bytes overlap = {0x06, 'a', 0x18, 0x00, 0x00, 0x00};
    const struct {
        const char* what;
        Bytes stream;
        std::string expected;
    } cases[] = {
        // tag 0b110: literal 'a', reference offset 1 length 10 (0x0018) overlapping
        // the bytes it writes, then the offset-0 terminator.
        {"overlap", overlap, std::string(11, 'a')},
        // A reference into the untouched window reads its zeros: offset 100 length 3.
        {"zero window", {0x03, 0x41, 0x06, 0x00, 0x00}, std::string(3, '\0')},
        // Eight literals fill the first tag byte; the second tag marks a reference
        // to offset 1 length 8 (0x0016) and the terminator.
        {"two tags", {0x00, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 0x03, 0x16, 0x00, 0x00, 0x00}, "ABCDEFGHABCDEFGH"},
        // Offset 3 length 2 after "xyz": the second byte copied is the one the first copy just wrote.
        {"chained", {0x18, 'x', 'y', 'z', 0x30, 0x00, 0x00, 0x00}, "xyzzz"},
        {"no terminator", {0x00, 'q'}, "q"},  // input that ends right after the last item ends the chunk
        {"half a reference, nothing produced", {0x01, 0x10}, ""},
    };
    for (const auto& c : cases) {
        std::string out(c.expected.size(), '#');
        EXPECT_TRUE(Decode(c.stream, out)) << c.what;
        EXPECT_EQ(out, c.expected) << c.what;
    }
    std::string two(2, '#');
    EXPECT_FALSE(Decode({0x01, 0x10}, two));
    // A stream that gives another length fails and writes nothing past the room.
    for (std::size_t room : {0u, 1u, 5u, 10u, 12u, 40u}) {
        std::string out(room + 4, '#');
        EXPECT_FALSE(Lz77Decode(overlap.data(), overlap.size(), reinterpret_cast<std::uint8_t*>(out.data()), room));
        EXPECT_EQ(out.substr(room), "####") << room;
    }
}

std::uint8_t Encrypt(std::uint8_t plain, std::uint32_t position, std::uint32_t seed) {
    const std::uint32_t key = ~((seed * 4u) | (seed >> 6)) & 0xFFu;
    return static_cast<std::uint8_t>(~(plain ^ ((position ^ key) & 0xFFu)) & 0xFFu);
}

// An archive written out byte by byte: root holds "readme.txt" (stored, "HELLO")
// and folder "Units" holding "ARMX.FBI" (one LZ77 chunk giving 11 'a').
std::string HandArchive(std::uint32_t seed, bool scramble, std::uint32_t endField) {
    std::string b;
    // "HAPI", version, directory end, key seed, directory start; 20: root node of two entries at 28
    for (std::uint32_t v : {0x49504148u, 0x00010000u, endField, seed, 20u, 2u, 28u}) PutU32(b, v);
    PutU32(b, 46), PutU32(b, 57), b.push_back(0);  // 28: entry table, two entries of 9 bytes
    PutU32(b, 66), PutU32(b, 72), b.push_back(1);
    b += std::string("readme.txt", 11);  // 46: with its terminating zero
    PutU32(b, 107), PutU32(b, 5), b.push_back(0);  // 57: stored file record
    b += std::string("Units", 6);
    PutU32(b, 1), PutU32(b, 80);  // 72: folder node of Units
    PutU32(b, 89), PutU32(b, 98), b.push_back(0);
    b += std::string("ARMX.FBI", 9);
    PutU32(b, 112), PutU32(b, 11), b.push_back(1);  // 98: packed file record
    EXPECT_EQ(b.size(), 107u);
    b += "HELLO";
    PutU32(b, 19 + 6);  // 112: chunk length table
    Bytes packed = {0x06, 'a', 0x18, 0x00, 0x00, 0x00};
    if (scramble)
        for (std::size_t j = 0; j < packed.size(); ++j) packed[j] = static_cast<std::uint8_t>(((packed[j] ^ j) + j) & 0xFF);
    std::uint32_t sum = 0;
    for (std::uint8_t p : packed) sum += p;
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

TEST(HpiHandBuiltArchive, OpensListsAndExtracts) {
    test::TempFolder scratch;
    const std::tuple<std::uint32_t, bool, std::uint32_t> cases[] = {
        {0, false, 107}, {0x12345678, true, 107}, {0xFFFFFFFF, false, 107},
        {0x41, true, 87},  // the end field read as the directory's size
    };
    for (const auto& [seed, scramble, endField] : cases) {
        SCOPED_TRACE(::testing::Message() << "seed " << seed << " end " << endField);
        auto archive = HpiArchive::Open(scratch.Write("hand.hpi", HandArchive(seed, scramble, endField)));
        ASSERT_TRUE(archive);
        EXPECT_EQ(List(*archive, ""), Names{"readme.txt"});
        EXPECT_EQ(List(*archive, "units"), Names{"ARMX.FBI"});
        ASSERT_TRUE(archive->ExtractFile("\\readme.txt", scratch / "r.txt"));
        EXPECT_EQ(ReadBytes(scratch / "r.txt"), "HELLO");
        ASSERT_TRUE(archive->ExtractFile("units\\armx.fbi", scratch / "a.fbi"));
        EXPECT_EQ(ReadBytes(scratch / "a.fbi"), std::string(11, 'a'));
    }
    // An empty root with its size in the end field.
    std::string b;
    for (std::uint32_t v : {0x49504148u, 0x00010000u, 8u, 0u, 20u, 0u, 0u}) PutU32(b, v);
    auto empty = HpiArchive::Open(scratch.Write("empty.hpi", b));
    ASSERT_TRUE(empty);
    EXPECT_EQ(List(*empty, ""), Names{});
}

// A root folder whose entries are the given (name, isFolder) pairs; each file is
// the one stored byte "Z", each folder is empty.
std::string RootWith(const std::vector<std::pair<std::string, bool>>& entries) {
    std::string b;
    for (std::uint32_t v : {0x49504148u, 0x00010000u, 0u, 0u, 20u, static_cast<std::uint32_t>(entries.size()), 28u})
        PutU32(b, v);
    const std::size_t table = b.size();
    b.append(9 * entries.size(), '\0');
    std::vector<std::size_t> records;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        test::SetU32(b, table + 9 * i, static_cast<std::uint32_t>(b.size()));
        b += entries[i].first + '\0';
        test::SetU32(b, table + 9 * i + 4, static_cast<std::uint32_t>(b.size()));
        b[table + 9 * i + 8] = entries[i].second ? 1 : 0;
        if (entries[i].second)
            PutU32(b, 0), PutU32(b, 0);
        else
            records.push_back(b.size()), b.append(9, '\0');
    }
    test::SetU32(b, 8, static_cast<std::uint32_t>(b.size()));
    for (std::size_t r : records) test::SetU32(b, r, static_cast<std::uint32_t>(b.size())), test::SetU32(b, r + 4, 1);
    return b + "Z";
}

TEST(HpiHandBuiltArchive, NamesThatAreNoPlainFileNameAndRepeatsAreLeftOut) {
    test::TempFolder scratch;
    auto archive = HpiArchive::Open(scratch.Write(
        "names.hpi", RootWith({{"ok.fbi", false}, {"", false}, {".", false}, {"..", false}, {"..\\..\\evil", false},
                               {"a/b", false}, {"c:d", false}, {"OK.FBI", false}, {"Units", true}, {"units", true},
                               {"", true}, {"..", true}, {"ok.fbi", true}})));  // a folder may share a file's name
    ASSERT_TRUE(archive);
    EXPECT_EQ(List(*archive, ""), Names{"ok.fbi"});
    EXPECT_EQ(List(*archive, "", true), (Names{"Units", "ok.fbi"}));
    EXPECT_FALSE(archive->ExtractFile("..\\..\\evil", scratch / "evil"));
    EXPECT_FALSE(archive->EntrySize("a/b"));
    ASSERT_TRUE(archive->ExtractFile("OK.fbi", scratch / "ok"));
    EXPECT_EQ(ReadBytes(scratch / "ok"), "Z");
}

// A writer archive with one file "x" in the root: node at 20, entry at 28, name at 37,
// the file record right behind the name, then the contents.
struct OneFile {
    std::string bytes;
    std::size_t record, contents;
};

OneFile MakeOneFile(const std::string& data, PackMethod method) {
    HpiWriter writer;
    writer.AddFile("x", data, method);
    OneFile f{writer.Build(0), 0, 0};
    f.record = GetU32(f.bytes, 28 + 4);
    f.contents = GetU32(f.bytes, f.record);
    return f;
}

// True when the damaged bytes are refused: Open fails, or extracting "x" fails and leaves no file.
bool Refused(const test::TempFolder& scratch, const std::string& bytes) {
    auto archive = HpiArchive::Open(scratch.Write("bad.hpi", bytes));
    EXPECT_EQ(HpiArchive::OpenBytes(bytes) != nullptr, archive != nullptr);  // the same verdict from memory
    if (!archive) return true;
    const bool extracted = archive->ExtractFile("x", scratch / "out.bin");
    EXPECT_EQ(std::filesystem::exists(scratch / "out.bin"), extracted);
    // Into memory: the same verdict, and the same bytes or none at all.
    std::vector<std::uint8_t> memory(3, 'x');
    EXPECT_EQ(archive->ExtractToMemory("x", memory), extracted);
    EXPECT_EQ(std::string(memory.begin(), memory.end()), extracted ? ReadBytes(scratch / "out.bin") : "");
    std::filesystem::remove(scratch / "out.bin");
    return !extracted;
}

TEST(HpiDamage, TruncatedAtEveryLength) {
    test::TempFolder scratch;
    const std::tuple<const char*, std::string, PackMethod, bool> files[] = {
        {"a\\one.txt", "first file", PackMethod::Stored, false},
        {"a\\b\\two.tdf", BinaryData(300), PackMethod::Lz77, true},
        {"three.tdf", BinaryData(2000, 3), PackMethod::Zlib, false},
    };
    HpiWriter writer;
    for (const auto& [entry, contents, method, scramble] : files) writer.AddFile(entry, contents, method, scramble);
    for (std::uint32_t seed : {0u, 77u}) {
        const std::string full = writer.Build(seed);
        for (std::size_t length = 0; length < full.size(); ++length) {
            auto archive = HpiArchive::Open(scratch.Write("t.hpi", full.substr(0, length)));
            if (length < GetU32(full, 8)) {  // the directory's end
                EXPECT_FALSE(archive) << length;
                continue;
            }
            ASSERT_TRUE(archive) << length;
            for (const auto& [entry, contents, method, scramble] : files) {
                if (archive->ExtractFile(entry, scratch / "out")) {
                    // Whatever still extracts is whole; the cut-off last file never extracts.
                    EXPECT_EQ(ReadBytes(scratch / "out"), contents) << entry << " at " << length;
                    EXPECT_NE(std::string(entry), "three.tdf") << length;
                    std::filesystem::remove(scratch / "out");
                } else {
                    EXPECT_FALSE(std::filesystem::exists(scratch / "out")) << entry << " at " << length;
                }
            }
        }
    }
}

TEST(HpiDamage, BadHeaderOrDirectoryIsRefusedByOpen) {
    test::TempFolder scratch;
    HpiWriter writer;
    writer.AddFile("units\\x.fbi", "abc");
    const std::string good = writer.Build(0);
    const std::size_t units = GetU32(good, 28 + 4);  // the node of folder "units"
    const std::pair<const char*, std::function<void(std::string&)>> cases[] = {
        {"wrong marker", [](std::string& b) { b[0] = 'X'; }},
        {"directory start past the end", [](std::string& b) { SetU32(b, 16, static_cast<std::uint32_t>(b.size() + 100)); }},
        {"directory end past the end", [](std::string& b) { SetU32(b, 8, static_cast<std::uint32_t>(b.size() + 1)); }},
        {"entry table past the end", [](std::string& b) { SetU32(b, 24, 0xFFFFFFF0u); }},
        {"huge entry count", [](std::string& b) { SetU32(b, 20, 0x10000000u); }},
        {"name past the directory", [](std::string& b) { SetU32(b, 28, 0x7FFFFFFFu); }},
        {"unknown entry kind", [](std::string& b) { b[28 + 8] = 7; }},
        {"folder pointing at itself", [](std::string& b) { SetU32(b, 28 + 4, 20); }},
        {"sub-folder pointing back at its node",  // units' own entry becomes a folder at units' node
         [&](std::string& b) {
             const std::size_t table = GetU32(b, units + 4);
             b[table + 8] = 1;
             SetU32(b, table + 4, static_cast<std::uint32_t>(units));
         }},
        {"name without terminator",  // the file's last byte, so no reading of the directory holds a terminator
         [](std::string& b) {
             SetU32(b, 28, static_cast<std::uint32_t>(b.size() - 1));
             b.back() = 'q';
         }},
    };
    for (const auto& [what, damage] : cases) {
        std::string bytes = good;
        damage(bytes);
        EXPECT_FALSE(HpiArchive::Open(scratch.Write("bad.hpi", bytes))) << what;
    }
    EXPECT_TRUE(HpiArchive::Open(scratch.Write("good.hpi", good)));
    std::string deep;
    for (int i = 0; i < 70; ++i) deep += "d\\";
    HpiWriter chain;
    chain.AddFile(deep + "x", "deep");
    EXPECT_FALSE(HpiArchive::Open(scratch.Write("deep.hpi", chain.Build(0)))) << "a folder chain 70 deep";
}

// Replaces the single chunk behind the record with one holding `packed` that claims `unpacked`.
void PutChunk(OneFile& f, const std::string& packed, std::uint32_t unpacked, std::uint8_t method) {
    f.bytes.resize(f.contents);
    std::uint32_t sum = 0;
    for (char c : packed) sum += static_cast<std::uint8_t>(c);
    test::PutU32(f.bytes, static_cast<std::uint32_t>(19 + packed.size()));
    test::PutU32(f.bytes, 0x48535153);
    f.bytes.push_back(2), f.bytes.push_back(static_cast<char>(method)), f.bytes.push_back(0);
    for (std::uint32_t v : {static_cast<std::uint32_t>(packed.size()), unpacked, sum}) test::PutU32(f.bytes, v);
    f.bytes += packed;
}

TEST(HpiDamage, DamagedEntriesFailToExtractAndLeaveNoFile) {
    test::TempFolder scratch;
    const std::string data = BinaryData(1000);
    // The chunk follows its 4-byte length: marker, then at +5 method, +7 packed size, +11 unpacked size, +15 checksum.
    const std::tuple<const char*, PackMethod, std::function<void(OneFile&)>> cases[] = {
        {"bad checksum", PackMethod::Zlib, [](OneFile& f) { f.bytes[f.contents + 4 + 15] ^= 1; }},
        {"bad chunk marker", PackMethod::Zlib, [](OneFile& f) { f.bytes[f.contents + 4] = 'X'; }},
        {"unknown chunk method", PackMethod::Zlib, [](OneFile& f) { f.bytes[f.contents + 4 + 5] = 3; }},
        {"chunk says bigger", PackMethod::Zlib, [](OneFile& f) { SetU32(f.bytes, f.contents + 4 + 11, 1001); }},
        {"chunk says smaller", PackMethod::Lz77, [](OneFile& f) { SetU32(f.bytes, f.contents + 4 + 11, 999); }},
        {"record says bigger", PackMethod::Zlib, [](OneFile& f) { SetU32(f.bytes, f.record + 4, 1001); }},
        {"record says smaller", PackMethod::Lz77, [](OneFile& f) { SetU32(f.bytes, f.record + 4, 999); }},
        {"record says a second chunk", PackMethod::Zlib, [](OneFile& f) { SetU32(f.bytes, f.record + 4, 66000); }},
        {"stored past the end", PackMethod::Stored, [](OneFile& f) { SetU32(f.bytes, f.record + 4, 1001); }},
        {"contents offset past the end", PackMethod::Zlib, [](OneFile& f) { SetU32(f.bytes, f.record, 0xFFFFFFF0u); }},
        {"unknown compression", PackMethod::Stored, [](OneFile& f) { f.bytes[f.record + 8] = 3; }},
        {"chunk length past the end", PackMethod::Zlib, [](OneFile& f) { SetU32(f.bytes, f.contents, 5000); }},
        {"packed size beyond the chunk", PackMethod::Zlib,
         [](OneFile& f) { SetU32(f.bytes, f.contents + 4 + 7, GetU32(f.bytes, f.contents) - 18); }},
        {"zlib inflating to more than stated", PackMethod::Zlib,
         [](OneFile& f) { PutChunk(f, ZlibOf(std::string(2000, 'k')), 1000, 2); }},
        {"zlib inflating to less than stated", PackMethod::Zlib,
         [](OneFile& f) { PutChunk(f, ZlibOf(std::string(999, 'k')), 1000, 2); }},
        {"lz77 writing more than stated", PackMethod::Lz77,
         [](OneFile& f) {  // 'a' and a reference of length 10 give 11 bytes where record and chunk state 5
             PutChunk(f, std::string("\x06" "a\x18\x00\x00\x00", 6), 5, 1);
             SetU32(f.bytes, f.record + 4, 5);
         }},
    };
    for (const auto& [what, method, damage] : cases) {
        OneFile f = MakeOneFile(data, method);
        damage(f);
        EXPECT_TRUE(Refused(scratch, f.bytes)) << what;
    }
    for (PackMethod method : {PackMethod::Stored, PackMethod::Lz77, PackMethod::Zlib})
        EXPECT_FALSE(Refused(scratch, MakeOneFile(data, method).bytes)) << "undamaged " << int(method);

    // A chunk assembled here with a payload tens of KiB long: its checksum summed byte by byte.
    OneFile big = MakeOneFile(BinaryData(60000, 5), PackMethod::Zlib);
    PutChunk(big, ZlibOf(BinaryData(60000, 5)), 60000, 2);
    EXPECT_FALSE(Refused(scratch, big.bytes));
    // 65536 + 100 bytes: the first chunk must state 65536, the second 100.
    OneFile two = MakeOneFile(BinaryData(65636), PackMethod::Lz77);
    const std::size_t second = two.contents + 8 + GetU32(two.bytes, two.contents);
    ASSERT_EQ(GetU32(two.bytes, second + 11), 100u);
    std::string swapped = two.bytes;
    SetU32(swapped, two.contents + 8 + 11, 100);
    EXPECT_TRUE(Refused(scratch, swapped));
    SetU32(two.bytes, second + 11, 65536);
    EXPECT_TRUE(Refused(scratch, two.bytes));
}

TEST(HpiDamage, FailedExtractionRemovesAnEarlierFileOfTheSameName) {
    test::TempFolder scratch;
    OneFile f = MakeOneFile(BinaryData(500), PackMethod::Zlib);
    f.bytes[f.contents + 4 + 15] ^= 1;
    scratch.Write("out.bin", "stale");
    auto archive = HpiArchive::Open(scratch.Write("bad.hpi", f.bytes));
    ASSERT_TRUE(archive);
    EXPECT_FALSE(archive->ExtractFile("x", scratch / "out.bin"));
    EXPECT_FALSE(std::filesystem::exists(scratch / "out.bin"));
    EXPECT_FALSE(archive->ExtractFile("x", scratch / "no such folder" / "out.bin"));
}

}  // namespace
}  // namespace lorvex::hpi
