// lorvex-hpi against archives and source folders from strangers: entries the
// directory leaves out are reported, pack follows no link, names never reach a
// terminal raw, and --max-bytes bounds what one run unpacks.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "hpi/HpiWriter.h"
#include "tests/hpi/RawArchive.h"
#include "tests/tdf/TestFiles.h"

namespace lorvex {
namespace {

namespace fs = std::filesystem;
using hpi::HpiWriter;
using test::RawArchive;
using test::RawEntry;
using test::ReadBytes;

struct Ran {
    int status;
    std::string out, err;
};

class HpiTool : public ::testing::Test {
protected:
    // A path in the scratch folder, quoted for the shell.
    std::string Q(const std::string& name) const { return " '" + scratch.PathOf(name) + "'"; }

    // Runs the shell command line `line` (the tool is $T) with its output kept beside it.
    Ran Shell(const std::string& line) const {
        const std::string command = "export T='" + std::string(LORVEX_HPI_TOOL) + "'; " + line + " >" + Q("run.out") +
                                    " 2>" + Q("run.err");
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(scratch / "run.out"),
                ReadBytes(scratch / "run.err")};
    }
    Ran Hpi(const std::string& args) const { return Shell("\"$T\" " + args); }

    // The files of an archive as "list" names them, one a line.
    std::string Listing(const std::string& archive) const { return Hpi("list" + Q(archive)).out; }

    test::TempFolder scratch;
};

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(HpiTool, EntriesLeftOutOfTheDirectoryAreReportedWhereTheyLie) {
    const char* const kPlain = "its name is no plain file name";
    const struct {
        RawEntry entry;  // placed in folder "units" beside good.fbi
        const char* shown;
        const char* reason;
    } cases[] = {
        {{"..", true}, "folder units\\..", kPlain},
        {{"..\\..\\x"}, "units\\..\\..\\x", kPlain},
        {{"a/b"}, "units\\a/b", kPlain},
        {{"c:d"}, "units\\c:d", kPlain},
        {{""}, "units\\", kPlain},
        // A control byte never reaches stderr raw: the ESC would retitle the terminal.
        {{"\x1b]0;owned\x07"}, "units\\\\x1b]0;owned\\x07", "its name holds a control character"},
        {{"two\nlines"}, "units\\two\\x0alines", "its name holds a control character"},
        {{"GOOD.FBI"}, "units\\GOOD.FBI", "its name repeats an earlier one"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        const std::string message = std::string("skipped ") + c.shown + ": " + c.reason;
        scratch.Write("a.hpi", RawArchive({{"top.fbi"}, {"units", true, {{"good.fbi"}, c.entry}},
                                           {"other", true, {{"o.fbi"}}}}));
        fs::remove_all(scratch / "d");

        const Ran all = Hpi("list" + Q("a.hpi"));
        EXPECT_EQ(all.status, 1);
        EXPECT_EQ(all.out, "top.fbi\nunits\\good.fbi\nother\\o.fbi\n");
        EXPECT_TRUE(Has(all.err, message)) << all.err;
        EXPECT_FALSE(Has(all.err, "\x1b") || Has(all.err, "two\n")) << all.err;
        const Ran units = Hpi("list -l" + Q("a.hpi") + " UNITS");
        EXPECT_EQ(units.status, 1);
        EXPECT_TRUE(Has(units.err, message)) << units.err;
        // Listing another folder, or extracting it, has nothing to report.
        EXPECT_EQ(Hpi("list" + Q("a.hpi") + " other").status, 0);
        EXPECT_EQ(Hpi("extract" + Q("a.hpi") + Q("o") + " other").status, 0);

        const Ran extracted = Hpi("extract" + Q("a.hpi") + Q("d"));
        EXPECT_EQ(extracted.status, 1);
        EXPECT_TRUE(Has(extracted.err, message)) << extracted.err;
        EXPECT_TRUE(Has(extracted.err, "3 files written, 1 skipped, 0 failed")) << extracted.err;
        EXPECT_EQ(ReadBytes(scratch / "d/units/good.fbi"), "Z");
        EXPECT_EQ(Hpi("extract" + Q("a.hpi") + Q("u") + " units").status, 1);
    }
}

TEST_F(HpiTool, ListingAFolderTheArchiveLacksFails) {
    HpiWriter writer;
    writer.AddFile("units\\a.fbi", "A");
    writer.AddFile("top.fbi", "T");
    writer.WriteTo(scratch / "a.hpi");
    const struct {
        const char* folder;
        int status;
        const char* out;
    } cases[] = {
        {"UNITS", 0, "a.fbi\n"},
        {"'\\units\\'", 0, "a.fbi\n"},
        {"..", 1, ""},  // no climbing to the root's parent, nor quietly listing nothing
        {"nothing", 1, ""},
        {"'units\\missing'", 1, ""},
        {"top.fbi", 1, ""},  // a file, not a folder
    };
    for (const auto& c : cases) {
        const Ran run = Hpi("list" + Q("a.hpi") + " " + c.folder);
        EXPECT_EQ(run.status, c.status) << c.folder;
        EXPECT_EQ(run.out, c.out) << c.folder;
        EXPECT_EQ(Has(run.err, "no folder "), c.status != 0) << c.folder << ": " << run.err;
    }
}

TEST_F(HpiTool, PackFollowsNoLinkAndStoresNoBadName) {
    fs::create_directories(scratch / "outside");
    scratch.Write("outside/secret.txt", "secret");
    const struct {
        const char* what;
        const char* setup;  // shell commands run in the fresh source folder
        const char* shown;  // how the message names what was skipped
        const char* reason;
    } cases[] = {
        {"nothing odd", "true", nullptr, nullptr},
        {"a link to a file inside", "ln -s real.txt alias", "alias", "symbolic link"},
        {"a link to a folder inside", "ln -s sub loop", "loop", "symbolic link"},
        {"a link to a file outside", "ln -s ../outside/secret.txt secret", "secret", "symbolic link"},
        {"a link to a folder outside", "ln -s ../outside out", "out", "symbolic link"},
        {"a dangling link", "ln -s nowhere dangling", "dangling", "symbolic link"},
        {"a control character", "printf x > \"$(printf 'ti\\033tle')\"", "ti\\x1btle", "cannot hold its name"},
        {"a backslash, read as a separator", "printf x > 'a\\..\\..\\b'", "a\\..\\..\\b", "cannot hold its name"},
        {"a drive colon", "mkdir c: && printf x > c:/f", "c:", "cannot hold its name"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(scratch / "src");
        fs::remove(scratch / "a.hpi");
        fs::create_directories(scratch / "src/sub");
        scratch.Write("src/real.txt", "real");
        scratch.Write("src/sub/s.txt", "s");
        ASSERT_EQ(Shell("cd" + Q("src") + " && " + c.setup).status, 0);
        const Ran packed = Hpi("pack" + Q("a.hpi") + Q("src"));
        EXPECT_EQ(packed.status, c.shown ? 1 : 0) << packed.err;
        if (c.shown) {
            EXPECT_TRUE(Has(packed.err, std::string("src/") + c.shown + ": ")) << packed.err;
            EXPECT_TRUE(Has(packed.err, c.reason)) << packed.err;
        }
        // The archive is written all the same, holding exactly the real files.
        EXPECT_EQ(Listing("a.hpi"), "real.txt\nsub\\s.txt\n");
    }
}

TEST_F(HpiTool, NamesReachATerminalEscapedAndAPipeAsTheyAre) {
    // A C1 CSI is no control byte, so the directory keeps the name.
    const std::string name = "red\xc2\x9b" "31m.fbi";
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
        {"--max-bytes 750", 0, "abcd"},                // exactly the total
        {"--max-bytes 749", 1, "abc"},                 // one byte short: the last entry is left out
        {"--max-bytes 599", 1, "abd"},                 // c would pass it; d still fits after it
        {"--max-bytes 250", 1, "ad"},                  // what was skipped does not count
        {"--max-bytes 0", 1, ""},
        {"--max-bytes=1K", 0, "abcd"},
        {"--max-bytes 1k --max-bytes 99", 1, ""},      // the last one given holds
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
    EXPECT_EQ(ReadBytes(scratch / "one"), std::string(300, 'c'));
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
    EXPECT_EQ(ReadBytes(scratch / "d/units" / name), "long");
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
