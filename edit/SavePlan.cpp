#include "edit/SavePlan.h"

#include <optional>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "hpi/HpiArchive.h"
#include "platform/AsciiText.h"
#include "platform/FileSystem.h"

namespace lorvex {

namespace fs = std::filesystem;
using platform::FoldedAscii;

namespace {

constexpr std::string_view kArchiveFolderMark = "..\\";
constexpr char kFirstArchive[] = "rev31.gp3";
// After the first archive, the kinds a load reads, in its order.
constexpr const char* kArchiveKinds[] = {"*.ccx", "*.ufo", "*.hpi"};

// Where a name falls in a load's order: its kind (0 the first archive, then
// kArchiveKinds) and its name; empty for a name a load does not read.
std::optional<int> KindOf(std::string_view name) {
    if (platform::EqualsFolded(name, kFirstArchive)) return 0;
    for (int i = 0; i < static_cast<int>(std::size(kArchiveKinds)); ++i)
        if (platform::WildcardMatch(kArchiveKinds[i], name)) return i + 1;
    return std::nullopt;
}

// The order ListFiles gives within a kind.
bool ListedBefore(std::string_view a, std::string_view b) {
    const int folded = platform::CompareFolded(a, b);
    return folded != 0 ? folded < 0 : a < b;
}

std::string BareName(std::string_view path) {
    const std::size_t cut = path.find_last_of("\\/");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string FolderOf(std::string_view path) {
    const std::size_t cut = path.find_last_of("\\/");
    return cut == std::string_view::npos ? std::string() : std::string(path.substr(0, cut));
}

fs::path Canonical(const fs::path& path) {
    std::error_code ec;
    fs::path real = fs::weakly_canonical(path.empty() ? fs::path(".") : path, ec);
    return ec ? path : real;
}

}  // namespace

fs::path ArchiveDiskPath(std::string_view archivePath, std::string_view archiveFolder) {
    if (archivePath.substr(0, kArchiveFolderMark.size()) == kArchiveFolderMark)
        return platform::DiskPathOfName(archiveFolder, archivePath.substr(kArchiveFolderMark.size()));
    return platform::DiskPath(archivePath);
}

OwnArchivesPlan PlanOwnArchives(const std::vector<ChangedFile>& changed, std::string_view archiveFolder) {
    OwnArchivesPlan plan;
    std::unordered_map<std::string, std::size_t> byArchive;
    std::unordered_map<std::string, std::size_t> seen;  // folded "archive|entry"
    for (std::size_t i = 0; i < changed.size(); ++i) {
        const ChangedFile& file = changed[i];
        // The file a load read, not the text naming it: two spellings of one
        // archive are one save, and "a.hpi" beside "A.hpi" on a disk that
        // tells case apart are two.
        const fs::path diskPath = ArchiveDiskPath(file.archivePath, archiveFolder);
        const std::string archiveKey = Canonical(diskPath).string();
        if (!seen.try_emplace(archiveKey + '|' + FoldedAscii(file.entryPath), i).second) {
            plan.problem = file.entryPath + " of " + file.archivePath + " is listed twice among the changed files.";
            plan.archives.clear();
            return plan;
        }
        const auto [at, added] = byArchive.try_emplace(archiveKey, plan.archives.size());
        if (added) plan.archives.push_back({file.archivePath, ArchiveDiskPath(file.archivePath, archiveFolder), {}});
        plan.archives[at->second].files.push_back(i);
    }
    return plan;
}

std::vector<std::string> LoadOrder(std::string_view archiveFolder) {
    std::vector<std::string> order;
    std::error_code ec;
    const std::string mark(kArchiveFolderMark);
    if (fs::exists(platform::DiskPathOfName(archiveFolder, kFirstArchive), ec)) order.push_back(mark + kFirstArchive);
    for (const char* kind : kArchiveKinds)
        for (const std::string& name : platform::ListFiles(archiveFolder, kind)) order.push_back(mark + name);
    return order;
}

NewArchivePlan PlanNewArchive(const std::vector<ChangedFile>& changed, std::string_view archiveFolder,
                              const fs::path& target, const std::vector<std::string>& harvestedFolders) {
    NewArchivePlan plan;
    const std::string targetName = target.filename().string();
    const std::optional<int> targetKind = KindOf(targetName);
    const fs::path folder = platform::DiskPath(archiveFolder);
    plan.readByLoad = targetKind && Canonical(target.parent_path()) == Canonical(folder);
    if (!plan.readByLoad) return plan;

    std::vector<bool> shadowed(changed.size(), false);
    for (const std::string& archivePath : LoadOrder(archiveFolder)) {
        const std::string name = archivePath.substr(kArchiveFolderMark.size());
        const int kind = KindOf(name).value_or(0);
        // The target itself, or an archive it is about to replace, is no earlier one.
        if (kind > *targetKind || (kind == *targetKind && !ListedBefore(name, targetName))) break;
        const auto archive = hpi::HpiArchive::Open(platform::DiskPathOfName(archiveFolder, name));
        if (!archive) continue;  // a load skips it as well
        for (std::size_t i = 0; i < changed.size(); ++i) {
            if (shadowed[i]) continue;
            const std::string bare = BareName(changed[i].entryPath);
            const std::vector<std::string> own{FolderOf(changed[i].entryPath)};
            for (const std::string& harvested : harvestedFolders.empty() ? own : harvestedFolders) {
                if (!archive->EntrySize(harvested.empty() ? bare : harvested + "\\" + bare)) continue;
                shadowed[i] = true;
                plan.shadowed.push_back({changed[i].entryPath, archivePath});
                break;
            }
        }
    }
    return plan;
}

std::string ShadowMessage(const NewArchivePlan& plan, std::string_view newArchiveName) {
    const std::string name(newArchiveName);
    if (!plan.readByLoad)
        return "A load does not read " + name +
               ": only rev31.gp3 and the .ccx, .ufo and .hpi files of the game's folder are read. Move it there for "
               "the game and Lorvex to see the changes.";
    if (plan.shadowed.empty()) return {};
    std::string message = "After a reload, " + std::to_string(plan.shadowed.size()) +
                          (plan.shadowed.size() == 1 ? " record file" : " record files") +
                          " will still come from an archive read before " + name + ", not from " + name + ":\n";
    for (const ShadowedFile& file : plan.shadowed)
        message += "  " + file.entryPath + " (from " + file.shadowedBy + ")\n";
    return message;
}

}  // namespace lorvex
