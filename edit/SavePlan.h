#pragma once
// What a save of changed record files touches, worked out before anything is
// written: which archives take which files, and, for a save into a new
// archive, which of its files an archive read earlier by a load would still
// supply after a reload (a load keeps the first archive's copy of a name).
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lorvex {

// One record file whose text changed.
struct ChangedFile {
    std::string archivePath;  // as the table shows it: "..\community.hpi"
    std::string entryPath;    // inside the archive: "units\armx.fbi"
    std::string text;         // the whole new text
};

// The file on disk an archive path stands for: "..\" is the archive folder and
// the rest the file's name in any case, as a load reads it.
std::filesystem::path ArchiveDiskPath(std::string_view archivePath, std::string_view archiveFolder);

struct ArchiveSave {
    std::string archivePath;         // the spelling of its first changed file
    std::filesystem::path diskPath;  // may name a file that no longer exists
    std::vector<std::size_t> files;  // indices into the changed files, in their order
};

struct OwnArchivesPlan {
    std::vector<ArchiveSave> archives;  // each once, in the order first met
    std::string problem;                // non-empty: nothing may be written
};

// Groups the changed files by the archive file they name on disk; refuses a
// record file listed twice for one archive.
OwnArchivesPlan PlanOwnArchives(const std::vector<ChangedFile>& changed, std::string_view archiveFolder);

// The archives of the archive folder in the order a load reads them:
// "..\rev31.gp3" when present, then the *.ccx, *.ufo and *.hpi files, each
// kind sorted by folded name.
std::vector<std::string> LoadOrder(std::string_view archiveFolder);

struct ShadowedFile {
    std::string entryPath;   // the changed file's path inside the new archive
    std::string shadowedBy;  // the earlier archive holding the same name: "..\rev31.gp3"
};

struct NewArchivePlan {
    // False when a load would not read the new archive at all: it lies outside
    // the archive folder or its name ends in none of the archives' extensions.
    bool readByLoad = false;
    std::vector<ShadowedFile> shadowed;
};

// Which changed files an archive read before target would shadow. A load keeps
// the first copy of a record file's name met in any of the folders it
// harvests: harvestedFolders names them (the configuration's archive folders);
// when empty, each file's own folder is the one compared.
NewArchivePlan PlanNewArchive(const std::vector<ChangedFile>& changed, std::string_view archiveFolder,
                              const std::filesystem::path& target,
                              const std::vector<std::string>& harvestedFolders = {});

// Plain text saying what a reload will show instead of the new archive's
// copies; empty when there is nothing to say.
std::string ShadowMessage(const NewArchivePlan& plan, std::string_view newArchiveName);

}  // namespace lorvex
