#pragma once
// Holds cell texts: a cell is a 32-bit id, so a table of 100,000 rows makes
// no allocation per cell. Id 0 is exactly the empty text; equal ids always
// mean equal texts, and a text repeated often is mostly stored once, but two
// ids may still hold the same text.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace lorvex {

class StringPool {
public:
    using Id = std::uint32_t;
    static constexpr Id kEmpty = 0;  // the empty text, always present

    StringPool();
    Id Intern(std::string_view text);
    std::string_view Text(Id id) const { return {entries_[id].data, entries_[id].size}; }
    std::size_t Count() const { return entries_.size(); }
    void Clear();
    // Bytes held by the texts and the index, for measuring.
    std::size_t MemoryUsed() const;

private:
    struct Entry {
        const char* data;
        std::uint32_t size;
    };
    struct Slot {
        std::uint32_t hash;
        Id id;  // 0 marks a free slot (id 0, the empty text, is never stored there)
    };
    const char* Store(std::string_view text);

    std::vector<Entry> entries_;
    static constexpr std::size_t kSlots = 1 << 16;
    std::vector<Slot> slots_;  // the latest text of each hash value, for reuse
    std::vector<std::unique_ptr<char[]>> chunks_;
    std::size_t chunkUsed_ = 0;
    std::size_t chunkSize_ = 0;
};

}  // namespace lorvex
