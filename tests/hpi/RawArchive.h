#pragma once
// Archives written byte by byte from a tree of raw names, for the names the
// writer refuses to store: "..", "a/b", control characters, repeats.
#include <cstdint>
#include <string>
#include <vector>

namespace lorvex::testkit {

struct RawEntry {
    std::string name;  // as stored, any bytes but NUL
    bool folder = false;
    std::vector<RawEntry> children;  // a folder's entries
    std::string contents = "Z";      // a file's bytes, stored as is
};

namespace raw_detail {

inline void SetU32(std::string& b, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

struct PendingRecord {
    std::size_t at;
    const std::string* contents;
};

// A folder node, its entry table, then each entry's name and its node or record.
inline void AppendNode(std::string& b, const std::vector<RawEntry>& entries, std::vector<PendingRecord>& records) {
    const std::size_t node = b.size(), table = node + 8;
    b.append(8 + 9 * entries.size(), '\0');
    SetU32(b, node, static_cast<std::uint32_t>(entries.size()));
    SetU32(b, node + 4, static_cast<std::uint32_t>(table));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::size_t entry = table + 9 * i;
        SetU32(b, entry, static_cast<std::uint32_t>(b.size()));
        b += entries[i].name + '\0';
        SetU32(b, entry + 4, static_cast<std::uint32_t>(b.size()));
        b[entry + 8] = entries[i].folder ? 1 : 0;
        if (entries[i].folder) {
            AppendNode(b, entries[i].children, records);
        } else {
            records.push_back({b.size(), &entries[i].contents});
            b.append(9, '\0');
        }
    }
}

}  // namespace raw_detail

// An unencrypted archive whose root holds entries; every file stored unpacked.
inline std::string RawArchive(const std::vector<RawEntry>& root) {
    using namespace raw_detail;
    std::string b(20, '\0');
    SetU32(b, 0, 0x49504148u);  // "HAPI"
    SetU32(b, 4, 0x00010000u);
    SetU32(b, 16, 20);
    std::vector<PendingRecord> records;
    AppendNode(b, root, records);
    SetU32(b, 8, static_cast<std::uint32_t>(b.size()));
    for (const PendingRecord& r : records) {
        SetU32(b, r.at, static_cast<std::uint32_t>(b.size()));
        SetU32(b, r.at + 4, static_cast<std::uint32_t>(r.contents->size()));
        b += *r.contents;
    }
    return b;
}

}  // namespace lorvex::testkit
