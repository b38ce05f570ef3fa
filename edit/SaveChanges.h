#pragma once
// Saving changed record files: back into the archives they came from, all of
// them or none, or together into one new archive.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "edit/SavePlan.h"
#include "hpi/HpiRewrite.h"

namespace lorvex {

struct SaveOutcome {
    bool ok = false;
    // When !ok: plain text naming the archive and why, and what was left as it was.
    std::string message;
    std::vector<std::string> written;   // archives replaced, as the changed files name them
    std::vector<std::string> backedUp;  // those of them whose NAME.bak this save made
};

// Writes each archive that supplied a changed file once, with all its changed
// files, every other entry kept as it was. Every new archive is written (and
// flushed) beside its original first; when any cannot be, every one is
// removed again and no archive is touched. Only then is each original kept as
// NAME.bak (the first time only) and replaced.
SaveOutcome SaveIntoArchives(const std::vector<ChangedFile>& changed, std::string_view archiveFolder,
                             std::uint64_t maxBytes = hpi::kMaxRewriteBytes);

struct NewArchiveOutcome {
    bool ok = false;
    std::string message;  // when !ok: why
    // Whether a load reads the new archive, and which of its files an earlier
    // archive would still supply (ShadowMessage words it).
    NewArchivePlan plan;
};

// Writes only the changed files, whole and under their paths, into a new
// archive at target (replacing a file there only once the archive is whole).
// Refuses a target that is one of the archives the files came from: it would
// lose everything else that archive holds.
NewArchiveOutcome SaveAsNewArchive(const std::vector<ChangedFile>& changed, const std::filesystem::path& target,
                                   std::string_view archiveFolder,
                                   const std::vector<std::string>& harvestedFolders = {},
                                   std::uint64_t maxBytes = hpi::kMaxRewriteBytes);

}  // namespace lorvex
