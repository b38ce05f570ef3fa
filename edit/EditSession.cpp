#include "edit/EditSession.h"

#include <algorithm>

#include "hpi/HpiArchive.h"
#include "platform/AsciiText.h"
#include "platform/FileSystem.h"
#include "tdf/TdfNumber.h"

namespace lorvex {
namespace {

constexpr std::string_view kArchiveFolderPrefix = "..\\";

// The value a change is about: as written, or for a flag whether any occurrence sets it.
std::optional<std::string> ReadFor(std::string_view text, int blockLine, const ValueWrite& write) {
    if (!write.flag) return TdfReadValue(text, blockLine, write.key, write.maxDepth);
    const std::vector<TdfValueAt> all = TdfReadValues(text, blockLine, write.key, write.maxDepth);
    if (all.empty()) return std::nullopt;
    const bool set =
        std::any_of(all.begin(), all.end(), [](const TdfValueAt& at) { return ReadTdfInt(at.value.c_str()) != 0; });
    return set ? "1" : "0";
}

bool Failed(const TdfEditResult& r) {
    return r.outcome == TdfEditOutcome::Refused || r.outcome == TdfEditOutcome::NoSuchBlock;
}

TdfEditResult WriteOne(std::string& text, int blockLine, const ValueWrite& write) {
    if (!write.flag || ReadTdfInt(write.value.c_str()) != 0)
        return TdfSetValue(text, blockLine, write.key, write.value, write.maxDepth);
    for (const TdfValueAt& at : TdfReadValues(text, blockLine, write.key, write.maxDepth)) {
        if (ReadTdfInt(at.value.c_str()) == 0) continue;
        const TdfEditResult r = TdfSetValueOnLine(text, blockLine, at.line, write.key, write.value, write.maxDepth);
        if (Failed(r)) return r;
    }
    return {TdfEditOutcome::Replaced, {}, {}};
}

int BlockLine(std::string_view text, std::size_t block) {
    const std::vector<TdfBlockInfo> blocks = TdfBlocks(text);
    return block < blocks.size() ? blocks[block].line : 0;
}

}  // namespace

std::optional<std::string> ReadRecordText(const std::string& archiveFolder, const RecordSource& source) {
    const std::string_view path = source.archivePath;
    const std::filesystem::path disk =
        path.substr(0, kArchiveFolderPrefix.size()) == kArchiveFolderPrefix
            ? platform::DiskPathOfName(archiveFolder, path.substr(kArchiveFolderPrefix.size()))
            : platform::DiskPath(path);
    const auto archive = hpi::HpiArchive::Open(disk);
    std::vector<std::uint8_t> bytes;
    if (!archive || !archive->ExtractToMemory(source.entryPath, bytes)) return std::nullopt;
    return std::string(bytes.begin(), bytes.end());
}

EditSession::File* EditSession::Load(const RecordSource& source) {
    if (auto it = files_.find(source.location); it != files_.end()) return &it->second;
    std::optional<std::string> text = source_ ? source_(source) : std::nullopt;
    if (!text) return nullptr;
    File& file = files_[source.location];
    file.source = source;
    file.original = *text;
    file.current = std::move(*text);
    return &file;
}

const std::string* EditSession::TextOf(const RecordSource& source) {
    const File* file = Load(source);
    return file ? &file->current : nullptr;
}

const std::string* EditSession::Text(std::string_view location) const {
    const auto it = files_.find(location);
    return it == files_.end() ? nullptr : &it->second.current;
}

bool EditSession::Rebuild(File& file, std::string* problem) {
    std::string text = file.original;
    for (const Change& change : changes_) {
        if (change.location != file.source.location) continue;
        const TdfEditResult r = WriteOne(text, BlockLine(text, change.block), change.write);
        if (Failed(r)) {
            if (problem) *problem = r.problem;
            return false;
        }
    }
    file.current = std::move(text);
    return true;
}

EditSession::Applied EditSession::Apply(const RecordSource& source, int blockLine,
                                        const std::vector<ValueWrite>& writes) {
    Applied applied;
    File* file = Load(source);
    if (!file) {
        applied.problem = "the record file " + source.entryPath + " cannot be read from " + source.archivePath;
        return applied;
    }
    const std::vector<TdfBlockInfo> blocks = TdfBlocks(file->current);
    const auto at =
        std::find_if(blocks.begin(), blocks.end(), [&](const TdfBlockInfo& b) { return b.line == blockLine; });
    if (at == blocks.end()) {
        applied.problem = "no record starts on line " + std::to_string(blockLine) + " of " + source.entryPath;
        return applied;
    }
    const auto block = static_cast<std::size_t>(at - blocks.begin());
    std::string text = file->current;
    for (const ValueWrite& write : writes) {
        const TdfEditResult r = WriteOne(text, blockLine, write);
        if (Failed(r)) {
            applied.problem = write.key + ": " + r.problem;
            return applied;
        }
    }
    bool dropped = false;
    for (const ValueWrite& write : writes) {
        auto same = [&](const Change& c) {
            return c.location == source.location && c.block == block && platform::EqualsFolded(c.write.key, write.key);
        };
        auto change = std::find_if(changes_.begin(), changes_.end(), same);
        if (change == changes_.end()) {
            changes_.push_back({source.location, block, write, ReadFor(file->current, blockLine, write)});
            change = changes_.end() - 1;
        }
        change->write = write;
        if (ReadFor(text, blockLine, write) == change->original) {
            changes_.erase(change);
            dropped = true;
        }
    }
    applied.before = std::move(file->current);
    file->current = std::move(text);
    if (dropped && !Rebuild(*file, &applied.problem)) return applied;
    applied.ok = true;
    return applied;
}

EditSession::Applied EditSession::Revert(std::size_t index) {
    Applied applied;
    if (index >= changes_.size()) {
        applied.problem = "there is no such change";
        return applied;
    }
    File& file = files_.at(changes_[index].location);
    changes_.erase(changes_.begin() + static_cast<std::ptrdiff_t>(index));
    applied.before = file.current;
    applied.ok = Rebuild(file, &applied.problem);
    return applied;
}

std::vector<EditChange> EditSession::Changes() const {
    std::vector<EditChange> list;
    for (const Change& change : changes_) {
        const File& file = files_.at(change.location);
        const std::vector<TdfBlockInfo> blocks = TdfBlocks(file.current);
        if (change.block >= blocks.size()) continue;
        const TdfBlockInfo& block = blocks[change.block];
        list.push_back({change.location, block.line, block.name, change.write.key, change.original,
                        ReadFor(file.current, block.line, change.write), file.source.entryPath,
                        file.source.archivePath});
    }
    return list;
}

std::vector<std::pair<RecordSource, std::string>> EditSession::ChangedFiles() const {
    std::vector<std::pair<RecordSource, std::string>> changed;
    for (const auto& entry : files_) {
        const std::string& location = entry.first;
        if (std::any_of(changes_.begin(), changes_.end(), [&](const Change& c) { return c.location == location; }))
            changed.emplace_back(entry.second.source, entry.second.current);
    }
    return changed;
}

void EditSession::MarkSaved() {
    for (auto& [location, file] : files_) file.original = file.current;
    changes_.clear();
}

void EditSession::Clear() {
    files_.clear();
    changes_.clear();
}

EditSession::FileSnapshot EditSession::Snapshot(std::string_view location) const {
    FileSnapshot snapshot;
    snapshot.location = std::string(location);
    if (const std::string* text = Text(location)) snapshot.text = *text;
    for (std::size_t i = 0; i < changes_.size(); ++i)
        if (changes_[i].location == location) {
            snapshot.order.push_back(i);
            snapshot.changes.push_back(changes_[i]);
        }
    return snapshot;
}

void EditSession::Restore(const FileSnapshot& snapshot) {
    const auto it = files_.find(snapshot.location);
    if (it == files_.end()) return;
    it->second.current = snapshot.text;
    std::erase_if(changes_, [&](const Change& c) { return c.location == snapshot.location; });
    for (std::size_t i = 0; i < snapshot.changes.size(); ++i)
        changes_.insert(changes_.begin() + static_cast<std::ptrdiff_t>(std::min(snapshot.order[i], changes_.size())),
                        snapshot.changes[i]);
}

}  // namespace lorvex
