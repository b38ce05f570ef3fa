#pragma once
// Comparing the table with the same configuration loaded from another game:
// "Game > Compare With Game Folder...", "Compare Off", the "Change" column,
// the tints over changed cells and the counts in the status line.
#include <QObject>
#include <string>

namespace lorvex {

class CompareHost;

class CompareCommands : public QObject {
    Q_OBJECT
public:
    explicit CompareCommands(CompareHost& window);
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

private:
    CompareHost& window_;
};

}  // namespace lorvex
