#include "hpi/HpiRewrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>
#include <unordered_map>

#include "hpi/ArchiveFiles.h"
#include "hpi/HpiArchive.h"
#include "hpi/HpiChunk.h"
#include "hpi/HpiDirectory.h"
#include "hpi/HpiPath.h"
#include "hpi/HpiWriter.h"
#include "platform/AsciiText.h"
#include "platform/PrintableText.h"
#include "platform/SaveFile.h"

namespace lorvex::hpi {

namespace fs = std::filesystem;
using platform::WriteProblem;

namespace {

constexpr std::size_t kNameRoom = 4096;
// The reader refuses deeper trees; this only bounds the walk's recursion.
constexpr int kMaxWalkDepth = Directory::kMaxDepth;
// How many of the entries a directory left out a refusal names.
constexpr std::size_t kNamedSkipped = 3;
// A chunk's header and its length in the table, and zlib's worst growth, on
// top of a replaced file's own bytes when its size is bounded ahead.
constexpr std::uint64_t kChunkOverhead = kChunkHeaderSize + 4 + 64;

std::string Mib(std::uint64_t bytes) {
    return bytes < (std::uint64_t{1} << 20) ? std::to_string(bytes) + " bytes" : std::to_string(bytes >> 20) + " MiB";
}

// The path in one spelling for matching: "\"-separated, A-Z folded, no empty parts.
std::string PathKey(std::string_view path) {
    std::string key;
    ForEachPathComponent(path, [&](std::string_view part) {
        if (!key.empty()) key += '\\';
        key += platform::FoldedAscii(part);
        return true;
    });
    return key;
}

std::string Join(const std::string& folder, std::string_view name) {
    return folder.empty() ? std::string(name) : folder + "\\" + std::string(name);
}

struct Walked {
    std::vector<std::string> files;    // the archive's spelling
    std::vector<std::string> folders;  // every folder, so that empty ones survive
};

void Walk(const HpiArchive& archive, const std::string& folder, Walked& walked, int depth) {
    char name[kNameRoom];
    for (std::size_t c = archive.Dir(0, folder, name, sizeof name); c != 0;
         c = archive.Dir(c, folder, name, sizeof name))
        walked.files.push_back(Join(folder, name));
    if (depth >= kMaxWalkDepth) return;
    std::vector<std::string> subs;
    for (std::size_t c = archive.DirFolders(0, folder, name, sizeof name); c != 0;
         c = archive.DirFolders(c, folder, name, sizeof name))
        subs.push_back(Join(folder, name));
    for (const std::string& sub : subs) {
        walked.folders.push_back(sub);
        Walk(archive, sub, walked, depth + 1);
    }
}

PackMethod MethodOf(std::uint8_t compression) {
    if (compression == kFileLz77) return PackMethod::Lz77;
    if (compression == kFileZlib) return PackMethod::Zlib;
    return PackMethod::Stored;
}

// Whether a packed entry's chunks are scrambled, as its first chunk says (the
// writer scrambles all of a file's chunks or none).
bool Scrambled(const std::string& stored, std::uint32_t size, std::uint8_t compression) {
    if (compression == kFileStored || size == 0) return false;
    const std::size_t flagAt = static_cast<std::size_t>(ChunkCount(size)) * 4 + 6;
    return flagAt < stored.size() && stored[flagAt] == 1;
}

}  // namespace

PreparedRewrite PrepareRewrite(const fs::path& archivePath, const RewriteRequest& request) {
    PreparedRewrite result;
    std::string& problem = result.problem;
    const fs::path target = RegularFile(archivePath, problem);
    if (target.empty()) return result;
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) {
        problem = "cannot reach it: " + WriteProblem(errno);
        return result;
    }
    auto archive = HpiArchive::Open(target);
    if (!archive) {
        problem = "it cannot be read as an archive (unreadable or damaged)";
        return result;
    }
    // Writing the archive again would drop what its directory left out.
    const auto& skipped = archive->Skipped();
    if (!skipped.empty()) {
        problem = "it holds " + std::to_string(skipped.size()) +
                  (skipped.size() == 1 ? " entry that" : " entries that") +
                  " could not be carried over into a new copy:";
        for (std::size_t i = 0; i < skipped.size() && i < kNamedSkipped; ++i)
            problem += std::string(i == 0 ? " " : "; ") +
                       Join(skipped[i].folder, platform::EscapeControls(skipped[i].name)) + " (" + skipped[i].reason +
                       ")";
        if (skipped.size() > kNamedSkipped) problem += "; ...";
        return result;
    }

    std::unordered_map<std::string, const EntryText*> replacements;
    for (const EntryText& entry : request.replace) replacements[PathKey(entry.path)] = &entry;
    Walked walked;
    Walk(*archive, "", walked, 0);

    HpiWriter writer;
    for (const std::string& folder : walked.folders) writer.AddFolder(folder);
    std::uint64_t total = 0;
    const auto tooLarge = [&] {
        problem = "writing it again would take more than " + Mib(request.maxBytes) + ", the most one save may write";
    };
    std::string stored;
    std::size_t replaced = 0;
    for (const std::string& path : walked.files) {
        const auto info = archive->Info(path);
        if (!info || info->compression > kFileZlib || !info->packedSizeKnown) {
            problem = "its entry " + path + " is damaged (its contents cannot be located)";
            return result;
        }
        const auto change = replacements.find(PathKey(path));
        if (change == replacements.end()) {
            if (info->packedSize > request.maxBytes - total) {
                tooLarge();
                return result;
            }
            if (!archive->ReadStored(path, stored, request.maxBytes - total)) {
                problem = "its entry " + path + " is damaged (its contents cannot be read)";
                return result;
            }
            total += stored.size();
            writer.AddStoredFile(path, std::move(stored), info->size, info->compression);
            stored = std::string();
            continue;
        }
        const std::string& contents = change->second->contents;
        const std::uint64_t bound = contents.size() + ChunkCount(contents.size()) * kChunkOverhead;
        if (bound > request.maxBytes - total) {
            tooLarge();
            return result;
        }
        total += bound;
        bool scramble = false;
        if (info->compression != kFileStored) {
            if (!archive->ReadStored(path, stored, request.maxBytes)) {
                problem = "its entry " + path + " is damaged (its contents cannot be read)";
                return result;
            }
            scramble = Scrambled(stored, info->size, info->compression);
        }
        writer.AddFile(path, contents, MethodOf(info->compression), scramble);
        ++replaced;
    }
    if (replaced != replacements.size()) {
        for (const EntryText& entry : request.replace)
            if (!archive->EntrySize(entry.path)) {
                problem = "it holds no entry " + entry.path;
                return result;
            }
    }
    for (const EntryText& entry : request.add) {
        if (archive->EntrySize(entry.path)) {
            problem = "it already holds an entry " + entry.path;
            return result;
        }
        const std::uint64_t bound = entry.contents.size() + ChunkCount(entry.contents.size()) * kChunkOverhead;
        if (bound > request.maxBytes - total) {
            tooLarge();
            return result;
        }
        total += bound;
        if (!writer.AddFile(entry.path, entry.contents, PackMethod::Zlib)) {
            problem = entry.path + " is no path an archive can hold";
            return result;
        }
    }

    const std::uint32_t keySeed = archive->KeySeed();
    archive.reset();
    const std::string bytes = writer.Build(keySeed);
    if (bytes.empty() || bytes.size() > request.maxBytes) {
        tooLarge();
        return result;
    }
    const fs::path temporary = WriteTemporary(target.parent_path(), bytes, st.st_mode & 07777, problem);
    if (temporary.empty()) return result;
    auto pending = std::make_unique<PendingArchive>(target, temporary);

    // What lies on the disk is read back before it may replace anything.
    auto check = HpiArchive::Open(temporary);
    Walked written;
    if (check) Walk(*check, "", written, 0);
    bool sound = check && check->Skipped().empty() && written.files.size() == walked.files.size() + request.add.size();
    std::vector<std::uint8_t> back;
    for (const auto* list : {&request.replace, &request.add})
        for (std::size_t i = 0; sound && i < list->size(); ++i) {
            const EntryText& entry = (*list)[i];
            sound = check->ExtractToMemory(entry.path, back) &&
                    std::string_view(reinterpret_cast<const char*>(back.data()), back.size()) == entry.contents;
        }
    if (!sound) {
        problem = "its new copy did not read back as written";
        return result;
    }
    result.pending = std::move(pending);
    return result;
}

RewriteOutcome RewriteArchive(const fs::path& archive, const RewriteRequest& request) {
    RewriteOutcome outcome;
    PreparedRewrite prepared = PrepareRewrite(archive, request);
    if (!prepared.pending) {
        outcome.problem = std::move(prepared.problem);
        return outcome;
    }
    outcome.ok = prepared.pending->Commit(outcome.problem, &outcome.madeBackup);
    return outcome;
}

std::string WriteNewArchive(const fs::path& target, const std::vector<EntryText>& files, std::uint64_t maxBytes) {
    HpiWriter writer;
    std::unordered_map<std::string, std::string_view> seen;
    std::uint64_t total = 0;
    for (const EntryText& file : files) {
        if (!HpiWriter::StorablePath(file.path)) return file.path + " is no path an archive can hold";
        const auto [at, added] = seen.try_emplace(PathKey(file.path), file.path);
        if (!added) return "two files would share the path " + file.path;
        const std::uint64_t bound = file.contents.size() + ChunkCount(file.contents.size()) * kChunkOverhead;
        if (bound > maxBytes - total)
            return "the archive would take more than " + Mib(maxBytes) + ", the most one save may write";
        total += bound;
        writer.AddFile(file.path, file.contents, PackMethod::Zlib);
    }
    const std::string bytes = writer.Build();
    if (bytes.empty() || bytes.size() > maxBytes)
        return "the archive would take more than " + Mib(maxBytes) + ", the most one save may write";
    const platform::SaveResult saved = platform::SaveFile(target, [&](std::FILE* out) {
        if (std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fflush(out) != 0) return false;
        RewriteStep("written");
        // Flushed to the disk before SaveFile renames it into place.
        return ::fsync(::fileno(out)) == 0 || errno == EINVAL;
    });
    return saved.ok ? std::string() : saved.error;
}

}  // namespace lorvex::hpi
