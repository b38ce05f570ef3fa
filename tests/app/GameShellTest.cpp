#include <QAction>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <cstdio>
#include <sys/wait.h>

#include "app/ConfigChooserDialog.h"
#include "app/game/CommandLine.h"
#include "app/game/GameShell.h"
#include "app/game/Placement.h"
#include "app/game/StartDialog.h"
#include "platform/GameFolder.h"
#include "tests/app/AppTestSupport.h"

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QStringList& list, std::ostream* os) { *os << list.join(QLatin1Char('|')).toStdString(); }

namespace lorvex::game {
namespace {

namespace fs = std::filesystem;
using namespace apptest;

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
    ~Shell() override {
        shell.reset();
        window.reset();
    }
    void Make() {
        shell.reset();
        window = std::make_unique<MainDialog>();
        window->SetMessageSink(&messages);
        shell = std::make_unique<GameShell>(
            *window, settings, [this](const QString& m) { told += m; }, Q(game.Root() / "data"),
            Q(game.Root() / "samples"));
        shell->SetFolderPicker([this](QWidget*) { return picked; });
    }
    // Shows the window; its first paint loads through the shell.
    void ShowAndLoad() {
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->windowTitle().contains(QLatin1String(".cfg")); }, 5000));
    }
    std::string Column(int c) { return ColumnText(window->Table().Data(), c); }
    fs::path Home() const { return game.Root() / "home/user"; }

    GameFolder game;
    QSettings settings{Q(game.Root() / "settings.ini"), QSettings::IniFormat};
    CapturedMessages messages;
    QStringList told;
    QString picked;
    std::unique_ptr<MainDialog> window;
    std::unique_ptr<GameShell> shell;
};

TEST_F(Shell, ArgumentOpensTheGameAndLoadsWithConfig) {
    Make();
    shell->SetFirstConfiguration(QStringLiteral("UNITS.cfg"));
    ASSERT_TRUE(shell->Start(Q(game.Root())));
    EXPECT_EQ(fs::current_path(), game.Root() / "Lorvex");
    ShowAndLoad();
    EXPECT_EQ(window->windowTitle().toStdString(), "Lorvex - units.cfg   - by Quorrin");
    EXPECT_EQ(Column(0), "delta,alpha,beta,gamma");
    // The archive texts are the same as when started inside the game.
    EXPECT_EQ(Column(2), "more.ufo  ::  c.fbi,base.hpi  ::  a.fbi,base.hpi  ::  a.fbi,base.hpi  ::  b.fbi");
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

TEST_F(Shell, ReadOnlyGameWorksInThePerUserFolder) {
    Make();
    shell->SetWritableProbe([](const fs::path&) { return false; });
    shell->SetFirstConfiguration(QStringLiteral("units.cfg"));
    ASSERT_TRUE(shell->Start(Q(game.Root())));
    const fs::path perUser = game.Root() / "data/games" / platform::PerGameFolderName(game.Root());
    EXPECT_EQ(fs::current_path(), perUser);
    EXPECT_FALSE(fs::exists(game.Root() / "Lorvex"));
    ShowAndLoad();
    EXPECT_EQ(Column(0), "delta,alpha,beta,gamma");  // the archives still come from the game
    EXPECT_TRUE(fs::exists(perUser / "Lorvex temp/a.fbi"));
}

TEST_F(Shell, SampleConfigurationsAreCopiedOnce) {
    Make();
    ASSERT_TRUE(shell->OpenGame(Q(game.Root())));
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains(QStringLiteral("units.cfg, weapons.cfg")) &&
                told[0].contains(Q(game.Root() / "Lorvex")))
        << told[0].toStdString();
    GameFolder::Write("units.cfg", "mine");
    fs::remove("weapons.cfg");
    Make();
    ASSERT_TRUE(shell->OpenGame(Q(game.Root())));
    EXPECT_EQ(told.size(), 1);
    EXPECT_EQ(GameFolder::Read("units.cfg"), "mine");
    EXPECT_FALSE(fs::exists("weapons.cfg"));
}

TEST_F(Shell, StartDialogFromAnEmptyFolderOpensARecentGame) {
    // Recent games as a damaged settings file may hold them: a gone one, a duplicate, a non-list.
    settings.setValue(QStringLiteral("recentGames"),
                      QStringList{Q(game.Root() / "gone"), Q(game.Root()), Q(game.Root()) + "/"});
    settings.setValue(QStringLiteral("lastConfiguration/size"), 2147483647);
    settings.setValue(QStringLiteral("lastConfiguration/1/game"), Q(game.Root()));
    settings.setValue(QStringLiteral("lastConfiguration/1/configuration"), QStringLiteral("../../etc/passwd"));
    settings.setValue(QStringLiteral("window/geometry"), QStringLiteral("garbage"));
    Make();
    QStringList listed;
    WhenModal([&](QWidget* modal) {
        auto* start = dynamic_cast<StartDialog*>(modal);
        ASSERT_NE(start, nullptr);
        for (int i = 0; i < start->recentList->count(); ++i) listed += start->recentList->item(i)->text();
        emit start->recentList->itemActivated(start->recentList->item(0));
    });
    ASSERT_TRUE(shell->Start(QString()));
    EXPECT_EQ(listed, QStringList{Q(game.Root())});
    EXPECT_EQ(fs::current_path(), game.Root() / "Lorvex");
    EXPECT_EQ(shell->LastConfiguration(Q(game.Root())), QString());  // no path is ever preselected
    shell->RestoreGeometry();  // the damaged geometry is passed over
    EXPECT_GT(window->width(), 0);
}

TEST_F(Shell, BadArgumentIsToldThenTheStartDialogAsks) {
    struct Case {
        fs::path folder;
        const char* said;
    };
    GameFolder::Write(game.Root() / "afile", "x");
    const Case cases[] = {{game.Root() / "nowhere", "does not exist"},
                          {game.Root() / "afile", "is a file"},
                          {Home(), "is not a game folder"}};
    for (const Case& c : cases) {
        Make();
        told.clear();
        picked = Q(game.Root());
        WhenModal([](QWidget* modal) { dynamic_cast<StartDialog&>(*modal).openButton->click(); });
        ASSERT_TRUE(shell->Start(Q(c.folder)));
        ASSERT_FALSE(told.isEmpty());
        EXPECT_TRUE(told[0].contains(QLatin1String(c.said))) << told[0].toStdString();
        EXPECT_EQ(shell->CurrentGame(), Q(game.Root()));
    }
    // Closing the start dialog ends the program.
    fs::current_path(Home());
    Make();
    WhenModal([](QWidget* modal) { modal->close(); });
    EXPECT_FALSE(shell->Start(QString()));
}

TEST_F(Shell, MenuCommandOpensAnotherGameAndPreselectsItsLastConfiguration) {
    Make();
    shell->SetFirstConfiguration(QStringLiteral("units.cfg"));
    ASSERT_TRUE(shell->Start(Q(game.Root())));
    ShowAndLoad();
    // A second game with a record of its own.
    const fs::path other = game.Root() / "other";
    fs::create_directories(other);
    ASSERT_TRUE(WriteArchive((other / "z.hpi").string(), {{"units\\z.fbi", Unit("ZED", "zed", "1")}}));
    picked = Q(other);
    QString preselected;
    WhenModal([&](QWidget* modal) {
        auto* chooser = dynamic_cast<ConfigChooserDialog*>(modal);
        ASSERT_NE(chooser, nullptr);
        for (auto* item : chooser->fileList->selectedItems()) preselected = item->text();
        chooser->fileList->setCurrentRow(0);  // units.cfg, copied from the samples
        chooser->okButton->click();
    }, window.get());
    QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Column(0) == "zed"; }, 5000));
    EXPECT_EQ(preselected, QString());  // a new game has no last configuration
    EXPECT_EQ(fs::current_path(), other / "Lorvex");
    EXPECT_EQ(shell->RecentGames(), (QStringList{Q(other), Q(game.Root())}));

    // Back to the first game: its last configuration comes up selected, and OK loads it.
    picked = Q(game.Root());
    WhenModal([&](QWidget* modal) {
        auto* chooser = dynamic_cast<ConfigChooserDialog*>(modal);
        ASSERT_NE(chooser, nullptr);
        for (auto* item : chooser->fileList->selectedItems()) preselected = item->text();
        chooser->okButton->click();
    }, window.get());
    window->openGameAction->trigger();
    EXPECT_EQ(preselected, QStringLiteral("units.cfg"));
    EXPECT_EQ(Column(0), "delta,alpha,beta,gamma");
}

TEST_F(Shell, GeometryIsRestoredInsideTheScreen) {
    Make();
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect screen = shell->ClientArea(available);
    ASSERT_TRUE(available.contains(screen) && screen.top() > available.top()) << "room for the title bar";
    struct Case {
        QRect saved;
        QRect expected;
    };
    const Case cases[] = {
        {QRect(screen.x() + 10, screen.y() + 20, 300, 200), QRect(screen.x() + 10, screen.y() + 20, 300, 200)},
        {QRect(screen.right() - 100, screen.y() + 5, 300, 200),
         QRect(screen.right() + 1 - 300, screen.y() + 5, 300, 200)},
        {QRect(screen.x(), screen.y(), screen.width() * 3, screen.height() * 2), screen},
    };
    for (const Case& c : cases) {
        Make();
        settings.setValue(QStringLiteral("window/geometry"), c.saved);
        shell->RestoreGeometry();
        EXPECT_EQ(window->geometry(), c.expected) << c.saved.x() << "," << c.saved.y();
    }
    // Closing saves the place, which the next start restores.
    window->setGeometry(screen.x() + 30, screen.y() + 40, 320, 240);
    shell->SaveGeometry();
    Make();
    shell->RestoreGeometry();
    EXPECT_EQ(window->geometry(), QRect(screen.x() + 30, screen.y() + 40, 320, 240));
    // Nothing saved: the default size, fitted and centred.
    settings.clear();
    Make();
    const QSize defaultSize = window->size();
    shell->RestoreGeometry();
    EXPECT_TRUE(screen.contains(window->geometry()));
    EXPECT_EQ(window->size(), defaultSize.boundedTo(screen.size()));
}

TEST(Placement, SavedPlacesAndFirstStarts) {
    const Rect left{0, 0, 1920, 1040}, right{1920, 0, 1280, 1000};
    struct Case {
        Rect saved;
        std::optional<Rect> expected;
    };
    const Case cases[] = {
        {{100, 100, 800, 600}, Rect{100, 100, 800, 600}},
        {{1800, 50, 800, 600}, Rect{1920, 50, 800, 600}},      // mostly on the right screen
        {{3000, 900, 800, 600}, Rect{2400, 400, 800, 600}},     // pulled back inside it
        {{-50, -20, 4000, 3000}, Rect{0, 0, 1920, 1040}},       // shrunk to the screen
        {{5000, 5000, 800, 600}, std::nullopt},                 // on no screen now
        {{100, 100, 0, 600}, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(RestoredPlacement(c.saved, {left, right}), c.expected) << c.saved.x;
    EXPECT_EQ(FirstPlacement(609, 500, {0, 0, 1280, 800}), (Rect{335, 150, 609, 500}));
    // At 2x scaling a 1280 x 800 screen is 640 x 400 logical pixels.
    EXPECT_EQ(FirstPlacement(609, 500, {0, 0, 640, 400}), (Rect{15, 0, 609, 400}));
}

TEST(CommandLine, Arguments) {
    struct Case {
        QStringList args;
        QString game, config;
        bool help, version, error;
    };
    const QString none;
    const Case cases[] = {
        {{}, none, none, false, false, false},
        {{"/g"}, "/g", none, false, false, false},
        {{"--config", "u.cfg", "/g"}, "/g", "u.cfg", false, false, false},
        {{"--config=u.cfg"}, none, "u.cfg", false, false, false},
        {{"-platform", "offscreen", "/g", "-style=x", "-reverse"}, "/g", none, false, false, false},
        {{"--", "-odd"}, "-odd", none, false, false, false},
        {{"--help"}, none, none, true, false, false},
        {{"-h", "--config", "../x"}, none, none, true, false, false},
        {{"--version"}, none, none, false, true, false},
        {{"-v"}, none, none, false, true, false},
        {{"--config", "../u.cfg"}, none, "../u.cfg", false, false, true},
        {{"--config", "a/u.cfg"}, none, "a/u.cfg", false, false, true},
        {{"--config"}, none, none, false, false, true},
        {{"--bogus"}, none, none, false, false, true},
        {{"/a", "/b"}, none, none, false, false, true},
    };
    for (const Case& c : cases) {
        const CommandLine line = ParseCommandLine(QStringList{QStringLiteral("lorvex")} + c.args);
        const std::string name = c.args.join(' ').toStdString();
        EXPECT_EQ(line.help, c.help) << name;
        EXPECT_EQ(line.version, c.version) << name;
        EXPECT_EQ(!line.error.isEmpty(), c.error) << name;
        if (c.error) continue;
        EXPECT_EQ(line.gameFolder, c.game) << name;
        EXPECT_EQ(line.config, c.config) << name;
    }
}

// The program itself, with no display at all.
TEST(CommandLine, ProgramAnswersWithoutADisplay) {
    struct Case {
        const char* args;
        int status;
        const char* output;
    };
    const Case cases[] = {
        {"--version", 0, "lorvex " LORVEX_VERSION "\n"},
        {"--help", 0, "Usage: lorvex [--config NAME.cfg] [GAME_FOLDER]\n"},
        {"--config ../x.cfg /g", 2, ""},
        {"--nonsense", 2, ""},
    };
    for (const Case& c : cases) {
        const std::string command = std::string("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '") +
                                    LORVEX_PROGRAM + "' " + c.args + " 2>/dev/null";
        FILE* pipe = ::popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string out;
        char chunk[256];
        for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) out.append(chunk, n);
        const int status = ::pclose(pipe);
        EXPECT_EQ(WEXITSTATUS(status), c.status) << c.args;
        EXPECT_EQ(out.substr(0, std::string(c.output).size()), c.output) << c.args;
    }
}

}  // namespace
}  // namespace lorvex::game
