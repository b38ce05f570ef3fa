#include "hpi/HpiLz77.h"

#include <algorithm>
#include <vector>

#include "hpi/HpiBytes.h"

namespace lorvex::hpi {

namespace {

constexpr unsigned kWindowMask = kLz77Window - 1;
constexpr std::size_t kMinMatch = 3;  // a 2-byte match saves a single bit, not worth a reference
constexpr std::size_t kMaxMatch = 17;
// A reference can reach back at most one window minus one byte: the byte a full
// window back would be overwritten by the copy itself.
constexpr std::size_t kMaxDistance = kLz77Window - 1;
constexpr int kHashBits = 13;
constexpr int kMaxChain = 48;

unsigned Hash3(const std::uint8_t* p) {
    const std::uint32_t v = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                            (static_cast<std::uint32_t>(p[2]) << 16);
    return (v * 2654435761u) >> (32 - kHashBits);
}

// Collects items behind tag bytes, starting a new tag byte every 8 items.
class ItemWriter {
public:
    explicit ItemWriter(std::string& out) : out_(out) {}

    void Literal(std::uint8_t b) {
        NextTag(false);
        out_.push_back(static_cast<char>(b));
    }

    void Reference(unsigned offset, std::size_t length) {
        NextTag(true);
        const auto v = static_cast<unsigned>((offset << 4) | (length - 2));
        out_.push_back(static_cast<char>(v & 0xFF));
        out_.push_back(static_cast<char>(v >> 8));
    }

private:
    void NextTag(bool reference) {
        if (bits_ == 8) {
            tagAt_ = out_.size();
            out_.push_back('\0');
            bits_ = 0;
        }
        if (reference) out_[tagAt_] = static_cast<char>(static_cast<std::uint8_t>(out_[tagAt_]) | (1u << bits_));
        ++bits_;
    }

    std::string& out_;
    std::size_t tagAt_ = 0;
    int bits_ = 8;
};

}  // namespace

bool Lz77Decode(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out, std::size_t outSize) {
    std::uint8_t window[kLz77Window] = {};
    unsigned w = 1;
    std::size_t produced = 0;
    std::size_t i = 0;
    while (i < inSize) {
        const unsigned tag = in[i++];
        for (int bit = 0; bit < 8; ++bit) {
            if ((tag & (1u << bit)) == 0) {
                if (i >= inSize) return produced == outSize;
                if (produced == outSize) return false;
                const std::uint8_t b = in[i++];
                out[produced++] = b;
                window[w] = b;
                w = (w + 1) & kWindowMask;
                continue;
            }
            if (inSize - i < 2) return produced == outSize;
            const unsigned v = LoadU16(in + i);
            i += 2;
            unsigned offset = v >> 4;
            if (offset == 0) return produced == outSize;
            const std::size_t length = (v & 15u) + 2;
            if (length > outSize - produced) return false;
            // One byte at a time: a reference may overlap the bytes it writes.
            for (std::size_t k = 0; k < length; ++k) {
                const std::uint8_t b = window[offset];
                out[produced++] = b;
                window[w] = b;
                offset = (offset + 1) & kWindowMask;
                w = (w + 1) & kWindowMask;
            }
        }
    }
    return produced == outSize;
}

void Lz77Encode(const std::uint8_t* in, std::size_t size, std::string& out) {
    ItemWriter items(out);
    std::vector<int> head(std::size_t{1} << kHashBits, -1);
    std::vector<int> prev(size, -1);
    auto insert = [&](std::size_t pos) {
        if (pos + kMinMatch <= size) {
            const unsigned h = Hash3(in + pos);
            prev[pos] = head[h];
            head[h] = static_cast<int>(pos);
        }
    };

    std::size_t k = 0;
    while (k < size) {
        std::size_t bestLength = 0;
        std::size_t bestSource = 0;
        if (k + kMinMatch <= size) {
            const std::size_t limit = std::min(kMaxMatch, size - k);
            int candidate = head[Hash3(in + k)];
            for (int chain = 0; candidate >= 0 && chain < kMaxChain; ++chain, candidate = prev[candidate]) {
                const auto source = static_cast<std::size_t>(candidate);
                if (k - source > kMaxDistance) break;
                // Output byte s sits at window position s + 1; position 0 as a
                // start would read as the end of the chunk.
                if (((source + 1) & kWindowMask) == 0) continue;
                std::size_t length = 0;
                while (length < limit && in[source + length] == in[k + length]) ++length;
                if (length > bestLength) {
                    bestLength = length;
                    bestSource = source;
                    if (length == limit) break;
                }
            }
        }
        if (bestLength >= kMinMatch) {
            items.Reference(static_cast<unsigned>((bestSource + 1) & kWindowMask), bestLength);
            for (std::size_t j = 0; j < bestLength; ++j) insert(k + j);
            k += bestLength;
        } else {
            items.Literal(in[k]);
            insert(k);
            ++k;
        }
    }
    items.Reference(0, 2);
}

}  // namespace lorvex::hpi
