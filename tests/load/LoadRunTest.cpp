#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <map>
#include <string>
#include <vector>

#include "hpi/HpiWriter.h"
#include "load/LoadRun.h"
#include "tests/support/GameData.h"
#include "tests/support/GameFolder.h"
#include "tests/support/LoadHarness.h"
#include "tests/support/TableFill.h"
#include "tests/tdf/TestFiles.h"

namespace lorvex {
namespace {

using hpi::HpiWriter;
using hpi::PackMethod;
using testkit::ColumnText;
using testkit::GameFolder;
using testkit::Harness;
using testkit::kUnitsCfg;
using testkit::Unit;
using testkit::WriteArchive;

// The headings, then every row, one per line.
std::string TableText(Harness& h) {
    std::string all = h.Headings();
    for (int r = 0; r < h.Data().RowCount(); ++r) all += "\n" + testkit::RowText(h.Data(), r);
    return all;
}

// The whole road of a record: archives packed every way, the visiting order,
// the first archive holding a name winning, and a damaged archive skipped
// without hiding the same name in a later one.
TEST(LoadRun, LoadsEveryArchiveOfTheGameFolderInOrder) {
    GameFolder game;
    GameFolder::Write("t.cfg", kUnitsCfg);
    ASSERT_TRUE(WriteArchive("../rev31.gp3",
                             {{"units\\ARMA.fbi", "// a comment line\r\n" + Unit("UnitA", "Alpha", "10.50")},
                              {"units\\notes.txt", Unit("Nope", "Skipped", "1")},
                              {"weapons\\w.fbi", Unit("Nope", "Other folder", "1")}},
                             PackMethod::Zlib, 0x5a17));
    ASSERT_TRUE(WriteArchive("../b.ccx",
                             {{"UNITS\\arma.FBI", Unit("UnitA2", "Shadowed", "99")},
                              {"units\\b.fbi", Unit("UnitB", "Beta", "7") + Unit("UnitB2", "Beta Two", "abc")}},
                             PackMethod::Lz77));
    ASSERT_TRUE(
        WriteArchive("../c.UFO", {{"Units\\C.FBI", Unit("UnitC", "Gamma", "3.14159")}}, PackMethod::Stored, 0x33));
    HpiWriter damaged;
    damaged.AddFile("units\\f.fbi", Unit("Broken", "Damaged copy", "1"), PackMethod::Zlib);
    std::string bytes = damaged.Build(0);
    bytes.back() = static_cast<char>(bytes.back() ^ 0x5a);  // inside the only chunk: its checksum fails
    GameFolder::Write("../e.hpi", bytes);
    GameFolder::Write("../garbage.hpi", "HAPI this is no archive at all");
    ASSERT_TRUE(
        WriteArchive("../z.hpi", {{"units\\f.fbi", Unit("UnitF", "Foxtrot", "2")}}, PackMethod::Zlib, 0x77, true));

    Harness h;
    EXPECT_EQ(h.Load("t.cfg"), LoadEnd::Loaded);
    EXPECT_EQ(TableText(h),
              "Name,Cost,Located In,Line #\nAlpha,10.5,rev31.gp3  ::  ARMA.fbi,2\nBeta,7,b.ccx  ::  b.fbi,1\n"
              "Beta Two,0,b.ccx  ::  b.fbi,6\nGamma,3.14,c.UFO  ::  C.FBI,1\nFoxtrot,2,z.hpi  ::  f.fbi,1");
    EXPECT_EQ(h.view.archiveLabels,
              (std::vector<std::string>{"Parsing ..\\rev31.gp3 ::", "Parsing ..\\b.ccx ::", "Parsing ..\\c.UFO ::",
                                        "Parsing ..\\e.hpi ::", "Parsing ..\\garbage.hpi ::", "Parsing ..\\z.hpi ::"}));
    EXPECT_EQ(h.view.fileLabels, (std::vector<std::string>{"ARMA.fbi", "b.fbi", "C.FBI", "f.fbi", "f.fbi"}));
    EXPECT_EQ(h.table.ColumnKinds(), (std::vector<std::uint8_t>{0x81, 0x05, 0x01, 0x02}));
    EXPECT_EQ(h.view.events, (std::vector<std::string>{"labels shown", "labels hidden"}));
    // The scratch copies stay for the record listings; the damaged one left nothing behind but was replaced.
    EXPECT_EQ(GameFolder::Read("Lorvex temp/f.fbi"), Unit("UnitF", "Foxtrot", "2"));
    EXPECT_TRUE(std::filesystem::exists("Lorvex temp/ARMA.fbi"));
    EXPECT_FALSE(std::filesystem::exists("Lorvex temp/arma.FBI"));
    // Every column of width 0 was fitted.
    for (int c = 0; c < h.Data().ColumnCount(); ++c) EXPECT_GE(h.Data().ColumnWidth(c), 15) << c;
}

TEST(LoadRun, GlobalKeysAndTheirIndexedForms) {
    GameFolder game;
    ASSERT_TRUE(WriteArchive("../rev31.gp3",
                             {{"units\\a.fbi", Unit("A", "Alpha", "1")}, {"extra\\b.fbi", Unit("B", "Beta", "2")}}));

    const std::pair<const char*, const char*> cases[] = {
        // The first index past the range stores nothing but still writes folders into the locations.
        {"HPIFOLDER=units;\nextension=fbi;\nhpifolder(32)=extra;\n", "rev31.gp3  ::  units\\a.fbi"},
        {"hpifolder=units;\nextension=fbi;\n", "rev31.gp3  ::  a.fbi"},
        {"hpifolder(1)=extra;\nextension(1)=fbi;\nhpifolder(x)=units;\nextension=fbi;\n",
         "rev31.gp3  ::  units\\a.fbi,rev31.gp3  ::  extra\\b.fbi"},
        // The pair above left folder 1 set: this one names only its ending, so it harvests nothing.
        {"hpifolder(0)=units;\nextension(0)=fbi;\nextension(1)=fbi;\n", "rev31.gp3  ::  units\\a.fbi"},
        // A blank before the parenthesis makes no indexed key.
        {"hpifolder (1)=extra;\nextension (1)=fbi;\nhpifolder=units;\nextension=fbi;\n", "rev31.gp3  ::  a.fbi"},
        {"hpifolder=units;\n", ""},  // no ending: nothing is harvested
        {"hpifolder(31)=extra;\nextension(31)=fbi;\n", "rev31.gp3  ::  extra\\b.fbi"},  // the last pair
    };
    Harness h;  // one program loading each in turn: nothing of a configuration outlives its load
    for (const auto& [cfg, locations] : cases) {
        GameFolder::Write("t.cfg", cfg);
        h.Load("t.cfg");
        ASSERT_EQ(h.Data().ColumnCount(), 2) << cfg;
        EXPECT_EQ(ColumnText(h.Data(), 0), locations) << cfg;
    }
}

TEST(LoadRun, ColumnCapAndBlocksReadAsTopLevelLines) {
    std::string cfg = "hpifolder=units;\n", headings, row;
    for (int i = 0; i < 130; ++i) {
        cfg += "[string]\n{\nname=C" + std::to_string(i) + ";\ntag=k;\n";
        if (i == 129) cfg += "extension=fbi;\n";  // only read because the block is not taken
        cfg += "}\n";
        headings += i < 128 ? "C" + std::to_string(i) + "," : "";
        row += i < 128 ? "v," : "";
    }
    testkit::UnitsGame game({{"units\\a.fbi", "[A]\n{\nk=v;\n}\n"}}, cfg);
    Harness h;
    h.Load("t.cfg");
    EXPECT_EQ(TableText(h), headings + "Located In,Line #\n" + row + "rev31.gp3  ::  a.fbi,1");
    std::vector<std::uint8_t> kinds(130, 0x81);
    kinds[128] = 0x01;
    kinds[129] = 0x02;
    EXPECT_EQ(h.table.ColumnKinds(), kinds);
}

// Loads in turn in one program: the scratch folder emptied of its files, loads that end before the
// configuration is read, another archive folder, and one that holds no archive.
TEST(LoadRun, KeepsTheTableWithoutAConfigurationAndReadsTheChosenArchiveFolder) {
    // A header text column: the one of an earlier load does not stand in the way of the next load's.
    testkit::UnitsGame game({{"units\\a.fbi", Unit("A", "Alpha", "1")}},
                            std::string(kUnitsCfg) + "[headertext]\n{\nname=Block;\n}\n");
    std::filesystem::create_directories("Lorvex temp/sub");
    GameFolder::Write("Lorvex temp/old.fbi", "[Old]\n{\n}\n");
    Harness h;
    h.Load("t.cfg");
    EXPECT_FALSE(std::filesystem::exists("Lorvex temp/old.fbi"));
    EXPECT_TRUE(std::filesystem::is_directory("Lorvex temp/sub"));
    EXPECT_EQ(h.Load(""), LoadEnd::NotChosen);           // cancelled
    EXPECT_EQ(h.Load("gone.cfg"), LoadEnd::Unreadable);  // chosen, then deleted before the load read it
    EXPECT_EQ(TableText(h), "Name,Cost,Block,Located In,Line #\nAlpha,1,A,rev31.gp3  ::  a.fbi,1");
    EXPECT_EQ(h.view.events, (std::vector<std::string>{"labels shown", "labels hidden"}));  // the first load's only

    std::filesystem::create_directories("../mods");
    std::filesystem::create_directories("../none");
    ASSERT_TRUE(WriteArchive("../mods/m.hpi", {{"units\\m.fbi", Unit("M", "Mod", "2")}}));
    h.loader.SetArchiveFolder("..\\MODS");
    h.Load("t.cfg");
    // "Located In" keeps its usual form; rev31.gp3 of ".." is not read.
    EXPECT_EQ(TableText(h), "Name,Cost,Block,Located In,Line #\nMod,2,M,m.hpi  ::  m.fbi,1");
    h.loader.SetArchiveFolder("..\\none");
    h.Load("t.cfg");
    EXPECT_EQ(TableText(h), "Name,Cost,Block,Located In,Line #");
    EXPECT_EQ(h.view.events.back(), "labels hidden");
}

// Each scratch file's inode and modification time in nanoseconds.
std::map<std::string, std::pair<ino_t, long long>> ScratchStamps() {
    std::map<std::string, std::pair<ino_t, long long>> all;
    for (const auto& e : std::filesystem::directory_iterator("Lorvex temp")) {
        struct stat st {};
        ::lstat(e.path().c_str(), &st);
        all[e.path().filename().string()] = {st.st_ino, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec};
    }
    return all;
}

// The scratch folder is kept between loads: a reload touches no file whose
// bytes are already there, rewrites a changed entry in place, drops what the
// load no longer produces, and fills the table exactly as a load into an empty folder.
TEST(LoadRun, ReloadTouchesOnlyTheScratchFilesThatChanged) {
    GameFolder game;
    GameFolder::Write("t.cfg", kUnitsCfg);
    auto writeGame = [](const std::string& aCost, bool withC) {
        HpiWriter base;
        base.AddFile("units\\a.fbi", Unit("A", "Alpha", aCost), PackMethod::Zlib);
        base.AddFile("units\\b.fbi", Unit("B", "Beta", "2") + Unit("B2", "Beta Two", "3"), PackMethod::Zlib);
        if (withC) base.AddFile("units\\c.fbi", Unit("C", "Gamma", "4"), PackMethod::Zlib, true);
        ASSERT_TRUE(base.WriteTo("../rev31.gp3", 0x1234));
        HpiWriter expansion;
        expansion.AddFile("units\\D.fbi", Unit("D", "Delta", "5"), PackMethod::Lz77);
        expansion.AddFile("units\\b.fbi", Unit("B9", "Shadowed", "9"), PackMethod::Stored);
        ASSERT_TRUE(expansion.WriteTo("../x.ccx", 0));
    };

    writeGame("1", true);
    Harness h;
    h.loader.SetInflateBackend(hpi::InflateBackend::Libdeflate);  // zlib where the build lacks it
    h.Load("t.cfg");
    const std::string first = h.Everything();
    ASSERT_EQ(h.Data().RowCount(), 5);
    EXPECT_EQ(h.loader.ScratchWritten(), 4);
    const timespec old[2] = {{946684800, 0}, {946684800, 0}};  // dated far back: any write would show in the time
    for (const auto& e : std::filesystem::directory_iterator("Lorvex temp"))
        ::utimensat(AT_FDCWD, e.path().c_str(), old, AT_SYMLINK_NOFOLLOW);
    const auto before = ScratchStamps();
    ASSERT_EQ(before.size(), 4u);

    // The same game again, with the other inflater: not one file touched, the same table.
    h.loader.SetInflateBackend(hpi::InflateBackend::Zlib);
    h.Load("t.cfg");
    EXPECT_EQ(h.Everything(), first);
    EXPECT_EQ(ScratchStamps(), before);
    EXPECT_EQ(h.loader.ScratchUnchanged(), 4);
    EXPECT_EQ(h.loader.ScratchWritten(), 0);

    // One entry changed, one gone, and a file an earlier configuration left: only a.fbi is written, in place.
    writeGame("7.25", false);
    GameFolder::Write("Lorvex temp/old.tdf", "[Old]\n{\n}\n");
    h.Load("t.cfg");
    auto after = ScratchStamps();
    EXPECT_EQ(GameFolder::Read("Lorvex temp/a.fbi"), Unit("A", "Alpha", "7.25"));
    EXPECT_EQ(after.at("a.fbi").first, before.at("a.fbi").first);
    EXPECT_NE(after.at("a.fbi").second, before.at("a.fbi").second);
    after["a.fbi"] = before.at("a.fbi");
    after["c.fbi"] = before.at("c.fbi");
    EXPECT_EQ(after, before);  // c.fbi and old.tdf are gone, b.fbi and D.fbi untouched
    EXPECT_EQ(h.loader.ScratchWritten(), 1);
    const std::string changed = h.Everything();
    EXPECT_NE(changed.find("Alpha,7.25,rev31.gp3  ::  a.fbi,1"), std::string::npos);

    // Nothing carried over: a new program loading into an empty folder fills the same table.
    std::filesystem::remove_all("Lorvex temp");
    Harness fresh;
    fresh.Load("t.cfg");
    EXPECT_EQ(fresh.Everything(), changed);
    EXPECT_EQ(fresh.loader.ScratchWritten(), 3);
}

}  // namespace
}  // namespace lorvex
