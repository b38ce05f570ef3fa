#include "hpi/tool/ArchiveTree.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <system_error>

#include "hpi/HpiPath.h"
#include "platform/AsciiText.h"
#include "platform/PrintableText.h"
#include "platform/SaveFile.h"

namespace lorvex::hpi {

namespace fs = std::filesystem;
using platform::EscapeControls;

namespace {

constexpr std::size_t kNameRoom = 4096;

std::string Join(const std::string& folder, std::string_view name) {
    return folder.empty() ? std::string(name) : folder + "\\" + std::string(name);
}

std::string Shown(const fs::path& path) { return EscapeControls(path.string()); }

void WalkInto(const HpiArchive& archive, const std::string& folder, std::vector<TreeEntry>& entries, int depth) {
    char name[kNameRoom];
    for (std::size_t c = archive.Dir(0, folder, name, sizeof name); c != 0;
         c = archive.Dir(c, folder, name, sizeof name))
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
        // The directory already leaves such names out; this guards the disk on its own.
        if (!IsPlainName(part)) bad = part;
        return bad.empty();
    });
    if (!bad.empty() || parts.empty()) {
        messages << "lorvex-hpi: skipped " << EscapeControls(inside)
                 << ": the name would leave the destination folder\n";
        return {};
    }
    for (std::size_t i = 0; i < parts.size(); ++i) {
        path /= std::string(parts[i]);
        std::error_code error;
        const fs::file_status status = fs::symlink_status(path, error);
        if (fs::is_symlink(status)) {
            messages << "lorvex-hpi: skipped " << EscapeControls(inside) << ": " << Shown(path)
                     << " is a symbolic link, which could lead outside the destination folder\n";
            return {};
        }
        const bool mustBeFolder = folder || i + 1 < parts.size();
        if (fs::exists(status) && fs::is_directory(status) != mustBeFolder) {
            messages << "lorvex-hpi: skipped " << EscapeControls(inside) << ": " << Shown(path)
                     << " is already there as a " << (mustBeFolder ? "file" : "folder") << '\n';
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
            if (platform::EqualsFolded(name, part)) {
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

std::string SkippedMessage(const SkippedEntry& entry) {
    return "lorvex-hpi: skipped " + std::string(entry.isFolder ? "folder " : "") +
           EscapeControls(Join(entry.folder, entry.name)) + ": " + entry.reason + "\n";
}

ExtractCounts ExtractTree(const HpiArchive& archive, const std::string& folder, const fs::path& destination,
                          std::ostream& messages, std::uint64_t maxBytes) {
    ExtractCounts counts;
    for (const SkippedEntry& entry : archive.SkippedIn(folder, true)) {
        messages << SkippedMessage(entry);
        ++counts.skipped;
    }
    std::uint64_t unpacked = 0;
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
                messages << "lorvex-hpi: cannot create folder " << Shown(path) << ": " << error.message() << '\n';
                ++counts.failed;
            }
            continue;
        }
        // The stated size bounds what the entry can unpack to, so the check comes before any byte is written.
        const std::uint64_t size = archive.EntrySize(entry.path).value_or(0);
        if (size > maxBytes - unpacked) {
            messages << "lorvex-hpi: skipped " << EscapeControls(entry.path) << ": its " << size
                     << " bytes would take this run past --max-bytes " << maxBytes << '\n';
            ++counts.skipped;
            continue;
        }
        fs::create_directories(path.parent_path(), error);
        // Written whole or not at all: a damaged entry leaves no half-written file.
        bool unpackedWhole = true;
        const platform::SaveResult saved =
            error ? platform::SaveResult{false, error.message(), {}} : platform::SaveFile(path, [&](std::FILE* out) {
                return unpackedWhole = archive.ExtractTo(entry.path, out);
            });
        if (!saved.ok) {
            if (!unpackedWhole)
                messages << "lorvex-hpi: cannot extract " << EscapeControls(entry.path)
                         << " (damaged entry or disk full)\n";
            else
                messages << "lorvex-hpi: cannot write " << Shown(path) << ": " << EscapeControls(saved.error) << '\n';
            ++counts.failed;
            continue;
        }
        unpacked += size;
        ++counts.written;
    }
    return counts;
}

}  // namespace lorvex::hpi
