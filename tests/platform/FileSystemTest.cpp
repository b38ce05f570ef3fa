#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "platform/FileSystem.h"

namespace fs = std::filesystem;
using namespace lorvex::platform;

namespace {

// Each test works in a fresh folder that is its current folder, as the program does.
class FileSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        old_ = fs::current_path();
        root_ = fs::temp_directory_path() / ("lorvex-fs-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "game" / "cur");
        fs::current_path(root_ / "game" / "cur");
    }
    void TearDown() override {
        fs::current_path(old_);
        fs::remove_all(root_);
    }
    static void Touch(const fs::path& p) { std::ofstream(p) << "x"; }
    fs::path old_, root_;
};

TEST_F(FileSystemTest, PathTextsResolveWithoutRegardToCase) {
    fs::create_directory("Lorvex temp");
    Touch("Lorvex temp/armx.fbi");
    Touch("../REV31.GP3");
    struct Case {
        const char* text;
        const char* disk;
    } cases[] = {
        {"Lorvex temp\\ARMX.FBI", "Lorvex temp/armx.fbi"},
        {"lorvex TEMP\\armx.fbi", "Lorvex temp/armx.fbi"},
        {"..\\rev31.gp3", "../REV31.GP3"},
        {"Lorvex temp\\new.fbi", "Lorvex temp/new.fbi"},  // not there yet: kept as written
        {"missing\\Deeper\\x", "missing/Deeper/x"},
    };
    for (const Case& c : cases) EXPECT_EQ(DiskPath(c.text), fs::path(c.disk)) << c.text;
    EXPECT_TRUE(Exists("LORVEX TEMP\\Armx.Fbi"));
    EXPECT_FALSE(Exists("Lorvex temp\\armx.fb"));
}

TEST_F(FileSystemTest, WildcardsMatchCaseInsensitively) {
    struct Case {
        const char* pattern;
        const char* text;
        bool match;
    } cases[] = {
        {"*.ccx", "Extra.CCX", true}, {"*.ccx", "extra.ccx.bak", false}, {"*.cfg", ".cfg", true},
        {"*.*", "noext", false},      {"*", "anything", true},           {"a?c", "ABC", true},
        {"a*b*c", "aXXbYYc", true},   {"a*b*c", "aXXbYY", false},       {"*.hpi", "x.hp", false},
    };
    for (const Case& c : cases) EXPECT_EQ(WildcardMatch(c.pattern, c.text), c.match) << c.pattern << " " << c.text;
}

TEST_F(FileSystemTest, ListingIsSortedAndHoldsOnlyFiles) {
    Touch("../b.ccx");
    Touch("../A.CCX");
    Touch("../c.ufo");
    fs::create_directory("../dir.ccx");
    EXPECT_EQ(ListFiles("..", "*.ccx"), (std::vector<std::string>{"A.CCX", "b.ccx"}));
    EXPECT_TRUE(ListFiles("nowhere", "*").empty());
}

TEST_F(FileSystemTest, EmptyingTheScratchFolderStaysInsideIt) {
    fs::create_directory("Lorvex temp");
    fs::create_directory("Lorvex temp/sub");
    Touch("Lorvex temp/sub/kept");
    Touch("Lorvex temp/a.fbi");
    Touch("../precious");
    fs::create_symlink(fs::absolute("../precious"), "Lorvex temp/link");
    fs::create_directory("../outside");
    Touch("../outside/keep");
    fs::create_directory_symlink(fs::absolute("../outside"), "Lorvex temp/dirlink");

    EXPECT_EQ(EmptyFolder("lorvex temp"), 0);
    EXPECT_FALSE(fs::exists("Lorvex temp/a.fbi"));
    EXPECT_FALSE(fs::is_symlink("Lorvex temp/link"));
    EXPECT_FALSE(fs::is_symlink("Lorvex temp/dirlink"));
    EXPECT_TRUE(fs::exists("../precious"));
    EXPECT_TRUE(fs::exists("../outside/keep"));
    EXPECT_TRUE(fs::exists("Lorvex temp/sub/kept"));
    EXPECT_TRUE(fs::is_directory("Lorvex temp"));

    // A scratch folder that is itself a link to elsewhere is left alone.
    fs::remove_all("Lorvex temp");
    fs::create_directory_symlink(fs::absolute("../outside"), "Lorvex temp");
    EmptyFolder("Lorvex temp");
    EXPECT_TRUE(fs::exists("../outside/keep"));
}

}  // namespace
