// What the program does before any window: where a saved window goes, the
// command line read, and the program run as a user starts it (without a
// display, or with a settings file that is a named pipe).
#include <poll.h>
#include <signal.h>
#include <unistd.h>
#include <QSettings>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "app/game/CommandLine.h"
#include "app/game/Placement.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/ToolRun.h"

namespace lorvex::game {
namespace {

namespace fs = std::filesystem;
using namespace testkit;

TEST(Placement, SavedPlacesAndFirstStarts) {
    const Rect left{0, 0, 1920, 1040}, right{1920, 0, 1280, 1000};
    const std::pair<Rect, std::optional<Rect>> cases[] = {
        {{100, 100, 800, 600}, Rect{100, 100, 800, 600}},
        {{1800, 50, 800, 600}, Rect{1920, 50, 800, 600}},    // mostly on the right screen
        {{3000, 900, 800, 600}, Rect{2400, 400, 800, 600}},  // pulled back inside it
        {{-50, -20, 4000, 3000}, Rect{0, 0, 1920, 1040}},    // shrunk to the screen
        {{5000, 5000, 800, 600}, std::nullopt},              // on no screen now
        {{100, 100, 0, 600}, std::nullopt},
        {{INT_MAX - 50, INT_MAX - 50, 100, 100}, std::nullopt},  // read back from a damaged file: no overflow
    };
    for (const auto& [saved, restored] : cases) EXPECT_EQ(RestoredPlacement(saved, {left, right}), restored) << saved.x;
    EXPECT_EQ(FirstPlacement(609, 500, {0, 0, 1280, 800}), (Rect{335, 150, 609, 500}));
    // At 2x scaling a 1280 x 800 screen is 640 x 400 logical pixels.
    EXPECT_EQ(FirstPlacement(609, 500, {0, 0, 640, 400}), (Rect{15, 0, 609, 400}));
}

TEST(CommandLine, Arguments) {
    const QString none;
    const std::tuple<QStringList, QString, QString, QString, const char*> cases[] = {
        // args, game, config, compare, h/v/e(rror)
        {{}, none, none, none, ""},
        {{"/g"}, "/g", none, none, ""},
        {{"--config", "u.cfg", "/g"}, "/g", "u.cfg", none, ""},
        {{"--config=u.cfg"}, none, "u.cfg", none, ""},
        {{"--compare", "/g/old", "/g"}, "/g", none, "/g/old", ""},
        {{"--compare=old"}, none, none, "old", ""},
        {{"-platform", "offscreen", "-style=x", "/g", "-reverse"}, "/g", none, none, ""},  // "=x": /g is no value
        {{"--", "-odd"}, "-odd", none, none, ""},
        {{"--help"}, none, none, none, "h"},
        {{"-h", "--config", "../x"}, none, none, none, "h"},
        {{"--version"}, none, none, none, "v"},
        {{"-v"}, none, none, none, "v"},
        {{"--config", "../u.cfg"}, none, none, none, "e"},
        {{"--config", "a/u.cfg"}, none, none, none, "e"},
        {{"--config"}, none, none, none, "e"},
        {{"--compare"}, none, none, none, "e"},   // the folder is missing
        {{"--compare="}, none, none, none, "e"},  // an empty folder name
        {{"--bogus"}, none, none, none, "e"},
        {{"/a", "/b"}, none, none, none, "e"},
    };
    for (const auto& [args, gameFolder, config, compare, flags] : cases) {
        const CommandLine line = ParseCommandLine(QStringList{QStringLiteral("lorvex")} + args);
        SCOPED_TRACE(args.join(' ').toStdString());
        EXPECT_EQ(std::string(line.help ? "h" : "") + (line.version ? "v" : "") + (line.error.isEmpty() ? "" : "e"),
                  flags);
        if (*flags == 'e') continue;
        EXPECT_EQ(line.gameFolder, gameFolder);
        EXPECT_EQ(line.config, config);
        EXPECT_EQ(line.compareWith, compare);
    }
}

// The program itself, with no display at all.
TEST(CommandLine, ProgramAnswersWithoutADisplay) {
    GameFolder logs;
    const std::tuple<const char*, int, std::string> cases[] = {
        {"--version", 0, "lorvex " LORVEX_VERSION "\n"},
        {"--help", 0, "Usage: lorvex [--config NAME.cfg] [GAME_FOLDER]\n"},
        {"--config ../x.cfg /g", 2, ""},
        {"--nonsense", 2, ""},
    };
    for (const auto& [args, status, output] : cases) {
        const Ran ran = RunShell(
            std::string("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '") + LORVEX_PROGRAM + "' " + args,
            logs.Root());
        EXPECT_EQ(ran.status, status) << args;
        EXPECT_EQ(ran.out.substr(0, output.size()), output) << args;
    }
}

// Far longer than a start takes; a start that blocks never gets there.
constexpr auto kStartLimit = std::chrono::seconds(20);

// Runs the program with home as its home and config folder, on a game folder that does not exist, and returns
// what it writes on stderr up to its message about that folder (the first thing it says after the settings are
// open), or everything it said until kStartLimit. It then waits for the message box: it is killed.
std::string StartOver(const fs::path& home) {
    // The shell says its pid, then becomes env and env the program: the pid is the program's to kill.
    const std::string line = "echo $$; exec env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen HOME='" +
                             home.string() + "' XDG_CONFIG_HOME='" + (home / "config").string() + "' XDG_DATA_HOME='" +
                             (home / "data").string() + "' TMPDIR='" + home.string() + "' '" + LORVEX_PROGRAM + "' '" +
                             (home / "no-such-game").string() + "' 2>&1 >/dev/null </dev/null";
    FILE* pipe = ::popen(line.c_str(), "r");
    if (!pipe) return "(no pipe)";
    std::string said;
    const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    while (said.find("no-such-game") == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p{::fileno(pipe), POLLIN, 0};
        char chunk[512];
        ssize_t n = 0;
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0 ||
            (n = ::read(p.fd, chunk, sizeof chunk)) <= 0)
            break;
        said.append(chunk, static_cast<std::size_t>(n));
    }
    if (const int pid = std::atoi(said.c_str()); pid > 0) ::kill(pid, SIGKILL);
    ::pclose(pipe);
    return said;
}

// A named pipe standing in for a settings file QSettings reads at start is named, and the start goes on.
TEST(SettingsStart, PipeForSettingsFileIsNamedAndPassedBy) {
    const fs::path home = fs::temp_directory_path() / ("lorvex-fifo-home-" + std::to_string(::getpid()));
    const std::pair<const char*, const char*> cases[] = {
        {"config/Lorvex/Lorvex.conf", "the program's own settings"},
        {"config/Lorvex.conf", "the file for every program of the name, read as well"},
    };
    for (const auto& [file, why] : cases) {
        fs::remove_all(home);
        fs::create_directories(home / "config" / "Lorvex");
        const fs::path pipe = home / file;
        ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
        const std::string said = StartOver(home);
        EXPECT_NE(said.find("settings file " + pipe.string() + " is a named pipe"), std::string::npos) << why << said;
        EXPECT_NE(said.find("no-such-game"), std::string::npos) << why << ": the start went no further\n" << said;
        // Nothing was written beside or through it.
        EXPECT_TRUE(fs::is_fifo(pipe)) << why;
        std::size_t entries = 0;
        for (const auto& e : fs::recursive_directory_iterator(home / "config")) entries += e.is_directory() ? 0 : 1;
        EXPECT_EQ(entries, 1u) << why;
    }
    fs::remove_all(home);
}

}  // namespace
}  // namespace lorvex::game
