#include <cstring>
#include <string>

#include "hpi/HpiArchive.h"
#include "load/LoadRun.h"
#include "load/RecordParser.h"
#include "platform/FileSystem.h"

namespace lorvex {
namespace {

constexpr std::size_t kScratchPathSize = 512;

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The ending is compared from the back; only the name's capitals are folded,
// so an ending written in lower case matches any case.
bool EndsWith(const char* name, std::size_t nameLength, const std::string& ending) {
    if (ending.size() > nameLength) return false;
    const char* tail = name + (nameLength - ending.size());
    for (std::size_t i = 0; i < ending.size(); ++i)
        if (tail[i] != ending[i] && Fold(tail[i]) != ending[i]) return false;
    return true;
}

// An entry name becomes a file name inside the scratch folder: one that would
// reach into another folder is never extracted.
bool SafeFileName(const char* name, std::size_t length) {
    if (length == 0) return false;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return false;
    return std::memchr(name, '\\', length) == nullptr && std::memchr(name, '/', length) == nullptr;
}

}  // namespace

void Loader::ScanArchive(std::string_view archivePath) {
    const std::string archiveText(archivePath);
    auto archive = hpi::HpiArchive::Open(ArchiveDiskPath(archiveText), inflateBackend_);
    view_.SetArchiveLabel("Parsing " + archiveText + " ::");
    if (!archive) return;

    char scratchPath[kScratchPathSize] = {};
    const std::size_t prefixLength = std::strlen(kScratchPrefix);
    std::memcpy(scratchPath, kScratchPrefix, prefixLength);
    char* name = scratchPath + prefixLength;
    const std::size_t nameCapacity = kScratchPathSize - prefixLength;

    for (int i = 0; i < LoadState::kPairs; ++i) {
        const std::string& ending = state_.extensions[i];
        if (ending.empty()) continue;
        const std::string& folder = state_.hpiFolders[i];
        for (std::size_t cont = archive->Dir(0, folder, name, nameCapacity); cont != 0;
             cont = archive->Dir(cont, folder, name, nameCapacity)) {
            const std::size_t nameLength = std::strlen(name);
            if (!EndsWith(name, nameLength, ending)) continue;
            if (!SafeFileName(name, nameLength)) continue;
            std::string folded(name, nameLength);
            LowercaseAscii(folded);
            if (extracted_.count(folded)) continue;
            view_.SetFileLabel(name);
            // Parsed from memory; the scratch copy is for the record listings.
            if (!archive->ExtractToMemory(folder + "\\" + name, bytes_)) {
                scratch_.Discard(name);  // a failed extraction leaves no file of that name
                continue;
            }
            if (!scratch_.Store(name, bytes_.data(), bytes_.size())) continue;
            extracted_.insert(std::move(folded));
            const std::string_view text(reinterpret_cast<const char*>(bytes_.data()), bytes_.size());
            ParseRecordText(state_, recordReader_, table_.Data(), name, text, archiveText, i);
        }
    }
    archive->Close();
}

}  // namespace lorvex
