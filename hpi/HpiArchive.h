#pragma once
// Reader of the game's archives. The load code uses exactly these four
// operations: Open, Dir, ExtractFile and closing (the destructor or Close).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hpi/HpiDirectory.h"
#include "hpi/HpiInflate.h"

namespace lorvex::hpi {

class HpiArchive {
public:
    // Reads and checks the header and the whole directory once. Null when the
    // file is missing, unreadable, not such an archive, or damaged.
    // Packed chunks are inflated with the given backend (zlib when the build lacks it).
    static std::unique_ptr<HpiArchive> Open(const std::filesystem::path& diskPath,
                                            InflateBackend backend = DefaultInflateBackend());

    // The same for an archive's bytes in memory (copied), read exactly as the
    // file holding them would be.
    static std::unique_ptr<HpiArchive> OpenBytes(std::string_view bytes,
                                                 InflateBackend backend = DefaultInflateBackend());

    ~HpiArchive();
    HpiArchive(const HpiArchive&) = delete;
    HpiArchive& operator=(const HpiArchive&) = delete;

    // Lists the files (not sub-folders) of a folder inside the archive. Folder
    // names match without regard to case, are separated by "\", may start with
    // "\", and the empty name is the root. Start with continuation 0; each call
    // that reports an entry writes its bare name, NUL-terminated and cut to fit,
    // into name (capacity bytes) and returns the continuation for the next call,
    // never 0. Returns 0 when there is no further entry; name is then untouched.
    std::size_t Dir(std::size_t continuation, std::string_view folder, char* name, std::size_t capacity) const;

    // Writes the entry ("folder\name", matched without regard to case, a leading
    // "\" allowed) to destination. Every offset, size, chunk marker and checksum
    // is checked; on any failure the partly written destination is removed and
    // false is returned. Never writes more than the entry's stated size.
    bool ExtractFile(std::string_view entryPath, const std::filesystem::path& destination) const;

    // The same into an open stream (the caller owns it and what becomes of a
    // partly written file); false on any failure.
    bool ExtractTo(std::string_view entryPath, std::FILE* out) const;

    // The entry's bytes into `bytes` (replacing what it held), with the same
    // checks as ExtractFile; on any failure `bytes` is left empty and false is
    // returned. The buffer grows only as chunks decode, so reusing it across
    // entries allocates once for a whole load.
    bool ExtractToMemory(std::string_view entryPath, std::vector<std::uint8_t>& bytes) const;

    // Lists the sub-folders of a folder the same way Dir lists its files (used by
    // the lorvex-hpi tool and the fuzz targets to walk the whole tree).
    std::size_t DirFolders(std::size_t continuation, std::string_view folder, char* name, std::size_t capacity) const;

    // The unpacked size the archive states for an entry; empty when there is no such entry.
    std::optional<std::uint32_t> EntrySize(std::string_view entryPath) const;

    // What "lorvex-hpi list -l" shows of an entry: its sizes and how it is packed.
    struct EntryInfo {
        std::uint32_t size = 0;        // once unpacked
        std::uint64_t packedSize = 0;  // as stored, chunk-length table included
        bool packedSizeKnown = false;  // false when the chunk table lies outside the file
        std::uint8_t compression = 0;  // 0 stored, 1 LZ77, 2 zlib (any other value is damage)
    };
    // Empty when there is no such entry.
    std::optional<EntryInfo> Info(std::string_view entryPath) const;

    // The header's key seed: 0 for an archive stored in the clear.
    std::uint32_t KeySeed() const;

    // The entry's bytes as the archive stores them, decrypted but still packed:
    // for a packed entry its chunk-length table and the chunks it lists. False
    // (bytes empty) when there is no such entry, its compression field is
    // unknown, a chunk length is impossible, the bytes do not lie inside the
    // file, or they would exceed maxBytes. Rewriting an archive copies its
    // untouched entries this way.
    bool ReadStored(std::string_view entryPath, std::string& bytes, std::uint64_t maxBytes) const;

    // The entries the directory holds but Dir, DirFolders and every lookup leave
    // out: names that are no plain file name, and repeats of an earlier name of
    // the same kind in the same folder. Empty when not open.
    const std::vector<SkippedEntry>& Skipped() const;
    // Those of one folder, found as Dir finds it (any case, either separator),
    // and with below of every folder under it; none when there is no such folder.
    std::vector<SkippedEntry> SkippedIn(std::string_view folder, bool below = false) const;

    // Releases the archive; the destructor does the same.
    void Close();

private:
    struct Impl;
    explicit HpiArchive(std::unique_ptr<Impl> impl);
    static std::unique_ptr<HpiArchive> Finish(std::unique_ptr<Impl> impl, InflateBackend backend);
    std::unique_ptr<Impl> impl_;
};

}  // namespace lorvex::hpi
