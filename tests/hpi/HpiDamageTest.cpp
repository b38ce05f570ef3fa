// Damaged archives: Open fails, or the extraction fails and leaves no file behind.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>

#include "hpi/HpiArchive.h"
#include "hpi/HpiInflate.h"
#include "hpi/HpiLz77.h"
#include "hpi/HpiWriter.h"
#include "tests/hpi/HpiBytes.h"

namespace lorvex::hpi {
namespace {

using namespace testbytes;
using lorvex::testkit::GameFolder;
using lorvex::testkit::raw_detail::SetU32;

// A writer archive with the one file "x" in the root: node at 20, entry at 28, then record and contents.
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

// Replaces the single chunk behind the record with one holding `packed` that claims `unpacked`.
void PutChunk(OneFile& f, const std::string& packed, std::uint32_t unpacked, char method) {
    std::uint32_t sum = 0;
    for (char c : packed) sum += static_cast<std::uint8_t>(c);
    f.bytes.resize(f.contents);
    Put(f.bytes, {static_cast<std::uint32_t>(19 + packed.size()), 0x48535153});
    f.bytes += {2, method, 0};
    Put(f.bytes, {static_cast<std::uint32_t>(packed.size()), unpacked, sum});
    f.bytes += packed;
}

// True when the bytes are refused: Open fails, from the file and from memory alike, or extracting "x" fails.
bool Refused(const GameFolder& scratch, const std::string& bytes) {
    auto archive = HpiArchive::Open(scratch.Write("bad.hpi", bytes));
    EXPECT_EQ(HpiArchive::OpenBytes(bytes) != nullptr, archive != nullptr);
    return !archive || !Extract(*archive, "x", scratch);
}

TEST(HpiDamage, TruncatedAtEveryLength) {
    GameFolder scratch;
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
            // Every length from memory; from a file at every 16th and at the directory's end.
            const bool onDisk = length % 16 == 0 || length == GetU32(full, 8);
            const std::string cut = full.substr(0, length);
            auto archive = onDisk ? HpiArchive::Open(scratch.Write("t.hpi", cut)) : HpiArchive::OpenBytes(cut);
            ASSERT_EQ(archive != nullptr, length >= GetU32(full, 8)) << length;  // the directory's end
            for (const auto& [entry, contents, method, scramble] : files) {
                if (!archive) break;
                // Whatever still extracts is whole; the cut-off last file never extracts.
                const auto got = Extract(*archive, entry, scratch);
                EXPECT_TRUE(!got || *got == contents) << entry << " at " << length;
                EXPECT_FALSE(got && std::string(entry) == "three.tdf") << length;
            }
        }
    }
}

TEST(HpiDamage, WhatIsNoArchiveOrHasABadDirectoryIsRefusedByOpen) {
    GameFolder scratch;
    EXPECT_FALSE(HpiArchive::Open(scratch / "missing.hpi"));
    EXPECT_FALSE(HpiArchive::Open(scratch / ""));  // a folder
    HpiWriter writer;
    writer.AddFile("units\\x.fbi", "abc");
    const std::string good = writer.Build(0);
    const std::size_t units = GetU32(good, 28 + 4);  // the node of folder "units"
    // n folders one inside the other, a file in the deepest.
    const auto chain = [](int n) {
        std::string deep;
        for (int i = 0; i < n; ++i) deep += "d\\";
        HpiWriter nested;
        nested.AddFile(deep + "x", "deep");
        return nested.Build(0);
    };
    using Damage = std::function<void(std::string&)>;
    auto replace = [](std::string bytes) -> Damage { return [bytes](std::string& b) { b = bytes; }; };
    const std::pair<const char*, Damage> cases[] = {
        {"19 zeros", replace(std::string(19, '\0'))},  // a byte short of a header
        {"other version", [](std::string& b) { SetU32(b, 4, 0x00020000u); }},
        {"a folder chain 65 deep, one past the deepest read", replace(chain(65))},
        {"wrong marker", [](std::string& b) { b[0] = 'X'; }},
        {"directory start past the end", [](std::string& b) { SetU32(b, 16, b.size() + 100); }},
        {"directory end past the end", [](std::string& b) { SetU32(b, 8, b.size() + 1); }},
        {"entry table past the end", [](std::string& b) { SetU32(b, 24, 0xFFFFFFF0u); }},
        {"huge entry count", [](std::string& b) { SetU32(b, 20, 0x10000000u); }},
        {"name past the directory", [](std::string& b) { SetU32(b, 28, 0x7FFFFFFFu); }},
        {"unknown entry kind", [](std::string& b) { b[28 + 8] = 7; }},
        {"entry kind 2, the one after a folder's", [](std::string& b) { b[28 + 8] = 2; }},
        {"folder pointing at itself", [](std::string& b) { SetU32(b, 28 + 4, 20); }},
        {"sub-folder pointing back at its node",  // units' own entry becomes a folder at units' node
         [&](std::string& b) {
             const std::size_t table = GetU32(b, units + 4);
             b[table + 8] = 1;
             SetU32(b, table + 4, units);
         }},
        {"name without terminator",  // the file's last byte, so no reading of the directory holds a terminator
         [](std::string& b) { SetU32(b, 28, b.size() - 1), b.back() = 'q'; }},
    };
    for (const auto& [what, damage] : cases) {
        std::string bytes = good;
        damage(bytes);
        EXPECT_FALSE(HpiArchive::Open(scratch.Write("bad.hpi", bytes))) << what;
    }
    EXPECT_TRUE(HpiArchive::Open(scratch.Write("good.hpi", good)));
    EXPECT_TRUE(HpiArchive::OpenBytes(chain(64)));
}

TEST(HpiDamage, DamagedEntriesFailToExtractAndLeaveNoFile) {
    GameFolder scratch;
    const std::string data = BinaryData(1000);
    // The chunk follows its 4-byte length: marker, then at +5 method, +7 packed size, +11 unpacked size, +15 checksum.
    const std::tuple<const char*, PackMethod, std::function<void(OneFile&)>> cases[] = {
        {"bad checksum", PackMethod::Zlib, [](OneFile& f) { f.bytes[f.contents + 4 + 15] ^= 1; }},
        {"bad chunk marker", PackMethod::Zlib, [](OneFile& f) { f.bytes[f.contents + 4] = 'X'; }},
        {"other chunk version", PackMethod::Zlib, [](OneFile& f) { f.bytes[f.contents + 4 + 4] = 3; }},
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
        {"lz77 writing more than stated", PackMethod::Lz77,  // 11 bytes where record and chunk state 5
         [](OneFile& f) { PutChunk(f, kOverlap, 5, 1), SetU32(f.bytes, f.record + 4, 5); }},
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
    // 1037 bytes 0xFF: LZ77 references giving 8296 of the window's zeros, the same bytes scrambled or not. Their
    // checksum passes 65535 in a 16-bit lane when more than 128 words go into one.
    for (char flag : {0, 1, 2}) {
        OneFile ones = MakeOneFile(std::string(8296, '\0'), PackMethod::Lz77);
        PutChunk(ones, std::string(1037, '\xFF'), 8296, 1);
        ones.bytes[ones.contents + 4 + 6] = flag;
        EXPECT_EQ(Refused(scratch, ones.bytes), flag == 2) << "scramble flag " << int(flag);
    }
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
}  // namespace
}  // namespace lorvex::hpi
