// Comparing the window's table with another game: the other game's load (read
// only, cancellable), the Change column and the other game's rows (struck out),
// tints, tooltips and changed numbers shown in their style, the filter, the
// counts, edits refused on the other game's rows, Compare Off giving the table
// (and its sort arrow) back exactly, and the changelog.
#include <QAction>
#include <QLineEdit>
#include <filesystem>
#include <tuple>

#include "app/compare/CompareCommands.h"
#include "app/edit/CellEditorDialog.h"
#include "app/edit/EditCommands.h"
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
    EXPECT_TRUE(WriteArchive((other / "more.ufo").string(),
                             {{"units\\c.fbi", "// delta\r\n" + Unit("DELTA", "delta", "0.5")}}));
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

// A window comparing its game with another; rows and columns found wherever the comparison put them.
class ComparingWindow : public WindowTest {
protected:
    CompareCommands& Compare() { return *window->Comparison(); }
    int RowOf(const std::string& name) {
        const int column = Data().ColumnOfOrigin(0);  // the load's first column, wherever Change pushed it
        for (int r = 0; r < Data().RowCount(); ++r)
            if (Data().Cell(r, column) == name) return r;
        return -1;
    }
    int ColumnOf(const std::string& heading) {
        for (int c = 0; c < Data().ColumnCount(); ++c)
            if (Data().Column(c).heading == heading) return c;
        return -1;
    }
    void SetDataLocation() { Compare().dataLocation = QString::fromStdString((game.Root() / "data").string()); }

    fs::path other;
};

class CompareWindow : public ComparingWindow {
protected:
    void SetUp() override {
        other = BuildOtherGame(game.Root());
        Open("units.cfg");
        SetDataLocation();
    }
    bool CompareWithOther() { return Compare().CompareWith(QString::fromStdString(other.string())); }
};

// Each case runs in its number style, before and after a sort: the Cost column
// is widened to the changes it shows and fitted back when it shows none.
TEST_F(CompareWindow, ShowsEachRowsChangeTintsTipsAndNumbersInTheChosenStyleWhereverASortMovesIt) {
    const int costWidth = Data().ColumnWidth(ColumnOf("Cost"));
    ASSERT_TRUE(CompareWithOther());
    ASSERT_EQ(Data().Column(0).heading, "Change");
    EXPECT_EQ(window->Table().ColumnKinds().size(), 5u);  // Change, Name, Cost, Located In, Line #
    EXPECT_EQ(Data().ColumnOfOrigin(0), 1) << "the load's first column is still found by its origin";
    EXPECT_EQ(Column(0), ",changed,,added,removed")
        << "this game's rows in load order (more.ufo first), then the other's";
    EXPECT_EQ(Column(1), "delta,alpha,beta,gamma,epsilon");
    EXPECT_EQ(RowText(Data(), 4), "removed,epsilon,4,base.hpi  ::  a.fbi,11")
        << "the other game's row, to its last cell";
    EXPECT_NE(Status().find(",   1 changed, 1 added, 1 removed"), std::string::npos) << Status();

    using Style = CompareCommands::NumberStyle;
    const int cost = ColumnOf("Cost");
    const struct {
        const char* name;
        int column;
        Style style;
        bool mark, tint, otherRow, struck;
        const char* shown;  // nullptr: the cell's own text
        const char* tip;    // how the tip starts
        const char* why;
    } cases[] = {
        {"alpha", cost, Style::Value, true, true, false, false, nullptr, "Other game: 12",
         "a changed number, this game's value as it is"},
        {"alpha", cost, Style::Difference, true, true, false, false, "10 (-2)", "Other game: 12, this game: 10",
         "the value and its change; the tip tells the value the cell no longer shows alone"},
        {"alpha", cost, Style::Percent, true, true, false, false, "-16.7%", "Other game: 12, this game: 10",
         "the change against the other game's value"},
        {"alpha", 1, Style::Percent, false, false, false, false, nullptr, "", "an unchanged cell of a changed row"},
        {"beta", cost, Style::Percent, false, false, false, false, nullptr, "", "the same number in both games"},
        {"gamma", 0, Style::Value, false, true, false, false, nullptr, "", "an added row's Change cell is tinted"},
        {"gamma", cost, Style::Percent, false, false, false, false, nullptr, "", "an added row has nothing to compare"},
        {"epsilon", 0, Style::Percent, false, true, true, true, nullptr, "Only in the other game",
         "the other game's row, its Change cell"},
        {"epsilon", cost, Style::Value, false, true, true, true, nullptr, "Only in the other game",
         "and its number; in Value, as the first case: after the sort no width change tells of moved rows"},
    };
    const auto advance = [&](const char* text) {
        return window->View()->fontMetrics().horizontalAdvance(QString::fromLatin1(text));
    };
    for (const bool sorted : {false, true}) {
        if (sorted) {
            window->Table().SortBy(1, true);  // the rows move: each keeps what it is
            EXPECT_EQ(Column(1), "gamma,epsilon,delta,beta,alpha");
        }
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.why) + (sorted ? ", sorted" : ""));
            const int row = RowOf(c.name);
            ASSERT_GE(row, 0);
            const std::string text(Data().Cell(row, c.column));
            Compare().SetNumberStyle(c.style);
            QColor colour;
            CellLook look;
            EXPECT_EQ(Compare().MarkFor(row, c.column), c.mark);
            EXPECT_EQ(Compare().TintFor(row, c.column, &colour), c.tint);
            EXPECT_EQ(Compare().IsOtherGameRow(row), c.otherRow);
            EXPECT_EQ(Compare().LookFor(row, c.column, &look), c.struck || c.shown);
            EXPECT_EQ(look.struckOut, c.struck);
            EXPECT_EQ(look.shown.isNull(), c.shown == nullptr);
            EXPECT_EQ(look.shown.toStdString(), c.shown ? c.shown : "");
            const std::string tip = Compare().TipFor(row, c.column).toStdString();
            EXPECT_TRUE(tip.starts_with(c.tip) && tip.empty() == !*c.tip) << tip;
            EXPECT_EQ(Data().Cell(row, c.column), text) << "only the drawing changes";
            const int width = Data().ColumnWidth(cost);
            if (c.style == Style::Value)
                EXPECT_EQ(width, costWidth);
            else
                EXPECT_GE(width - 2 * window->View()->CellMargin(),
                          advance(c.style == Style::Difference ? "10 (-2)" : "-16.7%"));
        }
    }
    Compare().CompareOff();
    EXPECT_EQ(window->Table().SortColumn(), ColumnOf("Name")) << "the arrow stays on the column sorted by";
    EXPECT_EQ(Data().ColumnWidth(ColumnOf("Cost")), costWidth) << "Compare Off gives the width back";
    ASSERT_TRUE(CompareWithOther());  // in percent: widened at once
    Data().SetColumnWidth(ColumnOf("Cost"), 90);
    Compare().CompareOff();
    EXPECT_EQ(Data().ColumnWidth(ColumnOf("Cost")), 90) << "a width the user set while comparing stays";
}

TEST_F(CompareWindow, FiltersOnTheChangeColumnAndTheCellsNotWhatTheyShow) {
    ASSERT_TRUE(CompareWithOther());
    Compare().SetNumberStyle(CompareCommands::NumberStyle::Difference);  // alpha's cost shows "10 (-2)"
    const std::pair<const char*, const char*> cases[] = {
        // filter, the names it shows
        {"Change = changed", "alpha"},
        {"Change = removed", "epsilon"},
        {"added", "gamma"},               // a plain word finds the Change column too
        {"Change = \"\"", "delta,beta"},  // rows that did not change
        {"Cost = 10", "alpha"},           // the filter reads the cell, not what it shows
    };
    for (const auto& [filter, names] : cases) {
        SCOPED_TRACE(filter);
        const FilterParse parse = RowFilter::Parse(filter, Data());
        ASSERT_TRUE(parse.Ok()) << parse.error;
        ApplyFilter(Data(), parse.filter);
        std::string shown;
        for (int r = Data().NextRow(-1, false, true); r >= 0; r = Data().NextRow(r, false, true))
            shown += (shown.empty() ? "" : ",") + std::string(Data().Cell(r, 1));
        EXPECT_EQ(shown, names);
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
    const TableSnapshot after = Snap(window->Table());
    EXPECT_EQ(after.rows.size(), before.rows.size() - 1) << "alpha stays removed, epsilon never comes in";
    EXPECT_EQ(after.headings, before.headings);
}

// Escape on the other game's load and Compare Off both leave the table as it was;
// a reload takes the comparison out before the load and makes it again after.
TEST_F(CompareWindow, EscapeOrCompareOffGivesTheTableBackExactlyAndAReloadComparesAgain) {
    window->Table().MoveColumn(2, 0);  // Located In first: the user's order
    Data().SetColumnWidth(1, 77);
    Data().SetSelected(2, true);
    window->Table().SortBy(ColumnOf("Cost"), false);
    const TableSnapshot before = Snap(window->Table());
    const std::string status = Status();
    const auto otherFiles = FolderListing(other);
    QTimer::singleShot(0, window.get(), [this] { QTest::keyClick(window.get(), Qt::Key_Escape); });
    EXPECT_FALSE(CompareWithOther());
    EXPECT_FALSE(Compare().Comparing());
    EXPECT_TRUE(window->isVisible()) << "Escape went to the load, not to the window";
    EXPECT_TRUE(Snap(window->Table()) == before);
    EXPECT_NE(Status().find("cancelled"), std::string::npos) << Status();

    ASSERT_TRUE(CompareWithOther());
    EXPECT_FALSE(Snap(window->Table()) == before);
    EXPECT_EQ(FolderListing(other), otherFiles) << "nothing is written into the other game's folder";
    EXPECT_EQ(window->Table().SortColumn(), ColumnOf("Cost")) << "the arrow moved with its column";
    Compare().CompareOff();
    EXPECT_TRUE(Snap(window->Table()) == before) << "headings, widths, origins, rows, kinds, highlights, sort";
    EXPECT_EQ(Status(), status);
    EXPECT_FALSE(Compare().changelogAction->isEnabled());

    // The comparison is made again before an open filter line applies again.
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

// The demo game compared in the window with an older release of it: the same
// archives but the fan pack, and one unit's metal cost set back.
class DemoCompareWindow : public ComparingWindow {
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
        SetDataLocation();
    }
};

TEST_F(DemoCompareWindow, TheOlderReleaseShowsOneChangeAndTheFanPackAdded) {
    const TableSnapshot before = Snap(window->Table());
    const auto otherFiles = FolderListing(other);
    ASSERT_TRUE(Compare().CompareWith(QString::fromStdString(other.string())));
    // Added: the fan pack's 42 units and the 4 the damaged archive still gives.
    EXPECT_NE(Status().find(",   1 changed, 46 added, 0 removed"), std::string::npos) << Status();
    const int gecko = RowOf("CNDGECKO"), metal = ColumnOf("Metal");
    ASSERT_GE(gecko, 0);
    EXPECT_EQ(std::string(Data().Cell(gecko, 0)), "changed");
    EXPECT_EQ(Compare().TipFor(gecko, metal), "Other game: 540");
    QColor tint;
    EXPECT_TRUE(Compare().TintFor(gecko, metal, &tint) && Compare().MarkFor(gecko, metal));
    EXPECT_FALSE(Compare().MarkFor(gecko, metal + 1)) << "Energy did not change";
    EXPECT_EQ(FolderListing(other), otherFiles) << "nothing is written into the older release's folder";
    Compare().CompareOff();
    EXPECT_TRUE(Snap(window->Table()) == before);
}

}  // namespace
}  // namespace lorvex::testkit
