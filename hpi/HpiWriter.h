#pragma once
// Builds archives in the game's format: used by the tests, the demo game and
// the lorvex-hpi tool. Every test archive comes from here.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lorvex::hpi {

enum class PackMethod { Stored, Lz77, Zlib };

class HpiWriter {
public:
    // Adds a file at a path inside the archive ("units\armx.fbi"; "\" or "/"
    // separate folders, which are created as needed and keep the case first given).
    // Refuses (false, nothing added) any path StorablePath refuses.
    bool AddFile(std::string_view path, std::string_view contents, PackMethod method = PackMethod::Zlib,
                 bool scramble = false);
    // Adds an empty folder; refuses the same paths as AddFile.
    bool AddFolder(std::string_view path);
    // Adds a file whose contents are already in their record's form (what
    // HpiArchive::ReadStored gives: as is, or the chunk-length table and its
    // chunks), kept byte for byte under the given unpacked size and
    // compression field. Rewriting an archive this way keeps every untouched
    // entry's chunks, method and scrambling exactly, and costs no packing.
    bool AddStoredFile(std::string_view path, std::string stored, std::uint32_t size, std::uint8_t compression);

    // True when every component of path, split at "\" and "/", is a plain name:
    // not empty (so no leading, trailing or doubled separator), not "." or "..",
    // without ":" or a control character. No other path is stored, so an
    // archive from here never names a place outside the folder it is unpacked
    // into, nor a name that could steer a terminal.
    static bool StorablePath(std::string_view path);

    // The archive's bytes; keySeed 0 writes it unencrypted.
    std::string Build(std::uint32_t keySeed = 0) const;
    bool WriteTo(const std::filesystem::path& diskPath, std::uint32_t keySeed = 0) const;

private:
    struct Node;
    struct FileEntry {
        std::string contents;
        PackMethod method;
        bool scramble;
        bool stored = false;  // contents already in their record's form (AddStoredFile)
        std::uint32_t size = 0;
        std::uint8_t compression = 0;
    };
    struct Node {
        std::string name;
        bool folder = true;
        std::vector<Node> children;
        FileEntry file;
        // Folded name -> position in children, one map per kind: adding the
        // 200,000th entry of a folder costs no scan of the others.
        std::unordered_map<std::string, std::size_t> folderIndex;
        std::unordered_map<std::string, std::size_t> fileIndex;
    };
    Node* Folder(Node& parent, std::string_view name);
    FileEntry* File(std::string_view path);
    Node root_;
};

}  // namespace lorvex::hpi
