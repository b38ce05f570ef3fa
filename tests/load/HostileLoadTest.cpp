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

TEST(HostileLoad, EveryRecordFileLeftOutIsNamedWithItsReason) {
    const std::string unit = Unit("X", "Extra", "2");
    const std::string longName = std::string(300, 'n') + ".fbi";
    struct Case {
        const char* what;
        std::string archive;
        std::function<void()> before;
        std::string entry;   // the skipped entry as named, or "" when none is skipped
        std::string reason;  // a piece of the reason
    };
    const Case cases[] = {
        {"a name that climbs out", ArchiveWith("ab_x.fbi", unit, "../x.fbi"), [] {}, "units\\../x.fbi", "name"},
        {"a backslash in a name", ArchiveWith("ab_x.fbi", unit, "..\\x.fbi"), [] {}, "units\\..\\x.fbi", "name"},
        {"a line break in a name", ArchiveWith("ab_x.fbi", unit, "a\nb1.fbi"), [] {}, "units\\a\nb1.fbi", "name"},
        {"a damaged entry", ArchiveWith("d.fbi", unit, "", true), [] {}, "units\\d.fbi", "damaged"},
        {"more than a record file may have", ArchiveWith("big.fbi", unit + std::string(100, ' ')), [] {},
         "units\\big.fbi", "more than the 0 MiB"},
        {"a name too long for the disk", ArchiveWith(longName, unit), [] {}, "units\\" + longName, "too long"},
        {"a folder in the way of its scratch copy", ArchiveWith("f.fbi", unit),
         [] { fs::create_directories("Lorvex temp/f.fbi"); }, "units\\f.fbi", "a folder of that name"},
        {"a plain second record is not skipped", ArchiveWith("p.fbi", unit), [] {}, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GameFolder game;
        GameFolder::Write("t.cfg", kUnitsCfg);
        GameFolder::Write("../rev31.gp3", c.archive);
        c.before();
        Harness h;
        LoadLimits limits;
        limits.recordFileBytes = 100;  // "Ok" and "Extra" fit, "big" does not
        h.loader.SetLimits(limits);
        h.Load("t.cfg");
        EXPECT_EQ(h.loader.Report().end, LoadEnd::Loaded);
        const auto& skipped = h.loader.Report().skipped;
        if (c.entry.empty()) {
            EXPECT_TRUE(skipped.empty());
            EXPECT_EQ(ColumnText(h.Data(), 0), "Fine,Extra");
            continue;
        }
        EXPECT_EQ(ColumnText(h.Data(), 0), "Fine");
        ASSERT_EQ(skipped.size(), 1u);
        EXPECT_EQ(skipped[0].archive, "..\\rev31.gp3");
        EXPECT_EQ(skipped[0].entry, c.entry);
        EXPECT_NE(skipped[0].reason.find(c.reason), std::string::npos) << skipped[0].reason;
        EXPECT_EQ(SkippedSummary(h.loader.Report()), "1 record file skipped");
        EXPECT_FALSE(fs::exists("x.fbi") || fs::exists("../x.fbi"));
    }
}

// A bound reached ends the load with a message; the table keeps what came before it.
TEST(HostileLoad, BoundsStopTheLoadWithAMessage) {
    struct Case {
        const char* what;
        LoadLimits limits;
        std::string rows;
        std::string message;
    };
    const std::string a = Unit("A", "Alpha", "1"), b = Unit("B", "Beta", "1") + Unit("C", "Beta Two", "1"),
                      g = Unit("D", "Gamma", "1"), d = Unit("E", "Delta", "1");
    LoadLimits fewRows;
    fewRows.rows = 3;
    LoadLimits fewBytes;
    fewBytes.loadBytes = a.size() + b.size() + g.size() - 1;  // c.fbi is one byte too many
    LoadLimits roomy;
    roomy.rows = 5;
    roomy.loadBytes = a.size() + b.size() + g.size() + d.size();
    const Case cases[] = {
        {"rows", fewRows, "Alpha,Beta,Beta Two", "The load stopped at 3 rows"},
        {"unpacked bytes", fewBytes, "Alpha,Beta,Beta Two", "The load stopped: its record files unpack to more than"},
        {"exactly at both bounds", roomy, "Alpha,Beta,Beta Two,Gamma,Delta", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testkit::UnitsGame game({{"units\\a.fbi", a}, {"units\\b.fbi", b}, {"units\\c.fbi", g}});
        ASSERT_TRUE(testkit::WriteArchive("../x.hpi", {{"units\\d.fbi", d}}));
        Harness h;
        h.loader.SetLimits(c.limits);
        h.Load("t.cfg");
        EXPECT_EQ(ColumnText(h.Data(), 0), c.rows);
        EXPECT_EQ(h.loader.Report().end, c.message.empty() ? LoadEnd::Loaded : LoadEnd::Stopped);
        EXPECT_EQ(h.view.events.back(), "labels hidden");  // the table is shown as after any load
        if (c.message.empty()) {
            EXPECT_TRUE(h.messages.texts.empty());
            continue;
        }
        ASSERT_EQ(h.messages.texts.size(), 1u);
        EXPECT_EQ(h.messages.texts[0].rfind(c.message, 0), 0u) << h.messages.texts[0];
    }
}

// Whatever stands where the scratch folder goes, the load writes nowhere else
// and leaves the previous table as it was.
TEST(HostileLoad, AScratchFolderThatIsNoPlainFolderIsRefused) {
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"a link to a folder", [] { fs::create_directory_symlink("../elsewhere", "Lorvex temp"); }},
        {"a dangling link", [] { fs::create_directory_symlink("../nowhere", "Lorvex temp"); }},
        {"a file", [] { GameFolder::Write("Lorvex temp", "x"); }},
    };
    for (const auto& [what, make] : cases) {
        SCOPED_TRACE(what);
        testkit::UnitsGame game({{"units\\a.fbi", Unit("A", "Alpha", "1")}});
        fs::create_directory("../elsewhere");
        GameFolder::Write("../elsewhere/a.fbi", "precious");
        GameFolder::Write("../elsewhere/keep.txt", "precious");
        Harness h;
        h.Load("t.cfg");  // the folder is still plain: this load fills the table
        ASSERT_EQ(h.Data().RowCount(), 1);
        fs::remove_all("Lorvex temp");
        make();
        h.view.events.clear();
        h.Load("t.cfg");
        EXPECT_EQ(h.loader.Report().end, LoadEnd::ScratchRefused);
        ASSERT_EQ(h.messages.texts.size(), 1u);
        EXPECT_NE(h.messages.texts[0].find("\"Lorvex temp\""), std::string::npos) << h.messages.texts[0];
        EXPECT_EQ(h.Data().RowCount(), 1);
        EXPECT_TRUE(h.view.events.empty());  // the table was never touched
        EXPECT_EQ(GameFolder::Read("../elsewhere/a.fbi"), "precious");
        EXPECT_EQ(GameFolder::Read("../elsewhere/keep.txt"), "precious");
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
    h.Load("t.cfg");
    EXPECT_EQ(h.loader.Report().end, LoadEnd::Cancelled);
    EXPECT_EQ(h.view.waits, 3);
    EXPECT_EQ(h.Data().ColumnCount(), 0);  // untouched
    EXPECT_TRUE(h.view.events.empty());
    EXPECT_EQ(GameFolder::Read("Lorvex temp/other.fbi"), "the other load's copy");

    h.view.waits = 0;
    h.view.waitAnswer = [&](int call) {
        if (call == 2) ::flock(other, LOCK_UN);  // the other load ends
        return true;
    };
    h.Load("t.cfg");
    EXPECT_EQ(h.loader.Report().end, LoadEnd::Loaded);
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
    GameFolder::Write("t.cfg", kUnitsCfg);
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
