#pragma once
// Byte-level helpers the archive tests share: little-endian fields, packed and
// arbitrary data, and an extraction checked both to a file and to memory.
#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "hpi/HpiArchive.h"
#include "tests/hpi/RawArchive.h"
#include "tests/support/GameFolder.h"

namespace lorvex::hpi::testbytes {

using lorvex::testkit::GameFolder;
using lorvex::testkit::raw_detail::SetU32;

using Names = std::vector<std::string>;
namespace fs = std::filesystem;

inline std::uint32_t GetU32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 4; i-- > 0;) v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
    return v;
}
inline void Put(std::string& b, std::initializer_list<std::uint32_t> values) {
    for (std::uint32_t v : values) b.append(4, '\0'), SetU32(b, b.size() - 4, v);
}

inline const std::uint8_t* U8(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }
inline std::uint8_t* U8(std::string& s) { return reinterpret_cast<std::uint8_t*>(s.data()); }

// Arbitrary bytes, every value appearing, with repeats so that packing has work.
inline std::string BinaryData(std::size_t size, std::uint32_t seed = 1) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        s[i] = (i % 7 < 3) ? static_cast<char>(i / 97) : static_cast<char>(seed >> 24);
    }
    return s;
}

inline std::string ZlibOf(const std::string& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    compress2(U8(out), &size, U8(data), data.size(), 9);
    return out.substr(0, size);
}

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

// The entry's bytes, extracted into a file and into a buffer that held other bytes, which must agree; empty
// when the extraction fails, and then it leaves neither a file nor bytes behind.
inline std::optional<std::string> Extract(const HpiArchive& archive, const std::string& entry,
                                          const GameFolder& scratch) {
    fs::remove(scratch / "out.bin");
    const bool extracted = archive.ExtractFile(entry, scratch / "out.bin");
    EXPECT_EQ(fs::exists(scratch / "out.bin"), extracted) << entry;
    std::vector<std::uint8_t> memory(3, 'x');
    EXPECT_EQ(archive.ExtractToMemory(entry, memory), extracted) << entry;
    const std::string bytes(memory.begin(), memory.end());
    EXPECT_EQ(bytes, extracted ? GameFolder::Read(scratch / "out.bin") : "") << entry;
    return extracted ? std::optional(bytes) : std::nullopt;
}

inline const std::string kOverlap("\x06\x61\x18\0\0\0", 6);  // 'a', then offset 1 length 10 over itself: 11 'a'

}  // namespace lorvex::hpi::testbytes
