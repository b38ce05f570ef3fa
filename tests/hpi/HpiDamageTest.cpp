// Damaged archives: Open fails or the extraction fails, and a failed
// extraction leaves no file behind.
#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>
#include <string>

#include "hpi/HpiArchive.h"
#include "hpi/HpiWriter.h"
#include "tests/hpi/HpiTestSupport.h"

namespace lorvex::hpi {
namespace {

using test::BinaryData;
using test::GetU32;
using test::ReadBytes;
using test::ScratchFolder;
using test::SetU32;
using test::WriteBytes;

// Layout of a writer archive with one file in the root: node at 20, entry at
// 28, name at 37, file record right behind the name.
struct OneFile {
    std::string bytes;
    std::size_t record;    // offset of the file record
    std::size_t contents;  // offset of the contents
};

OneFile MakeOneFile(const std::string& name, const std::string& data, PackMethod method, bool scramble = false)
{
    HpiWriter writer;
    writer.AddFile(name, data, method, scramble);
    OneFile f{writer.Build(0), 0, 0};
    f.record = GetU32(f.bytes, 28 + 4);
    f.contents = GetU32(f.bytes, f.record);
    return f;
}

// True when the damaged bytes are refused: Open fails, or extracting "x"
// fails and leaves no file.
bool Refused(const ScratchFolder& scratch, const std::string& bytes)
{
    WriteBytes(scratch / "bad.hpi", bytes);
    auto archive = HpiArchive::Open(scratch / "bad.hpi");
    if (!archive)
        return true;
    const auto out = scratch / "out.bin";
    const bool extracted = archive->ExtractFile("x", out);
    EXPECT_EQ(std::filesystem::exists(out), extracted);
    std::filesystem::remove(out);
    return !extracted;
}

TEST(HpiDamage, TruncatedAtEveryLength)
{
    ScratchFolder scratch;
    const struct {
        const char* entry;
        std::string contents;
        PackMethod method;
        bool scramble;
    } files[] = {
        {"a\\one.txt", "first file", PackMethod::Stored, false},
        {"a\\b\\two.tdf", BinaryData(300), PackMethod::Lz77, true},
        {"three.tdf", BinaryData(2000, 3), PackMethod::Zlib, false},
    };
    HpiWriter writer;
    for (const auto& f : files)
        writer.AddFile(f.entry, f.contents, f.method, f.scramble);
    for (std::uint32_t seed : {0u, 77u}) {
        const std::string full = writer.Build(seed);
        const std::uint32_t directoryEnd = GetU32(full, 8);
        for (std::size_t length = 0; length < full.size(); ++length) {
            WriteBytes(scratch / "t.hpi", full.substr(0, length));
            auto archive = HpiArchive::Open(scratch / "t.hpi");
            if (length < directoryEnd) {
                EXPECT_FALSE(archive) << length;
                continue;
            }
            ASSERT_TRUE(archive) << length;
            for (const auto& f : files) {
                const auto out = scratch / "out";
                if (archive->ExtractFile(f.entry, out)) {
                    // Whatever still extracts is whole; the cut-off last file never extracts.
                    EXPECT_EQ(ReadBytes(out), f.contents) << f.entry << " at " << length;
                    EXPECT_NE(std::string(f.entry), "three.tdf") << length;
                    std::filesystem::remove(out);
                } else {
                    EXPECT_FALSE(std::filesystem::exists(out)) << f.entry << " at " << length;
                }
            }
        }
    }
}

TEST(HpiDamage, BadHeaderOrDirectoryIsRefusedByOpen)
{
    ScratchFolder scratch;
    HpiWriter writer;
    writer.AddFile("units\\x.fbi", "abc");
    const std::string good = writer.Build(0);
    const std::size_t nodeOfUnits = GetU32(good, 28 + 4);
    const struct {
        const char* what;
        std::function<void(std::string&)> damage;
    } cases[] = {
        {"wrong marker", [](std::string& b) { b[0] = 'X'; }},
        {"version 2", [](std::string& b) { SetU32(b, 4, 0x00020000); }},
        {"version 0", [](std::string& b) { SetU32(b, 4, 0); }},
        {"directory start past the end", [&](std::string& b) { SetU32(b, 16, static_cast<std::uint32_t>(b.size() + 100)); }},
        {"directory end past the end", [&](std::string& b) { SetU32(b, 8, static_cast<std::uint32_t>(b.size() + 1)); }},
        {"directory start inside the header", [](std::string& b) { SetU32(b, 16, 4); }},
        {"entry table past the end", [](std::string& b) { SetU32(b, 24, 0xFFFFFFF0u); }},
        {"huge entry count", [](std::string& b) { SetU32(b, 20, 0x10000000u); }},
        {"name past the directory", [](std::string& b) { SetU32(b, 28, 0x7FFFFFFFu); }},
        {"unknown entry kind", [](std::string& b) { b[28 + 8] = 7; }},
        {"folder pointing at itself", [&](std::string& b) { SetU32(b, 28 + 4, 20); }},
        {"sub-folder pointing back at its node",
         [&](std::string& b) {
             // Units' own entry table gets an entry that is a folder at Units' node.
             const std::size_t table = GetU32(b, nodeOfUnits + 4);
             b[table + 8] = 1;
             SetU32(b, table + 4, static_cast<std::uint32_t>(nodeOfUnits));
         }},
        {"name without terminator",
         [](std::string& b) {
             // The last byte of the file, so no reading of the directory's extent holds a terminator.
             SetU32(b, 28, static_cast<std::uint32_t>(b.size() - 1));
             b.back() = 'q';
         }},
    };
    for (const auto& c : cases) {
        std::string bytes = good;
        c.damage(bytes);
        WriteBytes(scratch / "bad.hpi", bytes);
        EXPECT_FALSE(HpiArchive::Open(scratch / "bad.hpi")) << c.what;
    }
    WriteBytes(scratch / "good.hpi", good);
    EXPECT_TRUE(HpiArchive::Open(scratch / "good.hpi"));
}

TEST(HpiDamage, DeepFolderChainIsRefused)
{
    ScratchFolder scratch;
    std::string path;
    for (int i = 0; i < 70; ++i)
        path += "d\\";
    HpiWriter writer;
    writer.AddFile(path + "x", "deep");
    WriteBytes(scratch / "deep.hpi", writer.Build(0));
    EXPECT_FALSE(HpiArchive::Open(scratch / "deep.hpi"));
}

std::string ZlibOf(const std::string& data)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
              static_cast<uLong>(data.size()), 6);
    out.resize(size);
    return out;
}

// Replaces the single chunk behind the record with one holding `packed` that claims `unpacked`.
void PutChunk(OneFile& f, const std::string& packed, std::uint32_t unpacked, std::uint8_t method)
{
    f.bytes.resize(f.contents);
    test::PutU32(f.bytes, static_cast<std::uint32_t>(19 + packed.size()));
    test::PutU32(f.bytes, 0x48535153);
    f.bytes.push_back(2), f.bytes.push_back(static_cast<char>(method)), f.bytes.push_back(0);
    std::uint32_t sum = 0;
    for (char c : packed)
        sum += static_cast<std::uint8_t>(c);
    test::PutU32(f.bytes, static_cast<std::uint32_t>(packed.size()));
    test::PutU32(f.bytes, unpacked);
    test::PutU32(f.bytes, sum);
    f.bytes += packed;
}

TEST(HpiDamage, DamagedEntriesFailToExtractAndLeaveNoFile)
{
    ScratchFolder scratch;
    const std::string data = BinaryData(1000);
    const struct {
        const char* what;
        PackMethod method;
        std::function<void(OneFile&)> damage;
    } cases[] = {
        {"bad checksum", PackMethod::Zlib, [](OneFile& f) { f.bytes[f.contents + 4 + 15] ^= 1; }},
        {"packed byte changed", PackMethod::Lz77, [](OneFile& f) { f.bytes[f.contents + 4 + 19 + 5] ^= 0x40; }},
        {"bad chunk marker", PackMethod::Zlib, [](OneFile& f) { f.bytes[f.contents + 4] = 'X'; }},
        {"bad chunk version", PackMethod::Zlib, [](OneFile& f) { f.bytes[f.contents + 4 + 4] = 3; }},
        {"unknown chunk method", PackMethod::Zlib, [](OneFile& f) { f.bytes[f.contents + 4 + 5] = 3; }},
        {"chunk says bigger", PackMethod::Zlib, [](OneFile& f) { SetU32(f.bytes, f.contents + 4 + 11, 1001); }},
        {"chunk says smaller", PackMethod::Lz77, [](OneFile& f) { SetU32(f.bytes, f.contents + 4 + 11, 999); }},
        {"record says bigger", PackMethod::Zlib, [](OneFile& f) { SetU32(f.bytes, f.record + 4, 1001); }},
        {"record says smaller", PackMethod::Lz77, [](OneFile& f) { SetU32(f.bytes, f.record + 4, 999); }},
        {"record says a second chunk", PackMethod::Zlib, [](OneFile& f) { SetU32(f.bytes, f.record + 4, 66000); }},
        {"stored past the end", PackMethod::Stored, [](OneFile& f) { SetU32(f.bytes, f.record + 4, 1001); }},
        {"contents offset past the end", PackMethod::Zlib, [](OneFile& f) { SetU32(f.bytes, f.record, 0xFFFFFFF0u); }},
        {"unknown compression", PackMethod::Stored, [](OneFile& f) { f.bytes[f.record + 8] = 3; }},
        {"chunk length too short", PackMethod::Zlib, [](OneFile& f) { SetU32(f.bytes, f.contents, 18); }},
        {"chunk length past the end", PackMethod::Zlib, [](OneFile& f) { SetU32(f.bytes, f.contents, 5000); }},
        {"packed size beyond the chunk", PackMethod::Zlib,
         [](OneFile& f) { SetU32(f.bytes, f.contents + 4 + 7, GetU32(f.bytes, f.contents) - 18); }},
        {"zlib inflating to more than stated", PackMethod::Zlib,
         [](OneFile& f) { PutChunk(f, ZlibOf(std::string(2000, 'k')), 1000, 2); }},
        {"zlib inflating to less than stated", PackMethod::Zlib,
         [](OneFile& f) { PutChunk(f, ZlibOf(std::string(999, 'k')), 1000, 2); }},
        {"zlib stream cut short", PackMethod::Zlib,
         [](OneFile& f) { PutChunk(f, ZlibOf(std::string(1000, 'k')).substr(0, 8), 1000, 2); }},
        {"lz77 writing more than stated", PackMethod::Lz77,
         [](OneFile& f) {
             // 'a' and a reference of length 10 give 11 bytes where record and chunk state 5.
             PutChunk(f, std::string("\x06" "a\x18\x00\x00\x00", 6), 5, 1);
             SetU32(f.bytes, f.record + 4, 5);
         }},
    };
    for (const auto& c : cases) {
        OneFile f = MakeOneFile("x", data, c.method);
        c.damage(f);
        EXPECT_TRUE(Refused(scratch, f.bytes)) << c.what;
    }
    // The undamaged form of each case's archive extracts.
    for (PackMethod method : {PackMethod::Stored, PackMethod::Lz77, PackMethod::Zlib})
        EXPECT_FALSE(Refused(scratch, MakeOneFile("x", data, method).bytes));
}

TEST(HpiDamage, ChunkAssembledHereWithALongPayloadExtracts)
{
    // The checksum of a payload tens of KiB long, summed here byte by byte.
    ScratchFolder scratch;
    const std::string data = BinaryData(60000, 5);
    OneFile f = MakeOneFile("x", data, PackMethod::Zlib);
    const std::string packed = ZlibOf(data);
    ASSERT_GT(packed.size(), 20000u);
    PutChunk(f, packed, 60000, 2);
    EXPECT_FALSE(Refused(scratch, f.bytes));
    f.bytes.back() ^= 1;  // the checksum no longer matches
    EXPECT_TRUE(Refused(scratch, f.bytes));
}

TEST(HpiDamage, MiddleChunkWithTheLastChunksSizeIsRefused)
{
    // 65536 + 100 bytes: the first chunk must state 65536, the second 100.
    ScratchFolder scratch;
    OneFile f = MakeOneFile("x", BinaryData(65636), PackMethod::Lz77);
    const std::size_t second = f.contents + 8 + GetU32(f.bytes, f.contents);
    ASSERT_EQ(GetU32(f.bytes, second + 11), 100u);
    std::string swapped = f.bytes;
    SetU32(swapped, f.contents + 8 + 11, 100);
    EXPECT_TRUE(Refused(scratch, swapped));
    SetU32(f.bytes, second + 11, 65536);
    EXPECT_TRUE(Refused(scratch, f.bytes));
}

TEST(HpiDamage, FailedExtractionRemovesAnEarlierFileOfTheSameName)
{
    ScratchFolder scratch;
    OneFile f = MakeOneFile("x", BinaryData(500), PackMethod::Zlib);
    f.bytes[f.contents + 4 + 15] ^= 1;
    WriteBytes(scratch / "bad.hpi", f.bytes);
    WriteBytes(scratch / "out.bin", "stale");
    auto archive = HpiArchive::Open(scratch / "bad.hpi");
    ASSERT_TRUE(archive);
    EXPECT_FALSE(archive->ExtractFile("x", scratch / "out.bin"));
    EXPECT_FALSE(std::filesystem::exists(scratch / "out.bin"));
    EXPECT_FALSE(archive->ExtractFile("x", scratch / "no such folder" / "out.bin"));
}

}  // namespace
}  // namespace lorvex::hpi
