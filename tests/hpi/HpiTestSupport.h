#pragma once
// Byte helpers shared by the archive tests.
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hpi/HpiArchive.h"
#include "tests/tdf/TestFiles.h"

namespace lorvex::hpi::test {

using lorvex::test::ReadBytes;
using lorvex::test::TempFolder;

inline std::uint32_t GetU32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 4; i-- > 0;) v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
    return v;
}

inline void SetU32(std::string& b, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline void PutU32(std::string& b, std::uint32_t v) {
    b.append(4, '\0');
    SetU32(b, b.size() - 4, v);
}

// Arbitrary bytes, every value appearing, with repeats so that packing has work.
inline std::string BinaryData(std::size_t size, std::uint32_t seed = 1) {
    std::string s(size, '\0');
    std::uint32_t x = seed;
    for (std::size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        s[i] = (i % 7 < 3) ? static_cast<char>(i / 97) : static_cast<char>(x >> 24);
    }
    return s;
}

// A zlib stream of data, as packed chunks hold it.
inline std::string ZlibOf(const std::string& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
              static_cast<uLong>(data.size()), 9);
    out.resize(size);
    return out;
}

using Names = std::vector<std::string>;

// The files (or sub-folders) that Dir (or DirFolders) lists for a folder.
inline Names List(const HpiArchive& archive, std::string_view folder, bool folders = false) {
    Names names;
    char name[64];
    auto dir = [&](std::size_t c) {
        return folders ? archive.DirFolders(c, folder, name, sizeof name) : archive.Dir(c, folder, name, sizeof name);
    };
    for (std::size_t c = dir(0); c != 0; c = dir(c)) names.emplace_back(name);
    return names;
}

}  // namespace lorvex::hpi::test
