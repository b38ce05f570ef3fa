#include "hpi/HpiHeader.h"

#include "hpi/HpiBytes.h"

namespace lorvex::hpi {

bool ReadHeader(const std::uint8_t* bytes, std::size_t size, HpiHeader& header) {
    if (size < kHeaderSize) return false;
    header.marker = LoadU32(bytes);
    header.version = LoadU32(bytes + 4);
    header.directoryEnd = LoadU32(bytes + 8);
    header.keySeed = LoadU32(bytes + 12);
    header.directoryStart = LoadU32(bytes + 16);
    // 0x00020000 and every other value is a different layout, not damage we could read around.
    return header.marker == kArchiveMarker && header.version == kArchiveVersion;
}

void AppendHeader(std::string& out, const HpiHeader& header) {
    AppendU32(out, header.marker);
    AppendU32(out, header.version);
    AppendU32(out, header.directoryEnd);
    AppendU32(out, header.keySeed);
    AppendU32(out, header.directoryStart);
}

int DirectoryRanges(const HpiHeader& header, std::uint64_t fileSize, ByteRange (&ranges)[2]) {
    const std::uint64_t start = header.directoryStart;
    const std::uint64_t field = header.directoryEnd;
    // The directory is encrypted data after the header; it cannot overlap the header.
    if (start < kHeaderSize) return 0;
    const std::uint64_t candidates[2] = {field > start ? field : start + field, field > start ? start + field : 0};
    int count = 0;
    for (std::uint64_t end : candidates) {
        // A folder node needs 8 bytes.
        if (end >= start + 8 && end <= fileSize) ranges[count++] = ByteRange{start, end};
    }
    return count;
}

}  // namespace lorvex::hpi
