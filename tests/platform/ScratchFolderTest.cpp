#include "platform/ScratchFolder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <set>

#include "tests/support/GameFolder.h"

namespace lorvex::platform {
namespace {

namespace fs = std::filesystem;
using testkit::GameFolder;

// A file's number and modification time; Age dates it far back first, so that any write shows.
std::tuple<ino_t, time_t, long> StampOf(const fs::path& p) {
    struct stat st {};
    ::lstat(p.c_str(), &st);
    return {st.st_ino, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}
void Age(const fs::path& p) {
    const timespec times[2] = {{946684800, 0}, {946684800, 0}};
    ::utimensat(AT_FDCWD, p.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

bool Store(ScratchFolder& scratch, const std::string& name, const std::string& bytes) {
    return scratch.Store(name, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// What lies in the folder under the stored name beforehand, and what Store must make of it.
TEST(ScratchFolder, StoreTouchesOnlyWhatDiffersAndNeverWritesThroughALink) {
    enum Expect { Created, Untouched, InPlace, Replaced, Refused };
    const std::tuple<const char*, std::function<void()>, Expect> cases[] = {
        {"nothing", [] {}, Created},
        {"the same bytes", [] { GameFolder::Write("s/a.fbi", "new bytes"); }, Untouched},
        {"longer bytes", [] { GameFolder::Write("s/a.fbi", "older and longer bytes"); }, InPlace},
        {"shorter bytes", [] { GameFolder::Write("s/a.fbi", "old"); }, InPlace},
        {"the same bytes and more", [] { GameFolder::Write("s/a.fbi", "new bytes and more"); }, InPlace},
        {"the same length", [] { GameFolder::Write("s/a.fbi", "old bytes"); }, InPlace},
        {"a link out", [] { fs::create_symlink("../outside", "s/a.fbi"); }, Replaced},
        {"a hard link out", [] { fs::create_hard_link("outside", "s/a.fbi"); }, Replaced},
        {"a dangling link", [] { fs::create_symlink("../nowhere", "s/a.fbi"); }, Replaced},
        {"a subfolder", [] { fs::create_directory("s/a.fbi"); }, Refused},
    };
    for (const auto& [what, before, expected] : cases) {
        SCOPED_TRACE(what);
        GameFolder game;
        fs::create_directory("s");
        GameFolder::Write("outside", "new bytes");
        before();
        Age("s/a.fbi");
        const auto old = StampOf("s/a.fbi");
        ScratchFolder scratch;
        ASSERT_TRUE(scratch.Begin("S"));  // found in any case
        EXPECT_EQ(Store(scratch, "a.fbi", "new bytes"), expected != Refused);
        EXPECT_EQ(scratch.Finish(), 0);
        EXPECT_EQ(GameFolder::Read("outside"), "new bytes");
        EXPECT_FALSE(fs::exists("nowhere"));
        if (expected == Refused) {
            EXPECT_TRUE(fs::is_directory("s/a.fbi"));
            continue;
        }
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status("s/a.fbi")));
        EXPECT_EQ(GameFolder::Read("s/a.fbi"), "new bytes");
        const auto now = StampOf("s/a.fbi");
        EXPECT_EQ(now == old, expected == Untouched);
        // Rewritten in place keeps the file; a replaced link's number may be reused, so only its own is checked.
        EXPECT_TRUE((expected != Untouched && expected != InPlace) || std::get<0>(now) == std::get<0>(old));
        EXPECT_EQ(fs::hard_link_count("s/a.fbi"), 1u);
        EXPECT_EQ(fs::hard_link_count("outside"), 1u);
        EXPECT_EQ(scratch.Unchanged(), expected == Untouched ? 1 : 0);
        EXPECT_EQ(scratch.Written(), expected == Untouched ? 0 : 1);
    }
}

TEST(ScratchFolder, FinishRemovesWhatThisLoadDidNotStore) {
    GameFolder game;
    fs::create_directories("s/sub");
    GameFolder::Write("outside", "keep");
    for (const char* name : {"s/kept.fbi", "s/stale.fbi", "s/KEPT.FBI", "s/sub/inner.fbi"})
        GameFolder::Write(name, "x");
    fs::create_symlink("../outside", "s/link.fbi");
    ScratchFolder scratch;
    ASSERT_TRUE(scratch.Begin("s"));
    ASSERT_TRUE(Store(scratch, "kept.fbi", "x"));
    ASSERT_TRUE(Store(scratch, "new.fbi", "y"));
    EXPECT_EQ(scratch.Finish(), 0);
    std::set<std::string> left;
    for (const auto& e : fs::directory_iterator("s")) left.insert(e.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"kept.fbi", "new.fbi", "sub"}));  // another case is another name
    EXPECT_TRUE(fs::exists("s/sub/inner.fbi"));
    EXPECT_EQ(GameFolder::Read("outside"), "keep");

    // The next load starts from nothing it stored or counted before.
    ASSERT_TRUE(scratch.Begin("s"));
    ASSERT_TRUE(Store(scratch, "new.fbi", "y"));
    EXPECT_EQ(scratch.Unchanged() + scratch.Written(), 1);
    scratch.Finish();
    EXPECT_FALSE(fs::exists("s/kept.fbi"));
    EXPECT_TRUE(fs::exists("s/new.fbi"));

    // A scratch folder that is a link elsewhere, or a file, is refused with the reason.
    fs::create_directory("elsewhere");
    GameFolder::Write("elsewhere/precious", "p");
    fs::create_directory_symlink("elsewhere", "t");
    GameFolder::Write("f", "a file");
    for (const auto& [name, why] : {std::pair{"t", "symbolic link"}, {"f", "a file, not a folder"}}) {
        EXPECT_FALSE(scratch.Begin(name)) << name;
        EXPECT_NE(scratch.Problem().find(why), std::string::npos) << scratch.Problem();
        EXPECT_FALSE(Store(scratch, "precious", "x"));
        EXPECT_EQ(scratch.Finish(), 0);
    }
    EXPECT_EQ(GameFolder::Read("elsewhere/precious"), "p");
    EXPECT_EQ(GameFolder::Read("f"), "a file");

    // One load at a time: the second waits until the first is done.
    ScratchFolder other;
    ASSERT_TRUE(scratch.Begin("s") && scratch.TryLock());
    ASSERT_TRUE(other.Begin("s"));
    EXPECT_FALSE(other.TryLock());
    scratch.Finish();
    EXPECT_TRUE(other.TryLock());
    other.Abandon();

    ASSERT_TRUE(scratch.Begin("fresh"));  // a missing folder is created
    EXPECT_TRUE(fs::is_directory("fresh"));
    // A file of more than a megabyte that differs only in its last byte is no copy of these bytes.
    std::string big((std::size_t{1} << 20) + 1, 'b');
    GameFolder::Write("fresh/big.fbi", big);
    big.back() = 'n';
    ASSERT_TRUE(Store(scratch, "big.fbi", big));
    EXPECT_EQ(scratch.Written(), 1);
    EXPECT_EQ(GameFolder::Read("fresh/big.fbi"), big);
}

// A write that fails (a full disk) or an extraction that fails leaves no file of that name.
TEST(ScratchFolder, FailuresLeaveNoFileOfThatName) {
    GameFolder game;
    fs::create_directory("s");
    GameFolder::Write("s/old.fbi", "old bytes");
    GameFolder::Write("s/gone.fbi", "from the last load");
    ScratchFolder scratch;
    ASSERT_TRUE(scratch.Begin("s"));
    const std::string big(4096, 'b');
    EXPECT_FALSE(testkit::WithFileSizeLimit(
        1024, [&] { return Store(scratch, "new.fbi", big) || Store(scratch, "old.fbi", big); }));
    scratch.Discard("gone.fbi");
    for (const char* name : {"s/new.fbi", "s/old.fbi", "s/gone.fbi"}) EXPECT_FALSE(fs::exists(name)) << name;
    EXPECT_FALSE(Store(scratch, "", "x"));
    EXPECT_FALSE(Store(scratch, "a/b", "x"));
}

}  // namespace
}  // namespace lorvex::platform
