#pragma once
// Editing the table's values and saving them as a mod: the Edit menu (Undo,
// Redo, Edit Cell, Save Changes), "View > Changes", "Edit Cell" in the row
// menu, the tint over edited cells, and the question asked before unsaved
// changes would be lost. Row removals go through here too, so that Undo
// takes them back like edits.
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "app/edit/ChangesWindow.h"
#include "edit/EditHistory.h"
#include "edit/EditSession.h"
#include "edit/EditedCells.h"
#include "table/TableData.h"
#include "table/widget/CellTint.h"

class QAction;
class QMenu;

namespace lorvex {

class CellEditorDialog;
class TableWindow;

class EditCommands : public QObject, public TableObserver, public CellTint {
    Q_OBJECT
public:
    explicit EditCommands(TableWindow& window);
    ~EditCommands() override;

    // What the user answers when unsaved changes would be lost.
    enum class Unsaved { Save, Discard, Cancel };
    // How a save goes: into the archives the files came from, or a new one.
    enum class SaveWay { IntoArchives, NewArchive, Cancel };
    // Stand-ins for the questions and the file dialog, so that a test or a
    // script can answer them; unset, the user is asked.
    std::function<Unsaved()> askUnsaved;
    std::function<SaveWay()> askSaveWay;
    std::function<QString(const QString& folder)> askNewArchive;
    std::function<bool(CellEditorDialog&)> runEditor;  // true when accepted
    // True for a row that shows another game's record (a comparison's removed rows).
    std::function<bool(int row)> otherGameRow;

    // Before the table is replaced or the window closes: true when it may go
    // (no unsaved changes, or the user saved or discarded them).
    bool MayReplaceTable();
    // A load replaced the table: nothing is edited any more.
    void AfterLoad();
    // Removes the shown rows that are (or are not) highlighted, undoably.
    void RemoveRows(bool highlighted);

    // The commands.
    void EditFocusedCell();
    void EditCell(int row, int column);
    bool SaveChanges();
    void ShowChanges();
    void Undo();
    void Redo();
    // The table's columns or rows changed under the history (a comparison laid
    // over it or taken off): what it kept would go back in the wrong places.
    // The edits stay; only their undo and redo go.
    void ForgetUndo();

    bool HasUnsavedChanges() const { return session_.HasUnsavedChanges(); }
    const EditSession& Session() const { return session_; }
    ChangesWindow* Changes() const { return changes_; }

    QAction* undoAction = nullptr;
    QAction* redoAction = nullptr;
    QAction* editCellAction = nullptr;
    QAction* saveAction = nullptr;
    QAction* changesAction = nullptr;

    // TableObserver: rows or columns moved, so the edited cells are found again.
    void TableRowsChanged() override { cellsStale_ = true; }
    void TableColumnsChanged() override { cellsStale_ = true; }
    // CellTint: edited cells are tinted, marked, and tell their old value.
    bool TintFor(int row, int column, QColor* colour) override;
    bool MarkFor(int row, int column) override;
    QString TipFor(int row, int column) override;

private:
    // After a save: what was edited is what the archives hold.
    void Saved();
    void Refresh();
    void Say(const std::string& text);
    const EditChange* EditedAt(int row, int column);
    QString RecordName(int row) const;

    TableWindow& window_;
    EditSession session_;
    std::unique_ptr<EditHistory> history_;
    EditedCells cells_;
    bool cellsStale_ = true;
    QPointer<ChangesWindow> changes_;
};

}  // namespace lorvex
