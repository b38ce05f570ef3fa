// The command lines of lorvex-export and lorvex-hpi, run on a copy of the demo game.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>
#include <chrono>
#include <thread>
#include <sys/wait.h>
#include <vector>

#include "tests/support/GameFolder.h"

namespace lorvex {
namespace {

namespace fs = std::filesystem;
using testing::GameFolder;
using Lines = std::vector<std::string>;
using Table = std::vector<Lines>;

struct Ran {
    int status;
    std::string out, err;
};

// Runs a tool in the current folder (after the shell commands in `before`); its output is kept beside it.
Ran Run(const char* tool, const std::string& args, const std::string& before = "") {
    const int status = std::system((before + "'" + tool + "' " + args + " > ../run.out 2> ../run.err").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, GameFolder::Read("../run.out"), GameFolder::Read("../run.err")};
}
Ran Export(const std::string& args) { return Run(LORVEX_EXPORT_TOOL, args); }
Ran Hpi(const std::string& args) { return Run(LORVEX_HPI_TOOL, args); }

Lines Split(const std::string& text, const std::string& by) {
    Lines parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(by, start)) != std::string::npos; start = at + by.size())
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

Lines Fields(const std::string& line) {
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), {}};
}

std::string SortedLines(Lines lines) {
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const std::string& l : lines) text += l + "\n";
    return text;
}

// Lines of "list -l" without the packed size: what must survive a round trip.
std::string Entries(const std::string& listing) {
    Lines lines;
    for (const std::string& line : Split(listing, "\n"))
        if (const Lines f = Fields(line); !f.empty()) lines.push_back(f.at(0) + " " + f.at(2) + " " + f.at(3));
    return SortedLines(lines);
}

// Every file below a folder with its bytes, paths relative to it.
std::string Tree(const fs::path& root) {
    Lines files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        files.push_back(fs::relative(entry.path(), root).string() +
                        (entry.is_regular_file() ? "=" + GameFolder::Read(entry.path()) : "/"));
    return SortedLines(files);
}

struct Failing {
    const char* args;
    int status;
    const char* message;
};

void ExpectFailures(const char* tool, const std::vector<Failing>& cases) {
    for (const Failing& c : cases) {
        // A disk that fills up half way.
        const Ran run = Run(tool, c.args, std::strstr(c.args, "old.csv units") ? "ulimit -f 1; " : "");
        EXPECT_EQ(run.status, c.status) << c.args;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.args << ": " << run.err;
    }
    const Ran help = Run(tool, "--help"), version = Run(tool, "--version");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find(tool == std::string(LORVEX_HPI_TOOL) ? "extract ARCHIVE DEST_FOLDER [FOLDER_IN_ARCHIVE]"
                                                                  : "--columns LIST"),
              std::string::npos);
    EXPECT_EQ(version.out, fs::path(tool).filename().string() + " " + LORVEX_VERSION + "\n");
}

// The demo game's archives beside the current folder, which holds its configurations.
class DemoGame : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto& entry : fs::directory_iterator(LORVEX_DEMO_GAME))
            if (entry.is_regular_file()) fs::copy_file(entry.path(), folder.Root() / entry.path().filename());
        for (const auto& entry : fs::directory_iterator(fs::path(LORVEX_DEMO_GAME) / "Lorvex"))
            if (entry.is_regular_file()) fs::copy_file(entry.path(), folder.Current() / entry.path().filename());
    }
    GameFolder folder;
};

TEST_F(DemoGame, ExportOptions) {
    const Ran tsv = Export("units.cfg");
    ASSERT_EQ(tsv.status, 0) << tsv.err;
    Table table;
    for (const std::string& line : Split(tsv.out, "\r\n")) table.push_back(Split(line, "\t"));
    ASSERT_GT(table.size(), 10u);
    const Lines headings = table[0];
    const auto column = [&](const char* h) { return std::find(headings.begin(), headings.end(), h) - headings.begin(); };
    // What --columns 'Name,Line #' writes of these rows.
    const auto pick = [&](const Table& rows, const char* separator = "\t") {
        std::string text = std::string("Name") + separator + "Line #";
        for (std::size_t r = 1; r < rows.size(); ++r)
            text += "\r\n" + rows[r][column("Name")] + separator + rows[r][column("Line #")];
        return text;
    };
    std::string markdownHeadings = "|";
    for (const std::string& h : headings) markdownHeadings += " " + h + " |";
    // The filter keeps the rows it holds for in their order; sorting goes as heading clicks do.
    Table heavy = {headings}, up(table.begin() + 1, table.end());
    for (const Lines& row : up)
        if (std::stod(row[column("Metal")]) > 1000 && row[column("Side")] == "CINDER") heavy.push_back(row);
    ASSERT_GT(heavy.size(), 2u);
    std::stable_sort(up.begin(), up.end(), [&](const Lines& a, const Lines& b) {
        return strcasecmp(a[column("Name")].c_str(), b[column("Name")].c_str()) < 0;
    });
    up.insert(up.begin(), headings);
    Table down = up;
    std::reverse(down.begin() + 1, down.end());
    // A game folder named as the window takes it: the work folder is the Lorvex folder beside the archives.
    fs::create_directory("../Lorvex");
    fs::copy_file("units.cfg", "../Lorvex/units.cfg");

    const struct {
        const char* args;
        std::string expected;
        bool prefix = false;  // the whole-table formats: only the start is checked
    } cases[] = {
        {"--format tsv units.cfg", tsv.out},
        {"--format=tsv units.cfg -o ../t.dat", tsv.out},
        {"units.cfg ../t.dat", tsv.out},
        {"--game .. units.cfg", tsv.out},
        {"--filter= units.cfg", tsv.out},
        {"--columns 'name, LINE #' units.cfg", pick(table)},
        {"--format csv --columns Name,'Line #' units.cfg", pick(table, ",") + "\r\n"},
        {"--format markdown units.cfg", markdownHeadings + "\r\n| --- | --- |", true},
        {"--format html -o ../t.dat units.cfg", "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"UTF-8\">", true},
        {"--filter 'metal > 1000 side=cinder' --columns 'Name,Line #' units.cfg", pick(heavy)},
        {"--sort name --columns 'Name,Line #' units.cfg", pick(up)},
        {"--sort NAME:desc --columns 'Name,Line #' units.cfg", pick(down)},
        {"--sort Name:DESC --columns 'Name,Line #' units.cfg", pick(down)},
    };
    for (const auto& c : cases) {
        fs::remove("../t.dat");
        const Ran run = Export(c.args);
        EXPECT_EQ(run.status, 0) << c.args << run.err;
        const std::string out = run.out.empty() ? GameFolder::Read("../t.dat") : run.out;
        EXPECT_EQ(c.prefix ? out.substr(0, c.expected.size()) : out, c.expected) << c.args;
    }
    EXPECT_TRUE(fs::is_directory("../Lorvex/Lorvex temp"));
    // A relative output is the start folder's, whatever folder the load works in.
    for (const char* args : {"--game .. -o rel.tsv units.cfg", "-C ../Lorvex units.cfg rel.tsv"}) {
        fs::remove("rel.tsv");
        const Ran run = Export(args);
        EXPECT_EQ(run.status, 0) << args << run.err;
        EXPECT_EQ(GameFolder::Read("rel.tsv"), tsv.out) << args;
        EXPECT_FALSE(fs::exists("../Lorvex/rel.tsv")) << args;
        EXPECT_NE(run.err.find("lorvex-export: wrote " + (fs::current_path() / "rel.tsv").string() + "\n"),
                  std::string::npos) << run.err;
    }
    EXPECT_EQ(tsv.err.find("CNDGECKO.FBI"), std::string::npos);
    EXPECT_NE(Export("-v units.cfg").err.find("\n  CNDGECKO.FBI\n"), std::string::npos);
    // The demo's damaged archive: its record file is named, with the count, and the table is still written.
    EXPECT_NE(tsv.err.find("lorvex-export: skipped ..\\broken.hpi: units\\cndphantom.fbi: it is damaged"),
              std::string::npos) << tsv.err;
    EXPECT_NE(tsv.err.find("lorvex-export: 1 record file skipped\n"), std::string::npos) << tsv.err;
}

// Loads of one folder at the same time take turns: every output holds every
// row, and a load that has to wait says so.
TEST_F(DemoGame, ExportsAtOnceInOneFolderEachWriteEveryRow) {
    const Ran reference = Export("units.cfg");
    ASSERT_EQ(reference.status, 0);
    std::string script;
    for (int i = 0; i < 6; ++i)
        script += std::string("'") + LORVEX_EXPORT_TOOL + "' units.cfg > ../o" + std::to_string(i) + " 2>/dev/null & ";
    ASSERT_EQ(std::system((script + "wait").c_str()), 0);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(GameFolder::Read("../o" + std::to_string(i)), reference.out) << i;

    // Another load holds the scratch folder until this one has said that it waits.
    const int held = ::open("Lorvex temp", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    std::system((std::string("'") + LORVEX_EXPORT_TOOL + "' units.cfg > ../w.out 2> ../w.err &").c_str());
    for (int i = 0; i < 100 && GameFolder::Read("../w.err").find("Waiting") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(GameFolder::Read("../w.err").rfind("lorvex-export: Waiting for another load using \"Lorvex temp\" to end", 0),
              0u);
    EXPECT_EQ(GameFolder::Read("../w.out"), "");
    ::flock(held, LOCK_UN);
    ::close(held);
    for (int i = 0; i < 200 && GameFolder::Read("../w.out").size() < reference.out.size(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(GameFolder::Read("../w.out"), reference.out);
}

TEST_F(DemoGame, ExportErrors) {
    GameFolder::Write("../old.csv", "old");
    ExpectFailures(LORVEX_EXPORT_TOOL, {
        {"--format xls units.cfg", 2, "unknown format \"xls\""},
        {"--columns Name,Nope units.cfg", 2, "no column \"Nope\"; the table has: ID, Name, Role"},
        {"--sort Nope units.cfg", 2, "no column \"Nope\""},
        {"--bogus units.cfg", 2, "unknown option --bogus"},
        {"--filter 'Nope > 3' units.cfg", 2, "bad filter: No column is headed \"Nope\"; the table has: ID, Name"},
        {"--filter", 2, "--filter needs a value"},
        {"", 2, "no configuration named"},
        {"units.cfg -o", 2, "-o needs a value"},
        {"units.cfg a.dat -o b.dat", 2, "one output only"},
        {"missing.cfg", 1, "no readable configuration missing.cfg"},
        {"../cur/units.cfg", 2, "bare file name, without a folder"},  // as the window's --config
        {"--game ../nowhere units.cfg", 1, "The folder ../nowhere does not exist."},
        {"--game . units.cfg", 1, ". is not a game folder"},
        {"--game .. -C . units.cfg", 2, "--game and -C both name the folder to work in"},
        {"-C ../nowhere units.cfg", 1, "cannot enter ../nowhere"},
        {"units.cfg -o ../no/such/folder/x.csv", 1, "Unable to Create File ../no/such/folder/x.csv"},
        {"units.cfg -o ../old.csv/x.csv", 1, "Unable to Create File"},
        {"--format csv -o ../old.csv units.cfg", 1, "Unable to Create File ../old.csv"},  // the disk fills up
    });
    // The old file stays whole and no temporary file is left.
    EXPECT_EQ(GameFolder::Read("../old.csv"), "old");
    EXPECT_FALSE(fs::exists("a.dat") || fs::exists("b.dat"));
    for (const auto& entry : fs::directory_iterator(folder.Root())) EXPECT_NE(entry.path().filename().string()[0], '.');
}

// Outputs of each kind of file: a device or pipe is written and never
// replaced, a link keeps pointing where it did, a long name still fits.
TEST_F(DemoGame, ExportTargetsOfEachKind) {
    const Ran reference = Export("units.cfg");
    ASSERT_EQ(reference.status, 0);
    const std::string longName = "../" + std::string(250, 'x');
    GameFolder::Write("../target.dat", "old");
    fs::create_symlink("target.dat", "../link.dat");
    const Ran null = Export("units.cfg -o /dev/null");
    EXPECT_EQ(null.status, 0) << null.err;
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    const Ran full = Export("units.cfg -o /dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("Unable to Create File /dev/full (cannot write \"/dev/full\": the disk is full)"), std::string::npos) << full.err;
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    ASSERT_EQ(Export("units.cfg -o ../link.dat").status, 0);
    EXPECT_TRUE(fs::is_symlink("../link.dat"));
    EXPECT_EQ(GameFolder::Read("../target.dat"), reference.out);
    ASSERT_EQ(Export("units.cfg -o " + longName).status, 0);
    EXPECT_EQ(GameFolder::Read(longName), reference.out);
    // A pipe with a program reading it.
    ASSERT_EQ(::mkfifo("../pipe", 0600), 0);
    const Ran piped = lorvex::Run(LORVEX_EXPORT_TOOL, "units.cfg -o ../pipe", "cat ../pipe > ../from-pipe & ");
    std::system("wait");
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_TRUE(fs::is_fifo("../pipe"));
    for (int i = 0; i < 100 && GameFolder::Read("../from-pipe").size() < reference.out.size(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(GameFolder::Read("../from-pipe"), reference.out);
}

// A cell a spreadsheet would run as a formula goes out inert, unless asked for as it is.
TEST(ExportCsv, FormulaCellsAreInertUnlessKept) {
    GameFolder game;
    fs::create_directories("../src/units");
    GameFolder::Write("../src/units/a.fbi", "[A]\n{\nname=@SUM(1);\ncost=-5;\n}\n[B]\n{\nname==1+1;\ncost=+2;\n}\n");
    ASSERT_EQ(Hpi("pack ../rev31.gp3 ../src").status, 0);
    GameFolder::Write("t.cfg", "hpifolder=units;\nextension=.fbi;\nshowunusedtags=1;\n");
    EXPECT_EQ(Export("--format csv --columns name,cost t.cfg").out, "name,cost\r\n'@SUM(1),-5\r\n'=1+1,+2\r\n");
    EXPECT_EQ(Export("--csv-formulas --format csv --columns name,cost t.cfg").out,
              "name,cost\r\n@SUM(1),-5\r\n=1+1,+2\r\n");
}

// Memory that runs out ends the load with a message and status 1, never an
// abort; a bound reached writes nothing either. (Sanitizers reserve far more
// address space than any such limit allows.)
TEST(ExportBounds, MemoryExhaustionAndTheRowBoundEndTheLoadWithAMessage) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "address space limits do not apply under AddressSanitizer";
#endif
    GameFolder game;
    fs::create_directories("../src/units");
    std::string records;
    for (int i = 0; i < 1'100'000; ++i) records += "[A]\n{\n}\n";  // 9.9 MB, a million and more rows
    GameFolder::Write("../src/units/big.fbi", records);
    ASSERT_EQ(Hpi("pack ../rev31.gp3 ../src").status, 0);
    GameFolder::Write("t.cfg", "hpifolder=units;\nextension=.fbi;\n");
    const Ran bounded = Export("t.cfg -o ../t.tsv");
    EXPECT_EQ(bounded.status, 1);
    EXPECT_NE(bounded.err.find("The load stopped at 1000000 rows"), std::string::npos) << bounded.err;
    const Ran starved = lorvex::Run(LORVEX_EXPORT_TOOL, "t.cfg -o ../t.tsv", "ulimit -v 60000; ");
    EXPECT_EQ(starved.status, 1);
    EXPECT_NE(starved.err.find("ran out of memory"), std::string::npos) << starved.err;
    EXPECT_FALSE(fs::exists("../t.tsv"));
}

TEST_F(DemoGame, ArchiveRoundTrip) {
    for (const auto& [archive, method] : {std::pair{"rev31.gp3", "zlib"}, {"expansion.ccx", "lz77"}, {"fanpack.ufo", "stored"}}) {
        const std::string a = std::string("../") + archive;
        const Ran listed = Hpi("list -l " + a);
        ASSERT_EQ(listed.status, 0) << a;
        EXPECT_NE(listed.out.find(std::string(" ") + method + " "), std::string::npos) << listed.out;
        ASSERT_EQ(Hpi("extract " + a + " ../x").status, 0) << a;
        ASSERT_EQ(Hpi(std::string("pack ../re.hpi ../x --method ") + method).status, 0);
        EXPECT_EQ(Entries(Hpi("list -l ../re.hpi").out), Entries(listed.out)) << a;
        ASSERT_EQ(Hpi("extract ../re.hpi ../y").status, 0);
        EXPECT_EQ(Tree("../y"), Tree("../x")) << a;
        fs::remove_all("../x");
        fs::remove_all("../y");
    }
    // Stored entries: packed size equals the unpacked size.
    for (const std::string& line : Split(Hpi("list -l ../fanpack.ufo").out, "\n"))
        if (const Lines f = Fields(line); !f.empty()) {
            EXPECT_EQ(f[0], f[1]) << line;
        }

    // A packed size is what the file holds beyond the header and the directory
    // (8 for the root node, 9 for its entry, 2 for the name "a", 9 for the file record).
    fs::create_directories("../one");
    GameFolder::Write("../one/a", std::string(100000, 'x'));
    for (const char* method : {"zlib", "lz77"}) {
        ASSERT_EQ(Hpi(std::string("pack ../one.hpi ../one --method ") + method).status, 0);
        const Lines f = Fields(Hpi("list -l ../one.hpi").out);
        ASSERT_EQ(f.size(), 4u) << method;
        EXPECT_EQ(f[0] + " " + f[2] + " " + f[3], std::string("100000 ") + method + " a");
        EXPECT_EQ(f[1], std::to_string(fs::file_size("../one.hpi") - 48)) << method;
    }

    // Empty folders come back too; one folder of the archive, named in any case; the one-entry form.
    ASSERT_EQ(Hpi("seeds ../seeds").status, 0);
    ASSERT_EQ(Hpi("extract ../seeds/zlib_plain.hpi ../x").status, 0);
    ASSERT_EQ(Hpi("pack ../re.hpi ../x").status, 0);
    ASSERT_EQ(Hpi("extract ../re.hpi ../y").status, 0);
    EXPECT_EQ(Tree("../y"), Tree("../x"));
    EXPECT_TRUE(fs::is_directory("../y/empty"));
    ASSERT_EQ(Hpi("extract ../seeds/zlib_plain.hpi ../z UNITS\\\\SUB").status, 0);
    EXPECT_EQ(Tree("../z"), "units/\nunits/sub/\nunits/sub/core.fbi=[CORE]{a=1;}\n");
    ASSERT_EQ(Hpi("extract ../seeds/zlib_plain.hpi 'UNITS\\ARMX.FBI' ../one.fbi").status, 0);
    EXPECT_EQ(GameFolder::Read("../one.fbi").substr(0, 6), "[ARMX]");
}

TEST_F(DemoGame, ArchiveToolErrors) {
    fs::create_directories("../outside");
    fs::create_directories("../dest");
    fs::create_directory_symlink(fs::absolute("../outside"), "../dest/units");
    fs::create_directories("../clash");
    GameFolder::Write("../clash/big", "a file where the archive has a folder");
    ASSERT_EQ(Hpi("seeds ../seeds").status, 0);
    ExpectFailures(LORVEX_HPI_TOOL, {
        {"extract ../seeds/zlib_plain.hpi ../dest", 1, "is a symbolic link"},
        {"extract ../seeds/zlib_plain.hpi ../clash", 1, "skipped big\\long.tdf: ../clash/big is already there as a file"},
        {"extract ../broken.hpi ../b", 1, "cannot extract units\\cndphantom.fbi"},
        {"extract ../rev31.gp3 ../c nothing", 1, "no folder nothing"},
        {"extract ../missing.hpi ../c", 1, "cannot open archive"},
        {"list -l", 2, "usage"},
        {"extract ../rev31.gp3", 2, "usage"},
        {"frobnicate", 2, "usage"},
    });
    EXPECT_TRUE(fs::is_empty("../outside")) << "nothing written through the link";
    EXPECT_TRUE(fs::exists("../dest/readme.txt")) << "the rest of the archive is still unpacked";
    EXPECT_FALSE(fs::exists("../c"));
    EXPECT_EQ(Tree("../b"), "units/\n") << "no half-written file of the damaged entry";
    EXPECT_NE(Hpi("list -l ../broken.hpi").out.find(" ?"), std::string::npos);
}

}  // namespace
}  // namespace lorvex
