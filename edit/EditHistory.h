#pragma once
// Undo and Redo over everything that changes the table's rows by hand: cell
// edits (with their record files' texts) and row removals, in one history.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "config/LoadState.h"
#include "edit/CellEdit.h"
#include "edit/EditSession.h"
#include "table/TableData.h"

namespace lorvex {

class EditHistory {
public:
    // Finds the record file whose rows show a "Located In" text (Loader::FindSource).
    using SourceLookup = std::function<const RecordSource*(std::string_view location)>;
    EditHistory(LoadState& state, TableData& table, EditSession& session, SourceLookup sources);

    // What the editor of a cell offers (or why there is none).
    CellEditor Describe(int row, int column);
    // Applies an answer to a cell: the record file changes and every row showing it is parsed again.
    struct Result {
        bool done = false;
        std::string problem;
    };
    Result EditCell(int row, int column, const CellAnswer& answer);
    // Why EditCell would refuse the answer ("" when it would take it), trying
    // it on the record's text without changing anything.
    std::string CheckAnswer(int row, int column, const CellAnswer& answer);
    // Takes back an entry of EditSession::Changes(); undoable like an edit.
    Result Revert(std::size_t change);
    // RemoveShownRows, remembering the rows so that Undo puts them back.
    int RemoveRows(bool highlighted);

    bool CanUndo() const { return done_ > 0; }
    bool CanRedo() const { return done_ < steps_.size(); }
    bool Undo();
    bool Redo();
    // A new load: the rows and files the history speaks of are gone.
    void Clear();

private:
    struct RemovedRow {
        int index;  // where it stood when removed; removed rows are listed top to bottom
        std::vector<std::string> cells;
        bool selected;
    };
    struct Step {
        RecordSource source;  // an edit's file; empty location for a removal
        EditSession::FileSnapshot before;
        EditSession::FileSnapshot after;
        std::vector<RemovedRow> rows;
    };
    struct RowFile {
        const RecordSource* source = nullptr;
        int blockLine = 0;
        const std::string* text = nullptr;
    };
    RowFile FileOfRow(int row);
    Result Record(const RecordSource& source, EditSession::FileSnapshot before, const EditSession::Applied& applied);
    void Push(Step step);
    void Show(const Step& step, bool forward);

    LoadState& state_;
    TableData& table_;
    EditSession& session_;
    SourceLookup sources_;
    std::vector<Step> steps_;
    std::size_t done_ = 0;  // steps_[0, done_) are done; the rest can be redone
};

}  // namespace lorvex
