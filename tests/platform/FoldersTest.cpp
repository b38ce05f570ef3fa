// Paths as the game writes them, the scratch folder emptied, game and work folders, and settings files that are
// safe to read.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/FileSystem.h"
#include "platform/GameFolder.h"
#include "platform/SettingsGuard.h"
#include "tests/support/GameFolder.h"

namespace lorvex::platform {
namespace {

namespace fs = std::filesystem;
using testkit::GameFolder;
using List = std::vector<std::string>;

void MakeFolders(std::initializer_list<const char*> names) {
    for (const char* name : names) fs::create_directories(name);
}

TEST(FileSystem, PathTextsAndWildcardsIgnoreCase) {
    GameFolder game;
    MakeFolders({"Lorvex temp", "../dir.ccx"});
    for (const char* name : {"Lorvex temp/armx.fbi", "Lorvex temp/Dup.fbi", "Lorvex temp/dup.fbi", "../REV31.GP3",
                             "../b.ccx", "../B.CCX", "../A.CCX", "../c.ufo"})
        GameFolder::Write(name, "x");
    const std::pair<const char*, const char*> paths[] = {
        {"lorvex TEMP\\ARMX.fbi", "Lorvex temp/armx.fbi"},
        {"..\\rev31.gp3", "../REV31.GP3"},
        {"Lorvex temp\\new.fbi", "Lorvex temp/new.fbi"},  // not there yet: kept as written
        {"missing\\Deeper\\x", "missing/Deeper/x"},
        {"Lorvex temp\\dup.fbi", "Lorvex temp/dup.fbi"},  // both spellings there: each reads its own
        {"Lorvex temp\\Dup.fbi", "Lorvex temp/Dup.fbi"},
    };
    for (const auto& [text, disk] : paths) EXPECT_EQ(DiskPath(text), fs::path(disk)) << text;
    EXPECT_TRUE(Exists("LORVEX TEMP\\Armx.Fbi"));
    EXPECT_FALSE(Exists("Lorvex temp\\armx.fb"));
    const std::tuple<const char*, const char*, bool> patterns[] = {
        {"*.ccx", "Extra.CCX", true}, {"*.ccx", "extra.ccx.bak", false},
        {"*.cfg", ".cfg", true},      {"*.*", "noext", false},
        {"a?c", "ABC", true},         {"a*b*c", "aXXbYYc", true},
        {"a*b*c", "aXXbYY", false},   {"units*", "units", true},  // a star at the end matches nothing too
    };
    for (const auto& [pattern, text, match] : patterns)
        EXPECT_EQ(WildcardMatch(pattern, text), match) << pattern << text;
    // Sorted, files only; two spellings of one name in raw byte order, the same on every run.
    EXPECT_EQ(ListFiles("..", "*.ccx"), (List{"A.CCX", "B.CCX", "b.ccx"}));
    EXPECT_TRUE(ListFiles("nowhere", "*").empty());
    // A name is one entry of the folder: never the folder itself, its parent or a path.
    EXPECT_EQ(DiskPathOfName("lorvex TEMP", "ARMX.FBI"), fs::path("Lorvex temp/armx.fbi"));
    for (const char* name : {"", ".", "..", "a/b"}) EXPECT_EQ(DiskPathOfName("Lorvex temp", name), fs::path()) << name;
}

TEST(FileSystem, EmptyingTheScratchFolderStaysInsideIt) {
    GameFolder game;
    MakeFolders({"Lorvex temp/sub", "../outside"});
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

TEST(GameFolders, WhatMakesAGameFolder) {
    GameFolder root;
    const std::pair<std::vector<const char*>, GameFolderCheck> cases[] = {
        {{"rev31.gp3"}, GameFolderCheck::Ok},      {{"REV31.GP3"}, GameFolderCheck::Ok},
        {{"Extra.CCX"}, GameFolderCheck::Ok},      {{"a.ufo"}, GameFolderCheck::Ok},
        {{"b.Hpi", "x.txt"}, GameFolderCheck::Ok}, {{"readme.txt", "rev31.gp"}, GameFolderCheck::NoArchive},
        {{}, GameFolderCheck::NoArchive},
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
    MakeFolders({"plain", "spelt/LORVEX", "ro", "clash", "linked", "elsewhere", "a/Game", "b/Game"});
    EXPECT_EQ(ChooseWorkFolder("plain", data, yes), fs::path("plain/Lorvex"));
    EXPECT_TRUE(fs::is_directory("plain/Lorvex"));
    EXPECT_EQ(ChooseWorkFolder("spelt", data, yes), fs::path("spelt/LORVEX"));  // the spelling already there is used
    // Read-only game, a work folder that is a file, a read-only work folder, and a game that ships "Lorvex" as a
    // link (never worked in through it): per user.
    GameFolder::Write("clash/Lorvex", "x");
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
    const std::string name = PerGameFolderName("a/Game");
    EXPECT_EQ(name.rfind("Game-", 0), 0u) << name;
    EXPECT_EQ(name, PerGameFolderName(fs::absolute("a/Game/")));
    EXPECT_NE(name, PerGameFolderName("b/Game"));
    EXPECT_EQ(PerGameFolderName(".hidden").rfind("game.hidden-", 0), 0u);  // never a hidden folder
    // The real probe tries a file: a folder of the kernel's cannot take one, even for root.
    EXPECT_TRUE(CanWriteIn("."));
    EXPECT_FALSE(CanWriteIn("/proc") || CanWriteIn("nowhere"));
    EXPECT_TRUE(CanWriteIn("plain/Lorvex") && fs::is_empty("plain/Lorvex"));  // the probe leaves nothing behind
    // A game compared with the open one is never written, even when it could be: its work folder and the copy of
    // the configuration compared are per user, and comparing again brings the copy up to date.
    GameFolder::Write("plain/base.hpi", "x");
    for (const char* units : {"units 1", "units 2"}) {
        GameFolder::Write("mine.cfg", units);
        const ComparedGame other = OpenComparedGame("plain", "plain", data, "mine.cfg");
        EXPECT_EQ(other.work, data / "games" / PerGameFolderName("plain") / "Compared") << other.problem;
        EXPECT_EQ(GameFolder::Read(other.work / "mine.cfg"), units);
    }
    EXPECT_TRUE(fs::is_empty("plain/Lorvex"));
}

TEST(GameFolders, SampleConfigurationsOnlyIntoAFolderWithoutAny) {
    GameFolder root;
    MakeFolders({"samples", "work", "linkwork", "outside"});
    for (const char* name : {"samples/units.cfg", "samples/weapons.cfg", "samples/notes.txt"})
        GameFolder::Write(name, "sample");
    EXPECT_EQ(CopySampleConfigurations("samples", "work"), (List{"units.cfg", "weapons.cfg"}));
    EXPECT_FALSE(fs::exists("work/notes.txt"));
    GameFolder::Write("work/units.cfg", "mine");
    fs::remove("work/weapons.cfg");
    EXPECT_TRUE(CopySampleConfigurations("samples", "work").empty());
    EXPECT_EQ(GameFolder::Read("work/units.cfg"), "mine");
    EXPECT_FALSE(fs::exists("work/weapons.cfg"));
    EXPECT_TRUE(CopySampleConfigurations("nowhere", "empty").empty());
    // A link where a sample goes is never written through, dangling or not.
    GameFolder::Write("outside/weapons.cfg", "theirs");
    fs::create_symlink("../outside/units.cfg", "linkwork/units.cfg");      // dangling
    fs::create_symlink("../outside/weapons.cfg", "linkwork/weapons.cfg");  // to a file
    EXPECT_TRUE(CopySampleConfigurations("samples", "linkwork").size() < 2);
    EXPECT_FALSE(fs::exists("outside/units.cfg"));
    EXPECT_EQ(GameFolder::Read("outside/weapons.cfg"), "theirs");
}

TEST(GameFolders, ConfigurationNamesAndRecentGames) {
    GameFolder root;
    const std::pair<const char*, bool> names[] = {
        {"units.cfg", true}, {"My Units.CFG", true}, {"", false},   {"../units.cfg", false},
        {"a/b.cfg", false},  {"a\\b.cfg", false},    {"..", false}, {"x..cfg", false},
    };
    for (const auto& [name, ok] : names) EXPECT_EQ(IsConfigurationName(name), ok) << name;
    for (const char* f : {"Units.cfg", "units.cfg", "Weapons.CFG", "notes.txt"}) GameFolder::Write(f, "x");
    const std::pair<const char*, std::optional<std::string>> found[] = {
        {"units.cfg", "units.cfg"},  {"UNITS.CFG", "Units.cfg"}, {"weapons.cfg", "Weapons.CFG"},
        {"notes.txt", std::nullopt}, {"none.cfg", std::nullopt}, {"../cur/units.cfg", std::nullopt},
    };
    for (const auto& [name, expected] : found) EXPECT_EQ(FindConfiguration(".", name), expected) << name;

    const std::tuple<List, std::string, List> recent[] = {
        {{}, "/g/a", {"/g/a"}},
        {{"/g/a"}, "/", {"/", "/g/a"}},                                 // the root folder keeps its only slash
        {{"/g/b", "/g/a", "/g/c"}, "/g/a/", {"/g/a", "/g/b", "/g/c"}},  // moved to the front, once
        {{"/g/b", "/g/b/.", "", "/g/c"}, "/g/a", {"/g/a", "/g/b", "/g/c"}},
        {{"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8"}, "/9", {"/9", "/1", "/2", "/3", "/4", "/5", "/6", "/7"}},
    };
    for (const auto& [before, added, after] : recent) EXPECT_EQ(AddRecentGame(before, added), after) << added;
    // Only games that are still there, most recent first, at most eight.
    const auto exists = [](const std::string& g) { return g.find("gone") == std::string::npos; };
    EXPECT_EQ(UsableRecentGames({"/a", "/gone", "/b/", "/a", "/c", "/d", "/e", "/f", "/g", "/h", "/i"}, exists),
              (List{"/a", "/b", "/c", "/d", "/e", "/f", "/g", "/h"}));
}

fs::path Sized(const char* name, std::uint64_t size) {
    std::ofstream(name, std::ios::binary).close();
    fs::resize_file(name, size);
    return fs::absolute(name);
}

TEST(SettingsGuard, OnlyMissingOrSmallRegularFilesAreRead) {
    GameFolder folder;
    const struct {
        const char* why;
        std::function<fs::path()> make;
        const char* problem;
    } cases[] = {
        // "": usable
        {"the file a run wrote", [] { return Sized("a.conf", 300); }, ""},
        {"the bound itself is still a settings file", [] { return Sized("b.conf", kMaxSettingsFileSize); }, ""},
        {"a first run has none", [] { return fs::absolute("none.conf"); }, ""},
        {"a pipe would wait for a writer forever", [] { return ::mkfifo("p.conf", 0600), fs::absolute("p.conf"); },
         "named pipe"},
        {"a symbolic link leads to the pipe just the same",
         [] { return fs::create_symlink("p.conf", "l.conf"), fs::absolute("l.conf"); }, "named pipe"},
        {"a folder has no settings to read", [] { return fs::create_directory("d.conf"), fs::absolute("d.conf"); },
         "folder"},
        {"a device never ends", [] { return fs::path("/dev/zero"); }, "device"},
        {"one byte past the bound would be read whole", [] { return Sized("big.conf", kMaxSettingsFileSize + 1); },
         "larger"},
        {"a file where the folder should be", [] { return fs::absolute("a.conf/x.conf"); }, "cannot be opened"},
    };
    for (const auto& c : cases) {
        const SettingsFileCheck check = CheckSettingsFile(c.make().string());
        EXPECT_EQ(check.usable, *c.problem == 0) << c.why;
        EXPECT_NE(check.problem.find(c.problem), std::string::npos) << c.why << ": " << check.problem;
        EXPECT_EQ(check.problem.empty(), check.usable) << c.why;
    }
    EXPECT_TRUE(fs::is_fifo("p.conf")) << "looking must not have turned the pipe into anything else";
}

}  // namespace
}  // namespace lorvex::platform
