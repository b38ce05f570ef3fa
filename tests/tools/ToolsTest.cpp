// lorvex-export as a user runs it, on a game packed here by lorvex-hpi: each
// option's exact bytes, each failure's status and message, and loads of one
// folder at once taking turns.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/GameFolder.h"
#include "tests/support/ToolRun.h"

namespace lorvex {
namespace {

namespace fs = std::filesystem;
using testkit::GameFolder;
using testkit::Has;
using testkit::Ran;

// Runs a tool in the current folder (after the shell commands in `before`); its output is kept beside it.
Ran RunTool(const char* tool, const std::string& args, const std::string& before = "") {
    return testkit::RunTool(tool, args, "..", before);
}
Ran Export(const std::string& args) { return RunTool(LORVEX_EXPORT_TOOL, args); }
Ran Hpi(const std::string& args) { return RunTool(LORVEX_HPI_TOOL, args); }

// Packs record files (name, text) of folder units into ../archive.
void Pack(const std::string& archive, const std::vector<std::pair<std::string, std::string>>& files,
          const std::string& method = "zlib") {
    fs::remove_all("../src");
    fs::create_directories("../src/units");
    for (const auto& [name, text] : files) GameFolder::Write("../src/units/" + name, text);
    ASSERT_EQ(Hpi("pack ../" + archive + " ../src --method " + method).status, 0);
}

// The base archive, a mod whose a.fbi the base hides, and a damaged archive;
// u.cfg names two columns, t.cfg shows every key of a record.
class Game : public ::testing::Test {
protected:
    void SetUp() override {
        Pack("rev31.gp3",
             {{"a.fbi", "[A]\n{\nname=@SUM(1);\ncost=-5;\n}\n[B]\n{\nname==1+1;\ncost=+2;\n}\n"},
              {"c.fbi", "[C]\n{\nname=Gamma\tTab;\ncost=3.14159;\n}\n[D]\n{\nname=beta;\ncost=1000;\n}\n"}},
             "lz77");
        Pack("z.hpi", {{"a.fbi", "[Z]\n{\nname=Shadowed;\n}\n"}});
        Pack("broken.hpi", {{"d.fbi", "[L]\n{\nname=Lost;\n}\n"}}, "stored");
        fs::resize_file("../broken.hpi", fs::file_size("../broken.hpi") - 5);  // its only file cut short
        GameFolder::Write("t.cfg", "hpifolder=units;\nextension=.fbi;\nshowunusedtags=1;\n");
        GameFolder::Write("u.cfg",
                          "hpifolder=units;\nextension=.fbi;\n[string]\n{\nname=Name;\ntag=name;\n}\n"
                          "[numeric]\n{\nname=Cost;\ntag=cost;\ndecimals=2;\n}\n");
    }
    // An archive of `count` record files, a row each.
    static void PackMany(int count) {
        std::vector<std::pair<std::string, std::string>> many;
        for (int i = 0; i < count; ++i) many.emplace_back("m" + std::to_string(i) + ".fbi", "[M]\n{\nname=m;\n}\n");
        Pack("many.hpi", many);
    }
    GameFolder folder;
    const std::string skipped =
        "lorvex-export: skipped ..\\broken.hpi: units\\d.fbi: it is damaged and cannot be "
        "unpacked\nlorvex-export: 1 record file skipped\n";
    const std::string tsv =
        "Name\tCost\tLocated In\tLine #\r\n@SUM(1)\t-5\trev31.gp3  ::  a.fbi\t1\r\n"
        "=1+1\t2\trev31.gp3  ::  a.fbi\t6\r\nGamma\tTab\t3.14\trev31.gp3  ::  c.fbi\t1\r\n"
        "beta\t1000\trev31.gp3  ::  c.fbi\t6";
};

// Every row runs again into the scratch folder the one before it kept.
TEST_F(Game, EachOptionWritesExactBytes) {
    // A game folder named as the window takes it: the work folder is the Lorvex folder beside the archives.
    fs::create_directory("../Lorvex");
    fs::copy_file("u.cfg", "../Lorvex/u.cfg");
    const std::string current = folder.Current().string(), wrote = "lorvex-export: wrote " + current;
    const struct {
        std::string args, out;
        std::string err = "";  // after the damaged archive's lines
    } cases[] = {
        {"u.cfg", tsv},
        {"-C '" + current + "' u.cfg", tsv},
        {"--game .. u.cfg", tsv},
        {"--game=.. u.cfg", tsv},
        {"--filter= u.cfg", tsv},
        {"--format=tsv u.cfg -o out.dat", "", wrote + "/out.dat\n"},
        {"u.cfg out.dat", "", wrote + "/out.dat\n"},
        // A relative output is the start folder's, whatever folder the load works in.
        {"--game .. -o out.dat u.cfg", "", wrote + "/out.dat\n"},
        {"-C ../Lorvex u.cfg out.dat", "", wrote + "/out.dat\n"},
        {"--columns 'name, LINE #' u.cfg", "Name\tLine #\r\n@SUM(1)\t1\r\n=1+1\t6\r\nGamma\tTab\t1\r\nbeta\t6"},
        // The filter keeps the rows it holds for in their order; sorting folds case as heading clicks do.
        {"--filter 'cost > 0' --columns Name u.cfg", "Name\r\n=1+1\r\nGamma\tTab\r\nbeta"},
        {"--sort name --columns Name u.cfg", "Name\r\n=1+1\r\n@SUM(1)\r\nbeta\r\nGamma\tTab"},
        {"--sort NAME:DESC --columns Name u.cfg", "Name\r\nGamma\tTab\r\nbeta\r\n@SUM(1)\r\n=1+1"},
        {"--format markdown --columns Name,Cost u.cfg",
         "| Name | Cost |\r\n| --- | --- |\r\n| @SUM(1) | -5 |\r\n| =1+1 | 2 |\r\n| Gamma\tTab | 3.14 |\r\n| beta | "
         "1000 |\r\n"},
        {"--format html --columns Cost u.cfg",
         "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"UTF-8\">\r\n<title>Table</title>\r\n</head>\r\n"
         "<body>\r\n<table border=\"1\">\r\n<tr><th>Cost</th></tr>\r\n<tr><td>-5</td></tr>\r\n<tr><td>2</td></tr>\r\n"
         "<tr><td>3.14</td></tr>\r\n<tr><td>1000</td></tr>\r\n</table>\r\n</body>\r\n</html>\r\n"},
        // A cell a spreadsheet would run as a formula goes out inert, unless asked for as it is.
        {"--format csv --columns name,cost t.cfg",
         "name,cost\r\n'@SUM(1),-5\r\n'=1+1,+2\r\nGamma\tTab,3.14159\r\nbeta,1000\r\n"},
        {"--csv-formulas --format csv --columns name,cost t.cfg",
         "name,cost\r\n@SUM(1),-5\r\n=1+1,+2\r\nGamma\tTab,3.14159\r\nbeta,1000\r\n"},
        {"-v --columns Name u.cfg", "Name\r\n@SUM(1)\r\n=1+1\r\nGamma\tTab\r\nbeta",
         "Parsing ..\\rev31.gp3 ::\n  a.fbi\n  c.fbi\nParsing ..\\broken.hpi ::\n  d.fbi\nParsing ..\\z.hpi ::\n"},
    };
    for (const auto& c : cases) {
        fs::remove("out.dat");
        const Ran run = Export(c.args);
        EXPECT_EQ(run.status, 0) << c.args;
        EXPECT_EQ(run.out, c.out) << c.args;
        EXPECT_EQ(run.err, Has(c.args, "-v ") ? c.err + skipped : skipped + c.err) << c.args;
        EXPECT_EQ(GameFolder::Read("out.dat"), c.out.empty() ? tsv : "") << c.args;
    }
    EXPECT_TRUE(fs::is_directory("../Lorvex/Lorvex temp"));
    EXPECT_FALSE(fs::exists("../Lorvex/out.dat"));
}

// Loads of one folder at the same time take turns: every output holds every
// row, and a load that has to wait says so.
TEST_F(Game, ExportsAtOnceInOneFolderEachWriteEveryRow) {
    PackMany(300);  // enough files that six loads overlap
    const Ran reference = Export("u.cfg");
    ASSERT_EQ(reference.status, 0);
    ASSERT_EQ(std::count(reference.out.begin(), reference.out.end(), '\n'), 4 + 300);
    std::string script;
    for (int i = 0; i < 6; ++i)
        script += std::string("'") + LORVEX_EXPORT_TOOL + "' u.cfg > ../o" + std::to_string(i) + " 2>/dev/null & ";
    ASSERT_EQ(std::system((script + "wait").c_str()), 0);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(GameFolder::Read("../o" + std::to_string(i)), reference.out) << i;

    // Another load holds the scratch folder until this one has said that it waits.
    const int held = ::open("Lorvex temp", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    std::system((std::string("'") + LORVEX_EXPORT_TOOL + "' u.cfg > ../w.out 2> ../w.err &").c_str());
    for (int i = 0; i < 100 && !Has(GameFolder::Read("../w.err"), "Waiting"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(
        GameFolder::Read("../w.err").rfind("lorvex-export: Waiting for another load using \"Lorvex temp\" to end", 0),
        0u);
    EXPECT_EQ(GameFolder::Read("../w.out"), "");
    std::this_thread::sleep_for(std::chrono::milliseconds(350));  // a few more looks at the lock while it waits
    ::flock(held, LOCK_UN);
    ::close(held);
    for (int i = 0; i < 200 && GameFolder::Read("../w.out").size() < reference.out.size(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(GameFolder::Read("../w.out"), reference.out);
    const std::string waited = GameFolder::Read("../w.err");
    EXPECT_EQ(std::count(waited.begin(), waited.end(), '('), 1) << "the wait is told once: " << waited;
}

TEST_F(Game, ExportErrors) {
    GameFolder::Write("../old.csv", "old");
    PackMany(50);  // a table past the 1 KiB that the full disk holds
    const struct {
        const char* args;
        int status;
        const char* message;
    } cases[] = {
        {"--format xls u.cfg", 2, "unknown format \"xls\""},
        {"--columns Name,Nope u.cfg", 2, "no column \"Nope\"; the table has: Name, Cost, Located In, Line #\n"},
        {"--columns Name, u.cfg", 2, "no column \"\"; the table has"},  // a comma too many names no column
        {"--sort Nope u.cfg", 2, "no column \"Nope\""},
        {"--bogus u.cfg", 2, "unknown option --bogus"},
        {"--filter 'Nope > 3' u.cfg", 2, "bad filter: No column is headed \"Nope\"; the table has: Name, Cost"},
        {"--filter", 2, "--filter needs a value"},
        {"", 2, "no configuration named"},
        {"u.cfg -o", 2, "-o needs a value"},
        {"u.cfg a.dat -o b.dat", 2, "one output only"},
        {"missing.cfg", 1, "no readable configuration missing.cfg"},
        {"../cur/u.cfg", 2, "bare file name, without a folder"},  // as the window's --config
        {"--game ../nowhere u.cfg", 1, "The folder ../nowhere does not exist."},
        {"--game . u.cfg", 1, ". is not a game folder"},
        {"--game .. -C . u.cfg", 2, "--game and -C both name the folder to work in"},
        {"-C ../nowhere u.cfg", 1, "cannot enter ../nowhere"},
        {"u.cfg -o ../no/such/folder/x.csv", 1, "Unable to Create File ../no/such/folder/x.csv"},
        {"u.cfg -o ../old.csv/x.csv", 1, "Unable to Create File"},
        {"--format csv -o ../old.csv u.cfg", 1, "Unable to Create File ../old.csv"},  // the disk fills up
        {"u.cfg -o /dev/full", 1, "Unable to Create File /dev/full (cannot write \"/dev/full\": the disk is full)"},
    };
    for (const auto& c : cases) {
        if (Has(c.args, "/dev/full") && !fs::is_character_file("/dev/full")) continue;  // no such device here
        const Ran run = RunTool(LORVEX_EXPORT_TOOL, c.args, Has(c.args, "-o ../old.csv ") ? "ulimit -f 1; " : "");
        EXPECT_EQ(run.status, c.status) << c.args;
        EXPECT_TRUE(Has(run.err, c.message)) << c.args << ": " << run.err;
    }
    // The old file stays whole and no temporary file is left.
    EXPECT_EQ(GameFolder::Read("../old.csv"), "old");
    EXPECT_FALSE(fs::exists("a.dat") || fs::exists("b.dat"));
    for (const auto& entry : fs::directory_iterator(folder.Root())) EXPECT_NE(entry.path().filename().string()[0], '.');
    for (const char* help : {"--help", "-h"}) EXPECT_TRUE(Has(Export(help).out, "--columns LIST")) << help;
    EXPECT_EQ(Export("--version").out, std::string("lorvex-export ") + LORVEX_VERSION + "\n");
}

// Memory that runs out ends the load with a message and status 1, never an
// abort; a bound reached writes nothing either. (Sanitizers reserve far more
// address space than any such limit allows.)
TEST(ExportBounds, MemoryExhaustionAndTheRowBoundEndTheLoadWithAMessage) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "address space limits do not apply under AddressSanitizer";
#endif
    GameFolder game;
    std::string records;
    for (int i = 0; i < 1'100'000; ++i) records += "[A]\n{\n}\n";  // 9.9 MB, a million and more rows
    Pack("rev31.gp3", {{"big.fbi", records}});
    GameFolder::Write("t.cfg", "hpifolder=units;\nextension=.fbi;\n");
    const Ran bounded = Export("t.cfg -o ../t.tsv");
    EXPECT_EQ(bounded.status, 1);
    EXPECT_TRUE(Has(bounded.err, "The load stopped at 1000000 rows")) << bounded.err;
    const Ran starved = RunTool(LORVEX_EXPORT_TOOL, "t.cfg -o ../t.tsv", "ulimit -v 60000; ");
    EXPECT_EQ(starved.status, 1);
    EXPECT_TRUE(Has(starved.err, "ran out of memory")) << starved.err;
    EXPECT_FALSE(fs::exists("../t.tsv"));
}

}  // namespace
}  // namespace lorvex
