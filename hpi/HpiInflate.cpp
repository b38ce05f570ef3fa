#include "hpi/HpiInflate.h"

#include <zlib.h>

#include <limits>

#ifdef LORVEX_HPI_LIBDEFLATE
#include <libdeflate.h>
#endif

namespace lorvex::hpi {

bool HaveLibdeflate() {
#ifdef LORVEX_HPI_LIBDEFLATE
    return true;
#else
    return false;
#endif
}

InflateBackend DefaultInflateBackend() { return HaveLibdeflate() ? InflateBackend::Libdeflate : InflateBackend::Zlib; }

Inflater::Inflater(InflateBackend backend) : backend_(HaveLibdeflate() ? backend : InflateBackend::Zlib) {
#ifdef LORVEX_HPI_LIBDEFLATE
    if (backend_ == InflateBackend::Libdeflate) {
        libdeflate_ = libdeflate_alloc_decompressor();
        if (libdeflate_ == nullptr) backend_ = InflateBackend::Zlib;
    }
#endif
}

Inflater::~Inflater() {
    if (zlib_ != nullptr) {
        if (zlibReady_) inflateEnd(zlib_);
        delete zlib_;
    }
#ifdef LORVEX_HPI_LIBDEFLATE
    if (libdeflate_ != nullptr) libdeflate_free_decompressor(libdeflate_);
#endif
}

bool Inflater::Inflate(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out, std::size_t outSize) {
#ifdef LORVEX_HPI_LIBDEFLATE
    if (backend_ == InflateBackend::Libdeflate) {
        // No actual-size pointer: libdeflate then insists on exactly outSize bytes.
        return libdeflate_zlib_decompress(libdeflate_, in, inSize, out, outSize, nullptr) == LIBDEFLATE_SUCCESS;
    }
#endif
    return InflateZlib(in, inSize, out, outSize);
}

bool Inflater::InflateZlib(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out, std::size_t outSize) {
    constexpr std::size_t kMaxLength = std::numeric_limits<uInt>::max();
    if (inSize > kMaxLength || outSize > kMaxLength) return false;
    if (zlib_ == nullptr) zlib_ = new z_stream{};
    if (!zlibReady_) {
        *zlib_ = z_stream{};
        if (inflateInit(zlib_) != Z_OK) return false;
        zlibReady_ = true;
    } else if (inflateReset(zlib_) != Z_OK) {
        return false;
    }
    zlib_->next_in = const_cast<Bytef*>(in);
    zlib_->avail_in = static_cast<uInt>(inSize);
    zlib_->next_out = out;
    zlib_->avail_out = static_cast<uInt>(outSize);
    // One call with all input and exactly the stated room: a stream that wants
    // more room than that ends with Z_BUF_ERROR instead of Z_STREAM_END.
    const int result = inflate(zlib_, Z_FINISH);
    return result == Z_STREAM_END && zlib_->avail_out == 0;
}

}  // namespace lorvex::hpi
