#pragma once
// Holds cell texts: a cell is a 32-bit id into one shared store, so a table of
// 100,000 rows makes no allocation per cell. Id 0 is exactly the empty text,
// and equal ids always mean equal texts; two ids may hold the same text.
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
    const char* Store(std::string_view text);

    std::vector<Entry> entries_;
    std::vector<std::unique_ptr<char[]>> chunks_;
    std::size_t chunkUsed_ = 0;
    std::size_t chunkSize_ = 0;
    std::size_t chunkBytes_ = 0;
};

}  // namespace lorvex
