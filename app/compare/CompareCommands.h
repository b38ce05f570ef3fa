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

    // A load replaced the table: a comparison on is made again against the new rows.
    void AfterLoad();
    // What the status line adds while a comparison is on (",   N changed, N added, N removed"), else "".
    std::string StatusSuffix() const;

private:
    CompareHost& window_;
};

}  // namespace lorvex
