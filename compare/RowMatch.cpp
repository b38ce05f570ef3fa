#include "compare/RowMatch.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <functional>
#include <string_view>
#include <tuple>
#include <unordered_map>

#include "platform/AsciiText.h"

namespace lorvex {

namespace {

constexpr std::string_view kLocationSeparator = "  ::  ";

int FindHeading(const TableData& data, std::string_view heading) {
    for (int c = 0; c < data.ColumnCount(); ++c)
        if (platform::EqualsFolded(data.Column(c).heading, heading)) return c;
    return -1;
}

// Folded texts of both tables as numbers, so that keys compare as integers.
class Names {
public:
    int Of(std::string_view folded) {
        if (const auto at = ids_.find(folded); at != ids_.end()) return at->second;
        const int id = static_cast<int>(ids_.size());
        ids_.emplace(std::string(folded), id);
        return id;
    }

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };
    std::unordered_map<std::string, int, Hash, std::equal_to<>> ids_;
};

// A column's cells as names: each distinct cell of the table is folded once.
class CellNames {
public:
    CellNames(Names& names, const TableData& data, int column, bool recordFile)
        : names_(names), data_(data), column_(column), recordFile_(recordFile) {
        if (column >= 0) byCell_.assign(data.Pool().Count(), kUnknown);
    }
    int At(int row) {
        if (column_ < 0) return -1;
        const StringPool::Id id = data_.CellId(row, column_);
        if (id >= byCell_.size()) byCell_.resize(id + 1, kUnknown);
        int& name = byCell_[id];
        if (name == kUnknown) {
            const std::string_view text = data_.Cell(row, column_);
            folded_.assign(recordFile_ ? RecordFileOf(text) : text);
            platform::FoldAsciiInPlace(folded_);
            name = names_.Of(folded_);
        }
        return name;
    }

private:
    static constexpr int kUnknown = -2;
    Names& names_;
    const TableData& data_;
    int column_;
    bool recordFile_;
    std::vector<int> byCell_;
    std::string folded_;
};

// A row's key: its file (-1 when a match column names records across files),
// its block name or match text, and how many rows with the same two come before it.
struct RowKey {
    int file = -1, name = -1, before = 0, row = 0;
    auto Rank() const { return std::tie(file, name, before); }
};

long LineOf(const TableData& data, int column, int row) {
    if (column < 0) return 0;
    const std::string_view text = data.Cell(row, column);
    long line = 0;
    std::from_chars(text.data(), text.data() + text.size(), line);
    return line;
}

// The keys of every row of side, sorted by key: rows pair by walking both lists.
std::vector<RowKey> SortedKeys(const CompareSide& side, int matchColumn, Names& names) {
    const TableData& data = *side.data;
    const auto rows = static_cast<std::size_t>(data.RowCount());
    CellNames files(names, data, side.locationColumn, true);
    CellNames parts(names, data, matchColumn >= 0 ? matchColumn : side.blockColumn, false);
    std::vector<RowKey> keys(rows);
    std::vector<long> lines(rows);
    for (std::size_t r = 0; r < rows; ++r) {
        const int row = static_cast<int>(r);
        keys[r] = {files.At(row), parts.At(row), 0, row};
        lines[r] = LineOf(data, side.lineColumn, row);
    }
    // Order of appearance whatever the view's sort: by file, then by line
    // (file ids are shared by both tables, so both order files alike).
    const bool byText = matchColumn >= 0;
    std::sort(keys.begin(), keys.end(), [&](const RowKey& a, const RowKey& b) {
        const int first[2] = {byText ? a.name : a.file, byText ? b.name : b.file};
        const int second[2] = {byText ? a.file : a.name, byText ? b.file : b.name};
        return std::tie(first[0], second[0], lines[a.row], a.row) < std::tie(first[1], second[1], lines[b.row], b.row);
    });
    for (std::size_t i = 0; i < rows; ++i) {
        if (byText) keys[i].file = -1;
        if (i > 0 && keys[i].file == keys[i - 1].file && keys[i].name == keys[i - 1].name)
            keys[i].before = keys[i - 1].before + 1;
    }
    return keys;
}

}  // namespace

CompareSide SideOf(const TableListCtrl& table, int headerTextColumn) {
    CompareSide side;
    side.data = &table.Data();
    side.locationColumn = FindHeading(table.Data(), "Located In");
    side.lineColumn = FindHeading(table.Data(), "Line #");
    side.blockColumn = headerTextColumn < table.ColumnCount() ? headerTextColumn : -1;
    return side;
}

std::string_view RecordFileOf(std::string_view location) {
    const std::size_t at = location.find(kLocationSeparator);
    return at == std::string_view::npos ? location : location.substr(at + kLocationSeparator.size());
}

bool MatchRows(const CompareSide& mine, const CompareSide& other, const MatchOptions& options, RowMatch& match,
               std::string* error) {
    int matchColumns[2] = {-1, -1};
    if (!options.matchHeading.empty()) {
        // An empty table still has to name the match column.
        matchColumns[0] = FindHeading(*mine.data, options.matchHeading);
        matchColumns[1] = FindHeading(*other.data, options.matchHeading);
        if (matchColumns[0] < 0 || matchColumns[1] < 0) {
            if (error) *error = "no column \"" + options.matchHeading + "\" to match rows by";
            return false;
        }
    }
    Names names;
    const std::vector<RowKey> a = SortedKeys(mine, matchColumns[0], names);
    const std::vector<RowKey> b = SortedKeys(other, matchColumns[1], names);
    match.otherOfMine.assign(a.size(), -1);
    match.mineOfOther.assign(b.size(), -1);
    for (std::size_t i = 0, j = 0; i < a.size() && j < b.size();) {
        if (a[i].Rank() < b[j].Rank()) {
            ++i;
        } else if (b[j].Rank() < a[i].Rank()) {
            ++j;
        } else {
            match.otherOfMine[a[i].row] = b[j].row;
            match.mineOfOther[b[j].row] = a[i].row;
            ++i, ++j;
        }
    }
    return true;
}

}  // namespace lorvex
