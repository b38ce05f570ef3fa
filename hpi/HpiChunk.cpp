#include "hpi/HpiChunk.h"

#include <zlib.h>

#include <cstring>

#include "hpi/HpiBytes.h"
#include "hpi/HpiInflate.h"
#include "hpi/HpiLz77.h"

namespace lorvex::hpi {

namespace {

std::uint32_t Checksum(const std::uint8_t* p, std::size_t size) {
    // Eight bytes at a time: the bytes at even and odd places are added into
    // 16-bit lanes, which cannot overflow within 128 words (2 * 255 * 128 < 65536).
    constexpr std::uint64_t kLanes = 0x00FF00FF00FF00FFull;
    std::uint32_t sum = 0;
    std::size_t i = 0;
    while (size - i >= 8) {
        std::uint64_t lanes = 0;
        for (int words = 0; words < 128 && size - i >= 8; ++words, i += 8) {
            std::uint64_t w;
            std::memcpy(&w, p + i, 8);
            lanes += (w & kLanes) + ((w >> 8) & kLanes);
        }
        for (int lane = 0; lane < 4; ++lane) sum += static_cast<std::uint32_t>((lanes >> (16 * lane)) & 0xFFFF);
    }
    for (; i < size; ++i) sum += p[i];
    return sum;
}

// Byte j (low 8 bits) is stored as (plain XOR j) + j.
void Descramble(std::uint8_t* p, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        const auto j = static_cast<std::uint8_t>(i);
        p[i] = static_cast<std::uint8_t>(static_cast<std::uint8_t>(p[i] - j) ^ j);
    }
}

void Scramble(std::uint8_t* p, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        const auto j = static_cast<std::uint8_t>(i);
        p[i] = static_cast<std::uint8_t>((p[i] ^ j) + j);
    }
}

}  // namespace

bool DecodeChunk(std::uint8_t* chunk, std::size_t length, std::uint8_t* out, std::size_t expected, Inflater& inflater) {
    if (length < kChunkHeaderSize || LoadU32(chunk) != kChunkMarker || chunk[4] != kChunkVersion) return false;
    const std::uint8_t method = chunk[5];
    const std::uint8_t scrambled = chunk[6];
    const std::uint32_t packedSize = LoadU32(chunk + 7);
    const std::uint32_t unpackedSize = LoadU32(chunk + 11);
    const std::uint32_t checksum = LoadU32(chunk + 15);
    // The chunk length may leave slack behind the packed bytes, never less room.
    if ((method != kChunkLz77 && method != kChunkZlib) || scrambled > 1 || unpackedSize != expected ||
        packedSize > length - kChunkHeaderSize)
        return false;
    std::uint8_t* packed = chunk + kChunkHeaderSize;
    if (Checksum(packed, packedSize) != checksum) return false;
    if (scrambled != 0) Descramble(packed, packedSize);
    if (method == kChunkLz77) return Lz77Decode(packed, packedSize, out, expected);
    return inflater.Inflate(packed, packedSize, out, expected);
}

bool AppendChunk(const std::uint8_t* data, std::size_t size, std::uint8_t method, bool scramble, std::string& out) {
    std::string packed;
    if (method == kChunkLz77) {
        Lz77Encode(data, size, packed);
    } else {
        uLongf room = compressBound(static_cast<uLong>(size));
        packed.resize(room);
        if (compress2(reinterpret_cast<Bytef*>(packed.data()), &room, data, static_cast<uLong>(size),
                      Z_DEFAULT_COMPRESSION) != Z_OK)
            return false;
        packed.resize(room);
    }
    auto* p = reinterpret_cast<std::uint8_t*>(packed.data());
    if (scramble) Scramble(p, packed.size());
    const auto packedSize = static_cast<std::uint32_t>(packed.size());
    AppendU32(out, kChunkMarker);
    out.push_back(static_cast<char>(kChunkVersion));
    out.push_back(static_cast<char>(method));
    out.push_back(static_cast<char>(scramble ? 1 : 0));
    AppendU32(out, packedSize);
    AppendU32(out, static_cast<std::uint32_t>(size));
    AppendU32(out, Checksum(p, packed.size()));
    out += packed;
    return true;
}

}  // namespace lorvex::hpi
