#pragma once
// The archive's LZ77 variant: a 4096-byte window that starts zeroed with the
// write position at 1, tag bytes whose bits (least significant first) mark the
// next 8 items as literal (0) or back reference (1), and 16-bit references
// holding a 12-bit window offset and a 4-bit length minus 2. Offset 0 ends a chunk.
#include <cstddef>
#include <cstdint>
#include <string>

namespace lorvex::hpi {

inline constexpr std::size_t kLz77Window = 4096;

// Decodes one chunk into out, which has room for exactly outSize bytes. True
// only when the stream yields exactly outSize bytes; a stream that would write
// more fails before writing past out. The end of input counts like the
// terminating reference.
bool Lz77Decode(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out, std::size_t outSize);

// Appends the encoding of one chunk's bytes (at most 65536) to out, ending with
// the terminating reference.
void Lz77Encode(const std::uint8_t* in, std::size_t size, std::string& out);

}  // namespace lorvex::hpi
