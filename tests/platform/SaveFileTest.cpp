#include "platform/SaveFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <thread>

#include "tests/support/GameFolder.h"

namespace lorvex::platform {
namespace {

namespace fs = std::filesystem;
using testkit::GameFolder;

const std::function<bool(std::FILE*)> kNewBytes = [](std::FILE* out) {
    return std::fputs("new bytes", out) >= 0 && std::fflush(out) == 0;
};

mode_t TypeOf(const char* path) {
    struct stat st {};
    return ::lstat(path, &st) == 0 ? st.st_mode & S_IFMT : 0;
}
mode_t ModeOf(const char* path) {
    struct stat st {};
    return ::stat(path, &st) == 0 ? st.st_mode & 07777 : 0;
}

// What lies under the name beforehand, and what the save must leave there.
TEST(SaveFile, EveryKindOfTargetStaysWhatItIs) {
    const mode_t savedMask = ::umask(022);
    const bool root = ::geteuid() == 0;
    const std::string longName(250, 'n');
    struct Case {
        const char* why;
        std::function<void()> before;
        std::string target;
        const char* failure;  // nullptr when the save must work, else a part of its reason
        std::function<void()> after;
        std::string written = {};  // the path reported, when not the target's own
        std::function<bool(std::FILE*)> write = kNewBytes;
    } cases[] = {
        {"a new file gets the umask's mode, not the temporary file's 0600", [] {}, "new.dat", nullptr,
         [] { EXPECT_EQ(ModeOf("new.dat"), 0644u); }},
        {"a replaced file keeps its own mode", [] { GameFolder::Write("old.dat", "old"), ::chmod("old.dat", 0640); },
         "old.dat", nullptr, [] { EXPECT_EQ(ModeOf("old.dat"), 0640u); }},
        {"a link stays a link; the file it points to is replaced",
         [] {
             fs::create_directory("real"), GameFolder::Write("real/t.dat", "old");
             fs::create_symlink("real/t.dat", "link.dat");
         },
         "link.dat", nullptr, [] { EXPECT_EQ(TypeOf("link.dat"), S_IFLNK); }, "real/t.dat"},
        {"a link to nothing stays a link and creates what it points to",
         [] { fs::create_directory("real"), fs::create_symlink("real/made.dat", "dangling.dat"); }, "dangling.dat",
         nullptr, [] { EXPECT_EQ(TypeOf("dangling.dat"), S_IFLNK); }, "real/made.dat"},
        {"a link into a missing folder creates nothing", [] { fs::create_symlink("nowhere/x.dat", "dangling.dat"); },
         "dangling.dat", "does not exist", [] { EXPECT_EQ(TypeOf("dangling.dat"), S_IFLNK); }},
        {"as many links in a row as the system follows are followed",
         [] {
             GameFolder::Write("l0", "old");
             for (int i = 1; i <= 40; ++i) fs::create_symlink("l" + std::to_string(i - 1), "l" + std::to_string(i));
         },
         "l40", nullptr, [] { EXPECT_EQ(TypeOf("l40"), S_IFLNK); }, "l0"},
        {"a link to a device writes the device", [] { fs::create_symlink("/dev/null", "null.dat"); }, "null.dat",
         nullptr, [] { EXPECT_TRUE(TypeOf("null.dat") == S_IFLNK && TypeOf("/dev/null") == S_IFCHR); }},
        {"/dev/null is written, never replaced by a file", [] {}, "/dev/null", nullptr,
         [] { EXPECT_EQ(TypeOf("/dev/null"), S_IFCHR); }},
        {"a full device fails with the reason", [] {}, "/dev/full", "the disk is full",
         [] { EXPECT_EQ(TypeOf("/dev/full"), S_IFCHR); }},
        {"bytes that fail only when the stream is closed fail the save", [] {}, "/dev/full", "the disk is full", [] {},
         "", [](std::FILE* out) { return std::fputs("x", out) >= 0; }},
        {"a folder is never replaced", [] { fs::create_directory("sub"); }, "sub", "is a folder",
         [] { EXPECT_TRUE(fs::is_directory("sub")); }},
        {"a missing folder is named", [] {}, "missing/x.dat", "the folder \"missing\" does not exist", [] {}},
        {"a name near the limit fits with the temporary name", [] {}, longName, nullptr, [] {}},
        {"a name past the limit fails and leaves nothing", [] {}, std::string(256, 'n'), "too long", [] {}},
        {"a write that fails keeps the old file whole", [] { GameFolder::Write("old.dat", "old"); }, "old.dat",
         "cannot write \"old.dat\": a write failed", [] { EXPECT_EQ(GameFolder::Read("old.dat"), "old"); }, "",
         [](std::FILE* out) { return std::fputs("half", out), false; }},
        {"a folder that cannot be written keeps the old file",
         [] { fs::create_directory("ro"), GameFolder::Write("ro/x.dat", "old"), ::chmod("ro", 0555); }, "ro/x.dat",
         "permission denied",
         [] {
             ::chmod("ro", 0755);
             EXPECT_EQ(GameFolder::Read("ro/x.dat"), "old");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        if (root && c.target == "ro/x.dat") continue;  // root writes into any folder
        if (c.target.starts_with("/dev/") && TypeOf(c.target.c_str()) != S_IFCHR) continue;  // no such device here
        GameFolder folder;
        c.before();
        const SaveResult result = SaveFile(c.target, c.write);
        EXPECT_EQ(result.ok, c.failure == nullptr) << result.error;
        if (c.failure) {
            EXPECT_NE(result.error.find(c.failure), std::string::npos) << result.error;
            EXPECT_EQ(result.path, "");
        } else {
            EXPECT_EQ(result.error, "");
            const fs::path written = c.written.empty() ? c.target : c.written;
            EXPECT_EQ(result.path, (folder.Current() / written).lexically_normal().string());
            if (!c.target.starts_with("/dev/") && c.target != "null.dat") {
                EXPECT_EQ(GameFolder::Read(written), "new bytes");
            }
        }
        c.after();
        for (const auto& entry : fs::recursive_directory_iterator(folder.Root()))
            EXPECT_FALSE(entry.path().filename().string().starts_with(".lorvex-")) << "left behind: " << entry.path();
    }
    ::umask(savedMask);
}

// A named pipe is opened and written, never replaced, and never waited on without a reader.
TEST(SaveFile, PipesAreWrittenWhereTheyAre) {
    GameFolder folder;
    for (const char* name : {"pipe", "lonely", "leaving"}) ASSERT_EQ(::mkfifo(name, 0600), 0);

    // More than a pipe holds, so the writer must wait for the reader now and then.
    const std::string bytes(1 << 20, 'p');
    // Opened before the save so that the writer finds a reader; read only once the
    // writer is there, so that a failing save can never leave the thread waiting.
    const int reading = ::open("pipe", O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reading, 0);
    std::string received;
    std::thread reader;
    const SaveResult result = SaveFile("pipe", [&](std::FILE* out) {
        ::fcntl(reading, F_SETFL, ::fcntl(reading, F_GETFL) & ~O_NONBLOCK);
        reader = std::thread([&] {
            char buffer[4096];
            for (ssize_t n; (n = ::read(reading, buffer, sizeof buffer)) > 0;)
                received.append(buffer, static_cast<std::size_t>(n));
        });
        return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() && std::fflush(out) == 0;
    });
    if (reader.joinable()) reader.join();
    ::close(reading);
    EXPECT_TRUE(result.ok) << result.error;
    EXPECT_EQ(received.size(), bytes.size());
    EXPECT_EQ(TypeOf("pipe"), S_IFIFO);

    const SaveResult lonely = SaveFile("lonely", kNewBytes);
    EXPECT_EQ(lonely.error, "nothing is reading from the pipe \"lonely\"");
    EXPECT_EQ(TypeOf("lonely"), S_IFIFO);

    // The reader goes away half way: a failed save, not a program ended by SIGPIPE.
    const int gone = ::open("leaving", O_RDONLY | O_NONBLOCK);
    const SaveResult leaving = SaveFile("leaving", [&](std::FILE* out) {
        ::close(gone);
        return std::fputs("x", out) >= 0 && std::fflush(out) == 0;
    });
    EXPECT_EQ(leaving.error, "cannot write \"leaving\": the program reading it stopped");
    sigset_t pending;
    ::sigpending(&pending);
    EXPECT_EQ(::sigismember(&pending, SIGPIPE), 0) << "the signal is not left for later";
}

}  // namespace
}  // namespace lorvex::platform
