#include "hpi/HpiDirectory.h"

#include <cstring>
#include <string>
#include <unordered_set>

#include "hpi/HpiBytes.h"
#include "hpi/HpiPath.h"

namespace lorvex::hpi {

namespace {

constexpr std::uint64_t kEntrySize = 9;
constexpr std::uint64_t kNodeSize = 8;
constexpr std::uint64_t kRecordSize = 9;

// Names are reported to callers that append them to a folder path of their own
// ("Lorvex temp\" + name), and looked up by path later. A name that is empty,
// "." or "..", or that holds a separator or a drive colon, would name another
// place than a file in that folder, so such entries are left out.
bool IsPlainName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    for (char c : name)
        if (IsPathSeparator(c) || c == ':')
            return false;
    return true;
}

std::string Folded(std::string_view name)
{
    std::string folded(name);
    for (char& c : folded)
        c = FoldAscii(c);
    return folded;
}

}  // namespace

struct Directory::Parser {
    Directory& dir;
    const std::uint8_t* bytes;
    std::uint64_t begin;
    std::uint64_t end;
    std::uint64_t entriesLeft;
    std::unordered_set<std::uint64_t> visitedNodes;

    bool Holds(std::uint64_t offset, std::uint64_t length) const
    {
        return offset >= begin && offset <= end && length <= end - offset;
    }

    const std::uint8_t* At(std::uint64_t offset) const { return bytes + (offset - begin); }

    bool ReadName(std::uint64_t offset, std::string& name) const
    {
        if (!Holds(offset, 1))
            return false;
        const auto* p = At(offset);
        const auto* nul = static_cast<const std::uint8_t*>(std::memchr(p, 0, end - offset));
        if (nul == nullptr)
            return false;
        name.assign(reinterpret_cast<const char*>(p), static_cast<std::size_t>(nul - p));
        return true;
    }

    bool ParseFolder(std::uint64_t nodeOffset, std::uint32_t folderIndex, int depth)
    {
        if (depth > kMaxDepth || !Holds(nodeOffset, kNodeSize) || !visitedNodes.insert(nodeOffset).second)
            return false;
        const std::uint64_t count = LoadU32(At(nodeOffset));
        const std::uint64_t table = LoadU32(At(nodeOffset + 4));
        if (count == 0)
            return true;
        if (count > entriesLeft || !Holds(table, count * kEntrySize))
            return false;
        entriesLeft -= count;
        // Only the first of several entries of one name (and kind) can ever be
        // found by path, so the later ones are left out of the listing too.
        std::unordered_set<std::string> folderNames;
        std::unordered_set<std::string> fileNames;
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::uint8_t* entry = At(table + i * kEntrySize);
            const std::uint64_t nameOffset = LoadU32(entry);
            const std::uint64_t dataOffset = LoadU32(entry + 4);
            const std::uint8_t kind = entry[8];
            std::string name;
            if (!ReadName(nameOffset, name))
                return false;
            if (kind > 1)
                return false;
            if (!IsPlainName(name) || !(kind == 1 ? folderNames : fileNames).insert(Folded(name)).second)
                continue;
            if (kind == 1) {
                const auto child = static_cast<std::uint32_t>(dir.folders_.size());
                dir.folders_.push_back(DirFolder{std::move(name), {}, {}});
                dir.folders_[folderIndex].folders.push_back(child);
                if (!ParseFolder(dataOffset, child, depth + 1))
                    return false;
            } else {
                if (!Holds(dataOffset, kRecordSize))
                    return false;
                const std::uint8_t* record = At(dataOffset);
                const auto file = static_cast<std::uint32_t>(dir.files_.size());
                dir.files_.push_back(DirFile{std::move(name), LoadU32(record), LoadU32(record + 4), record[8]});
                dir.folders_[folderIndex].files.push_back(file);
            }
        }
        return true;
    }
};

bool Directory::Parse(const std::uint8_t* bytes, std::uint64_t begin, std::uint64_t size, std::uint64_t rootOffset)
{
    folders_.assign(1, DirFolder{});
    files_.clear();
    // Every entry of a sound directory owns its own 9 bytes, so no more entries
    // than that can be real; shared or overlapping tables beyond it are damage.
    Parser parser{*this, bytes, begin, begin + size, size / kEntrySize, {}};
    if (parser.ParseFolder(rootOffset, 0, 0))
        return true;
    folders_.assign(1, DirFolder{});
    files_.clear();
    return false;
}

int Directory::FindFolder(std::string_view path) const
{
    if (folders_.empty())
        return -1;
    std::uint32_t current = 0;
    const bool found = ForEachPathComponent(path, [&](std::string_view component) {
        for (std::uint32_t child : folders_[current].folders) {
            if (NamesEqual(folders_[child].name, component)) {
                current = child;
                return true;
            }
        }
        return false;
    });
    return found ? static_cast<int>(current) : -1;
}

const DirFile* Directory::FindFile(std::string_view path) const
{
    std::size_t cut = path.size();
    while (cut > 0 && !IsPathSeparator(path[cut - 1]))
        --cut;
    const std::string_view name = path.substr(cut);
    if (name.empty())
        return nullptr;
    const int folder = FindFolder(path.substr(0, cut));
    if (folder < 0)
        return nullptr;
    for (std::uint32_t index : folders_[static_cast<std::size_t>(folder)].files)
        if (NamesEqual(files_[index].name, name))
            return &files_[index];
    return nullptr;
}

}  // namespace lorvex::hpi
