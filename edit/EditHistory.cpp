#include "edit/EditHistory.h"

#include "edit/RecordPlace.h"
#include "edit/RowReparse.h"
#include "table/RowRemoval.h"

namespace lorvex {
namespace {

constexpr const char* kNoRecordFile = "The row's record file is not known to this load.";

}  // namespace

EditHistory::EditHistory(LoadState& state, TableData& table, EditSession& session, SourceLookup sources)
    : state_(state), table_(table), session_(session), sources_(std::move(sources)) {}

EditHistory::RowFile EditHistory::FileOfRow(int row) {
    RowFile file;
    if (row < 0 || row >= table_.RowCount()) return file;
    const RecordColumns place = RecordColumnsOf(state_, table_);
    file.source = sources_ ? sources_(table_.Cell(row, place.location)) : nullptr;
    if (!file.source) return file;
    file.blockLine = BlockLineOf(table_, place, row);
    file.text = session_.TextOf(*file.source);
    return file;
}

CellEditor EditHistory::Describe(int row, int column) {
    const RowFile file = FileOfRow(row);
    CellEditor editor = DescribeCellEdit(state_, column, file.text ? *file.text : "", file.blockLine);
    if (editor.kind != CellEditKind::NotEditable && !file.text) {
        editor = CellEditor{};
        editor.reason = kNoRecordFile;
    }
    return editor;
}

EditHistory::Result EditHistory::EditCell(int row, int column, const CellAnswer& answer) {
    const RowFile file = FileOfRow(row);
    if (!file.text) return {false, kNoRecordFile};
    const CellWrites writes = WritesForAnswer(state_, column, answer, *file.text, file.blockLine);
    if (!writes.problem.empty()) return {false, writes.problem};
    if (writes.writes.empty()) return {true, {}};
    const RecordSource source = *file.source;
    EditSession::FileSnapshot before = session_.Snapshot(source.location);
    return Record(source, std::move(before), session_.Apply(source, file.blockLine, writes.writes));
}

std::string EditHistory::CheckAnswer(int row, int column, const CellAnswer& answer) {
    const RowFile file = FileOfRow(row);
    if (!file.text) return kNoRecordFile;
    return WritesForAnswer(state_, column, answer, *file.text, file.blockLine).problem;
}

EditHistory::Result EditHistory::Revert(std::size_t change) {
    const std::vector<EditChange> changes = session_.Changes();
    if (change >= changes.size()) return {false, "There is no such change."};
    const RecordSource* source = sources_ ? sources_(changes[change].location) : nullptr;
    if (!source) return {false, kNoRecordFile};
    const RecordSource copy = *source;
    EditSession::FileSnapshot before = session_.Snapshot(copy.location);
    return Record(copy, std::move(before), session_.Revert(change));
}

EditHistory::Result EditHistory::Record(const RecordSource& source, EditSession::FileSnapshot before,
                                        const EditSession::Applied& applied) {
    if (!applied.ok) return {false, applied.problem};
    Step step;
    step.source = source;
    step.before = std::move(before);
    step.after = session_.Snapshot(source.location);
    ReparseRows(state_, table_, source, step.before.text, step.after.text);
    Push(std::move(step));
    return {true, {}};
}

int EditHistory::RemoveRows(bool highlighted) {
    Step step;
    const int columns = table_.ColumnCount();
    for (int row = 0; row < table_.RowCount(); ++row) {
        if (table_.IsSelected(row) != highlighted || table_.IsHidden(row)) continue;
        RemovedRow removed{row, {}, table_.IsSelected(row)};
        for (int c = 0; c < columns; ++c) removed.cells.emplace_back(table_.Cell(row, c));
        step.rows.push_back(std::move(removed));
    }
    const int count = RemoveShownRows(table_, highlighted);
    if (count > 0) Push(std::move(step));
    return count;
}

void EditHistory::Push(Step step) {
    steps_.resize(done_);
    steps_.push_back(std::move(step));
    ++done_;
}

void EditHistory::Show(const Step& step, bool forward) {
    NotifyHold hold(table_);
    if (step.source.location.empty()) {
        if (forward) {
            for (auto it = step.rows.rbegin(); it != step.rows.rend(); ++it) table_.DeleteRow(it->index);
            return;
        }
        for (const RemovedRow& removed : step.rows) {
            const int row = table_.InsertRow(removed.index, removed.cells.empty() ? "" : removed.cells[0]);
            for (std::size_t c = 1; c < removed.cells.size(); ++c)
                table_.SetCell(row, static_cast<int>(c), removed.cells[c]);
            table_.SetSelected(row, removed.selected);
        }
        return;
    }
    const EditSession::FileSnapshot& from = forward ? step.before : step.after;
    const EditSession::FileSnapshot& to = forward ? step.after : step.before;
    session_.Restore(to);
    ReparseRows(state_, table_, step.source, from.text, to.text);
}

bool EditHistory::Undo() {
    if (!CanUndo()) return false;
    Show(steps_[--done_], false);
    return true;
}

bool EditHistory::Redo() {
    if (!CanRedo()) return false;
    Show(steps_[done_++], true);
    return true;
}

void EditHistory::Clear() {
    steps_.clear();
    done_ = 0;
}

}  // namespace lorvex
