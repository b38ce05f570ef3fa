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

// What an archive holds per entry: the unpacked size, the method and the bytes as stored.
struct Held {
    std::uint32_t size;
    std::uint8_t compression;
    std::string stored;
    bool operator==(const Held&) const = default;
};
using Holdings = std::map<std::string, Held>;

void WalkInto(const HpiArchive& archive, const std::string& folder, Holdings& held) {
    char name[512];
    for (std::size_t c = archive.Dir(0, folder, name, sizeof name); c; c = archive.Dir(c, folder, name, sizeof name)) {
        const std::string path = folder.empty() ? name : folder + "\\" + name;
        Held h{archive.Info(path)->size, archive.Info(path)->compression, {}};
        EXPECT_TRUE(archive.ReadStored(path, h.stored, hpi::kMaxRewriteBytes)) << path;
        held[path] = std::move(h);
    }
    std::vector<std::string> subs;
    for (std::size_t c = archive.DirFolders(0, folder, name, sizeof name); c;
         c = archive.DirFolders(c, folder, name, sizeof name))
        subs.push_back(folder.empty() ? name : folder + "\\" + name);
    for (const std::string& sub : subs) {
        held[sub + "\\"] = {};  // folders, empty ones included, must survive
        WalkInto(archive, sub, held);
    }
}

Holdings Holding(const fs::path& path) {
    Holdings held;
    auto archive = HpiArchive::Open(path);
    if (archive) WalkInto(*archive, "", held);
    return held;
}

std::string Unpacked(const fs::path& path, const std::string& entry) {
    auto archive = HpiArchive::Open(path);
    std::vector<std::uint8_t> bytes;
    if (!archive || !archive->ExtractToMemory(entry, bytes)) return "<unreadable>";
    return std::string(bytes.begin(), bytes.end());
}

// Files of the folder apart from the given ones: what a failed save left behind.
std::vector<std::string> Leftovers(const fs::path& folder, const std::vector<std::string>& expected) {
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && std::find(expected.begin(), expected.end(), name) == expected.end())
            left.push_back(name);
    }
    return left;
}

std::string MakeArchive(const std::string& path, PackMethod method, std::uint32_t seed, bool scramble, int units = 3) {
    HpiWriter writer;
    for (int i = 0; i < units; ++i)
        writer.AddFile("units\\U" + std::to_string(i) + ".fbi", Record("U" + std::to_string(i), i), method, scramble);
    writer.AddFile("weapons\\Guns.tdf", Record("GUN1", 1), method, scramble);
    writer.AddFile("Big\\Long.tdf", LongText(), method, scramble);
    writer.AddFolder("sounds\\empty");
    return GameFolder::Write(path, writer.Build(seed));
}

TEST(SaveChanges, RewriteKeepsEveryOtherEntryByteForByte) {
    struct Case {
        const char* why;
        PackMethod method;
        std::uint32_t seed;
        bool scramble;
        const char* changed;  // as the table spells it, any case
        const char* spelled;  // as the archive spells it
    } cases[] = {
        {"stored entries are copied as stored", PackMethod::Stored, 0, false, "units\\u1.fbi", "units\\U1.fbi"},
        {"LZ77 entries keep their LZ77 chunks", PackMethod::Lz77, 0, false, "UNITS\\U1.FBI", "units\\U1.fbi"},
        {"an encrypted archive keeps its key", PackMethod::Zlib, 0x5A17, false, "units\\U1.fbi", "units\\U1.fbi"},
        {"scrambled chunks stay scrambled", PackMethod::Zlib, 0, true, "units\\U1.fbi", "units\\U1.fbi"},
        {"a changed file of several chunks", PackMethod::Lz77, 77, true, "big\\long.tdf", "Big\\Long.tdf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        GameFolder game;
        const std::string path = MakeArchive("../mod.hpi", c.method, c.seed, c.scramble);
        const Holdings before = Holding(path);
        const std::string spelled = c.spelled;
        const std::string text = Has(spelled, "Long") ? LongText() + "; the end" : Record("NEW", 99);
        const SaveOutcome saved = SaveIntoArchives({{"..\\MOD.HPI", c.changed, text}}, "..");
        ASSERT_TRUE(saved.ok) << saved.message;
        EXPECT_EQ(saved.written, std::vector<std::string>{"..\\MOD.HPI"});

        Holdings after = Holding(path);
        ASSERT_EQ(after.size(), before.size());
        ASSERT_EQ(after.count(spelled), 1u) << "the archive's spelling is kept";
        EXPECT_EQ(after[spelled].compression, before.at(spelled).compression);
        EXPECT_EQ(Unpacked(path, spelled), text);
        if (c.method != PackMethod::Stored) {
            const std::size_t flag = hpi::ChunkCount(text.size()) * 4 + 6;
            EXPECT_EQ(after[spelled].stored[flag], c.scramble ? 1 : 0);
        }
        after[spelled] = before.at(spelled);
        EXPECT_TRUE(after == before) << "every other entry as it was";
        EXPECT_EQ(HpiArchive::Open(path)->KeySeed(), c.seed);
    }
}

TEST(SaveChanges, ToolListsTheSameEntriesSizesAndMethodsExceptTheChangedOne) {
    GameFolder game;
    const std::string path = MakeArchive("../mod.hpi", PackMethod::Lz77, 0x33, false, 40);
    const auto list = [&] {
        return testkit::RunShell(std::string(LORVEX_HPI_TOOL) + " list -l '" + path + "'", game.Root());
    };
    const testkit::Ran before = list();
    ASSERT_EQ(before.status, 0);
    ASSERT_TRUE(SaveIntoArchives({{"..\\mod.hpi", "units\\U7.fbi", "[U7]\r\n{\r\n}\r\n"}}, "..").ok);
    const testkit::Ran after = list();
    ASSERT_EQ(after.status, 0) << after.err;
    std::istringstream was(before.out), is(after.out);
    int lines = 0;
    for (std::string a, b; std::getline(was, a) && std::getline(is, b); ++lines)
        if (!Has(a, "U7.fbi"))
            EXPECT_EQ(a, b);
        else
            EXPECT_TRUE(Has(b, "lz77") && b != a) << b;
    EXPECT_EQ(lines, 42);
}

TEST(SaveChanges, FailedSavesNameTheArchiveAndTouchNothing) {
    struct Case {
        const char* why;
        std::vector<ChangedFile> changed;
        std::uint64_t maxBytes;
        rlim_t fileLimit;  // 0: none; else a disk that fills up after this many bytes
        const char* expected;
    } cases[] = {
        {"the second archive vanished after the load: the first is not saved alone",
         {{"..\\a.hpi", "units\\U0.fbi", "[X]{}"}, {"..\\gone.hpi", "units\\U0.fbi", "[X]{}"}},
         hpi::kMaxRewriteBytes,
         0,
         "Cannot save ..\\gone.hpi: it no longer exists"},
        {"the disk fills up while the second archive is written",
         {{"..\\a.hpi", "units\\U0.fbi", "[X]{}"}, {"..\\b.hpi", "units\\U0.fbi", "[X]{}"}},
         hpi::kMaxRewriteBytes,
         150000,
         "Cannot save ..\\b.hpi: cannot write its new copy: the file would be larger than allowed"},
        {"an archive that stopped holding the file",
         {{"..\\a.hpi", "units\\nope.fbi", "[X]{}"}},
         hpi::kMaxRewriteBytes,
         0,
         "it holds no entry units\\nope.fbi"},
        {"an archive past the bound is not read into memory",
         {{"..\\b.hpi", "units\\U0.fbi", "[X]{}"}},
         100000,
         0,
         "more than 100000 bytes, the most one save may write"},
        {"one file changed twice is ambiguous",
         {{"..\\a.hpi", "units\\U0.fbi", "[X]{}"}, {"..\\A.HPI", "UNITS\\u0.fbi", "[Y]{}"}},
         hpi::kMaxRewriteBytes,
         0,
         "UNITS\\u0.fbi of ..\\A.HPI is listed twice"},
        {"an entry the directory left out would be lost",
         {{"..\\bad.hpi", "units\\ok.fbi", "[X]{}"}},
         hpi::kMaxRewriteBytes,
         0,
         "1 entry that could not be carried over into a new copy: units\\a:b"},
        {"a damaged entry cannot be copied as it was",
         {{"..\\cut.hpi", "units\\ok.fbi", "[X]{}"}},
         hpi::kMaxRewriteBytes,
         0,
         "Cannot save ..\\cut.hpi: its entry units\\cut.fbi is damaged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        GameFolder game;
        MakeArchive("../a.hpi", PackMethod::Zlib, 0, false, 2);
        MakeArchive("../b.hpi", PackMethod::Stored, 9, false, 600);  // about 170 KB
        using testkit::RawEntry;
        GameFolder::Write("../bad.hpi", testkit::RawArchive({{"units", true, {{"ok.fbi"}, {"a:b"}}}}));
        const std::string cut =
            testkit::RawArchive({{"units", true, {{"ok.fbi"}, {"cut.fbi", false, {}, "0123456789"}}}});
        GameFolder::Write("../cut.hpi", cut.substr(0, cut.size() - 4));
        const std::vector<std::string> names{"a.hpi", "b.hpi", "bad.hpi", "cut.hpi"};
        std::map<std::string, std::string> before;
        for (const auto& n : names) before[n] = GameFolder::Read(game.Root() / n);

        const SaveOutcome saved = c.fileLimit == 0 ? SaveIntoArchives(c.changed, "..", c.maxBytes)
                                                   : testkit::WithFileSizeLimit(c.fileLimit, [&] {
                                                         return SaveIntoArchives(c.changed, "..", c.maxBytes);
                                                     });
        EXPECT_FALSE(saved.ok);
        EXPECT_TRUE(Has(saved.message, c.expected)) << saved.message;
        EXPECT_TRUE(saved.written.empty());
        for (const auto& n : names) EXPECT_EQ(GameFolder::Read(game.Root() / n), before[n]) << n;
        EXPECT_EQ(Leftovers(game.Root(), names), std::vector<std::string>{}) << "no temporary file, no backup";
    }
}

TEST(SaveChanges, ReadOnlyFolderGivesAMessageAndIntactArchive) {
    GameFolder game;
    const std::string path = MakeArchive("../a.hpi", PackMethod::Zlib, 0, false, 2);
    const std::string before = GameFolder::Read(path);
    ::chmod(game.Root().c_str(), 0555);
    // Root writes anywhere: the case says nothing then.
    const bool readOnly = ::access(game.Root().c_str(), W_OK) != 0;
    const SaveOutcome saved = SaveIntoArchives({{"..\\a.hpi", "units\\U0.fbi", "[X]{}"}}, "..");
    ::chmod(game.Root().c_str(), 0755);
    if (!readOnly) GTEST_SKIP() << "running as root: a read-only folder cannot be made";
    EXPECT_FALSE(saved.ok);
    EXPECT_TRUE(Has(saved.message, "Cannot save ..\\a.hpi: cannot create a file in its folder: permission denied"))
        << saved.message;
    EXPECT_EQ(GameFolder::Read(path), before);
}

TEST(SaveChanges, BackupIsMadeOnceAndKeepsTheFirstOriginal) {
    GameFolder game;
    const std::string path = MakeArchive("../a.hpi", PackMethod::Zlib, 0, false, 2);
    const std::string original = GameFolder::Read(path);
    const SaveOutcome first = SaveIntoArchives({{"..\\a.hpi", "units\\U0.fbi", "[FIRST]{}"}}, "..");
    const SaveOutcome second = SaveIntoArchives({{"..\\a.hpi", "units\\U0.fbi", "[SECOND]{}"}}, "..");
    ASSERT_TRUE(first.ok && second.ok);
    EXPECT_EQ(first.backedUp, std::vector<std::string>{"..\\a.hpi"});
    EXPECT_TRUE(second.backedUp.empty());
    EXPECT_EQ(GameFolder::Read(path + ".bak"), original);
    EXPECT_EQ(Unpacked(path, "units\\U0.fbi"), "[SECOND]{}");
    EXPECT_EQ(Leftovers(game.Root(), {"a.hpi", "a.hpi.bak"}), std::vector<std::string>{});
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
    constexpr int kRuns = 60;
    int oldSeen = 0, newSeen = 0;
    for (int run = 0; run < kRuns; ++run) {
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
            ASSERT_EQ(now.size(), held[names[i]].size());
            EXPECT_EQ(Unpacked(path, changed[i].entryPath), changed[i].text);
            now[changed[i].entryPath] = held[names[i]].at(changed[i].entryPath);
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
        EXPECT_EQ(ShadowMessage(saved.plan, "x").empty(), c.readByLoad && c.shadowedBy.empty());
        const Holdings made = Holding(c.target);
        EXPECT_EQ(made.size(), 4u) << "three files and their one folder (names fold)";
        EXPECT_EQ(Unpacked(c.target, "units\\ARMX.FBI"), "[ARMX]{x=2;}");
    }
}

TEST(SaveChanges, NewArchiveRefusesToReplaceAnArchiveTheFilesCameFrom) {
    GameFolder game;
    const std::string path = MakeArchive("../a.hpi", PackMethod::Zlib, 0, false, 2);
    const std::string before = GameFolder::Read(path);
    const NewArchiveOutcome saved = SaveAsNewArchive({{"..\\A.hpi", "units\\U0.fbi", "[X]{}"}}, "../a.hpi", "..");
    EXPECT_FALSE(saved.ok);
    EXPECT_TRUE(Has(saved.message, "it is ..\\A.hpi, which the changed files came from")) << saved.message;
    EXPECT_EQ(GameFolder::Read(path), before);
}

}  // namespace
}  // namespace lorvex
