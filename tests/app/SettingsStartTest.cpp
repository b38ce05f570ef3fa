// The real program started over a config folder where a named pipe stands in
// for a settings file QSettings reads at start.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

extern char** environ;

namespace lorvex {
namespace {

namespace fs = std::filesystem;

// Far longer than a start takes; a start that blocks never gets there.
constexpr auto kStartLimit = std::chrono::seconds(20);

// Runs the program with home as its home and config folder, on a game folder
// that does not exist, and returns what it writes on stderr up to its message
// about that folder (the first thing it says after the settings are open), or
// everything it said until kStartLimit.
std::string StartOver(const fs::path& home) {
    const std::string homeVar = "HOME=" + home.string(), configVar = "XDG_CONFIG_HOME=" + (home / "config").string(),
                      dataVar = "XDG_DATA_HOME=" + (home / "data").string(), tmpVar = "TMPDIR=" + home.string();
    const std::string program = LORVEX_PROGRAM, game = (home / "no-such-game").string();
    const char* argv[] = {"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM=offscreen",
                          homeVar.c_str(), configVar.c_str(), dataVar.c_str(), tmpVar.c_str(),
                          program.c_str(), game.c_str(), nullptr};
    int err[2];
    if (::pipe2(err, O_CLOEXEC) != 0) return "(no pipe)";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, "env", &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(err[1]);
    std::string said;
    const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    while (spawned == 0 && said.find("no-such-game") == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{err[0], POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        char chunk[512];
        const ssize_t n = ::read(err[0], chunk, sizeof chunk);
        if (n <= 0) break;
        said.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(err[0]);
    // It now waits for the message box to be closed.
    if (spawned == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    return said;
}

TEST(SettingsStart, PipeForSettingsFileIsNamedAndPassedBy) {
    const fs::path home = fs::temp_directory_path() / ("lorvex-fifo-home-" + std::to_string(::getpid()));
    struct Case {
        const char* file;
        const char* why;
    };
    const Case cases[] = {
        {"config/Lorvex/Lorvex.conf", "the program's own settings"},
        {"config/Lorvex.conf", "the file for every program of the name, read as well"},
    };
    for (const Case& c : cases) {
        fs::remove_all(home);
        fs::create_directories(home / "config" / "Lorvex");
        const fs::path pipe = home / c.file;
        ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
        const std::string said = StartOver(home);
        EXPECT_NE(said.find("settings file " + pipe.string() + " is a named pipe"), std::string::npos) << c.why << ": " << said;
        EXPECT_NE(said.find("no-such-game"), std::string::npos) << c.why << ": the start went no further\n" << said;
        // Nothing was written beside or through it.
        EXPECT_TRUE(fs::is_fifo(pipe)) << c.why;
        std::size_t entries = 0;
        for (const auto& e : fs::recursive_directory_iterator(home / "config")) entries += e.is_directory() ? 0 : 1;
        EXPECT_EQ(entries, 1u) << c.why;
    }
    fs::remove_all(home);
}

}  // namespace
}  // namespace lorvex
