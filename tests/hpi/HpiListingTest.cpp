// Folder listing and entry lookup as the archive scan uses them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "hpi/HpiArchive.h"
#include "hpi/HpiWriter.h"
#include "tests/hpi/HpiTestSupport.h"

namespace lorvex::hpi {
namespace {

using test::ReadBytes;
using test::ScratchFolder;

std::vector<std::string> ListFiles(const HpiArchive& archive, std::string_view folder)
{
    std::vector<std::string> names;
    char name[64];
    for (std::size_t c = archive.Dir(0, folder, name, sizeof name); c != 0; c = archive.Dir(c, folder, name, sizeof name))
        names.emplace_back(name);
    return names;
}

class HpiListing : public ::testing::Test {
protected:
    void SetUp() override
    {
        HpiWriter writer;
        writer.AddFile("top.txt", "T");
        writer.AddFile("Units\\ARMX.fbi", "A", PackMethod::Lz77);
        writer.AddFile("units/corx.fbi", "C", PackMethod::Stored);  // same folder, other case and separator
        writer.AddFile("Units\\Sub\\deep.fbi", "D");
        writer.AddFolder("Empty");
        ASSERT_TRUE(writer.WriteTo(scratch / "a.hpi", 1234));
        archive = HpiArchive::Open(scratch / "a.hpi");
        ASSERT_TRUE(archive);
    }

    ScratchFolder scratch;
    std::unique_ptr<HpiArchive> archive;
};

TEST_F(HpiListing, FoldersMatchWithoutCaseAndListOnlyTheirFiles)
{
    using Names = std::vector<std::string>;
    const struct {
        const char* folder;
        Names files;
    } cases[] = {
        {"", {"top.txt"}},  // root: sub-folders are not reported
        {"\\", {"top.txt"}},
        {"units", {"ARMX.fbi", "corx.fbi"}},
        {"UNITS", {"ARMX.fbi", "corx.fbi"}},
        {"\\Units", {"ARMX.fbi", "corx.fbi"}},
        {"units\\sub", {"deep.fbi"}},
        {"\\uNiTs\\SUB\\", {"deep.fbi"}},
        {"empty", {}},
        {"missing", {}},
        {"units\\missing", {}},
        {"top.txt", {}},  // a file is not a folder
        {"unit", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ListFiles(*archive, c.folder), c.files) << "folder '" << c.folder << "'";
}

TEST_F(HpiListing, EntriesMatchWithoutCaseAndWithLeadingBackslash)
{
    const struct {
        const char* entry;
        const char* contents;  // null: no such entry
    } cases[] = {
        {"top.txt", "T"},          {"\\top.txt", "T"},
        {"units\\armx.fbi", "A"},  {"\\UNITS\\Corx.FBI", "C"},
        {"units\\sub\\deep.fbi", "D"}, {"deep.fbi", nullptr},
        {"units\\", nullptr},      {"units", nullptr},
        {"units\\sub", nullptr},   {"", nullptr},
        {"units\\armx.fb", nullptr},
    };
    for (const auto& c : cases) {
        const auto out = scratch / "out.txt";
        std::filesystem::remove(out);
        EXPECT_EQ(archive->ExtractFile(c.entry, out), c.contents != nullptr) << c.entry;
        if (c.contents != nullptr)
            EXPECT_EQ(ReadBytes(out), c.contents) << c.entry;
        else
            EXPECT_FALSE(std::filesystem::exists(out)) << c.entry;
    }
}

TEST_F(HpiListing, NameIsCutToCapacityAndLeftAloneAtTheEnd)
{
    char name[8];
    std::memset(name, '#', sizeof name);
    const std::size_t c = archive->Dir(0, "units", name, 4);
    EXPECT_NE(c, 0u);
    EXPECT_STREQ(name, "ARM");
    EXPECT_EQ(name[4], '#');  // nothing written past the capacity
    EXPECT_NE(archive->Dir(c, "units", name, 1), 0u);
    EXPECT_STREQ(name, "");
    std::memcpy(name, "keep", 5);
    EXPECT_EQ(archive->Dir(2, "units", name, sizeof name), 0u);
    EXPECT_STREQ(name, "keep");
}

TEST_F(HpiListing, SubFoldersAreListedSeparately)
{
    char name[16];
    std::vector<std::string> folders;
    for (std::size_t c = archive->DirFolders(0, "", name, sizeof name); c != 0;
         c = archive->DirFolders(c, "", name, sizeof name))
        folders.emplace_back(name);
    EXPECT_EQ(folders, (std::vector<std::string>{"Units", "Empty"}));
}

TEST_F(HpiListing, ClosedArchiveListsAndExtractsNothing)
{
    archive->Close();
    char name[16];
    EXPECT_EQ(archive->Dir(0, "", name, sizeof name), 0u);
    EXPECT_FALSE(archive->ExtractFile("top.txt", scratch / "out"));
    EXPECT_FALSE(std::filesystem::exists(scratch / "out"));
}

TEST(HpiOpen, FailsCleanlyForWhatIsNoArchive)
{
    ScratchFolder scratch;
    EXPECT_FALSE(HpiArchive::Open(scratch / "missing.hpi"));
    EXPECT_FALSE(HpiArchive::Open(scratch.Path()));  // a folder
    const std::string cases[] = {"", "HAPI", std::string(19, '\0'), std::string(5000, 'x'), std::string("HAPI\0\0\1\0", 8)};
    for (const std::string& bytes : cases) {
        test::WriteBytes(scratch / "x.hpi", bytes);
        EXPECT_FALSE(HpiArchive::Open(scratch / "x.hpi")) << bytes.size();
    }
}

}  // namespace
}  // namespace lorvex::hpi
