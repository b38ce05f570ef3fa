// lorvex-export --compare on the demo game against an older release of it: a
// copy of its archives with a few values set back by lorvex-hpi set, one unit
// since added and one since dropped.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/GameFolder.h"
#include "tests/support/ToolRun.h"

namespace lorvex {
namespace {

namespace fs = std::filesystem;
using testkit::GameFolder;
using testkit::Has;
using testkit::Ran;

Ran Tool(const std::string& tool, const std::string& args) { return testkit::RunTool(tool, args, "."); }

class DemoReleases : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_DATA_HOME", (folder.Root() / "data").c_str(), 1);
        fs::create_directories("game");
        fs::create_directories("old/src/units");
        for (const auto& e : fs::directory_iterator(LORVEX_DEMO_GAME))
            if (e.is_regular_file()) fs::copy_file(e.path(), "game" / e.path().filename());
        for (const char* archive : {"rev31.gp3", "community.hpi", "expansion.ccx"})
            fs::copy_file(fs::path("game") / archive, fs::path("old") / archive);
        // The older release: values set back, one unit it still had.
        for (const char* set :
             {"units/cndgecko.fbi CNDGECKO BuildCostMetal 540", "units/cndgecko.fbi CNDGECKO MaxVelocity 0.95",
              "units/cndbeetle3.fbi CNDBEETLE3 BuildCostEnergy 1800"})
            ASSERT_EQ(Tool(LORVEX_HPI_TOOL, std::string("set old/rev31.gp3 ") + set).status, 0);
        fs::remove("old/rev31.gp3.bak");
        GameFolder::Write("old/src/units/cndslug.fbi",
                          "[CNDSLUG]\r\n\t{\r\n\tName=Slug;\r\n\tSide=CINDER;\r\n\tBuildCostMetal=90;\r\n\t}\r\n");
        ASSERT_EQ(Tool(LORVEX_HPI_TOOL, "pack old/oldunits.hpi old/src").status, 0);
        fs::remove_all("old/src");
    }
    void TearDown() override { ::unsetenv("XDG_DATA_HOME"); }
    std::string Compare(const std::string& format) {
        const Ran ran = Tool(LORVEX_EXPORT_TOOL, "--game game --compare old --format " + format +
                                                     " --columns ID,Name,Metal,Energy,Speed units.cfg");
        EXPECT_EQ(ran.status, 0) << ran.err;
        return ran.out;
    }
    GameFolder folder;
};

TEST_F(DemoReleases, TheChangelogTheChangeTableAndTheDiff) {
    const std::string arrow = " \xE2\x86\x92 ";
    const std::string changelog = Compare("changelog");
    // The block names tell the demo's units apart, so they label the records.
    EXPECT_TRUE(changelog.starts_with("## Changed\r\n\r\n- **CNDBEETLE3** (CNDBEETLE3.FBI): Energy 1800" + arrow +
                                      "8316\r\n- **CNDGECKO** (CNDGECKO.FBI): Metal 540" + arrow + "619.5, Speed 0.95" +
                                      arrow + "1.09\r\n\r\n## Added\r\n\r\n"))
        << changelog;
    EXPECT_TRUE(changelog.ends_with("\r\n\r\n## Removed\r\n\r\n- **CNDSLUG** (cndslug.fbi)\r\n")) << changelog;
    // Every unit of the mod archive the older release did not have is new: two changed, 42 added, one removed.
    EXPECT_TRUE(Has(changelog, "\r\n- **CNDWASP32** (cndwasp32.fbi)\r\n"));
    std::size_t bullets = 0;
    for (auto at = changelog.find("- **"); at != std::string::npos; at = changelog.find("- **", at + 1)) ++bullets;
    EXPECT_EQ(bullets, 45u);

    const std::string csv = Compare("csv");
    EXPECT_TRUE(csv.starts_with("Change,ID,Name,Metal,Energy,Speed\r\n")) << csv;
    EXPECT_TRUE(Has(csv, "\r\nchanged,CNDGECKO,Gecko,540" + arrow + "619.5,2502,0.95" + arrow + "1.09\r\n")) << csv;
    EXPECT_TRUE(Has(csv, "\r\nremoved,CNDSLUG,Slug,90,,\r\n")) << csv;
    const std::string diff = Compare("diff");
    EXPECT_TRUE(diff.starts_with("@@,ID,Name,Metal,Energy,Speed\r\n")) << diff;
    EXPECT_TRUE(Has(diff, "\r\n->,CNDGECKO,Gecko,540->619.5,2502,0.95->1.09\r\n")) << diff;
    EXPECT_TRUE(Has(diff, "\r\n---,CNDSLUG,Slug,90,,\r\n")) << diff;
}

}  // namespace
}  // namespace lorvex
