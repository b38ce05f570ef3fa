// The command lines of lorvex-export and lorvex-hpi, run on a copy of the demo game.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "tests/support/GameFolder.h"

namespace lorvex {
namespace {

namespace fs = std::filesystem;
using testing::GameFolder;

struct Ran {
    int status;
    std::string out, err;
};

// Runs a shell command line in the current folder; its output is kept in files beside it.
Ran Shell(const std::string& line) {
    const int status = std::system((line + " > ../run.out 2> ../run.err").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, GameFolder::Read("../run.out"), GameFolder::Read("../run.err")};
}
Ran Export(const std::string& args) { return Shell(std::string("'") + LORVEX_EXPORT_TOOL + "' " + args); }
Ran Hpi(const std::string& args) { return Shell(std::string("'") + LORVEX_HPI_TOOL + "' " + args); }

std::vector<std::string> Split(const std::string& text, const std::string& by) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(by, start)) != std::string::npos; start = at + by.size())
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
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
    std::vector<std::vector<std::string>> table;
    for (const std::string& line : Split(tsv.out, "\r\n")) table.push_back(Split(line, "\t"));
    const std::vector<std::string>& headings = table[0];
    ASSERT_GT(table.size(), 10u);
    const auto column = [&](const std::string& heading) {
        return static_cast<std::size_t>(std::find(headings.begin(), headings.end(), heading) - headings.begin());
    };
    // Name and Line # of every row, top to bottom, as the tab-delimited output has them.
    const auto pick = [&](const std::vector<std::vector<std::string>>& rows, const char* separator) {
        std::string text;
        for (std::size_t r = 1; r < rows.size(); ++r)
            text += (r > 1 ? "\r\n" : "") + rows[r][column("Name")] + separator + rows[r][column("Line #")];
        return text;
    };
    std::string markdownHeadings = "|";
    for (const std::string& h : headings) markdownHeadings += " " + h + " |";

    // The same bytes as before through every way of asking for tab-delimited text.
    for (const char* args : {"--format tsv units.cfg", "--format=tsv units.cfg -o ../t.dat", "units.cfg ../t.dat"}) {
        const Ran run = Export(args);
        EXPECT_EQ(run.status, 0) << args;
        EXPECT_EQ(run.out.empty() ? GameFolder::Read("../t.dat") : run.out, tsv.out) << args;
    }

    // A game folder named as the window takes it: the work folder is the Lorvex folder beside the archives.
    fs::create_directory("../Lorvex");
    fs::copy_file("units.cfg", "../Lorvex/units.cfg");
    const Ran game = Export("-v --game .. units.cfg");
    EXPECT_EQ(game.out, tsv.out);
    EXPECT_TRUE(fs::is_directory("../Lorvex/Lorvex temp")) << game.err;

    const struct {
        const char* args;
        std::string expected;  // the whole output, or its start for the whole-table formats
    } cases[] = {
        {"--columns 'name, LINE #' units.cfg", "Name\tLine #\r\n" + pick(table, "\t")},
        {"--format csv --columns Name,'Line #' units.cfg", "Name,Line #\r\n" + pick(table, ",") + "\r\n"},
        {"--format markdown units.cfg", markdownHeadings + "\r\n| --- | --- |"},
        {"--format html -o ../t.html units.cfg", "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"UTF-8\">"},
    };
    for (const auto& c : cases) {
        const Ran run = Export(c.args);
        EXPECT_EQ(run.status, 0) << c.args << run.err;
        const std::string out = run.out.empty() ? GameFolder::Read("../t.html") : run.out;
        EXPECT_EQ(out.substr(0, c.expected.size()), c.expected) << c.args;
    }

    // A filter in the filter line's language keeps the rows it holds for, in their order.
    std::vector<std::vector<std::string>> heavy = {headings};
    for (std::size_t r = 1; r < table.size(); ++r)
        if (std::stod(table[r][column("Metal")]) > 1000 && table[r][column("Side")] == "CINDER")
            heavy.push_back(table[r]);
    ASSERT_GT(heavy.size(), 2u);
    EXPECT_EQ(Export("--filter 'metal > 1000 side=cinder' --columns 'Name,Line #' units.cfg").out,
              "Name\tLine #\r\n" + pick(heavy, "\t"));
    EXPECT_EQ(Export("--filter= units.cfg").out, tsv.out);

    // Sorting as heading clicks do: by name up, then down.
    std::vector<std::vector<std::string>> sorted(table.begin() + 1, table.end());
    std::stable_sort(sorted.begin(), sorted.end(), [&](const auto& a, const auto& b) {
        return strcasecmp(a[column("Name")].c_str(), b[column("Name")].c_str()) < 0;
    });
    sorted.insert(sorted.begin(), headings);
    const std::string up = "Name\tLine #\r\n" + pick(sorted, "\t");
    EXPECT_EQ(Export("--sort name --columns 'Name,Line #' units.cfg").out, up);
    std::reverse(sorted.begin() + 1, sorted.end());
    EXPECT_EQ(Export("--sort NAME:desc --columns 'Name,Line #' units.cfg").out, "Name\tLine #\r\n" + pick(sorted, "\t"));
}

TEST_F(DemoGame, ExportErrors) {
    GameFolder::Write("../old.csv", "old");
    const struct {
        const char* args;
        int status;
        const char* message;
    } cases[] = {
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
        {"--game ../nowhere units.cfg", 1, "The folder ../nowhere does not exist."},
        {"--game . units.cfg", 1, ". is not a game folder"},
        {"--game .. -C . units.cfg", 2, "--game and -C both name the folder to work in"},
        {"-C ../nowhere units.cfg", 1, "cannot enter ../nowhere"},
        {"units.cfg -o ../no/such/folder/x.csv", 1, "Unable to Create File ../no/such/folder/x.csv"},
        {"units.cfg -o ../old.csv/x.csv", 1, "Unable to Create File"},
        // A disk that fills up half way: the old file stays whole and no temporary file is left.
        {"--format csv -o ../old.csv units.cfg", 1, "Unable to Create File ../old.csv"},
    };
    for (const auto& c : cases) {
        const bool full = std::string(c.args).find("old.csv units") != std::string::npos;
        const Ran run = full ? Shell(std::string("ulimit -f 1; '") + LORVEX_EXPORT_TOOL + "' " + c.args)
                             : Export(c.args);
        EXPECT_EQ(run.status, c.status) << c.args;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.args << ": " << run.err;
    }
    EXPECT_EQ(GameFolder::Read("../old.csv"), "old");
    EXPECT_FALSE(fs::exists("a.dat") || fs::exists("b.dat"));
    std::size_t hidden = 0;
    for (const auto& entry : fs::directory_iterator(folder.Root())) hidden += entry.path().filename().string()[0] == '.';
    EXPECT_EQ(hidden, 0u);

    const Ran help = Export("--help"), version = Export("--version");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--columns LIST"), std::string::npos);
    EXPECT_EQ(version.out, std::string("lorvex-export ") + LORVEX_VERSION + "\n");
}

// The blank-separated fields of a line.
std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    for (const std::string& p : Split(line, " "))
        if (!p.empty()) fields.push_back(p);
    return fields;
}

// Sorted lines of "list -l" without the packed size: what must survive a round trip.
std::string Entries(const std::string& listing) {
    std::vector<std::string> lines;
    for (const std::string& line : Split(listing, "\n")) {
        if (line.empty()) continue;
        const std::vector<std::string> fields = Fields(line);
        lines.push_back(fields.at(0) + " " + fields.at(2) + " " + fields.at(3));
    }
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const std::string& l : lines) text += l + "\n";
    return text;
}

// Every file below a folder with its bytes, paths relative to it.
std::string Tree(const fs::path& root) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        files.push_back(fs::relative(entry.path(), root).string() +
                        (entry.is_regular_file() ? "=" + GameFolder::Read(entry.path()) : "/"));
    std::sort(files.begin(), files.end());
    std::string text;
    for (const std::string& f : files) text += f + "\n";
    return text;
}

TEST_F(DemoGame, ArchiveRoundTrip) {
    const struct {
        const char* archive;
        const char* method;
    } cases[] = {{"rev31.gp3", "zlib"}, {"expansion.ccx", "lz77"}, {"fanpack.ufo", "stored"}};
    for (const auto& c : cases) {
        const std::string a = std::string("../") + c.archive;
        const Ran listed = Hpi("list -l " + a);
        ASSERT_EQ(listed.status, 0) << c.archive;
        EXPECT_NE(listed.out.find(std::string(" ") + c.method + " "), std::string::npos) << listed.out;
        ASSERT_EQ(Hpi("extract " + a + " ../x").status, 0) << c.archive;
        ASSERT_EQ(Hpi(std::string("pack ../re.hpi ../x --method ") + c.method).status, 0);
        const Ran again = Hpi("list -l ../re.hpi");
        EXPECT_EQ(Entries(again.out), Entries(listed.out)) << c.archive;
        ASSERT_EQ(Hpi("extract ../re.hpi ../y").status, 0);
        EXPECT_EQ(Tree("../y"), Tree("../x")) << c.archive;
        fs::remove_all("../x");
        fs::remove_all("../y");
    }
    // Stored entries: packed size equals the unpacked size.
    for (const std::string& line : Split(Hpi("list -l ../fanpack.ufo").out, "\n")) {
        const std::vector<std::string> fields = Fields(line);
        if (!fields.empty()) {
            EXPECT_EQ(fields[0], fields[1]) << line;
        }
    }

    // A packed size is what the file holds beyond the header and the directory
    // (8 for the root node, 9 for its entry, 2 for the name "a", 9 for the file record).
    fs::create_directories("../one");
    GameFolder::Write("../one/a", std::string(100000, 'x'));
    for (const char* method : {"zlib", "lz77"}) {
        ASSERT_EQ(Hpi(std::string("pack ../one.hpi ../one --method ") + method).status, 0);
        const std::vector<std::string> fields = Fields(Hpi("list -l ../one.hpi").out);
        ASSERT_EQ(fields.size(), 4u) << method;
        EXPECT_EQ(fields[0] + " " + fields[2] + " " + fields[3], std::string("100000 ") + method + " a\n");
        EXPECT_EQ(fields[1], std::to_string(fs::file_size("../one.hpi") - 48)) << method;
    }

    // Empty folders come back too; one folder of the archive, named in any case.
    ASSERT_EQ(Hpi("seeds ../seeds").status, 0);
    ASSERT_EQ(Hpi("extract ../seeds/zlib_plain.hpi ../x").status, 0);
    ASSERT_EQ(Hpi("pack ../re.hpi ../x").status, 0);
    ASSERT_EQ(Hpi("extract ../re.hpi ../y").status, 0);
    EXPECT_EQ(Tree("../y"), Tree("../x"));
    EXPECT_TRUE(fs::is_directory("../y/empty"));
    ASSERT_EQ(Hpi("extract ../seeds/zlib_plain.hpi ../z UNITS\\\\SUB").status, 0);
    EXPECT_EQ(Tree("../z"), "units/\nunits/sub/\nunits/sub/core.fbi=[CORE]{a=1;}\n");
    // The one-entry form stays.
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
    const struct {
        const char* args;
        int status;
        const char* message;
    } cases[] = {
        {"extract ../seeds/zlib_plain.hpi ../dest", 1, "is a symbolic link"},
        {"extract ../seeds/zlib_plain.hpi ../clash", 1, "skipped big\\long.tdf: ../clash/big is already there as a file"},
        {"extract ../broken.hpi ../b", 1, "cannot extract units\\cndphantom.fbi"},
        {"extract ../rev31.gp3 ../c nothing", 1, "no folder nothing"},
        {"extract ../missing.hpi ../c", 1, "cannot open archive"},
        {"list -l", 2, "usage"},
        {"extract ../rev31.gp3", 2, "usage"},
        {"frobnicate", 2, "usage"},
    };
    for (const auto& c : cases) {
        const Ran run = Hpi(c.args);
        EXPECT_EQ(run.status, c.status) << c.args;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.args << ": " << run.err;
    }
    EXPECT_TRUE(fs::is_empty("../outside")) << "nothing written through the link";
    EXPECT_TRUE(fs::exists("../dest/readme.txt")) << "the rest of the archive is still unpacked";
    EXPECT_FALSE(fs::exists("../c"));
    EXPECT_EQ(Tree("../b"), "units/\n") << "no half-written file of the damaged entry";
    EXPECT_NE(Hpi("list -l ../broken.hpi").out.find(" ?"), std::string::npos);

    const Ran help = Hpi("--help"), version = Hpi("--version");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("extract ARCHIVE DEST_FOLDER [FOLDER_IN_ARCHIVE]"), std::string::npos);
    EXPECT_EQ(version.out, std::string("lorvex-hpi ") + LORVEX_VERSION + "\n");
}

}  // namespace
}  // namespace lorvex
