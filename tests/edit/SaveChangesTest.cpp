// Saving changed record files into their archives must never leave an archive
// half written: each one ends byte for byte as it was, or wholly new with every
// other entry exactly as before.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "edit/SaveChanges.h"
#include "edit/SavePlan.h"
#include "hpi/HpiArchive.h"
#include "hpi/HpiChunk.h"
#include "hpi/HpiRewrite.h"
#include "hpi/HpiWriter.h"
#include "tests/hpi/RawArchive.h"
#include "tests/support/GameFolder.h"
#include "tests/support/ToolRun.h"

namespace lorvex {
namespace {

namespace fs = std::filesystem;
using hpi::HpiArchive;
using hpi::HpiWriter;
using hpi::PackMethod;
using testkit::GameFolder;
using testkit::Has;

std::string Record(const std::string& name, int i) {
    return "[" + name + "]\r\n\t{\r\n\tUnitName=" + name + ";\r\n\tName=Unit " + std::to_string(i) +
           ";\r\n\tBuildCostMetal=" + std::to_string(100 + i) + ".5;\r\n\tMaxDamage=" + std::to_string(300 + 7 * i) +
           ";\r\n\tmaxvelocity=1." + std::to_string(i % 10) + ";\r\n\tWeapon1=GUN" + std::to_string(i % 13) +
           ";\r\n\t}\r\n";
}

// A long text passes 64 KiB, so a packed copy has several chunks.
std::string LongText() {
    std::string text;
    for (int i = 0; text.size() < 70000; ++i) text += Record("LONG" + std::to_string(i), i);
    return text;
}

// What an archive holds per entry, in the order its directory lists them: the
// unpacked size, the method and the bytes as stored.
struct Held {
    std::uint32_t size;
    std::uint8_t compression;
    std::string stored;
    bool operator==(const Held&) const = default;
};
using Holdings = std::vector<std::pair<std::string, Held>>;

void WalkInto(const HpiArchive& archive, const std::string& folder, Holdings& held) {
    char name[512];
    for (std::size_t c = archive.Dir(0, folder, name, sizeof name); c; c = archive.Dir(c, folder, name, sizeof name)) {
        const std::string path = folder.empty() ? name : folder + "\\" + name;
        Held h{archive.Info(path)->size, archive.Info(path)->compression, {}};
        EXPECT_TRUE(archive.ReadStored(path, h.stored, hpi::kMaxRewriteBytes)) << path;
        held.emplace_back(path, std::move(h));
    }
    std::vector<std::string> subs;
    for (std::size_t c = archive.DirFolders(0, folder, name, sizeof name); c;
         c = archive.DirFolders(c, folder, name, sizeof name))
        subs.push_back(folder.empty() ? name : folder + "\\" + name);
    for (const std::string& sub : subs) {
        held.emplace_back(sub + "\\", Held{});  // folders, empty ones included, must survive
        WalkInto(archive, sub, held);
    }
}

Holdings Holding(const fs::path& path) {
    Holdings held;
    auto archive = HpiArchive::Open(path);
    if (archive) WalkInto(*archive, "", held);
    return held;
}

Held& Entry(Holdings& held, const std::string& path) {
    for (auto& [name, h] : held)
        if (name == path) return h;
    ADD_FAILURE() << "no entry " << path;
    return held.emplace_back(path, Held{}).second;
}

std::string Unpacked(const fs::path& path, const std::string& entry) {
    auto archive = HpiArchive::Open(path);
    std::vector<std::uint8_t> bytes;
    if (!archive || !archive->ExtractToMemory(entry, bytes)) return "<unreadable>";
    return std::string(bytes.begin(), bytes.end());
}

// Every file of the folder with its bytes: what a save changed or left behind.
std::map<std::string, std::string> Contents(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file()) files[entry.path().filename().string()] = GameFolder::Read(entry.path());
    return files;
}

std::string MakeArchive(const std::string& path, PackMethod method, std::uint32_t seed, bool scramble, int units) {
    HpiWriter writer;
    for (int i = 0; i < units; ++i)
        writer.AddFile("units\\U" + std::to_string(i) + ".fbi", Record("U" + std::to_string(i), i), method, scramble);
    writer.AddFile("weapons\\Guns.tdf", Record("GUN1", 1), method, scramble);
    writer.AddFile("Big\\Long.tdf", LongText(), method, scramble);
    writer.AddFolder("sounds\\empty");
    writer.AddFile("text\\zero.txt", "", method, scramble);  // last: its contents start where the archive ends
    return GameFolder::Write(path, writer.Build(seed));
}

TEST(SaveChanges, RewriteKeepsEveryOtherEntryInPlaceAndTheFirstOriginalAsBackup) {
    struct Case {
        const char* why;
        PackMethod method;
        std::uint32_t seed;
        bool scramble;
        const char* changed;  // as the table spells it, any case
        const char* spelled;  // as the archive spells it
    } cases[] = {
        {"stored entries are copied as stored", PackMethod::Stored, 0, false, "units\\u1.fbi", "units\\U1.fbi"},
        {"LZ77 entries keep their LZ77 chunks", PackMethod::Lz77, 0, false, "UNITS\\U7.FBI", "units\\U7.fbi"},
        {"an encrypted archive keeps its key", PackMethod::Zlib, 0x5A17, false, "units\\U1.fbi", "units\\U1.fbi"},
        {"scrambled chunks stay scrambled", PackMethod::Zlib, 0, true, "units\\U1.fbi", "units\\U1.fbi"},
        {"a changed file of several chunks", PackMethod::Lz77, 77, true, "big\\long.tdf", "Big\\Long.tdf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        GameFolder game;
        const std::string path = MakeArchive("../mod.hpi", c.method, c.seed, c.scramble, 40);
        Holdings before = Holding(path);
        const std::string original = GameFolder::Read(path);
        ::chmod(path.c_str(), 0640);
        const std::string spelled = c.spelled;
        const std::string text = Has(spelled, "Long") ? LongText() + "; the end" : Record("NEW", 99);
        const SaveOutcome saved = SaveIntoArchives({{"..\\MOD.HPI", c.changed, text}}, "..");
        ASSERT_TRUE(saved.ok) << saved.message;
        EXPECT_EQ(saved.written, std::vector<std::string>{"..\\MOD.HPI"});
        EXPECT_EQ(saved.backedUp, saved.written);

        Holdings after = Holding(path);
        Held& now = Entry(after, spelled);  // the archive's spelling is kept
        EXPECT_EQ(now.compression, Entry(before, spelled).compression);
        EXPECT_EQ(Unpacked(path, spelled), text);
        if (c.method != PackMethod::Stored) {
            const std::size_t flag = hpi::ChunkCount(text.size()) * 4 + 6;
            EXPECT_EQ(now.stored[flag], c.scramble ? 1 : 0);
        }
        now = Entry(before, spelled);
        EXPECT_TRUE(after == before) << "every other entry as it was, where it was";
        EXPECT_EQ(HpiArchive::Open(path)->KeySeed(), c.seed);
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0640u) << "the new copy takes the original's permissions";

        // A second save makes no second backup: the first original stays, nothing else is left.
        const SaveOutcome again = SaveIntoArchives({{"..\\mod.hpi", c.changed, "[SECOND]{}"}}, "..");
        EXPECT_TRUE(again.ok && again.backedUp.empty()) << again.message;
        EXPECT_EQ(Unpacked(path, spelled), "[SECOND]{}");
        auto files = Contents(game.Root());
        EXPECT_EQ(files.size(), 2u) << "the archive and its backup";
        EXPECT_EQ(files["mod.hpi.bak"], original);
    }
}

// "ARCHIVE[|ENTRY] ..." as changed files: units\U0.fbi of each archive unless an entry is named.
std::vector<ChangedFile> Changed(const std::string& list) {
    std::vector<ChangedFile> files;
    std::istringstream words(list);
    for (std::string word; words >> word;) {
        const std::size_t bar = word.find('|');
        files.push_back(
            {word.substr(0, bar), bar == std::string::npos ? "units\\U0.fbi" : word.substr(bar + 1), "[X]{}"});
    }
    return files;
}

TEST(SaveChanges, FailedSavesNameTheArchiveAndTouchNothing) {
    struct Case {
        const char* why;
        const char* changed;
        const char* expected;              // a part of the message
        const char* newArchive = nullptr;  // saved as this new archive instead
        std::uint64_t maxBytes = hpi::kMaxRewriteBytes;
        rlim_t fileLimit = 0;  // 0: none; else a disk that fills up after this many bytes
        bool readOnly = false;
    } cases[] = {
        {"the second archive vanished after the load: the first is not saved alone", "..\\a.hpi ..\\gone.hpi",
         "Cannot save ..\\gone.hpi: it no longer exists"},
        {"the disk fills up while the second archive is written", "..\\a.hpi ..\\b.hpi",
         "Cannot save ..\\b.hpi: cannot write its new copy: the file would be larger than allowed", nullptr,
         hpi::kMaxRewriteBytes, 150000},
        {"an archive that stopped holding the file", "..\\a.hpi|units\\nope.fbi", "it holds no entry units\\nope.fbi"},
        {"an archive past the bound is not read into memory", "..\\b.hpi",
         "more than 100000 bytes, the most one save may write", nullptr, 100000},
        {"a first entry that takes the whole bound is no damage", "..\\b.hpi|weapons\\Guns.tdf",
         "bytes, the most one save may write", nullptr, Record("U0", 0).size()},
        {"one file changed twice is ambiguous", "..\\a.hpi ..\\A.HPI|UNITS\\u0.fbi",
         "UNITS\\u0.fbi of ..\\A.HPI is listed twice"},
        {"an entry the directory left out would be lost", "..\\bad.hpi|units\\ok.fbi",
         "1 entry that could not be carried over into a new copy: units\\a:b"},
        {"three left out are all named", "..\\bad3.hpi|units\\ok.fbi",
         "3 entries that could not be carried over into a new copy: units\\a:1 (its name is no plain file name); "
         "units\\a:2 (its name is no plain file name); units\\a:3 (its name is no plain file name). No archive"},
        {"past three the rest is cut short", "..\\bad4.hpi|units\\ok.fbi",
         "units\\a:3 (its name is no plain file name); .... No archive"},
        {"a folder where the archive was", "..\\dir.hpi", "Cannot save ..\\dir.hpi: it is not a regular file"},
        {"a damaged entry cannot be copied as it was", "..\\cut.hpi|units\\ok.fbi",
         "Cannot save ..\\cut.hpi: its entry units\\cut.fbi is damaged"},
        {"a folder the user may not write in", "..\\a.hpi",
         "Cannot save ..\\a.hpi: cannot create a file in its folder: permission denied", nullptr, hpi::kMaxRewriteBytes,
         0, true},
        {"a new archive never replaces one the files came from", "..\\A.hpi",
         "it is ..\\A.hpi, which the changed files came from", "../a.hpi"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        GameFolder game;
        MakeArchive("../a.hpi", PackMethod::Zlib, 0, false, 2);
        MakeArchive("../b.hpi", PackMethod::Stored, 9, false, 600);  // about 170 KB
        GameFolder::Write("../bad.hpi", testkit::RawArchive({{"units", true, {{"ok.fbi"}, {"a:b"}}}}));
        for (int n : {3, 4}) {
            std::vector<testkit::RawEntry> units{{"ok.fbi"}};
            for (int i = 1; i <= n; ++i) units.push_back({"a:" + std::to_string(i)});
            GameFolder::Write("../bad" + std::to_string(n) + ".hpi", testkit::RawArchive({{"units", true, units}}));
        }
        fs::create_directory(game.Root() / "dir.hpi");
        const std::string cut =
            testkit::RawArchive({{"units", true, {{"ok.fbi"}, {"cut.fbi", false, {}, "0123456789"}}}});
        GameFolder::Write("../cut.hpi", cut.substr(0, cut.size() - 4));
        const auto before = Contents(game.Root());

        const auto save = [&]() -> SaveOutcome {
            if (!c.newArchive) return SaveIntoArchives(Changed(c.changed), "..", c.maxBytes);
            const NewArchiveOutcome made = SaveAsNewArchive(Changed(c.changed), c.newArchive, "..");
            return {made.ok, made.message};
        };
        if (c.readOnly) ::chmod(game.Root().c_str(), 0555);
        const bool writable = ::access(game.Root().c_str(), W_OK) == 0;
        const SaveOutcome saved = c.fileLimit == 0 ? save() : testkit::WithFileSizeLimit(c.fileLimit, save);
        ::chmod(game.Root().c_str(), 0755);
        if (c.readOnly && writable) continue;  // root writes anywhere: no read-only folder can be made
        EXPECT_FALSE(saved.ok);
        EXPECT_TRUE(Has(saved.message, c.expected)) << saved.message;
        EXPECT_TRUE(saved.written.empty());
        EXPECT_TRUE(Contents(game.Root()) == before) << "every archive as it was, no temporary file, no backup";
    }
}

// Where a child save ends itself, chosen per run.
const char* gStopAt = nullptr;
void StopAtStep(std::string_view step) {
    if (gStopAt != nullptr && step == gStopAt) ::_exit(0);
}

TEST(SaveChanges, KilledSavesLeaveEachArchiveOldOrWhollyNew) {
    GameFolder game;
    MakeArchive("../a.hpi", PackMethod::Zlib, 0x21, true, 300);
    MakeArchive("../b.hpi", PackMethod::Lz77, 0, false, 300);
    const std::vector<std::string> names{"a.hpi", "b.hpi"};
    std::map<std::string, std::string> original;
    std::map<std::string, Holdings> held;
    for (const auto& n : names) original[n] = GameFolder::Read(game.Root() / n), held[n] = Holding(game.Root() / n);
    const std::vector<ChangedFile> changed{{"..\\a.hpi", "units\\U5.fbi", Record("U5", 500)},
                                           {"..\\b.hpi", "units\\U9.fbi", Record("U9", 900)}};
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(SaveIntoArchives(changed, "..").ok);
    const auto saveMicros =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started).count();

    const char* steps[] = {"written", "synced", "backed-up", "renamed", nullptr};
    std::mt19937 random(20261207);
    int oldSeen = 0, newSeen = 0;
    for (int run = 0; run < 60; ++run) {
        for (const auto& n : names) {
            GameFolder::Write(game.Root() / n, original[n]);
            fs::remove(game.Root() / (n + ".bak"));
        }
        // Half the runs end at a named step, the rest are killed after a random delay.
        gStopAt = run % 2 == 0 ? steps[(run / 2) % 5] : nullptr;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            hpi::SetRewriteStepHook(StopAtStep);
            ::_exit(SaveIntoArchives(changed, "..").ok ? 0 : 1);
        }
        if (gStopAt == nullptr) {
            ::usleep(static_cast<useconds_t>(std::uniform_int_distribution<long>(0, saveMicros * 3 / 2)(random)));
            ::kill(child, SIGKILL);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        for (std::size_t i = 0; i < names.size(); ++i) {
            const fs::path path = game.Root() / names[i];
            SCOPED_TRACE("run " + std::to_string(run) + ", " + names[i]);
            if (GameFolder::Read(path) == original[names[i]]) {
                ++oldSeen;
                continue;
            }
            ++newSeen;
            Holdings now = Holding(path);
            EXPECT_EQ(Unpacked(path, changed[i].entryPath), changed[i].text);
            Entry(now, changed[i].entryPath) = Entry(held[names[i]], changed[i].entryPath);
            EXPECT_TRUE(now == held[names[i]]);
            EXPECT_EQ(GameFolder::Read(path.string() + ".bak"), original[names[i]]);
        }
    }
    EXPECT_GT(oldSeen, 0);
    EXPECT_GT(newSeen, 0);
}

TEST(SaveChanges, NewArchiveSaysWhatAnEarlierArchiveShadows) {
    struct Case {
        const char* why;
        const char* target;  // relative to the game's current folder
        bool readByLoad;
        std::vector<std::string> shadowedBy;  // per changed file, in order
    } cases[] = {
        {"an .hpi after a.hpi: a.hpi's copy wins", "../z.hpi", true, {"..\\rev31.gp3", "..\\a.hpi"}},
        {"names sort with A-Z folded, as a load lists them", "../B.hpi", true, {"..\\rev31.gp3", "..\\a.hpi"}},
        {"a .ccx is read before every .hpi", "../z.ccx", true, {"..\\rev31.gp3"}},
        {"an .hpi before a.hpi in the folded order", "../0.HPI", true, {"..\\rev31.gp3"}},
        {"names equal but for case: capitals are listed first", "../A.hpi", true, {"..\\rev31.gp3"}},
        {"outside the game folder no load reads it", "new.hpi", false, {}},
        {"an ending no load reads", "../z.zip", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        GameFolder game;
        HpiWriter first, a;
        first.AddFile("units\\core.fbi", "[CORE]{}");
        a.AddFile("UNITS\\ARMX.FBI", "[ARMX]{}");
        a.AddFile("units\\other.fbi", "[OTHER]{}");
        a.AddFile("units\\core.fbi", "[CORE]{}");  // rev31.gp3's copy is read first: named once, by it
        GameFolder::Write("../rev31.gp3", first.Build(3));
        GameFolder::Write("../a.hpi", a.Build());
        const std::vector<ChangedFile> changed{{"..\\rev31.gp3", "units\\core.fbi", "[CORE]{x=1;}"},
                                               {"..\\a.hpi", "UNITS\\ARMX.FBI", "[ARMX]{x=2;}"},
                                               {"..\\c.ufo", "units\\fresh.fbi", "[FRESH]{}"}};
        const NewArchiveOutcome saved = SaveAsNewArchive(changed, c.target, "..");
        ASSERT_TRUE(saved.ok) << saved.message;
        EXPECT_EQ(saved.plan.readByLoad, c.readByLoad);
        std::vector<std::string> shadowedBy;
        for (const ShadowedFile& s : saved.plan.shadowed) shadowedBy.push_back(s.shadowedBy);
        EXPECT_EQ(shadowedBy, c.shadowedBy);
        const std::size_t count = c.shadowedBy.size();
        EXPECT_EQ(ShadowMessage(saved.plan, "x").substr(0, 31), !c.readByLoad ? "A load does not read x: only re"
                                                                : count == 1  ? "After a reload, 1 record file w"
                                                                              : "After a reload, 2 record files ");
        EXPECT_EQ(Holding(c.target).size(), 4u) << "three files and their one folder (names fold)";
        EXPECT_EQ(Unpacked(c.target, "units\\ARMX.FBI"), "[ARMX]{x=2;}");
    }
}

}  // namespace
}  // namespace lorvex
