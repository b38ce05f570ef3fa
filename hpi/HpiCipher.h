#pragma once
// The position-keyed cipher over every byte after the header. Applying it twice
// gives the original bytes back, so one operation both encrypts and decrypts.
#include <cstddef>
#include <cstdint>

namespace lorvex::hpi {

class HpiCipher {
public:
    // Seed 0 means the archive is stored in the clear.
    explicit HpiCipher(std::uint32_t seed);

    bool Active() const { return active_; }
    std::uint8_t Key() const { return key_; }

    // Transforms the bytes that lie at absolute file position `position` onwards.
    void Apply(std::uint8_t* data, std::size_t size, std::uint64_t position) const;

private:
    bool active_;
    std::uint8_t key_;
};

}  // namespace lorvex::hpi
