#pragma once
// Little-endian field access shared by the reader and the writer. Every field
// of the archive is little-endian whatever the machine.
#include <cstddef>
#include <cstdint>
#include <string>

namespace lorvex::hpi {

inline std::uint32_t LoadU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::uint16_t LoadU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

inline void StoreU32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

inline void AppendU32(std::string& out, std::uint32_t v) {
    std::uint8_t b[4];
    StoreU32(b, v);
    out.append(reinterpret_cast<const char*>(b), 4);
}

// Overwrites four bytes already in out (a field whose value became known later).
inline void PatchU32(std::string& out, std::size_t at, std::uint32_t v) {
    StoreU32(reinterpret_cast<std::uint8_t*>(out.data() + at), v);
}

}  // namespace lorvex::hpi
