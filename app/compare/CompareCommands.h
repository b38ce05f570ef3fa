#pragma once
// Comparing the table with the same configuration loaded from another game:
// "Game > Compare With Game Folder...", "Match Rows By", "Export Changelog...",
// "Compare Off", "View > Compared Numbers", the "Change" column, the tints
// over changed cells, the other game's rows struck out and the counts in the
// status line. The other game's table is loaded once, read only, and kept;
// every load of this game is compared with it again.
//
// The jobs live apart: CompareCommands.cpp the commands and menus,
// OtherGameLoad.cpp the other game's load, CompareOverlay.cpp laying the
// comparison over the table and taking it off, ChangelogExport.cpp the changelog.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "compare/TableDiff.h"
#include "table/TableData.h"
#include "table/widget/CellTint.h"

class QAction;
class QMenu;

namespace lorvex {

class TableWindow;
class TableListCtrl;

class CompareCommands : public QObject, public TableObserver, public CellTint {
    Q_OBJECT
public:
    explicit CompareCommands(TableWindow& window);
    ~CompareCommands() override;

    // Before a load may replace the table, or the window ends: the table goes
    // back to this game's rows and columns (the layout kept must not hold "Change").
    void BeforeLoad();
    // A row that shows the other game's record (removed in this one): never edited.
    bool IsOtherGameRow(int row) const;
    // After every load, whether it replaced the table or not: a comparison
    // that is on is made again against the rows the table now holds.
    void AfterLoad(bool replaced);
    // What the status line adds while a comparison is on (",   N changed, N added, N removed"), else "".
    std::string StatusSuffix() const;

    // What a changed number's cell shows: this game's value, "150 (+30)" or "+25%".
    enum class NumberStyle { Value, Difference, Percent };

    // Stand-ins for the folder and file dialogs, so that a test or a script can
    // answer them (an empty answer cancels), and the folder under which the
    // other games' scratch copies go (empty: the user's data location).
    std::function<QString()> askOtherGame;
    std::function<QString(const QString& suggested)> askChangelogFile;
    QString dataLocation;
    // Told when the comparison's column and rows are laid over the table or
    // taken off: rows kept by hand since (an undo's) no longer fit the table.
    std::function<void()> overlayChanged;

    // The commands. CompareWith loads the loaded configuration from folder;
    // false (the comparison before still on) when it cannot or was cancelled.
    bool CompareWith(const QString& folder);
    void CompareOff();
    bool ExportChangelog();
    // Rows are the same record when this column's texts agree; "" for record file and block.
    void MatchBy(const std::string& heading);
    void SetNumberStyle(NumberStyle style);
    // The command line's --compare: the other game is loaded as soon as a load fills the table.
    void CompareWhenLoaded(const QString& folder) { pendingFolder_ = folder; }

    // On from a successful Compare With until Compare Off (also while a load runs).
    bool Comparing() const { return other_ != nullptr; }
    const TableComparison& Comparison() const { return diff_; }
    const std::string& MatchHeading() const { return options_.matchHeading; }

    QAction* compareAction = nullptr;
    QAction* compareOffAction = nullptr;
    QAction* changelogAction = nullptr;
    QMenu* matchMenu = nullptr;
    QMenu* numbersMenu = nullptr;

    // TableObserver: rows moved or went, so each row is found again by its record.
    void TableRowsChanged() override { rowsStale_ = true; }
    void TableColumnsChanged() override { rowsStale_ = true; }
    // CellTint: changed cells and the other game's rows are tinted; a changed
    // cell is marked, tells the other game's value and shows its change in
    // the number style; the other game's rows are struck out.
    bool TintFor(int row, int column, QColor* colour) override;
    bool MarkFor(int row, int column) override;
    QString TipFor(int row, int column) override;
    bool LookFor(int row, int column, CellLook* look) override;

private:
    // The Change column's origin: no load inserts a column at a negative
    // place, so it is never taken for the load's column it pushed aside.
    static constexpr int kChangeOrigin = -2;

    // The table with the Change column first and the other game's rows after
    // this game's; false (error set, nothing changed) when the rows cannot be matched.
    bool Decorate(std::string* error);
    // Takes the Change column and the other game's rows out again.
    void Strip();
    // A number shown with its change is wider than the column fitted to the
    // numbers: such columns widen to it, and go back to their width when the
    // changes are no longer shown (unless the user has set another since).
    void FitShownChanges();
    void UnfitShownChanges();
    // What a changed cell shows in the number style; mine itself when not two numbers.
    std::string ShownChange(int identity, int place, std::string_view mine) const;
    void CompareAgain(bool replaced);
    void Refresh();
    void Say(const std::string& text);
    void FillMatchMenu();
    // What row of the table is now: a row of this game's table as compared
    // (>= 0), a removed row (kRemovedBase - index), or kUnknownRow.
    int RowIdentity(int row) const;
    // The comparison's column of this table's column, -1 for none (Change).
    int ComparedPlace(int column) const;

    TableWindow& window_;
    std::unique_ptr<TableListCtrl> other_;
    int otherHeaderText_ = -1;
    std::string otherConfig_;
    QString otherGame_;
    QString pendingFolder_;
    MatchOptions options_;
    NumberStyle numberStyle_ = NumberStyle::Value;
    TableComparison diff_;
    bool decorated_ = false;
    bool loadingOther_ = false;
    // Taken when the table was compared: where each load column stood, which
    // columns say where a record sits, and each row's record (location, line,
    // occurrence) with the row it was.
    std::unordered_map<int, int> placeOfOrigin_;
    int locationOrigin_ = -1;
    int lineOrigin_ = -1;
    std::unordered_map<std::string, int> rowOfRecord_;
    mutable std::vector<int> identity_;
    mutable bool rowsStale_ = true;
    struct Widened {
        int before, set;
    };
    std::unordered_map<int, Widened> widened_;  // by the column's origin
};

}  // namespace lorvex
