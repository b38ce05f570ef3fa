#include "hpi/tool/ArchiveTree.h"

#include <cstdlib>
#include <system_error>
#include <sys/stat.h>
#include <unistd.h>

#include "hpi/HpiPath.h"

namespace lorvex::hpi {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kNameRoom = 4096;

std::string Join(const std::string& folder, std::string_view name) {
    return folder.empty() ? std::string(name) : folder + "\\" + std::string(name);
}

bool FoldedEqual(std::string_view a, std::string_view b) {
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return true;
}

// Only a plain name may become a file or folder on disk: nothing that climbs
// out ("..") or that the disk would read as more than one component.
bool PlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

void WalkInto(const HpiArchive& archive, const std::string& folder, std::vector<TreeEntry>& entries, int depth) {
    char name[kNameRoom];
    for (std::size_t c = archive.Dir(0, folder, name, sizeof name); c != 0; c = archive.Dir(c, folder, name, sizeof name))
        entries.push_back({Join(folder, name), false});
    if (depth >= 64) return;  // the reader refuses deeper trees; this only bounds the recursion
    std::vector<std::string> folders;
    for (std::size_t c = archive.DirFolders(0, folder, name, sizeof name); c != 0;
         c = archive.DirFolders(c, folder, name, sizeof name))
        folders.push_back(Join(folder, name));
    for (const std::string& sub : folders) {
        entries.push_back({sub, true});
        WalkInto(archive, sub, entries, depth + 1);
    }
}

// The disk path of an archive path below destination, or empty (with a
// message) when a component is no plain name or an existing component on the
// way is a symbolic link or a file where a folder must be.
fs::path SafeDiskPath(const fs::path& destination, const std::string& inside, bool folder, std::ostream& messages) {
    fs::path path = destination;
    std::vector<std::string_view> parts;
    std::string_view bad;
    ForEachPathComponent(inside, [&](std::string_view part) {
        parts.push_back(part);
        if (!PlainName(part)) bad = part;
        return bad.empty();
    });
    if (!bad.empty() || parts.empty()) {
        messages << "lorvex-hpi: skipped " << inside << ": the name would leave the destination folder\n";
        return {};
    }
    for (std::size_t i = 0; i < parts.size(); ++i) {
        path /= std::string(parts[i]);
        std::error_code error;
        const fs::file_status status = fs::symlink_status(path, error);
        if (fs::is_symlink(status)) {
            messages << "lorvex-hpi: skipped " << inside << ": " << path.string()
                     << " is a symbolic link, which could lead outside the destination folder\n";
            return {};
        }
        const bool mustBeFolder = folder || i + 1 < parts.size();
        if (fs::exists(status) && fs::is_directory(status) != mustBeFolder) {
            messages << "lorvex-hpi: skipped " << inside << ": " << path.string() << " is already there as a "
                     << (mustBeFolder ? "file" : "folder") << '\n';
            return {};
        }
    }
    return path;
}

}  // namespace

std::optional<std::string> FindArchiveFolder(const HpiArchive& archive, std::string_view folder) {
    std::string found;
    char name[kNameRoom];
    const bool ok = ForEachPathComponent(folder, [&](std::string_view part) {
        for (std::size_t c = archive.DirFolders(0, found, name, sizeof name); c != 0;
             c = archive.DirFolders(c, found, name, sizeof name)) {
            if (FoldedEqual(name, part)) {
                found = Join(found, name);
                return true;
            }
        }
        return false;
    });
    if (!ok) return std::nullopt;
    return found;
}

std::vector<TreeEntry> WalkTree(const HpiArchive& archive, const std::string& folder) {
    std::vector<TreeEntry> entries;
    WalkInto(archive, folder, entries, 0);
    return entries;
}

ExtractCounts ExtractTree(const HpiArchive& archive, const std::string& folder, const fs::path& destination,
                          std::ostream& messages) {
    ExtractCounts counts;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    std::vector<TreeEntry> entries;
    if (!folder.empty()) entries.push_back({folder, true});  // the folders above keep the archive's tree
    const std::vector<TreeEntry> below = WalkTree(archive, folder);
    entries.insert(entries.end(), below.begin(), below.end());

    for (const TreeEntry& entry : entries) {
        const fs::path path = SafeDiskPath(destination, entry.path, entry.folder, messages);
        if (path.empty()) {
            ++counts.skipped;
            continue;
        }
        std::error_code error;
        if (entry.folder) {
            fs::create_directories(path, error);
            if (error) {
                messages << "lorvex-hpi: cannot create folder " << path.string() << ": " << error.message() << '\n';
                ++counts.failed;
            }
            continue;
        }
        fs::create_directories(path.parent_path(), error);
        std::string temp = (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
        const int fd = error ? -1 : ::mkstemp(temp.data());
        if (fd < 0) {
            messages << "lorvex-hpi: cannot write " << path.string() << '\n';
            ++counts.failed;
            continue;
        }
        // What a plainly created file would get, not the temporary file's owner-only mode.
        const bool modeOk = ::fchmod(fd, 0666 & ~mask) == 0;
        ::close(fd);
        if (!modeOk || !archive.ExtractFile(entry.path, temp)) {
            messages << "lorvex-hpi: cannot extract " << entry.path << " (damaged entry or disk full)\n";
            ::unlink(temp.c_str());
            ++counts.failed;
            continue;
        }
        fs::rename(temp, path, error);
        if (error) {
            messages << "lorvex-hpi: cannot write " << path.string() << ": " << error.message() << '\n';
            ::unlink(temp.c_str());
            ++counts.failed;
            continue;
        }
        ++counts.written;
    }
    return counts;
}

}  // namespace lorvex::hpi
