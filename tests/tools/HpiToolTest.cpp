// lorvex-hpi end to end: every packing round trips, entries the directory
// leaves out are reported, pack follows no link, names never reach a terminal
// raw, --max-bytes bounds what one run unpacks, and each failure has its status.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "hpi/HpiWriter.h"
#include "tests/hpi/RawArchive.h"
#include "tests/support/ToolRun.h"

namespace lorvex {
namespace {

namespace fs = std::filesystem;
using hpi::HpiWriter;
using testkit::GameFolder;
using testkit::Has;
using testkit::Ran;
using testkit::RawArchive;
using testkit::RawEntry;

class HpiTool : public ::testing::Test {
protected:
    // A path in the scratch folder, quoted for the shell.
    std::string Q(const std::string& name) const { return " '" + scratch.PathOf(name) + "'"; }
    // Runs the shell command line `line` (the tool is $T).
    Ran Shell(const std::string& line) const {
        return testkit::RunShell("export T='" + std::string(LORVEX_HPI_TOOL) + "'; " + line, scratch / "");
    }
    Ran Hpi(const std::string& args) const { return Shell("\"$T\" " + args); }
    // The files of an archive as "list" names them, one a line.
    std::string Listing(const std::string& archive) const { return Hpi("list" + Q(archive)).out; }
    // Every file below a scratch folder with its bytes, and every folder, sorted.
    std::vector<std::string> Tree(const std::string& name) const {
        std::vector<std::string> lines;
        for (const auto& e : fs::recursive_directory_iterator(scratch / name))
            lines.push_back(fs::relative(e.path(), scratch / name).string() +
                            (e.is_regular_file() ? "=" + GameFolder::Read(e.path()) : "/"));
        std::sort(lines.begin(), lines.end());
        return lines;
    }

    testkit::GameFolder scratch;
};

// The lines of a text, sorted.
std::vector<std::string> SortedLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The fields of each line of "list -l": unpacked size, packed size, method, name.
std::vector<std::vector<std::string>> Fields(const std::string& listing) {
    std::vector<std::vector<std::string>> lines;
    std::istringstream in(listing);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        lines.emplace_back(std::istream_iterator<std::string>(words), std::istream_iterator<std::string>());
    }
    return lines;
}

// Each packing through extract, pack and list -l gives back the same entries and
// bytes, empty folders too; packing or extracting again over the last run's output
// gives the same bytes, so a run is repeatable into the same folder.
TEST_F(HpiTool, EveryPackingRoundTripsAndRepeats) {
    ASSERT_EQ(Hpi("seeds" + Q("seeds")).status, 0);
    for (const std::string method : {"stored", "lz77", "zlib"}) {
        SCOPED_TRACE(method);
        const std::string seed = "seeds/" + method + "_plain.hpi";
        const Ran listed = Hpi("list -l" + Q(seed));
        ASSERT_EQ(listed.status, 0) << listed.err;
        for (const auto& f : Fields(listed.out)) {
            ASSERT_EQ(f.size(), 4u) << listed.out;
            EXPECT_EQ(f[2], method) << listed.out;
            EXPECT_TRUE(method != "stored" || f[0] == f[1]) << listed.out;  // a stored entry packs to its size
        }
        for (int run = 0; run < 2; ++run) ASSERT_EQ(Hpi("extract" + Q(seed) + Q("x")).status, 0) << run;
        EXPECT_TRUE(fs::is_directory(scratch / "x/empty"));
        ASSERT_EQ(Hpi("pack" + Q("re.hpi") + Q("x") + " --seed 9 --method " + method).status, 0);
        const std::string packed = GameFolder::Read(scratch / "re.hpi");
        // Either spelling of the options; the same packing gives the same sizes whatever the order of entries.
        ASSERT_EQ(Hpi("pack" + Q("re.hpi") + Q("x") + " --method=" + method + " --seed=9").status, 0);
        EXPECT_EQ(GameFolder::Read(scratch / "re.hpi"), packed);
        EXPECT_EQ(SortedLines(Hpi("list -l" + Q("re.hpi")).out), SortedLines(listed.out));
        ASSERT_EQ(Hpi("extract" + Q("re.hpi") + Q("y")).status, 0);
        EXPECT_EQ(Tree("y"), Tree("x"));
        fs::remove_all(scratch / "x"), fs::remove_all(scratch / "y");
    }
    // The packed size is what the file holds past the header and the directory (8 for the
    // root node, 9 for its entry, 2 for the name "a", 9 for the file record).
    fs::create_directories(scratch / "one");
    scratch.Write("one/a", std::string(100000, 'x'));
    for (const char* method : {"zlib", "lz77"}) {
        ASSERT_EQ(Hpi(std::string("pack") + Q("one.hpi") + Q("one") + " --method " + method).status, 0);
        const auto f = Fields(Hpi("list -l" + Q("one.hpi")).out);
        ASSERT_EQ(f.size(), 1u);
        EXPECT_EQ(f[0], (std::vector<std::string>{"100000", std::to_string(fs::file_size(scratch / "one.hpi") - 48),
                                                  method, "a"}));
    }
    // One folder, named in any case and either way round its separators, lists only its own files.
    for (const char* folder : {"UNITS", "'\\units\\'"})
        EXPECT_EQ(Hpi("list" + Q("seeds/zlib_plain.hpi") + " " + folder).out, "armx.fbi\n") << folder;
    // One folder of the archive, named in any case, keeps the tree above it; one entry goes to a file.
    ASSERT_EQ(Hpi("extract" + Q("seeds/zlib_plain.hpi") + Q("z") + " 'UNITS\\SUB'").status, 0);
    EXPECT_EQ(Tree("z"), (std::vector<std::string>{"units/", "units/sub/", "units/sub/core.fbi=[CORE]{a=1;}"}));
    ASSERT_EQ(Hpi("extract" + Q("seeds/zlib_plain.hpi") + " 'units\\ARMX.FBI'" + Q("one.fbi")).status, 0);
    EXPECT_EQ(GameFolder::Read(scratch / "one.fbi").substr(0, 6), "[ARMX]");
}

// Each failure exits with its status and names its cause; nothing is written where it must not be.
TEST_F(HpiTool, FailuresEndWithTheirStatusAndMessage) {
    ASSERT_EQ(Hpi("seeds" + Q("seeds")).status, 0);
    fs::create_directories(scratch / "outside");
    fs::create_directories(scratch / "dest");
    fs::create_directory_symlink(scratch / "outside", scratch / "dest/units");
    fs::create_directories(scratch / "clash");
    scratch.Write("clash/big", "a file where the archive has a folder");
    HpiWriter writer;  // cut short inside its only file's stored bytes
    writer.AddFile("units\\cut.fbi", std::string(100, 'c'), hpi::PackMethod::Stored);
    const std::string whole = writer.Build();
    scratch.Write("cut.hpi", whole.substr(0, whole.size() - 10));
    const std::string zlib = Q("seeds/zlib_plain.hpi");
    const struct {
        std::string args;
        int status;
        std::string message;
    } cases[] = {
        {"extract" + zlib + Q("dest"), 1, "is a symbolic link"},
        {"extract" + zlib + Q("clash"), 1,
         "skipped big\\long.tdf: " + scratch.PathOf("clash/big") + " is already there as a file"},
        {"extract" + Q("cut.hpi") + Q("cut"), 1, "cannot extract units\\cut.fbi"},
        {"extract" + zlib + Q("c") + " nothing", 1, "no folder nothing"},
        {"extract" + zlib + " nothing" + Q("none.fbi"), 1, ""},
        {"extract" + Q("missing.hpi") + Q("c"), 1, "cannot open archive"},
        // No climbing to the root's parent, nor quietly listing nothing.
        {"list" + zlib + " ..", 1, "no folder .."},
        {"list" + zlib + " nothing", 1, "no folder nothing"},
        {"list" + zlib + " 'units\\missing'", 1, "no folder units\\missing"},
        {"list" + zlib + " readme.txt", 1, "no folder readme.txt"},  // a file, not a folder
        {"list", 2, "usage: lorvex-hpi list [-l] ARCHIVE [FOLDER]"},
        {"list -l", 2, "usage"},
        {"list" + zlib + " units extra", 2, "usage"},
        {"extract" + zlib, 2, "usage"},
        {"frobnicate", 2, "usage"},
    };
    for (const auto& c : cases) {
        const Ran run = Hpi(c.args);
        EXPECT_EQ(run.status, c.status) << c.args;
        EXPECT_EQ(run.out, "") << c.args;
        EXPECT_TRUE(Has(run.err, c.message)) << c.args << ": " << run.err;
    }
    EXPECT_TRUE(fs::is_empty(scratch / "outside")) << "nothing written through the link";
    EXPECT_TRUE(fs::exists(scratch / "dest/readme.txt")) << "the rest of the archive is still unpacked";
    EXPECT_FALSE(fs::exists(scratch / "c") || fs::exists(scratch / "none.fbi"));
    EXPECT_EQ(Tree("cut"), std::vector<std::string>{"units/"}) << "no half-written file of the damaged entry";
    EXPECT_EQ(Fields(Hpi("list -l" + Q("cut.hpi")).out).at(0).at(1), "?") << "its packed size cannot be known";
    for (const char* help : {"--help", "-h"})
        EXPECT_TRUE(Has(Hpi(help).out, "extract ARCHIVE DEST_FOLDER [FOLDER_IN_ARCHIVE]")) << help;
    EXPECT_EQ(Hpi("--version").out, std::string("lorvex-hpi ") + LORVEX_VERSION + "\n");
}

// Each run names on stderr every entry it leaves out, a control byte escaped (raw, the ESC would retitle
// the terminal); listing or extracting a folder without such entries has nothing to report.
TEST_F(HpiTool, EntriesLeftOutOfTheDirectoryAreReportedWhereTheyLie) {
    const char* const kPlain = "its name is no plain file name";
    const char* const kControl = "its name holds a control character";
    const struct {
        RawEntry entry;  // placed in folder "units" beside good.fbi
        const char* shown;
        const char* reason;
    } cases[] = {
        {{"..", true}, "folder units\\..", kPlain},
        {{"a/b"}, "units\\a/b", kPlain},  // which names are left out is the archive's, tested with it
        {{""}, "units\\", kPlain},
        {{"\x1b]0;owned\x07"}, "units\\\\x1b]0;owned\\x07", kControl},
        {{"two\nlines"}, "units\\two\\x0alines", kControl},
        {{"GOOD.FBI"}, "units\\GOOD.FBI", "its name repeats an earlier one"},
    };
    RawEntry units{"units", true, {{"good.fbi"}}};
    std::string skipped;
    for (const auto& c : cases) {
        units.children.push_back(c.entry);
        skipped += std::string("lorvex-hpi: skipped ") + c.shown + ": " + c.reason + "\n";
    }
    scratch.Write("a.hpi", RawArchive({{"top.fbi"}, units, {"other", true, {{"o.fbi"}}}}));
    const struct {
        std::string args;
        int status;
        std::string out, err;
    } runs[] = {
        {"list" + Q("a.hpi"), 1, "top.fbi\nunits\\good.fbi\nother\\o.fbi\n", skipped},
        {"list -l" + Q("a.hpi") + " UNITS", 1, "         1          1 stored  good.fbi\n", skipped},
        {"list" + Q("a.hpi") + " other", 0, "o.fbi\n", ""},
        {"extract" + Q("a.hpi") + Q("o") + " other", 0, "", ""},
        {"extract" + Q("a.hpi") + Q("d"), 1, "", skipped + "lorvex-hpi: 3 files written, 6 skipped, 0 failed\n"},
        {"extract" + Q("a.hpi") + Q("u") + " units", 1, "",
         skipped + "lorvex-hpi: 1 files written, 6 skipped, 0 failed\n"},
    };
    for (const auto& r : runs) {
        const Ran run = Hpi(r.args);
        EXPECT_EQ(run.status, r.status) << r.args;
        EXPECT_EQ(run.out, r.out) << r.args;
        EXPECT_EQ(run.err, r.err) << r.args;
    }
    EXPECT_EQ(GameFolder::Read(scratch / "d/units/good.fbi"), "Z");
}

// Every link and every name an archive cannot hold is reported and left out; the archive is written all
// the same, holding exactly the real files.
TEST_F(HpiTool, PackFollowsNoLinkAndStoresNoBadName) {
    fs::create_directories(scratch / "outside");
    scratch.Write("outside/secret.txt", "secret");
    fs::create_directories(scratch / "src/sub");
    scratch.Write("src/real.txt", "real");
    scratch.Write("src/sub/s.txt", "s");
    const char* const kLink = "it is a symbolic link, which is never followed";
    const char* const kName = "an archive cannot hold its name";
    const struct {
        const char* setup;  // shell commands run in the source folder
        const char* shown;  // how the message names what was skipped
        const char* reason;
    } cases[] = {
        {"ln -s real.txt alias", "alias", kLink},  // to a file inside
        {"ln -s sub loop", "loop", kLink},         // to a folder inside
        {"ln -s ../outside/secret.txt secret", "secret", kLink},
        {"ln -s ../outside out", "out", kLink},
        {"ln -s nowhere dangling", "dangling", kLink},
        {"printf x > \"$(printf 'ti\\033tle')\"", "ti\\x1btle", kName},  // a control character
        {"printf x > 'a\\..\\..\\b'", "a\\..\\..\\b", kName},            // a backslash, read as a separator
        {"mkdir c: && printf x > c:/f", "c:", kName},                    // a drive colon; its files are not looked at
    };
    std::vector<std::string> skipped;
    for (const auto& c : cases) {
        ASSERT_EQ(Shell("cd" + Q("src") + " && " + c.setup).status, 0) << c.setup;
        skipped.push_back("lorvex-hpi: skipped " + scratch.PathOf("src/") + c.shown + ": " + c.reason);
    }
    std::sort(skipped.begin(), skipped.end());
    const Ran packed = Hpi("pack" + Q("a.hpi") + Q("src"));
    EXPECT_EQ(packed.status, 1);
    EXPECT_EQ(SortedLines(packed.err), skipped);
    EXPECT_EQ(Listing("a.hpi"), "real.txt\nsub\\s.txt\n");
}

TEST_F(HpiTool, NamesReachATerminalEscapedAndAPipeAsTheyAre) {
    // A C1 CSI is no control byte, so the directory keeps the name.
    const std::string name = "red\xc2\x9b\x33\x31m.fbi";  // "red", CSI, "31m.fbi"
    HpiWriter writer;
    ASSERT_TRUE(writer.AddFile(name, "x"));
    writer.WriteTo(scratch / "a.hpi");
    EXPECT_EQ(Listing("a.hpi"), name + "\n");
    if (Shell("command -v script").status != 0) GTEST_SKIP() << "no script(1) to give the tool a terminal";
    for (const char* args : {"list", "list -l"}) {
        const Ran tty = Shell("script -qec \"\\\"\\$T\\\" " + std::string(args) + Q("a.hpi") + "\" /dev/null");
        EXPECT_EQ(tty.status, 0) << tty.err;
        EXPECT_TRUE(Has(tty.out, "red\\xc2\\x9b31m.fbi")) << tty.out;
        EXPECT_FALSE(Has(tty.out, "\xc2\x9b")) << tty.out;
    }
}

TEST_F(HpiTool, MaxBytesBoundsWhatOneExtractionUnpacks) {
    HpiWriter writer;
    for (const auto& [entry, size] : {std::pair{"a", 100}, {"b", 200}, {"c", 300}, {"d", 150}})
        writer.AddFile(entry, std::string(size, *entry));
    writer.WriteTo(scratch / "a.hpi");
    const struct {
        const char* option;
        int status;
        const char* written;  // the entries unpacked, in archive order
    } cases[] = {
        {"", 0, "abcd"},
        {"--max-bytes 750", 0, "abcd"},  // exactly the total
        {"--max-bytes 749", 1, "abc"},   // one byte short: the last entry is left out
        {"--max-bytes 599", 1, "abd"},   // c would pass it; d still fits after it
        {"--max-bytes 250", 1, "ad"},    // what was skipped does not count
        {"--max-bytes 0", 1, ""},
        {"--max-bytes=1K", 0, "abcd"},
        {"--max-bytes 1M", 0, "abcd"},
        {"--max-bytes 17179869183G", 0, "abcd"},   // the largest count of GiB that a byte count holds
        {"--max-bytes 1k --max-bytes 99", 1, ""},  // the last one given holds
    };
    for (const auto& c : cases) {
        fs::remove_all(scratch / "d");
        const Ran run = Hpi(std::string("extract ") + c.option + Q("a.hpi") + Q("d"));
        EXPECT_EQ(run.status, c.status) << c.option << run.err;
        std::string written;
        for (const char* entry : {"a", "b", "c", "d"})
            if (fs::exists(scratch / "d" / entry)) written += entry;
        EXPECT_EQ(written, c.written) << c.option;
        EXPECT_EQ(Has(run.err, "past --max-bytes"), c.status != 0) << c.option << run.err;
    }
    EXPECT_EQ(Hpi("extract --max-bytes 299" + Q("a.hpi") + " C" + Q("one")).status, 1);
    EXPECT_FALSE(fs::exists(scratch / "one"));
    EXPECT_EQ(Hpi("extract" + Q("a.hpi") + " C" + Q("one") + " --max-bytes 300").status, 0);
    EXPECT_EQ(GameFolder::Read(scratch / "one"), std::string(300, 'c'));
    for (const char* bad : {"x", "-1", "5Q", "K", "99999999999999999999", "17179869184G", ""}) {
        const Ran run = Hpi(std::string("extract --max-bytes '") + bad + "'" + Q("a.hpi") + Q("d"));
        EXPECT_EQ(run.status, 2) << bad;
        EXPECT_TRUE(Has(run.err, "--max-bytes takes")) << bad;
    }
    EXPECT_EQ(Hpi("extract" + Q("a.hpi") + Q("d") + " --max-bytes").status, 2) << "not taken for a folder name";
    EXPECT_TRUE(Has(Hpi("--help").out, "--max-bytes N")) << "documented";
}

TEST_F(HpiTool, ANameNearTheFileNameLimitStillExtracts) {
    // 250 bytes: room for the name itself, not for a temporary name built from it.
    const std::string name(250, 'n');
    HpiWriter writer;
    writer.AddFile("units\\" + name, "long");
    writer.WriteTo(scratch / "a.hpi");
    const Ran run = Hpi("extract" + Q("a.hpi") + Q("d"));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(GameFolder::Read(scratch / "d/units" / name), "long");
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch / "d/units"), fs::directory_iterator()), 1)
        << "no temporary file left";
}

TEST_F(HpiTool, RunningOutOfMemoryEndsWithAMessageNotAnAbort) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizer reserves more address space than the limit below allows";
#endif
    constexpr std::uintmax_t kFileBytes = std::uintmax_t{300} << 20;  // sparse: costs no disk
    fs::create_directories(scratch / "src");
    scratch.Write("src/big", "");
    fs::resize_file(scratch / "src/big", kFileBytes);
    const Ran run = Shell("ulimit -v 150000; \"$T\" pack" + Q("a.hpi") + Q("src"));
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(Has(run.err, "lorvex-hpi: out of memory")) << run.err;
}

}  // namespace
}  // namespace lorvex
