// Archives made by the writer read back to the very bytes that went in.
#include <gtest/gtest.h>

#include "hpi/HpiArchive.h"
#include "hpi/HpiWriter.h"
#include "tests/hpi/HpiTestSupport.h"

namespace lorvex::hpi {
namespace {

using test::BinaryData;
using test::ReadBytes;
using test::ScratchFolder;

TEST(HpiRoundTrip, EveryMethodEncryptionScrambleAndSize)
{
    ScratchFolder scratch;
    const std::size_t sizes[] = {0, 1, 65535, 65536, 65537, 200000};
    const PackMethod methods[] = {PackMethod::Stored, PackMethod::Lz77, PackMethod::Zlib};
    const std::uint32_t seeds[] = {0, 0xA5C3E1F7u};
    for (PackMethod method : methods) {
        for (std::uint32_t seed : seeds) {
            for (bool scramble : {false, true}) {
                SCOPED_TRACE(::testing::Message() << "method " << static_cast<int>(method) << " seed " << seed
                                                  << " scramble " << scramble);
                HpiWriter writer;
                for (std::size_t size : sizes)
                    writer.AddFile("data\\f" + std::to_string(size) + ".bin", BinaryData(size, 7 + size), method,
                                   scramble);
                // Text with long runs exercises overlapping references.
                writer.AddFile("text\\run.txt", std::string(70000, 'a') + "abcabcabc" + std::string(300, 'z'),
                               method, scramble);
                const auto archivePath = scratch / "a.hpi";
                ASSERT_TRUE(writer.WriteTo(archivePath, seed));
                auto archive = HpiArchive::Open(archivePath);
                ASSERT_TRUE(archive);
                for (std::size_t size : sizes) {
                    const std::string entry = "data\\f" + std::to_string(size) + ".bin";
                    const auto out = scratch / "out.bin";
                    ASSERT_TRUE(archive->ExtractFile(entry, out)) << entry;
                    EXPECT_EQ(ReadBytes(out), BinaryData(size, 7 + size)) << entry;
                    EXPECT_EQ(archive->EntrySize(entry), size);
                }
                ASSERT_TRUE(archive->ExtractFile("text\\run.txt", scratch / "run.txt"));
                EXPECT_EQ(ReadBytes(scratch / "run.txt"),
                          std::string(70000, 'a') + "abcabcabc" + std::string(300, 'z'));
            }
        }
    }
}

TEST(HpiRoundTrip, PackingShrinksRepetitiveText)
{
    std::string text;
    while (text.size() < 100000)
        text += "[UNIT]\r\n{\r\n\tbuildcost=100;\r\n\tname=Sample unit;\r\n}\r\n";
    for (PackMethod method : {PackMethod::Lz77, PackMethod::Zlib}) {
        HpiWriter writer;
        writer.AddFile("u.tdf", text, method);
        EXPECT_LT(writer.Build().size(), text.size() / 4) << static_cast<int>(method);
    }
}

TEST(HpiRoundTrip, BuildIsDeterministicAndEncryptsEverythingAfterTheHeader)
{
    HpiWriter writer;
    writer.AddFile("units\\armx.fbi", "[ARMX]{name=x;}", PackMethod::Stored);
    const std::string plain = writer.Build(0);
    const std::string encrypted = writer.Build(99);
    EXPECT_EQ(plain, writer.Build(0));
    ASSERT_EQ(plain.size(), encrypted.size());
    EXPECT_EQ(plain.substr(0, 12), encrypted.substr(0, 12));  // marker, version, directory end
    EXPECT_EQ(test::GetU32(encrypted, 12), 99u);
    EXPECT_EQ(plain.find("[ARMX]"), plain.size() - 15);
    EXPECT_EQ(encrypted.find("[ARMX]"), std::string::npos);
    EXPECT_EQ(encrypted.find("armx.fbi"), std::string::npos);
}

TEST(HpiRoundTrip, FileAddedTwiceKeepsTheLaterContents)
{
    ScratchFolder scratch;
    HpiWriter writer;
    writer.AddFile("Units\\A.fbi", "old");
    writer.AddFile("units/a.FBI", "new", PackMethod::Stored);
    ASSERT_TRUE(writer.WriteTo(scratch / "a.hpi"));
    auto archive = HpiArchive::Open(scratch / "a.hpi");
    ASSERT_TRUE(archive);
    char name[32];
    EXPECT_EQ(archive->Dir(0, "units", name, sizeof name), 1u);
    EXPECT_STREQ(name, "A.fbi");
    EXPECT_EQ(archive->Dir(1, "units", name, sizeof name), 0u);
    ASSERT_TRUE(archive->ExtractFile("UNITS\\a.fbi", scratch / "out"));
    EXPECT_EQ(ReadBytes(scratch / "out"), "new");
}

}  // namespace
}  // namespace lorvex::hpi
