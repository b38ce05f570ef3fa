// The game shell on a window: a game opened from the command line, the start
// window, the menu or a recent game, samples copied once, switching games only
// when a load takes, --compare, and the window placed back inside the screen.
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

#include "app/ConfigChooserDialog.h"
#include "app/compare/CompareCommands.h"
#include "app/game/CommandLine.h"
#include "app/game/GameShell.h"
#include "app/game/Placement.h"
#include "app/game/StartDialog.h"
#include "platform/GameFolder.h"
#include "tests/app/AppTestSupport.h"

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

}  // namespace
}  // namespace lorvex::game
