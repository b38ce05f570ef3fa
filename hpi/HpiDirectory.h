#pragma once
// The archive's folder tree, read once from the decrypted directory bytes and
// then searched by path.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
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

struct DirFolder {
    std::string name;
    std::vector<std::uint32_t> folders;  // indices into Directory::folders, in archive order
    std::vector<std::uint32_t> files;    // indices into Directory::files, in archive order
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
    // (empty, ".", "..", holding "\", "/" or ":") and later entries repeating
    // an earlier name of the same kind in the same folder are left out.
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

private:
    struct Parser;
    std::vector<DirFolder> folders_;  // [0] is the root
    std::vector<DirFile> files_;
};

}  // namespace lorvex::hpi
