#include "platform/GameFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/GameFolder.h"

namespace lorvex::platform {
namespace {

namespace fs = std::filesystem;
using testing::GameFolder;

TEST(GameFolders, WhatMakesAGameFolder) {
    GameFolder root;
    const std::pair<std::vector<const char*>, GameFolderCheck> cases[] = {
        {{"rev31.gp3"}, GameFolderCheck::Ok}, {{"REV31.GP3"}, GameFolderCheck::Ok}, {{"Extra.CCX"}, GameFolderCheck::Ok},
        {{"a.ufo"}, GameFolderCheck::Ok}, {{"b.Hpi", "x.txt"}, GameFolderCheck::Ok},
        {{"readme.txt", "rev31.gp"}, GameFolderCheck::NoArchive}, {{}, GameFolderCheck::NoArchive},
    };
    int n = 0;
    for (const auto& [files, expected] : cases) {
        const fs::path dir = "g" + std::to_string(n++);
        fs::create_directory(dir);
        for (const char* f : files) GameFolder::Write(dir / f, "x");
        EXPECT_EQ(CheckGameFolder(dir), expected) << dir;
    }
    fs::create_directories("h/dir.hpi");  // a folder named like an archive is none
    EXPECT_EQ(CheckGameFolder("h"), GameFolderCheck::NoArchive);
    EXPECT_EQ(CheckGameFolder("nowhere"), GameFolderCheck::Missing);
    EXPECT_EQ(CheckGameFolder(""), GameFolderCheck::Missing);
    GameFolder::Write("file.hpi", "x");
    EXPECT_EQ(CheckGameFolder("file.hpi"), GameFolderCheck::NotAFolder);
    EXPECT_NE(GameFolderMessage(GameFolderCheck::NoArchive, "/g").find("/g is not a game folder"), std::string::npos);

    // Started from a desktop menu: nothing to work with, unless the parent is a
    // game or the current folder holds a configuration.
    EXPECT_TRUE(NeedsGameFolder("."));
    GameFolder::Write("units.CFG", "x");
    EXPECT_FALSE(NeedsGameFolder("."));
    fs::remove("units.CFG");
    GameFolder::Write("../base.hpi", "x");
    EXPECT_FALSE(NeedsGameFolder("."));
}

TEST(GameFolders, WorkFolderInTheGameOrPerUser) {
    GameFolder root;
    const fs::path data = root.Root() / "data";
    const auto yes = [](const fs::path&) { return true; };
    const auto no = [](const fs::path&) { return false; };
    fs::create_directory("plain");
    EXPECT_EQ(ChooseWorkFolder("plain", data, yes), fs::path("plain/Lorvex"));
    EXPECT_TRUE(fs::is_directory("plain/Lorvex"));
    fs::create_directories("spelt/LORVEX");  // the spelling already there is used
    EXPECT_EQ(ChooseWorkFolder("spelt", data, yes), fs::path("spelt/LORVEX"));

    // Read-only game, a work folder that is a file, a read-only work folder: per user.
    fs::create_directory("ro");
    fs::create_directory("clash");
    GameFolder::Write("clash/Lorvex", "x");
    // A game that ships "Lorvex" as a link: never worked in through it.
    fs::create_directories("linked");
    fs::create_directories("elsewhere");
    fs::create_directory_symlink("../elsewhere", "linked/Lorvex");
    for (const auto& [game, probe] : {std::pair{"ro", +no}, {"clash", +yes}, {"spelt", +no}, {"linked", +yes}}) {
        const fs::path work = ChooseWorkFolder(game, data, probe);
        EXPECT_EQ(work, data / "games" / PerGameFolderName(game)) << game;
        EXPECT_TRUE(fs::is_directory(work)) << game;
    }
    EXPECT_FALSE(fs::exists("ro/Lorvex"));
    EXPECT_TRUE(fs::is_empty("elsewhere"));
    EXPECT_EQ(ChooseWorkFolder("ro", "", no), fs::path());

    // The per-user names: readable, the same for one folder, distinct for two of one name.
    fs::create_directories("a/Game");
    fs::create_directories("b/Game");
    const std::string name = PerGameFolderName("a/Game");
    EXPECT_EQ(name.rfind("Game-", 0), 0u) << name;
    EXPECT_EQ(name, PerGameFolderName(fs::absolute("a/Game/")));
    EXPECT_NE(name, PerGameFolderName("b/Game"));

    // The real probe tries a file: a folder of the kernel's cannot take one, even for root.
    EXPECT_TRUE(CanWriteIn("."));
    EXPECT_FALSE(CanWriteIn("/proc"));
    EXPECT_FALSE(CanWriteIn("nowhere"));
    EXPECT_TRUE(CanWriteIn("plain/Lorvex") && fs::is_empty("plain/Lorvex"));  // the probe leaves nothing behind
}

TEST(GameFolders, SampleConfigurationsOnlyIntoAFolderWithoutAny) {
    GameFolder root;
    fs::create_directories("samples");
    fs::create_directories("work");
    for (const char* name : {"samples/units.cfg", "samples/weapons.cfg", "samples/notes.txt"})
        GameFolder::Write(name, "sample");
    EXPECT_EQ(CopySampleConfigurations("samples", "work"), (std::vector<std::string>{"units.cfg", "weapons.cfg"}));
    EXPECT_FALSE(fs::exists("work/notes.txt"));
    GameFolder::Write("work/units.cfg", "mine");
    fs::remove("work/weapons.cfg");
    EXPECT_TRUE(CopySampleConfigurations("samples", "work").empty());
    EXPECT_EQ(GameFolder::Read("work/units.cfg"), "mine");
    EXPECT_FALSE(fs::exists("work/weapons.cfg"));
    EXPECT_TRUE(CopySampleConfigurations("nowhere", "empty").empty());

    // A link where a sample goes is never written through, dangling or not.
    fs::create_directories("linkwork");
    fs::create_directories("outside");
    GameFolder::Write("outside/weapons.cfg", "theirs");
    fs::create_symlink("../outside/units.cfg", "linkwork/units.cfg");      // dangling
    fs::create_symlink("../outside/weapons.cfg", "linkwork/weapons.cfg");  // to a file
    EXPECT_TRUE(CopySampleConfigurations("samples", "linkwork").size() < 2);
    EXPECT_FALSE(fs::exists("outside/units.cfg"));
    EXPECT_EQ(GameFolder::Read("outside/weapons.cfg"), "theirs");
}

TEST(GameFolders, ConfigurationNames) {
    GameFolder root;
    const std::pair<const char*, bool> names[] = {
        {"units.cfg", true}, {"My Units.CFG", true}, {"", false},        {"../units.cfg", false},
        {"a/b.cfg", false},  {"a\\b.cfg", false},    {"..", false},      {"x..cfg", false},
    };
    for (const auto& [name, ok] : names) EXPECT_EQ(IsConfigurationName(name), ok) << name;
    for (const char* f : {"Units.cfg", "units.cfg", "Weapons.CFG", "notes.txt"}) GameFolder::Write(f, "x");
    const std::pair<const char*, std::optional<std::string>> found[] = {
        {"units.cfg", "units.cfg"}, {"UNITS.CFG", "Units.cfg"}, {"weapons.cfg", "Weapons.CFG"},
        {"notes.txt", std::nullopt}, {"none.cfg", std::nullopt}, {"../cur/units.cfg", std::nullopt},
    };
    for (const auto& [name, expected] : found) EXPECT_EQ(FindConfiguration(".", name), expected) << name;
}

TEST(GameFolders, RecentGames) {
    using List = std::vector<std::string>;
    const std::tuple<List, std::string, List> cases[] = {
        {{}, "/g/a", {"/g/a"}},
        {{"/g/b", "/g/a", "/g/c"}, "/g/a/", {"/g/a", "/g/b", "/g/c"}},  // moved to the front, once
        {{"/g/b", "/g/b/.", "", "/g/c"}, "/g/a", {"/g/a", "/g/b", "/g/c"}},
        {{"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8"}, "/9", {"/9", "/1", "/2", "/3", "/4", "/5", "/6", "/7"}},
    };
    for (const auto& [recent, added, expected] : cases) EXPECT_EQ(AddRecentGame(recent, added), expected) << added;

    // Only games that are still there, most recent first, at most eight.
    const auto exists = [](const std::string& g) { return g.find("gone") == std::string::npos; };
    EXPECT_EQ(UsableRecentGames({"/a", "/gone", "/b/", "/a", "/c", "/d", "/e", "/f", "/g", "/h", "/i"}, exists),
              (List{"/a", "/b", "/c", "/d", "/e", "/f", "/g", "/h"}));
}

}  // namespace
}  // namespace lorvex::platform
