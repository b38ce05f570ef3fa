#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "hpi/HpiArchive.h"
#include "load/LoadRun.h"
#include "load/RecordParser.h"
#include "platform/AsciiText.h"
#include "platform/FileSystem.h"

namespace lorvex {
namespace {

constexpr std::size_t kScratchPathSize = 512;

using platform::FoldAscii;

// The ending is compared from the back; only the name's capitals are folded,
// so an ending written in lower case matches any case.
bool EndsWith(const char* name, std::size_t nameLength, const std::string& ending) {
    if (ending.size() > nameLength) return false;
    const char* tail = name + (nameLength - ending.size());
    for (std::size_t i = 0; i < ending.size(); ++i)
        if (tail[i] != ending[i] && FoldAscii(tail[i]) != ending[i]) return false;
    return true;
}

// An entry name becomes a file name inside the scratch folder: one that would
// reach into another folder is never extracted.
bool SafeFileName(const char* name, std::size_t length) {
    if (length == 0) return false;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return false;
    return std::memchr(name, '\\', length) == nullptr && std::memchr(name, '/', length) == nullptr;
}

// The "Located In" text RecordParser gives the file's rows: the archive without
// its leading "..\", then the folder when keys are indexed, then the name.
std::string RowLocation(const LoadState& state, std::string_view archivePath, std::string_view name, int pair) {
    std::string_view archive = archivePath;
    if (archive.substr(0, 3) == "..\\") archive.remove_prefix(3);
    std::string location(archive);
    location += "  ::  ";
    if (state.indexedKeys) location.append(state.hpiFolders[static_cast<std::size_t>(pair)]).append("\\");
    return location.append(name);
}

// The folder as the archive spells it, one level at a time: the entry paths of
// the load's record files are written back under the archive's own names.
std::string ArchiveSpelling(const hpi::HpiArchive& archive, std::string_view folder) {
    std::string spelled;
    char name[kScratchPathSize] = {};
    std::size_t start = !folder.empty() && folder.front() == '\\' ? 1 : 0;
    while (start <= folder.size()) {
        const std::size_t end = std::min(folder.find('\\', start), folder.size());
        const std::string_view part = folder.substr(start, end - start);
        std::string found(part);
        for (std::size_t c = archive.DirFolders(0, spelled, name, sizeof name); c != 0;
             c = archive.DirFolders(c, spelled, name, sizeof name))
            if (platform::EqualsFolded(name, part)) {
                found = name;
                break;
            }
        if (!spelled.empty()) spelled += '\\';
        spelled += found;
        start = end + 1;
    }
    return spelled;
}

std::string MiB(std::uint64_t bytes) { return std::to_string(bytes >> 20) + " MiB"; }

}  // namespace

void Loader::ScanArchive(std::string_view archivePath) {
    const std::string archiveText(archivePath);
    auto archive = hpi::HpiArchive::Open(ArchiveDiskPath(archiveText), inflateBackend_);
    view_.SetArchiveLabel("Parsing " + archiveText + " ::");
    if (!archive) return;
    scannedArchives_.push_back(archiveText);

    char scratchPath[kScratchPathSize] = {};
    const std::size_t prefixLength = std::strlen(kScratchPrefix);
    std::memcpy(scratchPath, kScratchPrefix, prefixLength);
    char* name = scratchPath + prefixLength;
    const std::size_t nameCapacity = kScratchPathSize - prefixLength;

    for (int i = 0; i < LoadState::kPairs && !Ended(); ++i) {
        const std::string& ending = state_.extensions[i];
        if (ending.empty()) continue;
        const std::string& folder = state_.hpiFolders[i];
        std::string spelledFolder;  // worked out for the first entry harvested
        // Entries the archive's own listing leaves out would be harvested here.
        for (const hpi::SkippedEntry& bad : archive->SkippedIn(folder))
            if (!bad.isFolder && EndsWith(bad.name.c_str(), bad.name.size(), ending))
                Skip(archiveText, folder + "\\" + bad.name, bad.reason);
        for (std::size_t cont = archive->Dir(0, folder, name, nameCapacity); cont != 0;
             cont = archive->Dir(cont, folder, name, nameCapacity)) {
            const std::size_t nameLength = std::strlen(name);
            if (!EndsWith(name, nameLength, ending)) continue;
            if (!view_.KeepLoading()) {
                report_.end = LoadEnd::Cancelled;
                break;
            }
            const std::string entry = folder + "\\" + name;
            if (!SafeFileName(name, nameLength)) {
                Skip(archiveText, entry, "its name is no plain file name");
                continue;
            }
            const std::string folded = platform::FoldedAscii(std::string_view(name, nameLength));
            if (extracted_.count(folded)) continue;
            const std::uint64_t size = archive->EntrySize(entry).value_or(0);
            if (size > limits_.recordFileBytes) {
                Skip(archiveText, entry,
                     "it unpacks to " + std::to_string(size) + " bytes, more than the " + MiB(limits_.recordFileBytes) +
                         " a record file may have");
                continue;
            }
            if (size > limits_.loadBytes - std::min(unpackedBytes_, limits_.loadBytes)) {
                Stop("The load stopped: its record files unpack to more than " + MiB(limits_.loadBytes) +
                     ", the most one load may unpack. The table holds the records read before " + archiveText + ": " +
                     entry + ".");
                break;
            }
            unpackedBytes_ += size;
            view_.SetFileLabel(name);
            // Parsed from memory; the scratch copy is for the record listings.
            if (!archive->ExtractToMemory(entry, bytes_)) {
                scratch_.Discard(name);  // a failed extraction leaves no file of that name
                Skip(archiveText, entry, "it is damaged and cannot be unpacked");
                continue;
            }
            if (!scratch_.Store(name, bytes_.data(), bytes_.size())) {
                Skip(archiveText, entry, "its scratch copy cannot be written: " + scratch_.Problem());
                continue;
            }
            extracted_.insert(std::move(folded));
            if (spelledFolder.empty()) spelledFolder = ArchiveSpelling(*archive, folder);
            RecordSource source{RowLocation(state_, archiveText, name, i), archiveText,
                                spelledFolder + "\\" + name, name, i};
            sourceIndex_.emplace(source.location, sources_.size());
            sources_.push_back(std::move(source));
            const std::string_view text(reinterpret_cast<const char*>(bytes_.data()), bytes_.size());
            if (!ParseRecordText(state_, recordReader_, table_.Data(), name, text, archiveText, i, limits_.rows)) {
                Stop("The load stopped at " + std::to_string(limits_.rows) +
                     " rows, the most a table may hold. The rest of " + archiveText + ": " + entry +
                     " and the record files after it were not read.");
                break;
            }
        }
    }
    archive->Close();
}

}  // namespace lorvex
