#include "edit/EditedCells.h"

#include <string_view>

#include "edit/CellEdit.h"
#include "edit/RecordPlace.h"
#include "platform/AsciiText.h"

namespace lorvex {
namespace {

std::uint64_t CellKey(int row, int column) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(row)) << 32) | static_cast<std::uint32_t>(column);
}

std::string RecordKey(std::string_view location, int line) {
    std::string key(location);
    key += '\n';
    key += std::to_string(line);
    return key;
}

}  // namespace

void EditedCells::Clear() {
    changes_.clear();
    cells_.clear();
}

void EditedCells::Update(const LoadState& state, const TableData& table, const std::vector<EditChange>& changes) {
    Clear();
    if (changes.empty()) return;  // nothing edited costs nothing, however large the table
    changes_ = changes;
    // Which changes each record holds, and which load columns read each folded key.
    std::unordered_map<std::string, std::vector<std::size_t>> byRecord;
    for (std::size_t i = 0; i < changes_.size(); ++i)
        byRecord[RecordKey(changes_[i].location, changes_[i].blockLine)].push_back(i);
    std::unordered_map<std::string, std::vector<int>> columnsOfKey;
    for (int c = 0; c < table.ColumnCount(); ++c)
        for (const std::string& key : KeysOfColumn(state, table.Column(c).origin))
            columnsOfKey[platform::FoldedAscii(key)].push_back(c);

    const RecordColumns place = RecordColumnsOf(state, table);
    if (!place.Found()) return;
    for (int r = 0; r < table.RowCount(); ++r) {
        const auto found = byRecord.find(RecordKey(table.Cell(r, place.location), BlockLineOf(table, place, r)));
        if (found == byRecord.end()) continue;
        for (std::size_t i : found->second) {
            const auto columns = columnsOfKey.find(platform::FoldedAscii(changes_[i].key));
            if (columns == columnsOfKey.end()) continue;
            for (int c : columns->second) cells_[CellKey(r, c)] = i;
        }
    }
}

const EditChange* EditedCells::At(int row, int column) const {
    if (cells_.empty()) return nullptr;
    const auto found = cells_.find(CellKey(row, column));
    return found == cells_.end() ? nullptr : &changes_[found->second];
}

}  // namespace lorvex
