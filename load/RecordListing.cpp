#include "load/RecordListing.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "load/LoadRun.h"
#include "platform/ColumnKind.h"
#include "platform/TextFile.h"

namespace lorvex {
namespace {

constexpr std::uint8_t kLocationKind = ColumnKind::Of(Comparison::Folded).Byte();
constexpr std::uint8_t kLineKind = ColumnKind::Of(Comparison::WholeNumber).Byte();

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The first character of the line that is neither a blank nor a TAB, 0 for none.
char FirstMark(std::string_view line) {
    for (char c : line)
        if (!IsBlank(c)) return c;
    return '\0';
}

}  // namespace

std::string ListingFileName(std::string_view location) {
    std::size_t pos = location.find(':');
    if (pos == std::string_view::npos) return {};
    while (pos < location.size() && (location[pos] == ':' || location[pos] == ' ')) ++pos;
    std::string_view rest = location.substr(pos);
    const std::size_t slash = rest.rfind('\\');
    if (slash != std::string_view::npos) rest = rest.substr(slash + 1);
    return std::string(rest);
}

std::int32_t ListingLineNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) {
            value = static_cast<long long>(INT_MAX) + 1;  // a lower bound is enough: past any file's end
            break;
        }
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<std::int32_t>(value);
}

RecordListing ReadRecordListing(std::string_view pathText, std::int32_t lineNumber) {
    RecordListing listing;
    platform::TextFileReader file;
    if (!file.Open(pathText)) return listing;
    listing.opened = true;
    // A line number below 1 names no record: nothing is shown rather than
    // whatever happens to start the file.
    if (lineNumber < 1) return listing;

    char line[kListingReadBuffer];
    std::size_t length = 0;
    std::int32_t read = 0;
    bool found = false;
    while (file.ReadLine(line, sizeof line, &length)) {
        if (++read == lineNumber) {
            found = true;
            break;
        }
    }
    if (!found) return listing;

    int depth = 0;
    bool opened = false;
    do {
        const std::string_view text(line, length);
        listing.text.append(text);
        listing.text.append("\r\n");
        const char mark = FirstMark(text);
        if (mark == '{') {
            ++depth;
            opened = true;
        } else if (mark == '}') {
            --depth;
        }
        if (opened && depth < 1) break;
    } while (file.ReadLine(line, sizeof line, &length));
    return listing;
}

ListingColumns FindListingColumns(const TableListCtrl& table, int locationColumn, int row) {
    const std::vector<std::uint8_t>& kinds = table.ColumnKinds();
    const TableData& data = table.Data();
    const int count = std::min(data.ColumnCount(), static_cast<int>(kinds.size()));
    auto isLocation = [&](int c) {
        return c >= 0 && c < count && kinds[c] == kLocationKind && data.Column(c).heading == "Located In";
    };
    auto namesFile = [&](int c) {
        return !ListingFileName(data.Cell(row, c).substr(0, kListingLocationBuffer - 1)).empty();
    };

    ListingColumns found;
    for (int c = 0; c < count && found.line < 0; ++c)
        if (kinds[c] == kLineKind) found.line = c;

    // The pair as the load placed it first; then, from the right (the load
    // appends the fixed column after every configured one), any other column
    // of that kind and heading, which a column of block names may also have.
    std::vector<int> candidates;
    if (isLocation(found.line - 1)) candidates.push_back(found.line - 1);
    for (int c = count - 1; c >= 0; --c)
        if (c != found.line - 1 && isLocation(c)) candidates.push_back(c);
    for (int c : candidates) {
        if (namesFile(c)) {
            found.location = c;
            break;
        }
    }
    if (found.location < 0) found.location = candidates.empty() ? locationColumn : candidates.front();
    if (found.line < 0) found.line = found.location + 1;
    return found;
}

bool ListingRequestForRow(const TableListCtrl& table, int locationColumn, int row, ListingRequest* request) {
    const TableData& data = table.Data();
    if (row < 0 || row >= data.RowCount()) return false;
    const ListingColumns columns = FindListingColumns(table, locationColumn, row);
    const std::string_view location = data.Cell(row, columns.location).substr(0, kListingLocationBuffer - 1);
    const std::string_view line = data.Cell(row, columns.line).substr(0, kListingLineNumberBuffer - 1);
    std::string fileName = ListingFileName(location);
    if (fileName.empty()) return false;
    request->path = std::string(kScratchPrefix) + fileName;
    request->fileName = std::move(fileName);
    request->lineNumber = ListingLineNumber(line);
    return true;
}

}  // namespace lorvex
