#pragma once
// The 20-byte archive header, which is never encrypted.
#include <cstddef>
#include <cstdint>
#include <string>

namespace lorvex::hpi {

inline constexpr std::size_t kHeaderSize = 20;
inline constexpr std::uint32_t kArchiveMarker = 0x49504148;  // "HAPI"
inline constexpr std::uint32_t kArchiveVersion = 0x00010000;

struct HpiHeader {
    std::uint32_t marker = kArchiveMarker;
    std::uint32_t version = kArchiveVersion;
    std::uint32_t directoryEnd = 0;  // also read as the directory's size, see DirectoryRanges
    std::uint32_t keySeed = 0;
    std::uint32_t directoryStart = kHeaderSize;
};

// Reads the header from the first bytes of a file; false when there are fewer
// than 20 bytes, the marker is wrong or the version is not the one layout known.
bool ReadHeader(const std::uint8_t* bytes, std::size_t size, HpiHeader& header);

void AppendHeader(std::string& out, const HpiHeader& header);

// A byte range [begin, end) of the file.
struct ByteRange {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
};

// The directory's possible extents inside a file of fileSize bytes, the more
// likely one first. The end field is normally the offset just past the
// directory, but some archives hold the directory's size there; when the field
// is not past the start only the size reading makes sense. Ranges that do not
// fit inside the file (or hold less than one folder node) are left out.
// Returns how many of the two slots were filled.
int DirectoryRanges(const HpiHeader& header, std::uint64_t fileSize, ByteRange (&ranges)[2]);

}  // namespace lorvex::hpi
