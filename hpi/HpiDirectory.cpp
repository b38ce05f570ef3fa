#include "hpi/HpiDirectory.h"

#include <cstring>
#include <string>
#include <unordered_set>
#include <utility>

#include "hpi/HpiBytes.h"
#include "hpi/HpiPath.h"
#include "platform/AsciiText.h"

namespace lorvex::hpi {

using platform::FoldedAscii;

namespace {

constexpr std::uint64_t kEntrySize = 9;
constexpr std::uint64_t kNodeSize = 8;
constexpr std::uint64_t kRecordSize = 9;

}  // namespace

struct Directory::Parser {
    Directory& dir;
    const std::uint8_t* bytes;
    std::uint64_t begin;
    std::uint64_t end;
    std::uint64_t entriesLeft;
    std::unordered_set<std::uint64_t> visitedNodes;

    bool Holds(std::uint64_t offset, std::uint64_t length) const {
        return offset >= begin && offset <= end && length <= end - offset;
    }

    const std::uint8_t* At(std::uint64_t offset) const { return bytes + (offset - begin); }

    bool ReadName(std::uint64_t offset, std::string& name) const {
        if (!Holds(offset, 1)) return false;
        const auto* p = At(offset);
        const auto* nul = static_cast<const std::uint8_t*>(std::memchr(p, 0, end - offset));
        if (nul == nullptr) return false;
        name.assign(reinterpret_cast<const char*>(p), static_cast<std::size_t>(nul - p));
        return true;
    }

    bool ParseFolder(std::uint64_t nodeOffset, std::uint32_t folderIndex, const std::string& path, int depth) {
        if (depth > kMaxDepth || !Holds(nodeOffset, kNodeSize) || !visitedNodes.insert(nodeOffset).second) return false;
        const std::uint64_t count = LoadU32(At(nodeOffset));
        const std::uint64_t table = LoadU32(At(nodeOffset + 4));
        if (count == 0) return true;
        if (count > entriesLeft || !Holds(table, count * kEntrySize)) return false;
        entriesLeft -= count;
        // count is bounded by the directory's size: growing the indexes step by
        // step would rehash a large folder many times over.
        dir.folders_[folderIndex].fileIndex.reserve(static_cast<std::size_t>(count));
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::uint8_t* entry = At(table + i * kEntrySize);
            const std::uint64_t nameOffset = LoadU32(entry);
            const std::uint64_t dataOffset = LoadU32(entry + 4);
            const std::uint8_t kind = entry[8];
            std::string name;
            if (!ReadName(nameOffset, name)) return false;
            if (kind > 1) return false;
            const bool isFolder = kind == 1;
            if (const char* problem = NameProblem(name)) {
                dir.skipped_.push_back(SkippedEntry{path, std::move(name), isFolder, problem, folderIndex});
                continue;
            }
            // Only the first of several entries of one name (and kind) can ever
            // be found by path, so the later ones are left out of the listing too.
            DirFolder& folder = dir.folders_[folderIndex];
            const auto index = static_cast<std::uint32_t>(isFolder ? dir.folders_.size() : dir.files_.size());
            if (!(isFolder ? folder.folderIndex : folder.fileIndex).try_emplace(FoldedAscii(name), index).second) {
                dir.skipped_.push_back(
                    SkippedEntry{path, std::move(name), isFolder, "its name repeats an earlier one", folderIndex});
                continue;
            }
            if (isFolder) {
                folder.folders.push_back(index);
                std::string childPath = path.empty() ? name : path + '\\' + name;
                // folder is not used past this point: the push may move it.
                dir.folders_.push_back(DirFolder{std::move(name), {}, {}, {}, {}});
                if (!ParseFolder(dataOffset, index, childPath, depth + 1)) return false;
            } else {
                if (!Holds(dataOffset, kRecordSize)) return false;
                const std::uint8_t* record = At(dataOffset);
                folder.files.push_back(index);
                dir.files_.push_back(DirFile{std::move(name), LoadU32(record), LoadU32(record + 4), record[8]});
            }
        }
        return true;
    }
};

void Directory::Clear() {
    folders_.assign(1, DirFolder{});
    files_.clear();
    skipped_.clear();
}

bool Directory::Parse(const std::uint8_t* bytes, std::uint64_t begin, std::uint64_t size, std::uint64_t rootOffset) {
    Clear();
    // Every entry of a sound directory owns its own 9 bytes, so no more entries
    // than that can be real; shared or overlapping tables beyond it are damage.
    Parser parser{*this, bytes, begin, begin + size, size / kEntrySize, {}};
    if (parser.ParseFolder(rootOffset, 0, std::string(), 0)) return true;
    Clear();
    return false;
}

int Directory::FindFolder(std::string_view path) const {
    if (folders_.empty()) return -1;
    std::uint32_t current = 0;
    const bool found = ForEachPathComponent(path, [&](std::string_view component) {
        const NameIndex& index = folders_[current].folderIndex;
        const auto child = index.find(FoldedAscii(component));
        if (child == index.end()) return false;
        current = child->second;
        return true;
    });
    return found ? static_cast<int>(current) : -1;
}

std::vector<SkippedEntry> Directory::SkippedIn(int folder, bool below) const {
    std::vector<SkippedEntry> found;
    if (folder < 0 || static_cast<std::size_t>(folder) >= folders_.size()) return found;
    std::vector<bool> inside(folders_.size(), false);
    std::vector<std::uint32_t> pending{static_cast<std::uint32_t>(folder)};
    while (!pending.empty()) {
        const std::uint32_t f = pending.back();
        pending.pop_back();
        inside[f] = true;
        if (below) pending.insert(pending.end(), folders_[f].folders.begin(), folders_[f].folders.end());
    }
    for (const SkippedEntry& entry : skipped_)
        if (entry.folderIndex < inside.size() && inside[entry.folderIndex]) found.push_back(entry);
    return found;
}

const DirFile* Directory::FindFile(std::string_view path) const {
    std::size_t cut = path.size();
    while (cut > 0 && !IsPathSeparator(path[cut - 1])) --cut;
    const std::string_view name = path.substr(cut);
    if (name.empty()) return nullptr;
    const int folder = FindFolder(path.substr(0, cut));
    if (folder < 0) return nullptr;
    const NameIndex& index = folders_[static_cast<std::size_t>(folder)].fileIndex;
    const auto file = index.find(FoldedAscii(name));
    return file == index.end() ? nullptr : &files_[file->second];
}

}  // namespace lorvex::hpi
