#include "hpi/HpiCipher.h"

#include <cstring>

namespace lorvex::hpi {

HpiCipher::HpiCipher(std::uint32_t seed)
    : active_(seed != 0), key_(static_cast<std::uint8_t>(~((seed * 4u) | (seed >> 6)))) {}

void HpiCipher::Apply(std::uint8_t* data, std::size_t size, std::uint64_t position) const {
    if (!active_) return;
    // plain = NOT(stored XOR (position XOR key)): each byte is XORed with a mask
    // that depends only on the low 8 bits of its position. Two periods of that
    // mask laid out in a table let any run of 256 bytes be XORed word by word.
    std::uint8_t pattern[512];
    for (unsigned i = 0; i < 512; ++i)
        pattern[i] = static_cast<std::uint8_t>(static_cast<std::uint8_t>(i) ^ key_ ^ 0xFFu);
    const std::uint8_t* mask = pattern + static_cast<std::uint8_t>(position);
    std::size_t i = 0;
    for (; i + 256 <= size; i += 256) {
        for (std::size_t w = 0; w < 256; w += 8) {
            std::uint64_t a;
            std::uint64_t b;
            std::memcpy(&a, data + i + w, 8);
            std::memcpy(&b, mask + w, 8);
            a ^= b;
            std::memcpy(data + i + w, &a, 8);
        }
    }
    for (std::size_t j = 0; i < size; ++i, ++j) data[i] ^= mask[j];
}

}  // namespace lorvex::hpi
