// lorvex-export --compare as a user runs it, on a game and an older release of
// it packed here: each output's exact bytes, its failures, and the other
// game's folder left exactly as it was.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/FolderListing.h"
#include "tests/support/GameFolder.h"
#include "tests/support/ToolRun.h"

namespace lorvex {
namespace {

namespace fs = std::filesystem;
using testkit::GameFolder;
using testkit::Has;
using testkit::Ran;

Ran Export(const std::string& args) { return testkit::RunTool(LORVEX_EXPORT_TOOL, args, ".."); }

// Packs record files (name, text) of folder units into archive (relative to the current folder).
void Pack(const std::string& archive, const std::vector<std::pair<std::string, std::string>>& files) {
    fs::remove_all("../src");
    fs::create_directories("../src/units");
    for (const auto& [name, text] : files) GameFolder::Write("../src/units/" + name, text);
    ASSERT_EQ(testkit::RunTool(LORVEX_HPI_TOOL, "pack " + archive + " ../src", "..").status, 0);
    fs::remove_all("../src");
}

std::string Unit(const std::string& block, const std::string& fields) {
    return "[" + block + "]\n{\n" + fields + "}\n";
}

// This game (../rev31.gp3) and its older release (../old): a unit changed, one
// moved to the mod archive it came from before, one new and one gone; the old
// release reads its configuration from this game's and keeps its folder as it was.
// Every block is UNITINFO, as in the game's unit files: the name labels a record.
class Releases : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_DATA_HOME", (folder.Root() / "data").c_str(), 1);
        fs::create_directories("../old");
        Pack("../old/rev31.gp3", {{"armcom.fbi", Unit("UNITINFO", "name=Commander;\nmetal=120;\nspeed=1.2;\n")},
                                  {"gone.fbi", Unit("UNITINFO", "name=Gone;\nmetal=5;\n")}});
        Pack("../old/patch.hpi", {{"armflash.fbi", Unit("UNITINFO", "name=Flash;\nmetal=100;\nnote=a->b;\n")}});
        Pack("../rev31.gp3", {{"armcom.fbi", Unit("UNITINFO", "name=Commander;\nmetal=150;\nspeed=1.40;\n")},
                              {"ARMFLASH.FBI", Unit("UNITINFO", "name=Flash;\nmetal=100.0;\nnote=a->b;\n")},
                              {"new.fbi", Unit("UNITINFO", "name=Fresh;\nmetal=7;\n")}});
        GameFolder::Write(
            "u.cfg",
            "hpifolder=units;\nextension=.fbi;\n[headertext]\n{\nname=Block;\n}\n"
            "[string]\n{\nname=Name;\ntag=name;\n}\n[numeric]\n{\nname=Metal;\ntag=metal;\n}\n"
            "[numeric]\n{\nname=Speed;\ntag=speed;\ndecimals=2;\n}\n[string]\n{\nname=Note;\ntag=note;\n}\n");
    }
    void TearDown() override { ::unsetenv("XDG_DATA_HOME"); }
    GameFolder folder;
};

TEST_F(Releases, EachFormatWritesExactBytesAndTheOtherGameIsLeftAsItWas) {
    const auto before = testkit::FolderListing("../old");
    const std::string arrow = " \xE2\x86\x92 ";
    const struct {
        std::string args, out;
    } cases[] = {
        {"--compare ../old --format changelog u.cfg",
         "## Changed\r\n\r\n- **Commander** (armcom.fbi): Metal 120" + arrow + "150, Speed 1.2" + arrow +
             "1.4\r\n\r\n## Added\r\n\r\n- **Fresh** (new.fbi)\r\n\r\n## Removed\r\n\r\n- **Gone** "
             "(gone.fbi)\r\n"},
        // The filter holds in both games: the small units are left out of both.
        {"--compare=../old --filter 'Metal > 50' --format changelog u.cfg",
         "## Changed\r\n\r\n- **Commander** (armcom.fbi): Metal 120" + arrow + "150, Speed 1.2" + arrow + "1.4\r\n"},
        {"--compare ../old --format csv --columns Name,Metal u.cfg",
         "Change,Name,Metal\r\n,Flash,100\r\nchanged,Commander,120" + arrow +
             "150\r\nadded,Fresh,7\r\n"
             "removed,Gone,5\r\n"},
        // Sorted as this game's table is, the rows only the other game has after it.
        {"--compare ../old --columns Name,Speed,Located\\ In --sort Name:desc u.cfg",
         "Change\tName\tSpeed\tLocated In\r\nadded\tFresh\t\trev31.gp3  ::  new.fbi\r\n\tFlash\t\t"
         "rev31.gp3  ::  ARMFLASH.FBI\r\nchanged\tCommander\t1.2" +
             arrow + "1.4\trev31.gp3  ::  armcom.fbi\r\nremoved\tGone\t\trev31.gp3  ::  gone.fbi"},
        {"--compare ../old --format diff u.cfg",
         "@@,Block,Name,Metal,Speed,Note\r\n,UNITINFO,Flash,100,,a->b\r\n"
         "-->,UNITINFO,Commander,120-->150,1.2-->1.4,\r\n+++,UNITINFO,Fresh,7,,\r\n---,UNITINFO,Gone,5,,\r\n"},
        // Matched by name, the record files no longer count.
        {"--compare ../old --match name --format changelog --columns Name,Metal u.cfg",
         "## Changed\r\n\r\n- **Commander** (armcom.fbi): Metal 120" + arrow +
             "150\r\n\r\n## Added\r\n\r\n- **Fresh** (new.fbi)\r\n\r\n## Removed\r\n\r\n- **Gone** "
             "(gone.fbi)\r\n"},
        {"--compare .. --format changelog u.cfg", "No differences.\r\n"},
    };
    for (const auto& c : cases) {
        const Ran run = Export(c.args);
        EXPECT_EQ(run.status, 0) << c.args << ": " << run.err;
        EXPECT_EQ(run.out, c.out) << c.args;
    }
    const Ran written = Export("--compare ../old --format changelog -o ../log.md u.cfg");
    EXPECT_EQ(written.status, 0);
    EXPECT_EQ(GameFolder::Read("../log.md"), cases[0].out);
    EXPECT_TRUE(Has(written.err, "lorvex-export: wrote " + (folder.Root() / "log.md").string())) << written.err;

    EXPECT_EQ(testkit::FolderListing("../old"), before);
    // The other game's scratch copies went to its folder under the data location.
    int scratch = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder.Root() / "data/Lorvex/Lorvex/games"))
        scratch += entry.path().filename() == "Lorvex temp";
    EXPECT_EQ(scratch, 2);  // the old release's and this game's, each opened as another game
}

TEST_F(Releases, Errors) {
    const struct {
        const char* args;
        int status;
        const char* message;
    } cases[] = {
        {"--format diff u.cfg", 2, "--format diff needs --compare OTHER_GAME"},
        {"--format changelog --format csv --match Name u.cfg", 2, "--match needs --compare OTHER_GAME"},
        {"--compare", 2, "--compare needs a folder"},
        {"--compare ../old --match Nope u.cfg", 2, "no column \"Nope\" to match rows by; the table has: Block, Name"},
        {"--compare ../nowhere u.cfg", 1, "nowhere does not exist."},
        {"--compare . u.cfg", 1, "is not a game folder"},
    };
    for (const auto& c : cases) {
        const Ran run = Export(c.args);
        EXPECT_EQ(run.status, c.status) << c.args;
        EXPECT_TRUE(Has(run.err, c.message)) << c.args << ": " << run.err;
        EXPECT_EQ(run.out, "") << c.args;
    }
    // With no data location there is nowhere to work for a game that must not be written.
    ::unsetenv("XDG_DATA_HOME");
    const Ran nowhere =
        testkit::RunShell("HOME= '" + std::string(LORVEX_EXPORT_TOOL) + "' --compare ../old u.cfg", "..");
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_TRUE(Has(nowhere.err, "found no folder to work in")) << nowhere.err;
}

// The diff is the published highlighter format: a patch tool that reads it,
// applied to the old release's CSV, gives this game's CSV. Skipped where that
// tool is not installed.
TEST_F(Releases, ThePatchToolTurnsTheOldTableIntoTheNewOne) {
    if (std::system("command -v daff >/dev/null 2>&1") != 0) GTEST_SKIP() << "daff is not installed";
    const std::string columns = " --csv-formulas --format csv --columns Block,Name,Metal,Speed,Note u.cfg";
    fs::create_directories("../old/Lorvex");
    fs::copy_file("u.cfg", "../old/Lorvex/u.cfg");
    ASSERT_EQ(Export("--game ../old -o ../old.csv" + columns).status, 0);
    ASSERT_EQ(Export("-o ../new.csv" + columns).status, 0);
    ASSERT_EQ(Export("--compare ../old --format diff -o ../diff.csv u.cfg").status, 0);
    ASSERT_EQ(testkit::RunShell("daff patch --output ../patched.csv ../old.csv ../diff.csv", "..").status, 0);
    EXPECT_EQ(GameFolder::Read("../patched.csv"), GameFolder::Read("../new.csv"));
    EXPECT_NE(GameFolder::Read("../old.csv"), GameFolder::Read("../new.csv"));
}

}  // namespace
}  // namespace lorvex
