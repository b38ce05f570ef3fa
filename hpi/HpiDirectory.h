#pragma once
// The archive's folder tree, read once from the decrypted directory bytes and
// then searched by path.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lorvex::hpi {

// Compression field of a file record.
inline constexpr std::uint8_t kFileStored = 0;
inline constexpr std::uint8_t kFileLz77 = 1;
inline constexpr std::uint8_t kFileZlib = 2;

struct DirFile {
    std::string name;
    std::uint32_t contentsOffset = 0;
    std::uint32_t size = 0;
    std::uint8_t compression = 0;  // checked when the file is extracted
};

// Names folded to lower case (A to Z only) -> index into Directory::folders or
// Directory::files: a lookup costs the same in a folder of 200,000 entries as in
// one of ten.
using NameIndex = std::unordered_map<std::string, std::uint32_t>;

struct DirFolder {
    std::string name;
    std::vector<std::uint32_t> folders;  // indices into Directory::folders, in archive order
    std::vector<std::uint32_t> files;    // indices into Directory::files, in archive order
    NameIndex folderIndex;
    NameIndex fileIndex;
};

// An entry the directory holds but leaves out of every listing and lookup.
struct SkippedEntry {
    std::string folder;  // the folder's path in the archive's spelling, "" for the root, "units\sub"
    std::string name;    // the raw name bytes as the archive holds them
    bool isFolder = false;
    std::string reason;             // "its name is no plain file name", "its name repeats an earlier one", ...
    std::uint32_t folderIndex = 0;  // the folder it lies in, numbered as Folder() numbers them
};

class Directory {
public:
    // Limits beyond which a directory counts as damaged.
    static constexpr int kMaxDepth = 64;

    // Parses the folder tree whose root node lies at rootOffset. bytes holds the
    // file's bytes [begin, begin + size), already decrypted; every offset must
    // fall inside that range. A node reached twice (a loop, or a node shared by
    // two folders), a tree deeper than kMaxDepth, more entries than the bytes
    // can hold, an unterminated name or an unknown entry kind makes it fail,
    // leaving the directory empty. Entries whose name is no plain file name
    // (empty, ".", "..", holding "\", "/", ":" or a control character) and
    // later entries repeating an earlier name of the same kind in the same
    // folder are left out, and recorded in Skipped().
    bool Parse(const std::uint8_t* bytes, std::uint64_t begin, std::uint64_t size, std::uint64_t rootOffset);

    // The folder for a path ("units", "\Units\Sub", "" = root); -1 when absent.
    // Names match without regard to case; "\" (or "/") separates them and empty
    // components are skipped.
    int FindFolder(std::string_view path) const;
    // The file for "folder\name"; null when absent.
    const DirFile* FindFile(std::string_view path) const;

    const DirFolder& Folder(std::size_t index) const { return folders_[index]; }
    const DirFile& File(std::size_t index) const { return files_[index]; }
    std::size_t FolderCount() const { return folders_.size(); }
    std::size_t FileCount() const { return files_.size(); }

    // What Parse left out, in archive order (a skipped folder's contents are not read).
    const std::vector<SkippedEntry>& Skipped() const { return skipped_; }
    // The entries left out of folder (an index from FindFolder), and with below
    // of every folder under it too.
    std::vector<SkippedEntry> SkippedIn(int folder, bool below) const;

private:
    struct Parser;
    void Clear();
    std::vector<DirFolder> folders_;  // [0] is the root
    std::vector<DirFile> files_;
    std::vector<SkippedEntry> skipped_;
};

}  // namespace lorvex::hpi
