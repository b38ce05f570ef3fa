#include "table/ColumnLayout.h"

#include <charconv>
#include <cstdio>

#include "platform/AsciiText.h"

namespace lorvex {

ColumnLayout CaptureLayout(const TableData& table) {
    ColumnLayout layout;
    for (int c = 0; c < table.ColumnCount(); ++c)
        layout.columns.push_back({table.Column(c).heading, table.ColumnWidth(c)});
    return layout;
}

void ApplyLayout(TableListCtrl& table, const ColumnLayout& layout) {
    TableData& data = table.Data();
    NotifyHold hold(data);
    int place = 0;
    for (const ColumnLayoutEntry& entry : layout.columns) {
        // Earlier occurrences of the heading already stand before place.
        int found = -1;
        for (int c = place; c < data.ColumnCount() && found < 0; ++c)
            if (data.Column(c).heading == entry.heading) found = c;
        if (found < 0) continue;
        if (found != place) table.MoveColumn(found, place);
        data.SetColumnWidth(place, entry.width);
        ++place;
    }
}

std::string EncodeLayout(const ColumnLayout& layout) {
    std::string out;
    for (const ColumnLayoutEntry& e : layout.columns) {
        out += std::to_string(e.width);
        out += '\t';
        for (char c : e.heading) out += c == '\n' ? ' ' : c;
        out += '\n';
    }
    return out;
}

bool DecodeLayout(std::string_view text, ColumnLayout* layout) {
    ColumnLayout read;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) return false;
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos || tab == 0) return false;
        int width = 0;
        const auto [ptr, ec] = std::from_chars(line.data(), line.data() + tab, width);
        if (ec != std::errc() || ptr != line.data() + tab || width < 0 || width > 100000) return false;
        read.columns.push_back({std::string(line.substr(tab + 1)), width});
    }
    *layout = std::move(read);
    return true;
}

std::string LayoutKey(std::string_view configName, const TableData& table) {
    // FNV-1a over the folded name and the headings, each closed by a zero byte.
    std::uint64_t h = 14695981039346656037ull;
    auto add = [&h](unsigned char c) {
        h ^= c;
        h *= 1099511628211ull;
    };
    for (char c : configName) add(static_cast<unsigned char>(platform::FoldAscii(c)));
    add(0);
    for (int c = 0; c < table.ColumnCount(); ++c) {
        for (char ch : table.Column(c).heading) add(static_cast<unsigned char>(ch));
        add(0);
    }
    char buffer[17];
    std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(h));
    return buffer;
}

}  // namespace lorvex
