#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "app/ConfigChooserDialog.h"
#include "app/compare/CompareCommands.h"
#include "app/game/CommandLine.h"
#include "app/game/GameShell.h"
#include "app/game/Placement.h"
#include "app/game/StartDialog.h"
#include "platform/GameFolder.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/ToolRun.h"

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QStringList& list, std::ostream* os) { *os << list.join(QLatin1Char('|')).toStdString(); }

namespace lorvex::game {
namespace {

namespace fs = std::filesystem;
using namespace testkit;

QString Q(const fs::path& p) { return QString::fromStdString(p.string()); }

// A game folder (the test's root, archives in it), its sample configurations,
// settings and data location of its own, and a window with the shell on it.
class Shell : public ::testing::Test {
protected:
    Shell() {
        App();
        BuildGame();
        fs::create_directories(game.Root() / "samples");
        GameFolder::Write(game.Root() / "samples/units.cfg", kUnitsCfg);
        GameFolder::Write(game.Root() / "samples/weapons.cfg", "extension=.none;\n");
        fs::remove_all(game.Current());  // the test starts in a folder of no game
        fs::create_directories(Home());
        fs::current_path(Home());
    }
    ~Shell() override { shell.reset(), window.reset(); }
    void Make() {
        shell.reset();
        window = std::make_unique<MainDialog>();
        window->SetMessageSink(&messages);
        shell = std::make_unique<GameShell>(
            *window, settings, [this](const QString& m) { told += m; }, Q(game.Root() / "data"),
            Q(game.Root() / "samples"));
        shell->SetFolderPicker([this](QWidget*) { return picked; });
        told.clear();
    }
    // Shows the window; its first paint loads through the shell.
    void ShowAndLoad() {
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->windowTitle().contains(QLatin1String(".cfg")); }, 5000));
    }
    // Answers the next chooser: notes the preselected name, then picks row (-1: as it stands) and presses OK.
    void ChooseRow(int row) {
        WhenModal<ConfigChooserDialog>(
            [this, row](auto* chooser) {
                for (auto* item : chooser->fileList->selectedItems()) preselected = item->text();
                if (row >= 0) chooser->fileList->setCurrentRow(row);
                chooser->okButton->click();
            },
            window.get());
    }
    // A second game beside the first, with a record of its own.
    fs::path AnotherGame() {
        const fs::path other = game.Root() / "other";
        fs::create_directories(other);
        EXPECT_TRUE(WriteArchive((other / "z.hpi").string(), {{"units\\z.fbi", Unit("ZED", "zed", "1")}}));
        return other;
    }
    // Started on the game with units.cfg loaded, and another game beside it.
    fs::path StartWithAnotherGame() {
        Make();
        shell->SetFirstConfiguration(QStringLiteral("units.cfg"));
        EXPECT_TRUE(shell->Start(Q(game.Root())));
        ShowAndLoad();
        return AnotherGame();
    }
    std::string Column(int c) { return ColumnText(window->Table().Data(), c); }
    fs::path Home() const { return game.Root() / "home/user"; }

    GameFolder game;
    QSettings settings{Q(game.Root() / "settings.ini"), QSettings::IniFormat};
    CapturedMessages messages;
    QStringList told;
    QString picked, preselected;
    std::unique_ptr<MainDialog> window;
    std::unique_ptr<GameShell> shell;
};

TEST_F(Shell, ArgumentOpensTheGameAndLoadsWithConfig) {
    // A game that cannot be written works in a folder of its own; the archives still come from the game.
    const fs::path perUser = game.Root() / "data/games" / platform::PerGameFolderName(game.Root());
    for (const bool writable : {false, true}) {
        Make();
        if (!writable) shell->SetWritableProbe([](const fs::path&) { return false; });
        shell->SetFirstConfiguration(QStringLiteral("UNITS.cfg"));
        ASSERT_TRUE(shell->Start(Q(game.Root())));
        EXPECT_EQ(fs::current_path(), writable ? game.Root() / "Lorvex" : perUser);
        EXPECT_EQ(fs::exists(game.Root() / "Lorvex"), writable);
        ShowAndLoad();
        EXPECT_EQ(window->windowTitle().toStdString(), "Lorvex - units.cfg   - by Quorrin");
        EXPECT_EQ(Column(0), "delta,alpha,beta,gamma");
        // The archive texts are the same as when started inside the game.
        EXPECT_EQ(Column(2), "more.ufo  ::  c.fbi,base.hpi  ::  a.fbi,base.hpi  ::  a.fbi,base.hpi  ::  b.fbi");
        EXPECT_TRUE(fs::exists(perUser / "Lorvex temp/a.fbi"));
    }
    EXPECT_EQ(shell->RecentGames(), QStringList{Q(game.Root())});
    EXPECT_EQ(shell->LastConfiguration(Q(game.Root())), QStringLiteral("units.cfg"));

    // An unknown name is told, and the chooser asks instead.
    ScriptedChooser chooser;
    chooser.name = "weapons.cfg";
    shell->SetChooser(&chooser);
    shell->SetFirstConfiguration(QStringLiteral("none.cfg"));
    told.clear();
    window->LoadRun();
    EXPECT_EQ(chooser.calls, 1);
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].startsWith(QStringLiteral("There is no configuration none.cfg in"))) << told[0].toStdString();
    EXPECT_EQ(shell->LastConfiguration(Q(game.Root())), QStringLiteral("weapons.cfg"));
}

TEST_F(Shell, SampleConfigurationsAreCopiedOnce) {
    Make();
    ASSERT_TRUE(shell->OpenGame(Q(game.Root())));
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains("units.cfg, weapons.cfg") && told[0].contains(Q(game.Root() / "Lorvex")))
        << told[0].toStdString();
    GameFolder::Write("units.cfg", "mine");
    fs::remove("weapons.cfg");
    Make();
    ASSERT_TRUE(shell->OpenGame(Q(game.Root())));
    EXPECT_TRUE(told.isEmpty());
    EXPECT_EQ(GameFolder::Read("units.cfg"), "mine");
    EXPECT_FALSE(fs::exists("weapons.cfg"));
}

TEST_F(Shell, StartDialogFromAnEmptyFolderOpensARecentGame) {
    // Recent games as a damaged settings file may hold them: a gone one, a duplicate, a non-list.
    settings.setValue("recentGames", QStringList{Q(game.Root() / "gone"), Q(game.Root()), Q(game.Root()) + "/"});
    settings.setValue("lastConfiguration/size", 2147483647);
    settings.setValue("lastConfiguration/1/game", Q(game.Root()));
    settings.setValue("lastConfiguration/1/configuration", "../../etc/passwd");
    settings.setValue("window/geometry", "garbage");
    Make();
    QStringList listed;
    WhenModal<StartDialog>([&](auto* start) {
        for (int i = 0; i < start->recentList->count(); ++i) listed += start->recentList->item(i)->text();
        emit start->recentList->itemActivated(start->recentList->item(0));
    });
    ASSERT_TRUE(shell->Start(QString()));
    EXPECT_EQ(listed, QStringList{Q(game.Root())});
    EXPECT_EQ(fs::current_path(), game.Root() / "Lorvex");
    EXPECT_EQ(shell->LastConfiguration(Q(game.Root())), QString());  // no path is ever preselected
    shell->RestoreGeometry();                                        // the damaged geometry is passed over
    EXPECT_GT(window->width(), 0);
}

TEST_F(Shell, BadArgumentIsToldThenTheStartDialogAsks) {
    GameFolder::Write(game.Root() / "afile", "x");
    const std::pair<fs::path, const char*> cases[] = {{game.Root() / "nowhere", "does not exist"},
                                                      {game.Root() / "afile", "is a file"},
                                                      {Home(), "is not a game folder"}};
    for (const auto& [folder, said] : cases) {
        Make();
        picked = Q(game.Root());
        WhenModal<StartDialog>([](auto* start) { start->openButton->click(); });
        ASSERT_TRUE(shell->Start(Q(folder)));
        ASSERT_FALSE(told.isEmpty());
        EXPECT_TRUE(told[0].contains(QLatin1String(said))) << told[0].toStdString();
        EXPECT_EQ(shell->CurrentGame(), Q(game.Root()));
    }
    fs::current_path(Home());  // closing the start dialog ends the program
    Make();
    WhenModal([](QWidget* modal) { modal->close(); });
    EXPECT_FALSE(shell->Start(QString()));
}

TEST_F(Shell, MenuCommandOpensAnotherGameAndPreselectsItsLastConfiguration) {
    const fs::path other = StartWithAnotherGame();
    picked = Q(other);
    ChooseRow(0);  // units.cfg, copied from the samples
    QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Column(0) == "zed"; }, 5000));
    EXPECT_EQ(preselected, QStringLiteral("units.cfg"));  // a new game has no last configuration: the first
    EXPECT_EQ(fs::current_path(), other / "Lorvex");
    EXPECT_EQ(shell->RecentGames(), (QStringList{Q(other), Q(game.Root())}));
    // Back to the first game through the recent games: its last configuration comes up selected, and OK loads it.
    ChooseRow(-1);
    emit window->GameMenu()->aboutToShow();
    const QList<QAction*> recent = window->RecentGamesMenu()->actions();
    ASSERT_EQ(recent.size(), 2);
    EXPECT_EQ(recent[1]->text(), QDir::toNativeSeparators(Q(game.Root())));
    recent[1]->trigger();
    EXPECT_EQ(preselected, QStringLiteral("units.cfg"));
    EXPECT_EQ(Column(0), "delta,alpha,beta,gamma");
}

// Another game opened, then its chooser cancelled (or its configuration gone
// before the load reads it): the game before, its folder, its title and its table stay.
TEST_F(Shell, SwitchingGamesTakesEffectOnlyWhenALoadDoes) {
    const fs::path other = StartWithAnotherGame();
    const fs::path before = fs::current_path();
    const QString title = window->windowTitle();
    const QStringList recent = shell->RecentGames();
    for (const char* how : {"Cancel", "Enter on a configuration gone before it is read"}) {
        SCOPED_TRACE(how);
        WhenModal<ConfigChooserDialog>(
            [how, other](auto* chooser) {
                if (std::string(how) == "Cancel") return chooser->cancelButton->click();
                EXPECT_EQ(chooser->fileList->currentRow(), 0);  // the first is offered: Enter takes it
                fs::remove(other / "Lorvex/units.cfg");
                QTest::keyClick(chooser, Qt::Key_Return);
            },
            window.get());
        shell->SwitchToGame(Q(other));
        EXPECT_EQ(Column(0), "delta,alpha,beta,gamma");
        EXPECT_EQ(fs::current_path(), before);
        EXPECT_EQ(window->windowTitle(), title);
        EXPECT_EQ(window->ArchiveFolder(), platform::GameKey(game.Root()));
        EXPECT_EQ(shell->CurrentGame(), Q(fs::path(platform::GameKey(game.Root()))));
        EXPECT_EQ(shell->RecentGames(), recent);
        window->Reload();  // F5 still reloads the game before
        EXPECT_EQ(Column(0), "delta,alpha,beta,gamma");
    }
}

// --compare: the other game is compared with once the first load is in.
TEST_F(Shell, ComparesWithTheOtherGameOfTheCommandLineOnceTheFirstLoadIsIn) {
    const fs::path other = AnotherGame();
    const CommandLine line =
        ParseCommandLine({"lorvex", "--config", "units.cfg", "--compare", Q(other), Q(game.Root())});
    ASSERT_TRUE(line.error.isEmpty()) << line.error.toStdString();
    Make();
    shell->SetFirstConfiguration(line.config);
    window->Comparison()->dataLocation = Q(game.Root() / "data");
    window->Comparison()->CompareWhenLoaded(line.compareWith);
    ASSERT_TRUE(shell->Start(line.gameFolder));
    ShowAndLoad();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->Comparison()->Comparing() && !window->Loading(); }, 5000));
    EXPECT_EQ(Column(0), "added,added,added,added,removed");
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(Shell, GeometryIsRestoredInsideTheScreen) {
    Make();
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect screen = shell->ClientArea(available);
    ASSERT_TRUE(available.contains(screen) && screen.top() > available.top()) << "room for the title bar";
    const int x = screen.x(), y = screen.y();
    const std::pair<QRect, QRect> cases[] = {
        // saved, restored
        {QRect(x + 10, y + 20, 300, 200), QRect(x + 10, y + 20, 300, 200)},
        {QRect(screen.right() - 100, y + 5, 300, 200), QRect(screen.right() + 1 - 300, y + 5, 300, 200)},
        {QRect(x, y, screen.width() * 3, screen.height() * 2), screen},
    };
    for (const auto& [saved, restored] : cases) {
        Make();
        settings.setValue("window/geometry", saved);
        shell->RestoreGeometry();
        EXPECT_EQ(window->geometry(), restored) << saved.x() << "," << saved.y();
    }
    window->setGeometry(x + 30, y + 40, 320, 240);  // closing saves the place, which the next start restores
    shell->SaveGeometry();
    Make();
    shell->RestoreGeometry();
    EXPECT_EQ(window->geometry(), QRect(x + 30, y + 40, 320, 240));
    settings.clear();  // nothing saved: the default size, fitted and centred
    Make();
    const QSize defaultSize = window->size();
    shell->RestoreGeometry();
    EXPECT_TRUE(screen.contains(window->geometry()));
    EXPECT_EQ(window->size(), defaultSize.boundedTo(screen.size()));
}

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
