// Archives made by the writer read back to the very bytes that went in; folder listing and entry lookup as the
// archive scan uses them; bounded inflation; the lorvex-hpi tool end to end.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "hpi/HpiArchive.h"
#include "hpi/HpiInflate.h"
#include "hpi/HpiWriter.h"
#include "tests/hpi/HpiTestSupport.h"

namespace lorvex::hpi {
namespace {

using test::BinaryData;
using test::List;
using test::Names;
using test::ReadBytes;

TEST(HpiRoundTrip, EveryMethodEncryptionScrambleAndSize) {
    test::TempFolder scratch;
    const std::size_t sizes[] = {0, 1, 65535, 65536, 65537, 200000};
    // Text with long runs exercises overlapping references.
    const std::string run = std::string(70000, 'a') + "abcabcabc" + std::string(300, 'z');
    for (PackMethod method : {PackMethod::Stored, PackMethod::Lz77, PackMethod::Zlib}) {
        for (std::uint32_t seed : {0u, 0xA5C3E1F7u}) {
            for (bool scramble : {false, true}) {
                SCOPED_TRACE(::testing::Message() << "method " << int(method) << " seed " << seed << " " << scramble);
                HpiWriter writer;
                for (std::size_t size : sizes)
                    writer.AddFile("data\\f" + std::to_string(size), BinaryData(size, 7 + size), method, scramble);
                writer.AddFile("text\\run.txt", run, method, scramble);
                ASSERT_TRUE(writer.WriteTo(scratch / "a.hpi", seed));
                auto archive = HpiArchive::Open(scratch / "a.hpi");
                ASSERT_TRUE(archive);
                for (std::size_t size : sizes) {
                    const std::string entry = "data\\f" + std::to_string(size);
                    ASSERT_TRUE(archive->ExtractFile(entry, scratch / "out.bin")) << entry;
                    EXPECT_EQ(ReadBytes(scratch / "out.bin"), BinaryData(size, 7 + size)) << entry;
                    EXPECT_EQ(archive->EntrySize(entry), size);
                }
                // Into memory, with either inflater, the buffer reused from entry to entry; the
                // archive itself read from its file and from its bytes in memory.
                std::vector<std::uint8_t> bytes;
                for (InflateBackend backend : {InflateBackend::Zlib, InflateBackend::Libdeflate}) {
                    auto again = backend == InflateBackend::Zlib ? HpiArchive::Open(scratch / "a.hpi", backend)
                                                                 : HpiArchive::OpenBytes(ReadBytes(scratch / "a.hpi"), backend);
                    ASSERT_TRUE(again);
                    for (std::size_t size : {sizes[5], sizes[0], sizes[3], sizes[4]}) {
                        ASSERT_TRUE(again->ExtractToMemory("data\\f" + std::to_string(size), bytes)) << size;
                        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), BinaryData(size, 7 + size)) << size;
                    }
                }
                ASSERT_TRUE(archive->ExtractFile("text\\run.txt", scratch / "run.txt"));
                EXPECT_EQ(ReadBytes(scratch / "run.txt"), run);
            }
        }
    }
}

TEST(HpiRoundTrip, BuildIsDeterministicPacksAndEncryptsEverythingAfterTheHeader) {
    HpiWriter writer;
    writer.AddFile("units\\armx.fbi", "[ARMX]{name=x;}", PackMethod::Stored);
    const std::string plain = writer.Build(0), encrypted = writer.Build(99);
    EXPECT_EQ(plain, writer.Build(0));
    ASSERT_EQ(plain.size(), encrypted.size());
    EXPECT_EQ(plain.substr(0, 12), encrypted.substr(0, 12));  // marker, version, directory end
    EXPECT_EQ(test::GetU32(encrypted, 12), 99u);
    EXPECT_EQ(plain.find("[ARMX]"), plain.size() - 15);
    EXPECT_EQ(encrypted.find("[ARMX]"), std::string::npos);
    EXPECT_EQ(encrypted.find("armx.fbi"), std::string::npos);
    std::string text;
    while (text.size() < 100000) text += "[UNIT]\r\n{\r\n\tbuildcost=100;\r\n\tname=Sample unit;\r\n}\r\n";
    for (PackMethod method : {PackMethod::Lz77, PackMethod::Zlib}) {
        HpiWriter packer;
        packer.AddFile("u.tdf", text, method);
        EXPECT_LT(packer.Build().size(), text.size() / 4) << static_cast<int>(method);
    }
}

TEST(HpiListing, FoldersAndEntriesMatchWithoutCase) {
    test::TempFolder scratch;
    HpiWriter writer;
    writer.AddFile("top.txt", "T");
    writer.AddFile("Units\\ARMX.fbi", "A", PackMethod::Lz77);
    writer.AddFile("units/corx.fbi", "C", PackMethod::Stored);  // same folder, other case and separator
    writer.AddFile("Units\\Sub\\deep.fbi", "D");
    writer.AddFolder("Empty");
    ASSERT_TRUE(writer.WriteTo(scratch / "a.hpi", 1234));
    auto archive = HpiArchive::Open(scratch / "a.hpi");
    ASSERT_TRUE(archive);
    const std::pair<const char*, Names> folders[] = {
        {"", {"top.txt"}}, {"\\", {"top.txt"}},  // root: sub-folders are not reported
        {"UNITS", {"ARMX.fbi", "corx.fbi"}}, {"\\Units", {"ARMX.fbi", "corx.fbi"}}, {"\\uNiTs\\SUB\\", {"deep.fbi"}},
        {"empty", {}}, {"units\\missing", {}}, {"top.txt", {}}, {"unit", {}},
    };
    for (const auto& [folder, files] : folders) EXPECT_EQ(List(*archive, folder), files) << "folder '" << folder << "'";
    EXPECT_EQ(List(*archive, "", true), (Names{"Units", "Empty"}));

    const std::pair<const char*, const char*> entries[] = {  // null: no such entry
        {"\\top.txt", "T"}, {"units\\armx.fbi", "A"}, {"\\UNITS\\Corx.FBI", "C"}, {"units\\sub\\deep.fbi", "D"},
        {"deep.fbi", nullptr}, {"units\\", nullptr}, {"units\\sub", nullptr}, {"", nullptr}, {"units\\armx.fb", nullptr},
    };
    for (const auto& [entry, contents] : entries) {
        std::filesystem::remove(scratch / "out.txt");
        EXPECT_EQ(archive->ExtractFile(entry, scratch / "out.txt"), contents != nullptr) << entry;
        EXPECT_EQ(ReadBytes(scratch / "out.txt"), contents ? contents : "") << entry;
        EXPECT_EQ(std::filesystem::exists(scratch / "out.txt"), contents != nullptr) << entry;
    }

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

TEST(HpiOpen, FailsCleanlyForWhatIsNoArchive) {
    test::TempFolder scratch;
    EXPECT_FALSE(HpiArchive::Open(scratch / "missing.hpi"));
    EXPECT_FALSE(HpiArchive::Open(scratch / ""));  // a folder
    for (const std::string& bytes :
         {std::string(), std::string("HAPI"), std::string(19, '\0'), std::string(5000, 'x'), std::string("HAPI\0\0\1\0", 8)})
        EXPECT_FALSE(HpiArchive::Open(scratch.Write("x.hpi", bytes))) << bytes.size();
}

TEST(HpiInflate, ExactlyTheStatedSizeWithEitherBackend) {
    const std::string data = std::string(40000, 'q') + "tail";
    const std::string packed = test::ZlibOf(data);
    const struct {
        const char* what;
        std::string in;
        std::size_t room;
        bool ok;
    } cases[] = {
        {"exact", packed, data.size(), true},
        {"trailing bytes after the stream", packed + "junk", data.size(), true},
        {"stream gives more than stated", packed, data.size() - 1, false},
        {"cut short", packed.substr(0, packed.size() - 5), data.size(), false},
        {"raw deflate without zlib header", packed.substr(2), data.size(), false},
    };
    for (InflateBackend backend : {InflateBackend::Zlib, InflateBackend::Libdeflate}) {
        Inflater inflater(backend);
        for (const auto& c : cases) {
            std::string out(c.room + 16, '#');
            const bool ok = inflater.Inflate(reinterpret_cast<const std::uint8_t*>(c.in.data()), c.in.size(),
                                             reinterpret_cast<std::uint8_t*>(out.data()), c.room);
            EXPECT_EQ(ok, c.ok) << c.what << " backend " << static_cast<int>(backend);
            EXPECT_EQ(out.substr(c.room), std::string(16, '#')) << c.what;
            if (c.ok) {
                EXPECT_EQ(out.substr(0, c.room), data) << c.what;
            }
        }
    }
}

TEST(HpiTool, PackListExtract) {
    test::TempFolder scratch;
    auto run = [&](const std::string& arguments) {
        const int status = std::system((std::string("'") + LORVEX_HPI_TOOL + "' " + arguments + " > '" +
                                        (scratch / "log").string() + "' 2>/dev/null").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    auto q = [&](const std::string& name) { return " '" + (scratch / name).string() + "'"; };
    std::filesystem::create_directories(scratch / "src/Units");
    scratch.Write("src/Units/b.tdf", BinaryData(70000));
    for (const char* archive : {"a.hpi", "b.hpi"})
        ASSERT_EQ(run("pack" + q(archive) + q("src") + " --method lz77 --seed 9"), 0);
    EXPECT_EQ(ReadBytes(scratch / "a.hpi"), ReadBytes(scratch / "b.hpi"));
    ASSERT_EQ(run("list" + q("a.hpi")), 0);
    EXPECT_EQ(ReadBytes(scratch / "log"), "Units\\b.tdf\n");
    ASSERT_EQ(run("extract" + q("a.hpi") + " 'UNITS\\B.TDF'" + q("out")), 0);
    EXPECT_EQ(ReadBytes(scratch / "out"), BinaryData(70000));
    EXPECT_EQ(run("extract" + q("a.hpi") + " nothing" + q("out2")), 1);
    EXPECT_FALSE(std::filesystem::exists(scratch / "out2"));
    EXPECT_EQ(run("list"), 2);
}

}  // namespace
}  // namespace lorvex::hpi
