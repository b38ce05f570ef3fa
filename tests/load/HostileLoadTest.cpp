// Loads of archives made to hurt: every record file left out is named with
// its reason, bounds stop a load with a message, the scratch folder is never
// a way to write elsewhere, and two loads of one folder never mix.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "hpi/HpiWriter.h"
#include "tests/support/GameFolder.h"
#include "tests/support/LoadHarness.h"

namespace lorvex {
namespace {

namespace fs = std::filesystem;
using hpi::HpiWriter;
using hpi::PackMethod;
using testkit::ColumnText;
using testkit::GameFolder;
using testkit::Harness;
using testkit::kUnitsCfg;
using testkit::Unit;

// An archive of ok.fbi and one more entry; `rename` swaps that entry's name
// for another of the same length in the stored bytes (the writer itself
// refuses bad names), `damage` flips its last byte.
std::string ArchiveWith(const std::string& name, const std::string& contents, const std::string& rename = "",
                        bool damage = false) {
    HpiWriter w;
    w.AddFile("units\\ok.fbi", Unit("Ok", "Fine", "1"), PackMethod::Stored);
    w.AddFile("units\\" + name, contents, damage ? PackMethod::Zlib : PackMethod::Stored);
    std::string bytes = w.Build(0);
    if (!rename.empty()) bytes.replace(bytes.find(name), name.size(), rename);
    if (damage) bytes.back() = static_cast<char>(bytes.back() ^ 0x5a);
    return bytes;
}

// The messages the load showed, one per line.
std::string Messages(const Harness& h) {
    std::string all;
    for (const std::string& text : h.messages.texts) all += text + "\n";
    return all;
}

TEST(HostileLoad, EveryRecordFileLeftOutIsNamedWithItsReason) {
    const std::string unit = Unit("X", "Extra", "2"), big = unit + std::string(100, ' ');
    const std::string longName = std::string(300, 'n') + ".fbi", copy = "its scratch copy cannot be written: ";
    const std::string badName = "its name is no plain file name";
    const struct {
        const char* what;
        std::string archive;
        std::string skipped;  // the entry and the reason, or "" when none is skipped
    } cases[] = {
        {"a name that climbs out", ArchiveWith("ab_x.fbi", unit, "../x.fbi"), "units\\../x.fbi: " + badName},
        {"a backslash in a name", ArchiveWith("ab_x.fbi", unit, "..\\x.fbi"), "units\\..\\x.fbi: " + badName},
        {"a line break in a name", ArchiveWith("ab_x.fbi", unit, "a\nb1.fbi"),
         "units\\a\nb1.fbi: its name holds a control character"},
        {"a damaged entry", ArchiveWith("d.fbi", unit, "", true), "units\\d.fbi: it is damaged and cannot be unpacked"},
        {"more than a record file may have", ArchiveWith("big.fbi", big),
         "units\\big.fbi: it unpacks to " + std::to_string(big.size()) +
             " bytes, more than the 0 MiB a record file may have"},
        {"a name too long for the disk", ArchiveWith(longName, unit),
         "units\\" + longName + ": " + copy + "the name is too long"},
        {"a folder in the way of its scratch copy", ArchiveWith("f.fbi", unit),
         "units\\f.fbi: " + copy + "a folder of that name is in the scratch folder"},
        {"a record file of exactly the most it may have",
         ArchiveWith("p.fbi", unit + std::string(100 - unit.size(), ' ')), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        GameFolder game;
        GameFolder::Write("t.cfg", kUnitsCfg);
        GameFolder::Write("../rev31.gp3", c.archive);
        fs::create_directories("Lorvex temp/f.fbi");  // in the way only of an entry named f.fbi
        Harness h;
        LoadLimits limits;
        limits.recordFileBytes = 100;  // "Ok" and "Extra" fit, "big" does not
        h.loader.SetLimits(limits);
        EXPECT_EQ(h.Load("t.cfg"), LoadEnd::Loaded);
        std::string skipped;
        for (const SkippedRecord& s : h.loader.Report().skipped) skipped += SkippedLine(s);
        EXPECT_EQ(skipped, c.skipped.empty() ? "" : "..\\rev31.gp3: " + c.skipped);
        EXPECT_EQ(SkippedSummary(h.loader.Report()), c.skipped.empty() ? "" : "1 record file skipped");
        EXPECT_EQ(ColumnText(h.Data(), 0), c.skipped.empty() ? "Fine,Extra" : "Fine");
        EXPECT_FALSE(fs::exists("x.fbi") || fs::exists("../x.fbi"));
    }
}

// A bound reached ends the load with a message; the table keeps what came before it.
TEST(HostileLoad, BoundsStopTheLoadWithAMessage) {
    const std::string a = Unit("A", "Alpha", "1"), b = Unit("B", "Beta", "1") + Unit("C", "Beta Two", "1"),
                      g = Unit("D", "Gamma", "1"), d = Unit("E", "Delta", "1");
    LoadLimits fewRows;
    fewRows.rows = 3;
    LoadLimits fewBytes;
    fewBytes.loadBytes = a.size() + b.size() + g.size() - 1;  // c.fbi is one byte too many
    LoadLimits roomy;
    roomy.rows = 5;
    roomy.loadBytes = a.size() + b.size() + g.size() + d.size();
    const std::tuple<const char*, LoadLimits, const char*, std::string> cases[] = {
        {"rows", fewRows, "Alpha,Beta,Beta Two",
         "The load stopped at 3 rows, the most a table may hold. The rest of ..\\rev31.gp3: units\\c.fbi and the "
         "record files after it were not read.\n"},
        {"unpacked bytes", fewBytes, "Alpha,Beta,Beta Two",
         "The load stopped: its record files unpack to more than 0 MiB, the most one load may unpack. The table holds "
         "the records read before ..\\rev31.gp3: units\\c.fbi.\n"},
        {"exactly at both bounds", roomy, "Alpha,Beta,Beta Two,Gamma,Delta", ""},
    };
    for (const auto& [what, limits, rows, message] : cases) {
        SCOPED_TRACE(what);
        testkit::UnitsGame game({{"units\\a.fbi", a}, {"units\\b.fbi", b}, {"units\\c.fbi", g}});
        ASSERT_TRUE(testkit::WriteArchive("../x.hpi", {{"units\\d.fbi", d}}));
        Harness h;
        h.loader.SetLimits(limits);
        EXPECT_EQ(h.Load("t.cfg"), message.empty() ? LoadEnd::Loaded : LoadEnd::Stopped);
        EXPECT_EQ(ColumnText(h.Data(), 0), rows);
        EXPECT_EQ(Messages(h), message);
        EXPECT_EQ(h.view.events.back(), "labels hidden");  // the table is shown as after any load
    }
}

// Whatever stands where the scratch folder goes, the load writes nowhere else
// and leaves the previous table as it was.
TEST(HostileLoad, AScratchFolderThatIsNoPlainFolderIsRefused) {
    const std::string link = "it is a symbolic link, and Lorvex never writes through a link it did not make";
    const std::tuple<const char*, std::function<void()>, std::string> cases[] = {
        {"a link to a folder", [] { fs::create_directory_symlink("../elsewhere", "Lorvex temp"); }, link},
        {"a dangling link", [] { fs::create_directory_symlink("../nowhere", "Lorvex temp"); }, link},
        {"a file", [] { GameFolder::Write("Lorvex temp", "x"); }, "it is a file, not a folder"},
    };
    for (const auto& [what, make, problem] : cases) {
        SCOPED_TRACE(what);
        testkit::UnitsGame game({{"units\\a.fbi", Unit("A", "Alpha", "1")}});
        fs::create_directory("../elsewhere");
        GameFolder::Write("../elsewhere/a.fbi", "precious");
        GameFolder::Write("../elsewhere/keep.txt", "precious");
        Harness h;
        h.Load("t.cfg");  // the folder is still plain: this load fills the table
        fs::remove_all("Lorvex temp");
        make();
        h.view.events.clear();
        EXPECT_EQ(h.Load("t.cfg"), LoadEnd::ScratchRefused);
        EXPECT_EQ(Messages(h), "Lorvex cannot use its scratch folder \"Lorvex temp\": " + problem + ".\n");
        EXPECT_EQ(ColumnText(h.Data(), 0), "Alpha");
        EXPECT_TRUE(h.view.events.empty());  // the table was never touched
        EXPECT_EQ(GameFolder::Read("../elsewhere/a.fbi") + GameFolder::Read("../elsewhere/keep.txt"),
                  "preciousprecious");
        EXPECT_FALSE(fs::exists("../nowhere"));
    }
}

// Another process holding the scratch folder (flock, as a second load does):
// the load waits, asking the view each time, until it is let go or cancelled.
TEST(HostileLoad, ALoadWaitsForTheOneHoldingTheScratchFolder) {
    testkit::UnitsGame game({{"units\\a.fbi", Unit("A", "Alpha", "1")}});
    fs::create_directory("Lorvex temp");
    GameFolder::Write("Lorvex temp/other.fbi", "the other load's copy");
    // flock locks belong to the open file: a second open of the folder is another holder.
    const int other = ::open("Lorvex temp", O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);

    Harness h;
    h.view.waitAnswer = [](int call) { return call < 3; };  // the user cancels at the third look
    EXPECT_EQ(h.Load("t.cfg"), LoadEnd::Cancelled);
    EXPECT_EQ(h.view.waits, 3);
    EXPECT_EQ(h.Data().ColumnCount(), 0);  // untouched
    EXPECT_TRUE(h.view.events.empty());
    EXPECT_EQ(GameFolder::Read("Lorvex temp/other.fbi"), "the other load's copy");

    h.view.waits = 0;
    h.view.waitAnswer = [&](int call) {
        if (call == 2) ::flock(other, LOCK_UN);  // the other load ends
        return true;
    };
    EXPECT_EQ(h.Load("t.cfg"), LoadEnd::Loaded);
    EXPECT_EQ(h.view.waits, 2);
    EXPECT_EQ(ColumnText(h.Data(), 0), "Alpha");
    ::close(other);

    h.view.waits = 0;
    h.Load("t.cfg");  // nobody holds it: no wait at all
    EXPECT_EQ(h.view.waits, 0);
}

// Only the leading "..\" of an archive's path stands for the game folder: a
// file named "..\secret.hpi" in it is that file, not secret.hpi one folder up.
TEST(HostileLoad, ABackslashInAnArchiveFileNameIsPartOfTheName) {
    GameFolder game;
    fs::create_directories("../game/cur");
    ASSERT_TRUE(testkit::WriteArchive("../game/..\\secret.hpi", {{"units\\a.fbi", Unit("A", "Inside", "1")}}));
    ASSERT_TRUE(testkit::WriteArchive("../secret.hpi", {{"units\\a.fbi", Unit("A", "Outside", "1")}}));
    fs::current_path("../game/cur");
    GameFolder::Write("t.cfg", kUnitsCfg);
    Harness h;
    h.Load("t.cfg");
    EXPECT_EQ(ColumnText(h.Data(), 0), "Inside");
    EXPECT_EQ(ColumnText(h.Data(), 2), "..\\secret.hpi  ::  a.fbi");
}

}  // namespace
}  // namespace lorvex
