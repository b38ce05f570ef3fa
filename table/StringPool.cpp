#include "table/StringPool.h"

#include <cstring>

namespace lorvex {
namespace {

std::uint64_t Mix(std::uint64_t x) {
    x ^= x >> 32;
    x *= 0xd6e8feb86659fd93ull;
    x ^= x >> 32;
    return x;
}

// Eight bytes at a time: cell texts are short, and a load hashes millions of them.
std::uint32_t HashText(std::string_view text) {
    std::uint64_t h = 0x9e3779b97f4a7c15ull ^ text.size();
    const char* p = text.data();
    std::size_t n = text.size();
    while (n >= 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        h = Mix(h ^ w) * 0x9e3779b97f4a7c15ull;
        p += 8;
        n -= 8;
    }
    if (n > 0) {
        std::uint64_t w = 0;
        std::memcpy(&w, p, n);
        h = Mix(h ^ w) * 0x9e3779b97f4a7c15ull;
    }
    return static_cast<std::uint32_t>(Mix(h));
}

constexpr std::size_t kMinChunk = 1 << 16;

}  // namespace

StringPool::StringPool() { Clear(); }

void StringPool::Clear() {
    entries_.clear();
    chunks_.clear();
    chunkUsed_ = chunkSize_ = 0;
    slots_.assign(kSlots, Slot{0, 0});
    entries_.push_back({"", 0});
}

const char* StringPool::Store(std::string_view text) {
    if (text.empty()) return "";
    if (chunkUsed_ + text.size() > chunkSize_) {
        chunkSize_ = text.size() > kMinChunk ? text.size() : kMinChunk;
        chunks_.push_back(std::make_unique<char[]>(chunkSize_));
        chunkUsed_ = 0;
    }
    char* dst = chunks_.back().get() + chunkUsed_;
    std::memcpy(dst, text.data(), text.size());
    chunkUsed_ += text.size();
    return dst;
}

StringPool::Id StringPool::Intern(std::string_view text) {
    if (text.empty()) return kEmpty;
    const std::uint32_t h = HashText(text);
    // A small table that stays in the processor's cache remembers the latest
    // text of each hash slot: the many repeated texts of a table ("0", "X", a
    // side's name) are stored once, while a load of millions of distinct
    // numbers never waits on a giant hash table.
    Slot& slot = slots_[h & (kSlots - 1)];
    if (slot.id != 0 && slot.hash == h) {
        const Entry& e = entries_[slot.id];
        if (e.size == text.size() && std::memcmp(e.data, text.data(), text.size()) == 0) return slot.id;
    }
    // Ids are 32 bits; refuse to wrap rather than alias an old text.
    if (entries_.size() >= 0xffffffffu) return kEmpty;
    const Id id = static_cast<Id>(entries_.size());
    entries_.push_back({Store(text), static_cast<std::uint32_t>(text.size())});
    slot = Slot{h, id};
    return id;
}

std::size_t StringPool::MemoryUsed() const {
    return chunks_.size() * kMinChunk + entries_.capacity() * sizeof(Entry) + slots_.capacity() * sizeof(Slot);
}

}  // namespace lorvex
