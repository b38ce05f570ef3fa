#pragma once
// Whole archives on the command line: walking an archive's folder tree and
// unpacking it, or one of its folders, into a folder on disk.
#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "hpi/HpiArchive.h"

namespace lorvex::hpi {

struct TreeEntry {
    std::string path;  // inside the archive, folders separated by "\", as the archive spells it
    bool folder = false;
};

// The archive's spelling of a folder path typed in any case ("UNITS\sub" ->
// "units\Sub"); "" for the root; empty when there is no such folder.
std::optional<std::string> FindArchiveFolder(const HpiArchive& archive, std::string_view folder);

// Every file and folder below folder (which must be the archive's spelling),
// each folder's files first, then its sub-folders with what they hold.
std::vector<TreeEntry> WalkTree(const HpiArchive& archive, const std::string& folder);

// "lorvex-hpi: skipped units\a?b: <reason>\n" with the name's control bytes escaped.
std::string SkippedMessage(const SkippedEntry& entry);

struct ExtractCounts {
    int written = 0;
    int skipped = 0;  // names left out of the directory, that would leave the destination,
                      // clash with what is there, or pass the byte limit
    int failed = 0;   // damaged entries, or files that could not be written
};

inline constexpr std::uint64_t kNoByteLimit = std::numeric_limits<std::uint64_t>::max();

// Unpacks everything below folder (the archive's spelling) into destination,
// keeping the tree from the archive's root: "units\armx.fbi" becomes
// destination/units/armx.fbi. Nothing is written outside destination: a name
// that is no plain file name, or a path through a symbolic link, is reported on
// messages and skipped, as is every entry the directory left out below folder.
// A file whose stated size would take the bytes unpacked so far past maxBytes
// is reported and skipped too. Each file is written to a temporary name and
// renamed into place only when it was unpacked whole.
ExtractCounts ExtractTree(const HpiArchive& archive, const std::string& folder,
                          const std::filesystem::path& destination, std::ostream& messages,
                          std::uint64_t maxBytes = kNoByteLimit);

}  // namespace lorvex::hpi
