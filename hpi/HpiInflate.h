#pragma once
// Inflation of one zlib-wrapped chunk into a buffer of known size. The archive
// states every chunk's unpacked size, so the output buffer is exactly that big
// and a stream that would inflate to more (or less) is rejected.
#include <cstddef>
#include <cstdint>

struct z_stream_s;
struct libdeflate_decompressor;

namespace lorvex::hpi {

enum class InflateBackend { Zlib, Libdeflate };

// True when this build can inflate with libdeflate.
bool HaveLibdeflate();

// The backend the archive reader uses.
InflateBackend DefaultInflateBackend();

class Inflater {
public:
    // A backend this build lacks falls back to zlib.
    explicit Inflater(InflateBackend backend = DefaultInflateBackend());
    ~Inflater();
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // True only when in holds a complete zlib stream (trailing bytes allowed)
    // that inflates to exactly outSize bytes; out is never written past outSize.
    bool Inflate(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out, std::size_t outSize);

private:
    bool InflateZlib(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out, std::size_t outSize);

    InflateBackend backend_;
    z_stream_s* zlib_ = nullptr;
    bool zlibReady_ = false;
    libdeflate_decompressor* libdeflate_ = nullptr;
};

}  // namespace lorvex::hpi
