// Comparing the window's table with another game: the other game's load (read
// only, cancellable), the Change column and the other game's rows (struck out),
// tints, tooltips and changed numbers shown in their style, the filter, the
// counts, edits refused on the other game's rows, Compare Off giving the table
// (and its sort arrow) back exactly, the changelog, and --compare.
#include <QAction>
#include <QLineEdit>
#include <QSettings>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>

#include "app/compare/CompareCommands.h"
#include "app/edit/CellEditorDialog.h"
#include "app/edit/EditCommands.h"
#include "app/game/CommandLine.h"
#include "app/game/GameShell.h"
#include "app/filter/FilterBar.h"
#include "app/view/TableConveniences.h"
#include "hpi/HpiArchive.h"
#include "hpi/HpiRewrite.h"
#include "table/filter/RowFilter.h"
#include "tdf/TdfEdit.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/FolderListing.h"

namespace lorvex::testkit {
namespace {

namespace fs = std::filesystem;


// The other release of BuildGame's game: alpha costs 12 there, gamma is not
// in it, epsilon is only in it; beta and delta are the same.
fs::path BuildOtherGame(const fs::path& root) {
    const fs::path other = root / "other";
    fs::create_directories(other);
    EXPECT_TRUE(WriteArchive((other / "base.hpi").string(),
                             {{"units\\a.fbi", Unit("ALPHA", "alpha", "12") + Unit("BETA", "beta", "2.5") +
                                                   Unit("EPSILON", "epsilon", "4")}}));
    EXPECT_TRUE(WriteArchive((other / "more.ufo").string(), {{"units\\c.fbi", "// delta\r\n" + Unit("DELTA", "delta", "0.5")}}));
    return other;
}

// Everything Compare Off must give back.
struct TableSnapshot {
    std::vector<std::string> headings, rows;
    std::vector<int> widths, origins;
    std::vector<std::uint8_t> kinds;
    std::string highlighted;
    int sortColumn = -1;
    bool operator==(const TableSnapshot&) const = default;
};

TableSnapshot Snap(const TableListCtrl& table) {
    TableSnapshot s;
    const TableData& data = table.Data();
    for (int c = 0; c < data.ColumnCount(); ++c) {
        s.headings.push_back(data.Column(c).heading);
        s.widths.push_back(data.ColumnWidth(c));
        s.origins.push_back(data.Column(c).origin);
    }
    for (int r = 0; r < data.RowCount(); ++r) s.rows.push_back(RowText(data, r));
    s.kinds = table.ColumnKinds();
    s.highlighted = HighlightedRows(data);
    s.sortColumn = table.SortColumn();
    return s;
}

class CompareWindow : public WindowTest {
protected:
    void SetUp() override {
        other = BuildOtherGame(game.Root());
        Open("units.cfg");
        Compare().dataLocation = QString::fromStdString((game.Root() / "data").string());
    }
    CompareCommands& Compare() { return *window->Comparison(); }
    int RowOf(const std::string& name) {
        const int column = Data().ColumnOfOrigin(0);  // Name, wherever Change pushed it
        for (int r = 0; r < Data().RowCount(); ++r)
            if (Data().Cell(r, column) == name) return r;
        return -1;
    }
    int ColumnOf(const std::string& heading) {
        for (int c = 0; c < Data().ColumnCount(); ++c)
            if (Data().Column(c).heading == heading) return c;
        return -1;
    }
    bool CompareWithOther() { return Compare().CompareWith(QString::fromStdString(other.string())); }

    fs::path other;
};

TEST_F(CompareWindow, ShowsEachRowsChangeTintsAndTellsTheOtherValue) {
    ASSERT_TRUE(CompareWithOther());
    ASSERT_EQ(Data().Column(0).heading, "Change");
    EXPECT_EQ(window->Table().ColumnKinds().size(), 5u);  // Change, Name, Cost, Located In, Line #
    EXPECT_EQ(Data().ColumnOfOrigin(0), 1) << "the load's first column is still found by its origin";
    EXPECT_EQ(Column(0), ",changed,,added,removed") << "this game's rows in load order (more.ufo first), then the other's";
    EXPECT_EQ(Column(1), "delta,alpha,beta,gamma,epsilon");
    EXPECT_NE(Status().find(",   1 changed, 1 added, 1 removed"), std::string::npos) << Status();

    const int cost = ColumnOf("Cost");
    struct Case {
        const char* name;
        int column;
        bool mark, tint, otherRow;
        const char* tip;
        const char* why;
    } cases[] = {
        {"alpha", cost, true, true, false, "Other game: 12", "a changed number"},
        {"alpha", 1, false, false, false, "", "an unchanged cell of a changed row"},
        {"beta", cost, false, false, false, "", "the same number in both games"},
        {"gamma", 0, false, true, false, "", "an added row's Change cell is tinted"},
        {"gamma", cost, false, false, false, "", "an added row has nothing to compare"},
        {"epsilon", cost, false, true, true, "Only in the other game", "the other game's row"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const int row = RowOf(c.name);
        ASSERT_GE(row, 0);
        QColor colour;
        EXPECT_EQ(Compare().MarkFor(row, c.column), c.mark);
        EXPECT_EQ(Compare().TintFor(row, c.column, &colour), c.tint);
        EXPECT_EQ(Compare().IsOtherGameRow(row), c.otherRow);
        EXPECT_EQ(Compare().TipFor(row, c.column).toStdString().substr(0, std::strlen(c.tip)), c.tip);
    }

    // A sort moves the rows: each keeps what it is.
    window->Table().SortBy(1, true);
    EXPECT_EQ(Column(1), "gamma,epsilon,delta,beta,alpha");
    EXPECT_TRUE(Compare().MarkFor(RowOf("alpha"), cost));
    EXPECT_FALSE(Compare().MarkFor(RowOf("beta"), cost));
    EXPECT_TRUE(Compare().IsOtherGameRow(RowOf("epsilon")));

    // Compare Off takes the Change column out: the arrow stays on the column sorted by.
    Compare().CompareOff();
    EXPECT_EQ(window->Table().SortColumn(), ColumnOf("Name"));
}

TEST_F(CompareWindow, ShowsChangedNumbersInTheChosenStyleAndStrikesOutTheOtherGamesRows) {
    using Style = CompareCommands::NumberStyle;
    const int costWidth = Data().ColumnWidth(ColumnOf("Cost"));
    ASSERT_TRUE(CompareWithOther());
    const int cost = ColumnOf("Cost");
    const struct {
        const char* name;
        int column;
        Style style;
        bool looked, struck;
        const char* shown;  // nullptr: the cell's own text
        const char* tip;
        const char* why;
    } cases[] = {
        {"alpha", cost, Style::Value, false, false, nullptr, "Other game: 12", "this game's value, as it is"},
        {"alpha", cost, Style::Difference, true, false, "10 (-2)", "Other game: 12, this game: 10",
         "the value and its change; the tip tells the value the cell no longer shows alone"},
        {"alpha", cost, Style::Percent, true, false, "-16.7%", "Other game: 12, this game: 10",
         "the change against the other game's value"},
        {"beta", cost, Style::Percent, false, false, nullptr, "", "an unchanged number shows itself"},
        {"alpha", 1, Style::Percent, false, false, nullptr, "", "an unchanged cell of a changed row"},
        {"gamma", cost, Style::Percent, false, false, nullptr, "", "an added row has nothing to compare"},
        {"epsilon", cost, Style::Value, true, true, nullptr, "Only in the other game", "the other game's row"},
        {"epsilon", 0, Style::Percent, true, true, nullptr, "Only in the other game", "its Change cell too"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const int row = RowOf(c.name);
        ASSERT_GE(row, 0);
        const std::string text(Data().Cell(row, c.column));
        Compare().SetNumberStyle(c.style);
        CellLook look;
        EXPECT_EQ(Compare().LookFor(row, c.column, &look), c.looked);
        EXPECT_EQ(look.struckOut, c.struck);
        EXPECT_EQ(look.shown.isNull(), c.shown == nullptr);
        EXPECT_EQ(look.shown.toStdString(), c.shown ? c.shown : "");
        EXPECT_EQ(Compare().TipFor(row, c.column).toStdString().substr(0, std::strlen(c.tip)), c.tip);
        EXPECT_EQ(Data().Cell(row, c.column), text) << "only the drawing changes";
    }
    // The filter reads the cell, not what it shows.
    const FilterParse parse = RowFilter::Parse("Cost = 10", Data());
    ASSERT_TRUE(parse.Ok()) << parse.error;
    ApplyFilter(Data(), parse.filter);
    EXPECT_EQ(Data().ShownCount(), 1);
    EXPECT_FALSE(Data().IsHidden(RowOf("alpha")));

    // A change shown beside its number widens the column fitted to the numbers while it is shown.
    constexpr int kUserWidth = 90;
    const struct {
        std::function<void()> act;
        const char* fits;  // nullptr: the width is exactly costWidth or the user's
        int width;
        const char* why;
    } steps[] = {
        {[&] { Compare().SetNumberStyle(Style::Difference); }, "10 (-2)", 0, "widened to the change"},
        {[&] { Compare().SetNumberStyle(Style::Value); }, nullptr, costWidth, "back when the change is not shown"},
        {[&] { Compare().SetNumberStyle(Style::Percent); }, "-16.7%", 0, "widened again"},
        {[&] { Compare().CompareOff(); }, nullptr, costWidth, "Compare Off gives the width back"},
        {[&] {
             EXPECT_TRUE(CompareWithOther());
             Data().SetColumnWidth(ColumnOf("Cost"), kUserWidth);
             Compare().CompareOff();
         },
         nullptr, kUserWidth, "a width the user set while comparing stays"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.why);
        step.act();
        const int width = Data().ColumnWidth(ColumnOf("Cost"));
        if (step.fits)
            EXPECT_GE(width - 2 * window->View()->CellMargin(),
                      window->View()->fontMetrics().horizontalAdvance(QString::fromLatin1(step.fits)));
        else
            EXPECT_EQ(width, step.width);
    }
}

// A tint that asks one row to be struck out and another to show another text.
class LookingTint : public CellTint {
public:
    bool TintFor(int, int, QColor*) override { return false; }
    bool LookFor(int row, int, CellLook* look) override {
        if (row == kStruck) look->struckOut = true;
        if (row == kShown) look->shown = QStringLiteral("MMM");
        return row == kStruck || row == kShown;
    }
    static constexpr int kStruck = 1, kShown = 2;
};

// The view draws what the tint asks, in the first column and the others.
TEST(CellLookDrawing, StrikesOutAndShowsTheTintsText) {
    App();
    TableListCtrl table;
    constexpr int kWidth = 80;
    FillTable(table.Data(), {"a", "b"}, {{"WWW", "WWW"}, {"WWW", "WWW"}, {"WWW", "WWW"}, {"MMM", "MMM"}}, kWidth);
    TableListView view(table);
    QPalette pal = view.palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, Qt::black);
    pal.setColor(QPalette::Disabled, QPalette::Text, Qt::red);
    view.setPalette(pal);
    view.resize(3 * kWidth, 8 * view.RowHeight());
    LookingTint tint;
    view.AddCellTint(&tint);
    const QImage image = view.viewport()->grab().toImage();
    const auto rowImage = [&](int row) { return image.copy(view.RowBoundsRect(row)); };
    // The longest run of red along one pixel line of a row's column: a strike-out
    // line runs across the text, a glyph's stroke of "WWW" does not.
    const auto longestRed = [&](int row, int column) {
        const QRect r = view.RowBoundsRect(row);
        int longest = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = column * kWidth, run = 0; x < (column + 1) * kWidth; ++x) {
                const QColor p = image.pixelColor(x, y);
                run = p.red() > p.green() + 60 && p.red() > p.blue() + 60 ? run + 1 : 0;
                longest = std::max(longest, run);
            }
        return longest;
    };
    const int textWidth = view.fontMetrics().horizontalAdvance(QStringLiteral("WWW"));
    for (int column : {0, 1}) {
        SCOPED_TRACE(column);
        EXPECT_EQ(longestRed(0, column), 0) << "a plain row keeps the text colour";
        EXPECT_GE(longestRed(LookingTint::kStruck, column), textWidth * 3 / 4) << "struck out, dimmed";
    }
    EXPECT_TRUE(rowImage(LookingTint::kShown) == rowImage(3)) << "the tint's text drawn as if the cell held it";
    EXPECT_FALSE(rowImage(LookingTint::kShown) == rowImage(0));
}
TEST_F(CompareWindow, FiltersOnTheChangeColumn) {
    ASSERT_TRUE(CompareWithOther());
    const struct {
        const char* filter;
        const char* shown;
    } cases[] = {
        {"Change = changed", "alpha"},
        {"Change = removed", "epsilon"},
        {"added", "gamma"},               // a plain word finds the Change column too
        {"Change = \"\"", "delta,beta"},  // rows that did not change
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        const FilterParse parse = RowFilter::Parse(c.filter, Data());
        ASSERT_TRUE(parse.Ok()) << parse.error;
        ApplyFilter(Data(), parse.filter);
        std::string shown;
        for (int r = Data().NextRow(-1, false, true); r >= 0; r = Data().NextRow(r, false, true))
            shown += (shown.empty() ? "" : ",") + std::string(Data().Cell(r, 1));
        EXPECT_EQ(shown, c.shown);
        Data().ShowAllRows();
    }
}

TEST_F(CompareWindow, RefusesToEditTheOtherGamesRows) {
    ASSERT_TRUE(CompareWithOther());
    int editors = 0;
    window->Edits()->runEditor = [&](CellEditorDialog&) { return ++editors, false; };
    window->Edits()->EditCell(RowOf("epsilon"), ColumnOf("Cost"));
    EXPECT_EQ(editors, 0);
    EXPECT_NE(Status().find("other game's record"), std::string::npos) << Status();
    window->Edits()->EditCell(RowOf("alpha"), ColumnOf("Cost"));
    EXPECT_EQ(editors, 1) << "this game's rows stay editable; " << Status();
}

// Rows removed while comparing hold the Change cell; once the comparison is
// off their undo would put them back a column out of place (or put the other
// game's row into this one's table): laying it over or off forgets the undo.
TEST_F(CompareWindow, UndoDoesNotCrossTheComparisonLaidOverOrTakenOff) {
    const TableSnapshot before = Snap(window->Table());
    ASSERT_TRUE(CompareWithOther());
    EditCommands& edits = *window->Edits();
    Data().SelectAll(false);
    Data().SetSelected(RowOf("epsilon"), true);  // the other game's row
    Data().SetSelected(RowOf("alpha"), true);
    window->Menu().removeHighlighted->trigger();
    ASSERT_TRUE(edits.undoAction->isEnabled());
    Compare().CompareOff();
    EXPECT_FALSE(edits.undoAction->isEnabled());
    edits.Undo();
    TableSnapshot after = Snap(window->Table());
    EXPECT_EQ(after.rows.size(), before.rows.size() - 1) << "alpha stays removed, epsilon never comes in";
    EXPECT_EQ(after.headings, before.headings);
}

TEST_F(CompareWindow, CompareOffGivesTheTableBackExactlyAndReloadsCompareAgain) {
    window->Table().MoveColumn(2, 0);  // Located In first: the user's order
    Data().SetColumnWidth(1, 77);
    Data().SetSelected(2, true);
    window->Table().SortBy(ColumnOf("Cost"), false);
    const TableSnapshot before = Snap(window->Table());
    const std::string status = Status();
    const auto otherFiles = FolderListing(other);

    ASSERT_TRUE(CompareWithOther());
    EXPECT_FALSE(Snap(window->Table()) == before);
    EXPECT_EQ(FolderListing(other), otherFiles) << "nothing is written into the other game's folder";
    EXPECT_EQ(window->Table().SortColumn(), ColumnOf("Cost")) << "the arrow moved with its column";
    Compare().CompareOff();
    const TableSnapshot after = Snap(window->Table());
    EXPECT_EQ(after.headings, before.headings);
    EXPECT_EQ(after.widths, before.widths);
    EXPECT_EQ(after.origins, before.origins);
    EXPECT_EQ(after.rows, before.rows);
    EXPECT_EQ(after.kinds, before.kinds);
    EXPECT_EQ(after.highlighted, before.highlighted);
    EXPECT_EQ(after.sortColumn, before.sortColumn);
    EXPECT_EQ(Status(), status);
    EXPECT_FALSE(Compare().changelogAction->isEnabled());

    // A reload takes the comparison out before the load and makes it again
    // after, before an open filter line applies again.
    ASSERT_TRUE(CompareWithOther());
    FilterBar* filter = window->Conveniences()->Filter();
    filter->Open();
    filter->line->setText(QStringLiteral("Change = removed"));
    filter->Apply();
    ASSERT_EQ(Data().ShownCount(), 1);
    window->Reload();
    EXPECT_EQ(Data().Column(0).heading, "Change");
    EXPECT_EQ(Data().ShownCount(), 1) << "the filter on Change holds after the reload";
    filter->Close();
    EXPECT_EQ(Data().RowCount(), 5);
    EXPECT_EQ(Data().Column(1).heading, "Located In") << "the kept layout was applied";
    EXPECT_NE(Status().find("1 removed"), std::string::npos) << Status();
}

TEST_F(CompareWindow, EscapeCancelsTheOtherGamesLoad) {
    const TableSnapshot before = Snap(window->Table());
    QTimer::singleShot(0, window.get(), [this] { QTest::keyClick(window.get(), Qt::Key_Escape); });
    EXPECT_FALSE(CompareWithOther());
    EXPECT_FALSE(Compare().Comparing());
    EXPECT_TRUE(window->isVisible()) << "Escape went to the load, not to the window";
    EXPECT_TRUE(Snap(window->Table()) == before);
    EXPECT_NE(Status().find("cancelled"), std::string::npos) << Status();
}

TEST_F(CompareWindow, MatchesRowsByAChosenColumn) {
    ASSERT_TRUE(CompareWithOther());
    Compare().MatchBy("Cost");  // alpha's cost differs: it is added and removed, not changed
    EXPECT_EQ(Compare().MatchHeading(), "Cost");
    EXPECT_NE(Status().find("0 changed, 2 added, 2 removed"), std::string::npos) << Status();
    Compare().MatchBy("No Such Column");
    EXPECT_EQ(Compare().MatchHeading(), "Cost") << "a heading the tables lack leaves the match as it was";
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_NE(Status().find("2 removed"), std::string::npos) << Status();
}

TEST_F(CompareWindow, ExportsTheChangelogOfTheShownColumns) {
    ASSERT_TRUE(CompareWithOther());
    const std::string file = (game.Root() / "log.md").string();
    QString suggested;
    Compare().askChangelogFile = [&](const QString& s) { return suggested = s, QString::fromStdString(file); };
    Data().SetColumnWidth(ColumnOf("Located In"), TableListCtrl::kCollapsedWidth);
    ASSERT_TRUE(Compare().ExportChangelog());
    EXPECT_TRUE(suggested.endsWith(QStringLiteral("units changes.md"))) << suggested.toStdString();
    EXPECT_EQ(GameFolder::Read(file),
              "## Changed\r\n\r\n- **alpha** (a.fbi): Cost 12 \xE2\x86\x92 10\r\n\r\n"
              "## Added\r\n\r\n- **gamma** (b.fbi)\r\n\r\n"
              "## Removed\r\n\r\n- **epsilon** (a.fbi)\r\n");
}

// A load asked to stop between record files ends Cancelled with no rows.
class StoppingView : public LoadView {
public:
    explicit StoppingView(int files) : files_(files) {}
    void SetProgressVisible(bool) override {}
    void SetArchiveLabel(std::string_view) override {}
    void SetFileLabel(std::string_view) override {}
    bool KeepLoading() override { return asked_++ < files_; }
    int asked_ = 0;

private:
    int files_;
};

TEST(LoadCancel, StopsBetweenRecordFiles) {
    GameFolder game;
    BuildGame();
    const struct {
        int files;
        LoadEnd end;
        int rows;
        const char* why;
    } cases[] = {
        {100, LoadEnd::Loaded, 4, "never stopped: every record"},
        {0, LoadEnd::Cancelled, 0, "stopped before the first file"},
        {2, LoadEnd::Cancelled, 0, "stopped before the last file: no half table"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        TableListCtrl table;
        StoppingView view(c.files);
        CapturedMessages messages;
        Loader loader(table, view, messages);
        EXPECT_EQ(loader.LoadRun("units.cfg"), c.end);
        EXPECT_EQ(table.Data().RowCount(), c.rows);
        EXPECT_EQ(table.Data().ColumnCount(), 4) << "the configuration's columns stay";
        EXPECT_EQ(view.asked_, std::min(c.files + 1, 3)) << "asked once per record file";
        EXPECT_TRUE(messages.texts.empty());
    }
}

TEST(CompareCommandLine, ReadsTheOtherGame) {
    const struct {
        QStringList args;
        const char* compare;
        bool error;
    } cases[] = {
        {{"lorvex", "--compare", "/g/old", "/g/new"}, "/g/old", false},
        {{"lorvex", "--compare=old"}, "old", false},
        {{"lorvex", "--compare"}, "", true},     // the folder is missing
        {{"lorvex", "--compare="}, "", true},    // an empty folder name
        {{"lorvex", "/g/new"}, "", false},       // no comparison asked
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        const game::CommandLine line = game::ParseCommandLine(c.args);
        EXPECT_EQ(line.compareWith.toStdString(), c.compare);
        EXPECT_EQ(!line.error.isEmpty(), c.error) << line.error.toStdString();
    }
}

TEST(CompareCommandLine, ComparesOnceTheFirstLoadIsIn) {
    App();
    GameFolder game;
    BuildGame();
    const fs::path other = BuildOtherGame(game.Root());
    fs::create_directories(game.Root() / "Lorvex");
    fs::copy_file("units.cfg", game.Root() / "Lorvex" / "units.cfg");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(game.Root().string()));
    const game::CommandLine line = game::ParseCommandLine(
        {"lorvex", "--config", "units.cfg", "--compare", QString::fromStdString(other.string()),
         QString::fromStdString(game.Root().string())});
    ASSERT_TRUE(line.error.isEmpty()) << line.error.toStdString();
    QSettings settings;
    MainDialog window;
    CapturedMessages messages;
    window.SetMessageSink(&messages);
    game::GameShell shell(window, settings, [](const QString& m) { ADD_FAILURE() << m.toStdString(); },
                          QString::fromStdString((game.Root() / "data").string()), {});
    shell.SetFirstConfiguration(line.config);
    window.Comparison()->dataLocation = QString::fromStdString((game.Root() / "data").string());
    window.Comparison()->CompareWhenLoaded(line.compareWith);
    ASSERT_TRUE(shell.Start(line.gameFolder));
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.Comparison()->Comparing() && !window.Loading(); }, 5000));
    EXPECT_EQ(ColumnText(window.Table().Data(), 0), ",changed,,added,removed");
    EXPECT_TRUE(messages.texts.empty());
    window.reject();
}

}  // namespace
}  // namespace lorvex::testkit

namespace lorvex::testkit {
namespace {

// The demo game compared in the window with an older release of it: the same
// archives but the fan pack, and one unit's metal cost set back.
class DemoCompareWindow : public WindowTest {
protected:
    void SetUp() override {
        other = game.Root() / "older";
        fs::create_directories(other);
        for (const auto& e : fs::directory_iterator(LORVEX_DEMO_GAME)) {
            if (!e.is_regular_file() || e.path().extension() == ".cfg") continue;
            fs::copy_file(e.path(), fs::path("..") / e.path().filename(), fs::copy_options::overwrite_existing);
            const std::string name = e.path().filename().string();
            if (name != "fanpack.ufo" && name != "broken.hpi") fs::copy_file(e.path(), other / name);
        }
        fs::copy_file(fs::path(LORVEX_DEMO_CONFIG) / "units.cfg", "demo.cfg");
        const auto archive = hpi::HpiArchive::Open(other / "rev31.gp3");
        ASSERT_TRUE(archive);
        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(archive->ExtractToMemory("units\\CNDGECKO.FBI", bytes));
        std::string text(bytes.begin(), bytes.end());
        ASSERT_EQ(TdfSetValue(text, TdfBlocks(text).at(0).line, "BuildCostMetal", "540", kTdfAnyDepth).outcome,
                  TdfEditOutcome::Replaced);
        ASSERT_TRUE(hpi::RewriteArchive(other / "rev31.gp3", {{{"units\\CNDGECKO.FBI", text}}, {}}).ok);
        fs::remove(other / "rev31.gp3.bak");
        Open("demo.cfg");
        window->Comparison()->dataLocation = QString::fromStdString((game.Root() / "data").string());
    }
    int RowOf(const std::string& id) {
        const int column = Data().ColumnOfOrigin(0);
        for (int r = 0; r < Data().RowCount(); ++r)
            if (Data().Cell(r, column) == id) return r;
        return -1;
    }
    fs::path other;
};

TEST_F(DemoCompareWindow, TheOlderReleaseShowsOneChangeAndTheFanPackAdded) {
    const TableSnapshot before = Snap(window->Table());
    const auto otherFiles = FolderListing(other);
    CompareCommands& compare = *window->Comparison();
    ASSERT_TRUE(compare.CompareWith(QString::fromStdString(other.string())));
    // Added: the fan pack's 42 units and the 4 the damaged archive still gives.
    EXPECT_NE(Status().find(",   1 changed, 46 added, 0 removed"), std::string::npos) << Status();
    const int gecko = RowOf("CNDGECKO");
    ASSERT_GE(gecko, 0);
    EXPECT_EQ(std::string(Data().Cell(gecko, 0)), "changed");
    int metal = -1;
    for (int c = 0; c < Data().ColumnCount(); ++c)
        if (Data().Column(c).heading == "Metal") metal = c;
    EXPECT_EQ(compare.TipFor(gecko, metal), "Other game: 540");
    QColor tint;
    EXPECT_TRUE(compare.TintFor(gecko, metal, &tint) && compare.MarkFor(gecko, metal));
    EXPECT_FALSE(compare.MarkFor(gecko, metal + 1)) << "Energy did not change";
    EXPECT_EQ(FolderListing(other), otherFiles) << "nothing is written into the older release's folder";
    compare.CompareOff();
    EXPECT_TRUE(Snap(window->Table()) == before);
}

}  // namespace
}  // namespace lorvex::testkit
