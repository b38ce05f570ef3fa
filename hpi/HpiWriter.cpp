#include "hpi/HpiWriter.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "hpi/HpiBytes.h"
#include "hpi/HpiChunk.h"
#include "hpi/HpiCipher.h"
#include "hpi/HpiDirectory.h"
#include "hpi/HpiHeader.h"
#include "hpi/HpiPath.h"
#include "platform/AsciiText.h"

namespace lorvex::hpi {

using platform::FoldedAscii;

namespace {

// The components of a storable path; empty for any other path.
std::vector<std::string_view> SplitPath(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && !IsPathSeparator(path[i])) continue;
        const std::string_view part = path.substr(start, i - start);
        if (!IsPlainName(part)) return {};
        parts.push_back(part);
        start = i + 1;
    }
    return parts;
}

std::uint8_t RecordCompression(PackMethod method) {
    switch (method) {
        case PackMethod::Stored: return kFileStored;
        case PackMethod::Lz77: return kFileLz77;
        case PackMethod::Zlib: break;
    }
    return kFileZlib;
}

// Appends a file's contents in its record's form: as is, or a chunk-length table followed by the chunks.
bool AppendContents(const std::string& contents, PackMethod method, bool scramble, std::string& out) {
    if (method == PackMethod::Stored) {
        out += contents;
        return true;
    }
    const std::uint8_t chunkMethod = method == PackMethod::Lz77 ? kChunkLz77 : kChunkZlib;
    const auto* data = reinterpret_cast<const std::uint8_t*>(contents.data());
    const std::size_t count = static_cast<std::size_t>(ChunkCount(contents.size()));
    const std::size_t tableAt = out.size();
    out.append(count * 4, '\0');
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t begin = i * kChunkUnpacked;
        const std::size_t size = std::min(kChunkUnpacked, contents.size() - begin);
        const std::size_t chunkAt = out.size();
        if (!AppendChunk(data + begin, size, chunkMethod, scramble, out)) return false;
        PatchU32(out, tableAt + 4 * i, static_cast<std::uint32_t>(out.size() - chunkAt));
    }
    return true;
}

}  // namespace

bool HpiWriter::StorablePath(std::string_view path) { return !SplitPath(path).empty(); }

HpiWriter::Node* HpiWriter::Folder(Node& parent, std::string_view name) {
    const auto [at, added] = parent.folderIndex.try_emplace(FoldedAscii(name), parent.children.size());
    if (added) parent.children.push_back(Node{std::string(name), true, {}, {}, {}, {}});
    return &parent.children[at->second];
}

HpiWriter::FileEntry* HpiWriter::File(std::string_view path) {
    const std::vector<std::string_view> parts = SplitPath(path);
    if (parts.empty()) return nullptr;
    Node* folder = &root_;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) folder = Folder(*folder, parts[i]);
    // A file added twice keeps its first place and takes the later contents.
    const auto [at, added] = folder->fileIndex.try_emplace(FoldedAscii(parts.back()), folder->children.size());
    if (added) folder->children.push_back(Node{std::string(parts.back()), false, {}, {}, {}, {}});
    return &folder->children[at->second].file;
}

bool HpiWriter::AddFile(std::string_view path, std::string_view contents, PackMethod method, bool scramble) {
    FileEntry* file = File(path);
    if (file == nullptr) return false;
    *file = FileEntry{std::string(contents), method, scramble, false, 0, 0};
    return true;
}

bool HpiWriter::AddStoredFile(std::string_view path, std::string stored, std::uint32_t size, std::uint8_t compression) {
    FileEntry* file = File(path);
    if (file == nullptr) return false;
    *file = FileEntry{std::move(stored), PackMethod::Stored, false, true, size, compression};
    return true;
}

bool HpiWriter::AddFolder(std::string_view path) {
    const std::vector<std::string_view> parts = SplitPath(path);
    if (parts.empty()) return false;
    Node* folder = &root_;
    for (std::string_view part : parts) folder = Folder(*folder, part);
    return true;
}

namespace {

template <typename FileT>
struct PendingFile {
    std::size_t recordAt;
    const FileT* file;
};

// Lays out a folder node, its entry table, then each entry's name followed by
// the entry's folder node or file record. File records are filled in once the
// contents behind the directory have their offsets.
template <typename NodeT, typename FileT>
void AppendFolder(const NodeT& folder, std::string& out, std::vector<PendingFile<FileT>>& files) {
    const std::size_t nodeAt = out.size();
    AppendU32(out, static_cast<std::uint32_t>(folder.children.size()));
    AppendU32(out, 0);
    const std::size_t tableAt = out.size();
    PatchU32(out, nodeAt + 4, static_cast<std::uint32_t>(tableAt));
    out.append(folder.children.size() * 9, '\0');
    for (std::size_t i = 0; i < folder.children.size(); ++i) {
        const NodeT& child = folder.children[i];
        const std::size_t entryAt = tableAt + 9 * i;
        PatchU32(out, entryAt, static_cast<std::uint32_t>(out.size()));
        out += child.name;
        out.push_back('\0');
        PatchU32(out, entryAt + 4, static_cast<std::uint32_t>(out.size()));
        out[entryAt + 8] = child.folder ? 1 : 0;
        if (child.folder) {
            AppendFolder(child, out, files);
        } else {
            files.push_back(PendingFile<FileT>{out.size(), &child.file});
            out.append(9, '\0');
        }
    }
}

}  // namespace

std::string HpiWriter::Build(std::uint32_t keySeed) const {
    std::string out;
    HpiHeader header;
    header.keySeed = keySeed;
    AppendHeader(out, header);
    std::vector<PendingFile<FileEntry>> files;
    AppendFolder(root_, out, files);
    const std::size_t directoryEnd = out.size();
    for (const PendingFile<FileEntry>& pending : files) {
        const FileEntry& file = *pending.file;
        const std::size_t contentsAt = out.size();
        if (file.stored) {
            out += file.contents;
        } else if (file.contents.size() > std::numeric_limits<std::uint32_t>::max() ||
                   !AppendContents(file.contents, file.method, file.scramble, out)) {
            return {};
        }
        PatchU32(out, pending.recordAt, static_cast<std::uint32_t>(contentsAt));
        PatchU32(out, pending.recordAt + 4, file.stored ? file.size : static_cast<std::uint32_t>(file.contents.size()));
        out[pending.recordAt + 8] = static_cast<char>(file.stored ? file.compression : RecordCompression(file.method));
    }
    // Every offset is a u32: an archive past 4 GiB cannot be described.
    if (out.size() > std::numeric_limits<std::uint32_t>::max()) return {};
    PatchU32(out, 8, static_cast<std::uint32_t>(directoryEnd));
    HpiCipher(keySeed).Apply(reinterpret_cast<std::uint8_t*>(out.data()) + kHeaderSize, out.size() - kHeaderSize,
                             kHeaderSize);
    return out;
}

bool HpiWriter::WriteTo(const std::filesystem::path& diskPath, std::uint32_t keySeed) const {
    const std::string bytes = Build(keySeed);
    if (bytes.empty()) return false;
    std::FILE* file = std::fopen(diskPath.string().c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return (std::fclose(file) == 0) && written;
}

}  // namespace lorvex::hpi
