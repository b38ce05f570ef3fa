#include "export/ExportWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "platform/FileSystem.h"

namespace fs = std::filesystem;

namespace lorvex {

std::vector<int> ExportedColumns(const TableListCtrl& table, const ExportSettings& settings) {
    const TableData& data = table.Data();
    const int columns = table.GetColumnCount();
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
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (int c = 0; c < table.GetColumnCount(); ++c) {
        const std::string heading = table.GetColumnHeading(c);
        if (heading.size() == text.size() &&
            std::equal(heading.begin(), heading.end(), text.begin(), [&](char a, char b) { return fold(a) == fold(b); }))
            return c;
    }
    return -1;
}

void ForEachExportPiece(const TableListCtrl& table, const ExportSettings& settings,
                        const std::function<void(std::string_view)>& sink) {
    const TableData& data = table.Data();
    const std::vector<int> included = ExportedColumns(table, settings);

    if (settings.format != ExportFormat::Delimited) {
        std::vector<std::string> headings;
        for (int c : included) headings.push_back(table.GetColumnHeading(c));
        std::vector<int> rows;
        for (int row = data.NextRow(-1, settings.onlyHighlighted, true); row >= 0;
             row = data.NextRow(row, settings.onlyHighlighted, true))
            rows.push_back(row);
        TableSlice slice;
        slice.headings.assign(headings.begin(), headings.end());
        slice.rowCount = rows.size();
        slice.cell = [&](std::size_t r, std::size_t c) { return data.Cell(rows[r], included[c]); };
        WriteFormatted(settings.format, slice, sink);
        return;
    }

    if (!settings.header.empty()) sink(settings.header);

    std::string piece;
    for (std::size_t i = 0; i < included.size(); ++i) {
        if (i) piece += settings.columnDelimiter;
        piece += table.GetColumnHeading(included[i]);
    }
    if (!piece.empty()) sink(piece);

    // Rows a filter hides are not exported.
    for (int row = data.NextRow(-1, settings.onlyHighlighted, true); row >= 0;
         row = data.NextRow(row, settings.onlyHighlighted, true)) {
        piece = settings.rowDelimiter;
        for (std::size_t i = 0; i < included.size(); ++i) {
            if (i) piece += settings.columnDelimiter;
            piece += data.Cell(row, included[i]);
        }
        if (!piece.empty()) sink(piece);
    }

    if (!settings.trailer.empty()) sink(settings.trailer);
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

namespace {

// Permissions for the new file: those of the file it replaces, or what a
// plainly created file would get under the process's umask.
mode_t NewFileMode(const fs::path& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The file a name finally stands for: an export through a symbolic link
// replaces the file the link points to, not the link.
fs::path ResolveTarget(const fs::path& target) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(target, ec))) return target;
    fs::path resolved = fs::weakly_canonical(target, ec);
    return ec ? target : resolved;
}

}  // namespace

bool WriteExport(const TableListCtrl& table, const ExportSettings& settings, std::string* writtenPath) {
    if (settings.fileName.empty()) return false;
    const fs::path target = ResolveTarget(platform::DiskPath(settings.fileName));
    if (!target.has_filename()) return false;
    std::error_code ec;
    if (fs::is_directory(target, ec)) return false;

    const fs::path folder = target.parent_path();
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) return false;
    const std::string temp = pattern;
    std::FILE* out = ::fchmod(fd, NewFileMode(target)) == 0 ? ::fdopen(fd, "wb") : nullptr;
    bool ok = out != nullptr;
    if (out == nullptr) ::close(fd);
    if (ok) ok = WriteExportTo(table, settings, out);
    if (out != nullptr) ok = std::fclose(out) == 0 && ok;
    if (ok) ok = std::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    if (writtenPath) *writtenPath = fs::absolute(target, ec).lexically_normal().string();
    return true;
}

}  // namespace lorvex
