#include "export/ExportWriter.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/AsciiText.h"
#include "platform/FileSystem.h"
#include "platform/SaveFile.h"
#include "table/CopyText.h"

namespace lorvex {

std::vector<int> ExportedColumns(const TableListCtrl& table, const ExportSettings& settings) {
    const TableData& data = table.Data();
    const int columns = table.ColumnCount();
    std::vector<int> included;
    if (!settings.columns.empty()) {
        for (int c : settings.columns)
            if (c >= 0 && c < columns) included.push_back(c);
        return included;
    }
    // Decided once per column, for every column the table has, so that the
    // heading line and every row leave out the same columns.
    included.reserve(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c)
        if (settings.includeCollapsed || data.ColumnWidth(c) > TableListCtrl::kCollapsedLimit) included.push_back(c);
    return included;
}

int FindColumnByHeading(const TableListCtrl& table, std::string_view text) {
    for (int c = 0; c < table.ColumnCount(); ++c)
        if (platform::EqualsFolded(table.ColumnHeading(c), text)) return c;
    return -1;
}

void ForEachExportPiece(const TableListCtrl& table, const ExportSettings& settings,
                        const std::function<void(std::string_view)>& sink) {
    const TableData& data = table.Data();
    const std::vector<int> included = ExportedColumns(table, settings);

    if (settings.format != ExportFormat::Delimited) {
        std::vector<std::string> headings;
        for (int c : included) headings.push_back(table.ColumnHeading(c));
        std::vector<int> rows;
        for (int row = data.NextRow(-1, settings.onlyHighlighted, true); row >= 0;
             row = data.NextRow(row, settings.onlyHighlighted, true))
            rows.push_back(row);
        TableSlice slice;
        slice.headings.assign(headings.begin(), headings.end());
        slice.rowCount = rows.size();
        slice.cell = [&](std::size_t r, std::size_t c) { return data.Cell(rows[r], included[c]); };
        WriteFormatted(settings.format, slice, sink, {.csvFormulas = settings.csvFormulas});
        return;
    }

    // Only the texts that come from the table are escaped: the header,
    // delimiters and trailer are the HTML that holds them.
    const auto appendText = [&](std::string& out, std::string_view text) {
        if (settings.escapeHtmlCells) {
            AppendEscapedHtml(out, text);
        } else {
            out += text;
        }
    };

    if (!settings.header.empty()) sink(settings.header);

    std::string piece;
    for (std::size_t i = 0; i < included.size(); ++i) {
        if (i) piece += settings.columnDelimiter;
        appendText(piece, table.ColumnHeading(included[i]));
    }
    if (!piece.empty()) sink(piece);

    // Rows a filter hides are not exported.
    for (int row = data.NextRow(-1, settings.onlyHighlighted, true); row >= 0;
         row = data.NextRow(row, settings.onlyHighlighted, true)) {
        piece = settings.rowDelimiter;
        for (std::size_t i = 0; i < included.size(); ++i) {
            if (i) piece += settings.columnDelimiter;
            appendText(piece, data.Cell(row, included[i]));
        }
        if (!piece.empty()) sink(piece);
    }

    if (!settings.trailer.empty()) sink(settings.trailer);
}

bool WritePiecesTo(std::FILE* out, const std::function<void(const PieceSink&)>& make) {
    bool ok = true;
    make([&](std::string_view piece) { ok = ok && std::fwrite(piece.data(), 1, piece.size(), out) == piece.size(); });
    return std::fflush(out) == 0 && ok && !std::ferror(out);
}

bool WriteExportTo(const TableListCtrl& table, const ExportSettings& settings, std::FILE* out) {
    const bool text = settings.format == ExportFormat::Delimited;
    bool ok = true;
    ForEachExportPiece(table, settings, [&](std::string_view piece) {
        if (!ok) return;
        std::size_t start = 0;
        while (ok && start < piece.size()) {
            const std::size_t nl = text ? piece.find('\n', start) : std::string_view::npos;
            const std::size_t end = nl == std::string_view::npos ? piece.size() : nl;
            ok = std::fwrite(piece.data() + start, 1, end - start, out) == end - start;
            if (nl == std::string_view::npos) break;
            ok = ok && std::fwrite("\r\n", 1, 2, out) == 2;
            start = nl + 1;
        }
    });
    return std::fflush(out) == 0 && ok && !std::ferror(out);
}

bool WriteExport(const TableListCtrl& table, const ExportSettings& settings, std::string* writtenPath,
                 std::string* error) {
    if (settings.fileName.empty()) {
        if (error) *error = "no file name was given";
        return false;
    }
    const platform::SaveResult saved = platform::SaveFile(
        platform::DiskPath(settings.fileName), [&](std::FILE* out) { return WriteExportTo(table, settings, out); });
    if (!saved.ok) {
        if (error) *error = saved.error;
        return false;
    }
    if (writtenPath) *writtenPath = saved.path;
    return true;
}

}  // namespace lorvex
