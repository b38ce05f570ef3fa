#include "table/StringPool.h"

#include <array>
#include <cstring>

namespace lorvex {
namespace {

constexpr std::size_t kMinChunk = 1 << 16;

// Every one-byte text has a fixed id (1 + the byte): flags, digits and "X" are
// the commonest cells and are shared without any lookup.
const char* SingleBytes() {
    static const auto bytes = [] {
        std::array<char, 256> all{};
        for (int b = 0; b < 256; ++b) all[b] = static_cast<char>(b);
        return all;
    }();
    return bytes.data();
}

}  // namespace

StringPool::StringPool() { Clear(); }

void StringPool::Clear() {
    entries_.clear();
    entries_.shrink_to_fit();
    chunks_.clear();
    chunkUsed_ = chunkSize_ = chunkBytes_ = 0;
    entries_.push_back({"", 0});
    for (int b = 0; b < 256; ++b) entries_.push_back({SingleBytes() + b, 1});
}

const char* StringPool::Store(std::string_view text) {
    if (chunkUsed_ + text.size() > chunkSize_) {
        chunkSize_ = text.size() > kMinChunk ? text.size() : kMinChunk;
        chunks_.push_back(std::make_unique<char[]>(chunkSize_));
        chunkBytes_ += chunkSize_;
        chunkUsed_ = 0;
    }
    char* dst = chunks_.back().get() + chunkUsed_;
    std::memcpy(dst, text.data(), text.size());
    chunkUsed_ += text.size();
    return dst;
}

StringPool::Id StringPool::Intern(std::string_view text) {
    if (text.empty()) return kEmpty;
    if (text.size() == 1) return 1 + static_cast<unsigned char>(text[0]);
    // Longer texts are appended as they come: looking each one up in a table
    // of millions missed the processor's cache on every cell of a load.
    // Ids are 32 bits; refuse to wrap rather than alias an old text.
    if (entries_.size() >= 0xffffffffu) return kEmpty;
    const Id id = static_cast<Id>(entries_.size());
    entries_.push_back({Store(text), static_cast<std::uint32_t>(text.size())});
    return id;
}

std::size_t StringPool::MemoryUsed() const { return chunkBytes_ + entries_.capacity() * sizeof(Entry); }

}  // namespace lorvex
