#include "edit/SaveChanges.h"

#include <memory>
#include <system_error>

namespace lorvex {

namespace fs = std::filesystem;

namespace {

std::string Names(const std::vector<std::string>& archives) {
    std::string names;
    for (std::size_t i = 0; i < archives.size(); ++i)
        names += (i == 0 ? "" : i + 1 == archives.size() ? " and " : ", ") + archives[i];
    return names;
}

}  // namespace

SaveOutcome SaveIntoArchives(const std::vector<ChangedFile>& changed, std::string_view archiveFolder,
                             std::uint64_t maxBytes) {
    SaveOutcome outcome;
    const OwnArchivesPlan plan = PlanOwnArchives(changed, archiveFolder);
    if (!plan.problem.empty()) {
        outcome.message = plan.problem + " Nothing was saved.";
        return outcome;
    }
    // Every archive written beside its original before any original is replaced.
    std::vector<std::unique_ptr<hpi::PendingArchive>> pending;
    for (const ArchiveSave& archive : plan.archives) {
        hpi::RewriteRequest request;
        request.maxBytes = maxBytes;
        for (std::size_t i : archive.files) request.replace.push_back({changed[i].entryPath, changed[i].text});
        hpi::PreparedRewrite prepared = hpi::PrepareRewrite(archive.diskPath, request);
        if (!prepared.pending) {
            pending.clear();  // removes the temporary files written so far
            outcome.message =
                "Cannot save " + archive.archivePath + ": " + prepared.problem + ". No archive was changed.";
            return outcome;
        }
        pending.push_back(std::move(prepared.pending));
    }
    for (std::size_t i = 0; i < pending.size(); ++i) {
        std::string problem;
        bool madeBackup = false;
        if (!pending[i]->Commit(problem, &madeBackup)) {
            std::vector<std::string> untouched;
            for (std::size_t j = i; j < pending.size(); ++j) untouched.push_back(plan.archives[j].archivePath);
            pending.clear();
            outcome.message = "Cannot save " + plan.archives[i].archivePath + ": " + problem + ". " +
                              (outcome.written.empty() ? std::string("No archive was changed.")
                                                       : Names(outcome.written) + " were saved; " + Names(untouched) +
                                                             " were left as they were.");
            return outcome;
        }
        outcome.written.push_back(plan.archives[i].archivePath);
        if (madeBackup) outcome.backedUp.push_back(plan.archives[i].archivePath);
    }
    outcome.ok = true;
    return outcome;
}

NewArchiveOutcome SaveAsNewArchive(const std::vector<ChangedFile>& changed, const fs::path& target,
                                   std::string_view archiveFolder, const std::vector<std::string>& harvestedFolders,
                                   std::uint64_t maxBytes) {
    NewArchiveOutcome outcome;
    const std::string shown = target.filename().string();
    if (changed.empty()) {
        outcome.message = "There are no changed record files to save into " + shown + ".";
        return outcome;
    }
    std::vector<hpi::EntryText> files;
    for (const ChangedFile& file : changed) {
        std::error_code ec;
        if (fs::equivalent(target, ArchiveDiskPath(file.archivePath, archiveFolder), ec)) {
            outcome.message = "Cannot save into " + shown + ": it is " + file.archivePath +
                              ", which the changed files came from, and it would lose every other file it holds. "
                              "Choose another name, or save into the archives themselves.";
            return outcome;
        }
        files.push_back({file.entryPath, file.text});
    }
    // Worked out first: writing the target must not make it one of the earlier archives.
    NewArchivePlan plan = PlanNewArchive(changed, archiveFolder, target, harvestedFolders);
    const std::string problem = hpi::WriteNewArchive(target, files, maxBytes);
    if (!problem.empty()) {
        outcome.message = "Cannot save " + shown + ": " + problem + ".";
        return outcome;
    }
    outcome.ok = true;
    outcome.plan = std::move(plan);
    return outcome;
}

}  // namespace lorvex
