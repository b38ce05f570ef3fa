#pragma once
// Packed files: a table of u32 chunk lengths, then the chunks back to back. Each
// chunk holds up to 65536 unpacked bytes behind a 19-byte "SQSH" header.
#include <cstddef>
#include <cstdint>
#include <string>

namespace lorvex::hpi {

class Inflater;

inline constexpr std::size_t kChunkHeaderSize = 19;
inline constexpr std::uint32_t kChunkMarker = 0x48535153;  // "SQSH"
inline constexpr std::uint8_t kChunkVersion = 2;
inline constexpr std::uint8_t kChunkLz77 = 1;
inline constexpr std::uint8_t kChunkZlib = 2;
inline constexpr std::size_t kChunkUnpacked = 65536;
// No sound packer needs anywhere near this much room for 64 KiB; a longer
// stated chunk is damage, and refusing it bounds the reader's buffers.
inline constexpr std::size_t kMaxChunkLength = std::size_t{1} << 20;

// Number of chunks of a packed file of the given unpacked size.
inline std::uint64_t ChunkCount(std::uint64_t unpackedSize) {
    return (unpackedSize + kChunkUnpacked - 1) / kChunkUnpacked;
}

// Decodes one whole chunk (header included, already decrypted) into out, which
// has room for exactly `expected` bytes, the unpacked size this chunk must
// have. Checks the marker, version, method, scramble flag, packed size,
// checksum and unpacked size; the packed bytes are descrambled in place. False
// on any damage; out is never written past `expected`.
bool DecodeChunk(std::uint8_t* chunk, std::size_t length, std::uint8_t* out, std::size_t expected, Inflater& inflater);

// Appends one chunk holding data (at most 65536 bytes) packed with method
// kChunkLz77 or kChunkZlib, optionally scrambled. False if zlib fails.
bool AppendChunk(const std::uint8_t* data, std::size_t size, std::uint8_t method, bool scramble, std::string& out);

}  // namespace lorvex::hpi
