#include "platform/SettingsGuard.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

namespace lorvex::platform {
namespace {

namespace fs = std::filesystem;

void WriteSized(const fs::path& p, std::uint64_t size) {
    std::ofstream(p, std::ios::binary).close();
    fs::resize_file(p, size);
}

TEST(SettingsGuard, OnlyMissingOrSmallRegularFilesAreRead) {
    const fs::path dir = fs::temp_directory_path() / ("lorvex-settings-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    struct Case {
        const char* why;
        std::function<fs::path()> make;
        bool usable;
        const char* problem;  // part of the message
    };
    const Case cases[] = {
        {"the file a run wrote", [&] { WriteSized(dir / "a.conf", 300); return dir / "a.conf"; }, true, ""},
        {"the bound itself is still a settings file",
         [&] { WriteSized(dir / "b.conf", kMaxSettingsFileSize); return dir / "b.conf"; }, true, ""},
        {"a first run has none", [&] { return dir / "none.conf"; }, true, ""},
        {"a pipe would wait for a writer forever",
         [&] { ::mkfifo((dir / "p.conf").c_str(), 0600); return dir / "p.conf"; }, false, "named pipe"},
        {"a symbolic link leads to the pipe just the same",
         [&] { fs::create_symlink(dir / "p.conf", dir / "l.conf"); return dir / "l.conf"; }, false, "named pipe"},
        {"a folder has no settings to read", [&] { fs::create_directory(dir / "d.conf"); return dir / "d.conf"; },
         false, "folder"},
        {"a device never ends", [] { return fs::path("/dev/zero"); }, false, "device"},
        {"one byte past the bound would be read whole",
         [&] { WriteSized(dir / "big.conf", kMaxSettingsFileSize + 1); return dir / "big.conf"; }, false, "larger"},
        {"a file where the folder should be", [&] { return dir / "a.conf" / "x.conf"; }, false, "cannot be opened"},
    };
    for (const Case& c : cases) {
        const fs::path path = c.make();
        const SettingsFileCheck check = CheckSettingsFile(path.string());
        EXPECT_EQ(check.usable, c.usable) << c.why;
        EXPECT_NE(check.problem.find(c.problem), std::string::npos) << c.why << ": " << check.problem;
        EXPECT_EQ(check.problem.empty(), c.usable) << c.why;
    }
    // Looking must not have turned the pipe into anything else.
    EXPECT_TRUE(fs::is_fifo(dir / "p.conf"));
    fs::remove_all(dir);
}

}  // namespace
}  // namespace lorvex::platform
