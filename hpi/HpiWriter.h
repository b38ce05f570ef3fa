#pragma once
// Builds archives in the game's format: used by the tests, the demo game and
// the lorvex-hpi tool. Every test archive comes from here.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lorvex::hpi {

enum class PackMethod { Stored, Lz77, Zlib };

class HpiWriter {
public:
    // Adds a file at a path inside the archive ("units\armx.fbi"; "\" or "/"
    // separate folders, which are created as needed and keep the case first given).
    void AddFile(std::string_view path, std::string_view contents, PackMethod method = PackMethod::Zlib,
                 bool scramble = false);
    // Adds an empty folder.
    void AddFolder(std::string_view path);

    // The archive's bytes; keySeed 0 writes it unencrypted.
    std::string Build(std::uint32_t keySeed = 0) const;
    bool WriteTo(const std::filesystem::path& diskPath, std::uint32_t keySeed = 0) const;

private:
    struct Node;
    struct FileEntry {
        std::string contents;
        PackMethod method;
        bool scramble;
    };
    struct Node {
        std::string name;
        bool folder = true;
        std::vector<Node> children;
        FileEntry file;
    };
    Node root_;
};

}  // namespace lorvex::hpi
