// The archive reader against archives from the writer and against byte sequences written out here by hand
// following the format notes (damaged archives have their own file). Then both inflaters (the lorvex-hpi tool has its
// own tests in tests/tools).
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

TEST(HpiLz77, DecodesHandStreamsToTheExactBytesOrFails) {
    const struct {
        std::string stream;
        std::size_t room;
        bool ok;
        std::string out;  // what a decoding that succeeds writes
    } cases[] = {
        {kOverlap, 11, true, std::string(11, 'a')},
        {std::string("\x03\x41\x06\x00\x00", 5), 3, true, std::string(3, '\0')},  // offset 100: the window's zeros
        // Eight literals fill the first tag byte; the second marks offset 1 length 8, then the terminator.
        {std::string("\0ABCDEFGH\x03\x16\0\0\0", 14), 16, true, "ABCDEFGHABCDEFGH"},
        {std::string("\x18xyz\x30\0\0\0", 8), 5, true, "xyzzz"},  // offset 3 length 2: copies the byte it just wrote
        {std::string("\0q", 2), 1, true, "q"},                    // input ending right after an item ends the chunk
        {std::string("\0q", 2), 2, false, ""},                    // ... short of the room
        {std::string("\0ABCDEFGH", 9), 8, true, "ABCDEFGH"},      // input ending with a tag's eighth item ends it too
        {std::string("\0ABCDEFGH", 9), 9, false, ""},             // ... short of the room
        {"\x01\x10", 0, true, ""},                                // half a reference ends it too
        {"\x01\x10", 2, false, ""},                               // ... short of the room
        // A stream that gives another length fails and writes nothing past the room.
        {kOverlap, 0, false, ""},   // no room for the first literal
        {kOverlap, 10, false, ""},  // a reference one byte longer than the room left
        {kOverlap, 12, false, ""},  // the stream ends one byte short
    };
    for (const auto& c : cases) {
        std::string out(c.room + 4, '#');
        EXPECT_EQ(Lz77Decode(U8(c.stream), c.stream.size(), U8(out), c.room), c.ok) << "case " << &c - cases;
        EXPECT_EQ(out, (c.ok ? c.out : out.substr(0, c.room)) + "####") << "case " << &c - cases;
    }
}

// Written out byte by byte: root holds "readme.txt" (stored, "HELLO") and folder "Units" holding
// "ARMX.FBI" (one LZ77 chunk giving 11 'a').
std::string HandArchive(std::uint32_t seed, bool scramble, std::uint32_t endField) {
    std::string b;
    // "HAPI", version, directory end, key seed, directory start; 20: root node of two entries at 28
    Put(b, {0x49504148u, 0x00010000u, endField, seed, 20, 2, 28});
    Put(b, {46, 57}), b.push_back(0);  // 28: entry table, two entries of 9 bytes
    Put(b, {66, 72}), b.push_back(1);
    b += std::string("readme.txt", 11);  // 46
    Put(b, {107, 5}), b.push_back(0);    // 57: stored file record
    b += std::string("Units", 6);
    Put(b, {1, 80, 89, 98}), b.push_back(0);  // 72: folder node of Units, its entry table at 80
    b += std::string("ARMX.FBI", 9);
    Put(b, {112, 11}), b.push_back(1);  // 98: packed file record
    b += "HELLO";
    std::string packed = kOverlap;
    std::uint32_t sum = 0;
    for (std::size_t j = 0; j < packed.size(); ++j) {
        if (scramble) packed[j] = static_cast<char>(((packed[j] ^ j) + j) & 0xFF);
        sum += static_cast<std::uint8_t>(packed[j]);
    }
    Put(b, {19 + 6, 0x48535153});  // 112: chunk length table, then "SQSH"
    b += {2, 1, scramble ? '\1' : '\0'};
    Put(b, {6, 11, sum});
    b += packed;
    EXPECT_EQ(b.size(), 141u);
    const std::uint32_t key = ~((seed * 4u) | (seed >> 6)) & 0xFFu;
    for (std::uint32_t i = 20; seed != 0 && i < b.size(); ++i) b[i] = static_cast<char>(~(b[i] ^ (i ^ key)));
    return b;
}

TEST(HpiHandBuilt, OpensListsAndExtracts) {
    GameFolder scratch;
    const std::tuple<std::uint32_t, bool, std::uint32_t> cases[] = {
        {0, false, 107},
        {0x12345678, true, 107},
        {0xFFFFFFFF, false, 107},
        {0x41, true, 87},  // the end field read as the directory's size
    };
    for (const auto& [seed, scramble, endField] : cases) {
        SCOPED_TRACE(::testing::Message() << "seed " << seed << " end " << endField);
        auto archive = HpiArchive::Open(scratch.Write("hand.hpi", HandArchive(seed, scramble, endField)));
        ASSERT_TRUE(archive);
        EXPECT_EQ(List(*archive, ""), Names{"readme.txt"});
        EXPECT_EQ(List(*archive, "units"), Names{"ARMX.FBI"});
        EXPECT_EQ(Extract(*archive, "\\readme.txt", scratch), "HELLO");
        EXPECT_EQ(Extract(*archive, "units\\armx.fbi", scratch), std::string(11, 'a'));
    }
    std::string empty;  // an empty root with its size in the end field
    Put(empty, {0x49504148u, 0x00010000u, 8, 0, 20, 0, 0});
    auto archive = HpiArchive::Open(scratch.Write("empty.hpi", empty));
    ASSERT_TRUE(archive);
    EXPECT_EQ(List(*archive, ""), Names{});
}

// Each entry left out as one line: folder, name, kind and reason.
Names Described(const std::vector<SkippedEntry>& entries) {
    Names lines;
    for (const SkippedEntry& e : entries)
        lines.push_back(e.folder + "|" + e.name + (e.isFolder ? "|folder|" : "|file|") + e.reason);
    return lines;
}

TEST(HpiHandBuilt, NamesThatAreNoPlainFileNameAndRepeatsAreLeftOutAndRecorded) {
    using testkit::RawEntry;
    const char* const kBad = "its name is no plain file name";
    const char* const kControl = "its name holds a control character";
    const char* const kRepeat = "its name repeats an earlier one";
    // Entries of folder Units\Sub: each bad one with the reason it is left out (null: kept).
    const struct {
        RawEntry entry;
        const char* reason;
    } sub[] = {
        {{"ok.fbi"}, nullptr},
        {{""}, kBad},  // would name the folder itself
        {{"."}, kBad},
        {{"..", true}, kBad},      // would climb out of the destination
        {{"..\\..\\evil"}, kBad},  // a separator: a path, not a name
        {{"a/b"}, kBad},
        {{"c:d"}, kBad},                   // a drive on some systems
        {{"line\nbreak"}, kControl},       // would forge a row in an export
        {{"\x1b]0;title\x07"}, kControl},  // would retitle a terminal
        {{"del\x7f"}, kControl},
        {{"us\x1f"}, kControl},  // the last control byte before the space
        {{"OK.FBI"}, kRepeat},   // a repeat in another case
        {{"Deep", true, {{"x.fbi"}}}, nullptr},
        {{"deep", true, {{"y.fbi"}}}, kRepeat},  // its contents are never read
        {{"ok.fbi", true}, nullptr},             // a folder may share a file's name
    };
    RawEntry units{"Units", true, {{"Sub", true}}};
    std::vector<SkippedEntry> expected;
    for (const auto& [entry, reason] : sub) {
        units.children[0].children.push_back(entry);
        if (reason) expected.push_back({"Units\\Sub", entry.name, entry.folder, reason});
    }
    // A bad name in the root has the folder "", a folder's later repeat is skipped whole.
    const std::string bytes = testkit::RawArchive({{"top\x01"}, units, {"UNITS", true, {{"z.fbi"}}}});
    expected.insert(expected.begin(), {"", "top\x01", false, kControl});
    expected.push_back({"", "UNITS", true, kRepeat});

    auto archive = HpiArchive::OpenBytes(bytes);
    ASSERT_TRUE(archive);
    EXPECT_EQ(Described(archive->Skipped()), Described(expected));
    EXPECT_EQ(List(*archive, ""), Names{});
    EXPECT_EQ(List(*archive, "", true), Names{"Units"});
    EXPECT_EQ(List(*archive, "units\\sub"), Names{"ok.fbi"});
    EXPECT_EQ(List(*archive, "units\\sub", true), (Names{"Deep", "ok.fbi"}));
    EXPECT_EQ(List(*archive, "units\\sub\\deep"), Names{"x.fbi"});
    std::vector<std::uint8_t> z;
    ASSERT_TRUE(archive->ExtractToMemory("UNITS\\SUB\\OK.fbi", z));
    EXPECT_EQ(std::string(z.begin(), z.end()), "Z");
    // One folder's own entries, or with those of every folder below it.
    EXPECT_EQ(Described(archive->SkippedIn("")), Described({expected.front(), expected.back()}));
    EXPECT_EQ(Described(archive->SkippedIn("units", true)),
              Described(std::vector<SkippedEntry>(expected.begin() + 1, expected.end() - 1)));
    // The end field read as the directory's size: the shorter reading fails part way, after leaving an entry out.
    std::string sized = testkit::RawArchive({{"a:b"}, {"units", true, {{"ok.fbi"}}}});
    SetU32(sized, 8, GetU32(sized, 8) - 20);
    auto again = HpiArchive::OpenBytes(sized);
    ASSERT_TRUE(again);
    EXPECT_EQ(Described(again->Skipped()), Names{std::string("|a:b|file|") + kBad});

    archive->Close();
    EXPECT_TRUE(archive->Skipped().empty());
}

TEST(HpiWriter, RefusesPathsThatAreNotPlainRelativeNames) {
    const struct {
        const char* path;
        bool stored;
        const char* why;
    } cases[] = {
        {"units\\armx.fbi", true, "the usual shape"},
        {"units/sub/x.fbi", true, "/ separates too"},
        {"..\\x", false, "climbs out"},
        {"units\\..\\x", false, "climbs out half way"},
        {"units\\.\\x", false, "a . component"},
        {"\\units\\x", false, "absolute"},
        {"/etc/passwd", false, "absolute the other way"},
        {"units\\\\x", false, "an empty component"},
        {"units\\", false, "a trailing separator: an empty name"},
        {"", false, "no name at all"},
        {"C:x", false, "a drive"},
        {"units\\a:b", false, "a colon anywhere"},
        {"ti\x1btle", false, "a control character"},
        {"del\x7f", false, "DEL"},
        {"caf\xc3\xa9", true, "other bytes are a name's own"},
    };
    for (const auto& c : cases) {
        HpiWriter writer;
        EXPECT_EQ(HpiWriter::StorablePath(c.path), c.stored) << c.why;
        EXPECT_EQ(writer.AddFile(c.path, "data"), c.stored) << c.why;
        EXPECT_EQ(writer.AddFolder(std::string(c.path) + "\\f"), c.stored) << c.why;
        auto archive = HpiArchive::OpenBytes(writer.Build());
        ASSERT_TRUE(archive) << c.why;
        EXPECT_TRUE(archive->Skipped().empty()) << c.why;
        EXPECT_EQ(archive->EntrySize(c.path), c.stored ? std::optional<std::uint32_t>(4) : std::nullopt) << c.why;
        if (!c.stored) {
            EXPECT_TRUE(List(*archive, "").empty() && List(*archive, "", true).empty()) << c.why;
        }
    }
}

TEST(HpiRoundTrip, EveryMethodEncryptionScrambleAndSize) {
    GameFolder scratch;
    // Sizes about the chunk boundaries; a long run exercises overlapping references.
    std::vector<std::pair<std::string, std::string>> files;
    for (std::size_t size : {0, 1, 65535, 65536, 65537, 200000})
        files.emplace_back("data\\f" + std::to_string(size), BinaryData(size, 7 + size));
    files.emplace_back("text\\run.txt", std::string(70000, 'a') + "abcabcabc" + std::string(300, 'z'));
    files.emplace_back("text\\zero.txt", "");  // last: an empty chunk table that starts where the archive ends
    for (PackMethod method : {PackMethod::Stored, PackMethod::Lz77, PackMethod::Zlib}) {
        for (int variant = 0; variant < 4; ++variant) {
            SCOPED_TRACE(::testing::Message() << "method " << int(method) << " variant " << variant);
            HpiWriter writer;
            for (const auto& [entry, contents] : files) writer.AddFile(entry, contents, method, variant & 2);
            ASSERT_TRUE(writer.WriteTo(scratch / "a.hpi", variant & 1 ? 0xA5C3E1F7u : 0));
            // With either inflater, the archive read from its file and from its bytes in memory.
            auto archive = HpiArchive::Open(scratch / "a.hpi", InflateBackend::Zlib);
            auto again = HpiArchive::OpenBytes(GameFolder::Read(scratch / "a.hpi"), InflateBackend::Libdeflate);
            ASSERT_TRUE(archive && again);
            for (const auto& [entry, contents] : files) {
                EXPECT_EQ(archive->EntrySize(entry), contents.size()) << entry;
                for (const HpiArchive* from : {archive.get(), again.get()})
                    EXPECT_EQ(Extract(*from, entry, scratch), contents);
            }
        }
    }
}

// A writer that stopped finding matches, or wrote other bytes each time, would still round-trip.
TEST(HpiRoundTrip, BuildIsDeterministicAndPacksText) {
    std::string text;
    while (text.size() < 100000) text += "[UNIT]\r\n{\r\n\tbuildcost=100;\r\n\tname=Sample unit;\r\n}\r\n";
    for (PackMethod method : {PackMethod::Lz77, PackMethod::Zlib}) {
        HpiWriter packer;
        packer.AddFile("u.tdf", text, method);
        EXPECT_EQ(packer.Build(99), packer.Build(99));
        EXPECT_LT(packer.Build().size(), text.size() / 4) << static_cast<int>(method);
    }
}

TEST(HpiListing, FoldersAndEntriesMatchWithoutCase) {
    GameFolder scratch;
    HpiWriter writer;
    writer.AddFile("top.txt", "T");
    writer.AddFile("Units\\ARMX.fbi", "first");
    writer.AddFile("units\\armx.FBI", "A", PackMethod::Lz77);   // again: its first place and spelling, these contents
    writer.AddFile("units/corz.fbi", "C", PackMethod::Stored);  // same folder, other case and separator
    writer.AddFile("Units\\Sub\\deep.fbi", "D");
    writer.AddFolder("Empty");
    ASSERT_TRUE(writer.WriteTo(scratch / "a.hpi", 1234));
    auto archive = HpiArchive::Open(scratch / "a.hpi");
    ASSERT_TRUE(archive);
    EXPECT_TRUE(archive->Skipped().empty());
    const std::pair<const char*, Names> folders[] = {
        {"", {"top.txt"}},
        {"\\", {"top.txt"}},  // root: sub-folders are not reported
        {"UNITS", {"ARMX.fbi", "corz.fbi"}},
        {"\\Units", {"ARMX.fbi", "corz.fbi"}},
        {"\\uNiTs\\SUB\\", {"deep.fbi"}},
        {"empty", {}},
        {"units\\missing", {}},
        {"top.txt", {}},
        {"unit", {}},
    };
    for (const auto& [folder, files] : folders) EXPECT_EQ(List(*archive, folder), files) << "folder '" << folder << "'";
    EXPECT_EQ(List(*archive, "", true), (Names{"Units", "Empty"}));

    const std::pair<const char*, const char*> entries[] = {
        {"\\top.txt", "T"},
        {"units\\armx.fbi", "A"},
        {"\\UNITS\\CorZ.FBI", "C"},  // both ends of the letters fold
        {"units\\sub\\deep.fbi", "D"},
        {"deep.fbi", nullptr},  // null: no such entry
        {"units\\", nullptr},
        {"units\\sub", nullptr},
        {"", nullptr},
        {"units\\armx.fb", nullptr},
    };
    for (const auto& [entry, contents] : entries)
        EXPECT_EQ(Extract(*archive, entry, scratch), contents ? std::optional<std::string>(contents) : std::nullopt);
    EXPECT_FALSE(archive->ExtractFile("top.txt", scratch / "no such folder" / "out.bin"));

    // A name is cut to the capacity, and nothing is written past it or at the end of the list.
    char name[8];
    std::memset(name, '#', sizeof name);
    const std::size_t c = archive->Dir(0, "units", name, 4);
    EXPECT_STREQ(name, "ARM");
    EXPECT_EQ(name[4], '#');
    EXPECT_NE(archive->Dir(c, "units", name, 1), 0u);
    EXPECT_STREQ(name, "");
    std::memcpy(name, "keep", 5);
    EXPECT_EQ(archive->Dir(2, "units", name, sizeof name), 0u);
    EXPECT_STREQ(name, "keep");
}

TEST(HpiInflate, ExactlyTheStatedSizeWithEitherBackend) {
    const std::string data = std::string(40000, 'q') + "tail", packed = ZlibOf(data);
    const std::tuple<const char*, std::string, std::size_t, bool> cases[] = {
        {"exact", packed, data.size(), true},
        {"trailing bytes after the stream", packed + "junk", data.size(), true},
        {"stream gives more than stated", packed, data.size() - 1, false},
        {"stream gives less than stated", packed, data.size() + 1, false},
        {"cut short", packed.substr(0, packed.size() - 5), data.size(), false},
        {"raw deflate without zlib header", packed.substr(2), data.size(), false},
    };
    for (InflateBackend backend : {InflateBackend::Zlib, InflateBackend::Libdeflate}) {
        Inflater inflater(backend);
        for (const auto& [what, in, room, ok] : cases) {
            std::string out(room + 16, '#');
            EXPECT_EQ(inflater.Inflate(U8(in), in.size(), U8(out), room), ok)
                << what << " backend " << static_cast<int>(backend);
            EXPECT_EQ(out.substr(room), std::string(16, '#')) << what;
            EXPECT_TRUE(!ok || out.substr(0, room) == data) << what;
        }
    }
}

}  // namespace
}  // namespace lorvex::hpi