#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/GameFolder.h"

namespace lorvex::platform {
namespace {

namespace fs = std::filesystem;
using testing::GameFolder;

TEST(FileSystem, PathTextsAndWildcardsIgnoreCase) {
    GameFolder game;
    fs::create_directory("Lorvex temp");
    GameFolder::Write("Lorvex temp/armx.fbi", "x");
    GameFolder::Write("../REV31.GP3", "x");
    const std::pair<const char*, const char*> paths[] = {
        {"lorvex TEMP\\ARMX.fbi", "Lorvex temp/armx.fbi"}, {"..\\rev31.gp3", "../REV31.GP3"},
        {"Lorvex temp\\new.fbi", "Lorvex temp/new.fbi"},  // not there yet: kept as written
        {"missing\\Deeper\\x", "missing/Deeper/x"},
    };
    for (const auto& [text, disk] : paths) EXPECT_EQ(DiskPath(text), fs::path(disk)) << text;
    EXPECT_TRUE(Exists("LORVEX TEMP\\Armx.Fbi"));
    EXPECT_FALSE(Exists("Lorvex temp\\armx.fb"));

    const std::tuple<const char*, const char*, bool> patterns[] = {
        {"*.ccx", "Extra.CCX", true}, {"*.ccx", "extra.ccx.bak", false}, {"*.cfg", ".cfg", true},
        {"*.*", "noext", false},      {"a?c", "ABC", true},              {"a*b*c", "aXXbYYc", true},
        {"a*b*c", "aXXbYY", false},
    };
    for (const auto& [pattern, text, match] : patterns) EXPECT_EQ(WildcardMatch(pattern, text), match) << pattern << text;
    for (const char* name : {"../b.ccx", "../A.CCX", "../c.ufo"}) GameFolder::Write(name, "x");
    fs::create_directory("../dir.ccx");
    EXPECT_EQ(ListFiles("..", "*.ccx"), (std::vector<std::string>{"A.CCX", "b.ccx"}));  // sorted, files only
    EXPECT_TRUE(ListFiles("nowhere", "*").empty());
}

TEST(FileSystem, EmptyingTheScratchFolderStaysInsideIt) {
    GameFolder game;
    fs::create_directories("Lorvex temp/sub");
    fs::create_directory("../outside");
    for (const char* name : {"Lorvex temp/sub/kept", "Lorvex temp/a.fbi", "../precious", "../outside/keep"})
        GameFolder::Write(name, "x");
    fs::create_symlink(fs::absolute("../precious"), "Lorvex temp/link");
    fs::create_directory_symlink(fs::absolute("../outside"), "Lorvex temp/dirlink");
    EXPECT_EQ(EmptyFolder("lorvex temp"), 0);
    EXPECT_FALSE(fs::exists("Lorvex temp/a.fbi") || fs::is_symlink("Lorvex temp/link") ||
                 fs::is_symlink("Lorvex temp/dirlink"));
    EXPECT_TRUE(fs::exists("../precious") && fs::exists("../outside/keep") && fs::exists("Lorvex temp/sub/kept"));
    // A scratch folder that is itself a link to elsewhere is left alone.
    fs::remove_all("Lorvex temp");
    fs::create_directory_symlink(fs::absolute("../outside"), "Lorvex temp");
    EmptyFolder("Lorvex temp");
    EXPECT_TRUE(fs::exists("../outside/keep"));
}

}  // namespace
}  // namespace lorvex::platform
