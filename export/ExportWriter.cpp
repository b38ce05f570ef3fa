#include "export/ExportWriter.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/TextFile.h"

namespace fs = std::filesystem;

namespace lorvex {

void ForEachExportPiece(const TableListCtrl& table, const ExportSettings& settings,
                        const std::function<void(std::string_view)>& sink) {
    const TableData& data = table.Data();
    const int columns = table.GetColumnCount();

    if (!settings.header.empty()) sink(settings.header);

    // Decided once per column, for every column the table has, so that the
    // heading line and every row leave out the same columns.
    std::vector<int> included;
    included.reserve(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c)
        if (settings.includeCollapsed || data.ColumnWidth(c) > TableListCtrl::kCollapsedLimit) included.push_back(c);

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

bool WriteExport(const TableListCtrl& table, const ExportSettings& settings) {
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
    const bool modeOk = ::fchmod(fd, NewFileMode(target)) == 0;
    ::close(fd);

    platform::TextFileWriter writer;
    bool ok = modeOk && writer.Create(temp);
    if (ok) ForEachExportPiece(table, settings, [&](std::string_view piece) { writer.Write(piece); });
    ok = writer.Close() && ok;
    if (ok) ok = std::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

}  // namespace lorvex
