#include "platform/TextFile.h"

#include <algorithm>
#include <cstring>

#include "platform/FileSystem.h"

namespace lorvex::platform {
namespace {
constexpr std::size_t kBufferSize = 1 << 16;
}

TextFileReader::~TextFileReader() { Close(); }

bool TextFileReader::Open(std::string_view pathText) {
    Close();
    const std::filesystem::path path = DiskPath(pathText);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;  // "r" never creates, but a folder opens on Linux
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) return false;
    if (!data_) data_ = std::make_unique<unsigned char[]>(kBufferSize);
    pos_ = end_ = 0;
    eof_ = false;
    return true;
}

void TextFileReader::Close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    pos_ = end_ = 0;
    eof_ = true;
}

int TextFileReader::PeekByte() {
    if (pos_ == end_) {
        if (eof_ || !file_) return -1;
        end_ = std::fread(data_.get(), 1, kBufferSize, file_);
        pos_ = 0;
        if (end_ == 0) {
            eof_ = true;
            return -1;
        }
    }
    return data_[pos_];
}

int TextFileReader::PeekSecondByte() {
    if (PeekByte() < 0) return -1;
    if (end_ - pos_ < 2) {
        if (eof_ || !file_) return -1;
        std::memmove(data_.get(), data_.get() + pos_, end_ - pos_);
        end_ -= pos_;
        pos_ = 0;
        end_ += std::fread(data_.get() + end_, 1, kBufferSize - end_, file_);
        if (end_ < 2) return -1;
    }
    return data_[pos_ + 1];
}

bool TextFileReader::ReadLine(char* buffer, std::size_t capacity, std::size_t* length) {
    std::size_t n = 0;
    buffer[0] = '\0';
    if (!file_ || capacity < 2) return false;
    const std::size_t limit = capacity - 1;
    bool any = false;
    while (n < limit) {
        // Scan the buffered bytes for a line end in one go: this is the hot loop of a load.
        if (pos_ == end_ && PeekByte() < 0) break;
        const std::size_t avail = std::min(end_ - pos_, limit - n);
        const unsigned char* start = data_.get() + pos_;
        const void* nl = std::memchr(start, '\n', avail);
        const std::size_t take = nl ? static_cast<std::size_t>(static_cast<const unsigned char*>(nl) - start) : avail;
        std::memcpy(buffer + n, start, take);
        n += take;
        pos_ += take;
        any = true;
        if (nl) {
            ++pos_;                                   // the newline is consumed, not stored
            if (n > 0 && buffer[n - 1] == '\r') --n;  // CR LF is one line end
            buffer[n] = '\0';
            if (length) *length = n;
            return true;
        }
    }
    if (n == limit) {
        // Stopped at the limit: a line end right behind belongs to this line.
        if (buffer[n - 1] == '\r' && PeekByte() == '\n') {
            ++pos_;
            --n;
        } else if (PeekByte() == '\n') {
            ++pos_;
        } else if (PeekByte() == '\r' && PeekSecondByte() == '\n') {
            pos_ += 2;
        }
    }
    buffer[n] = '\0';
    if (length) *length = n;
    return any;
}

bool TextMemoryReader::ReadLine(char* buffer, std::size_t capacity, std::size_t* length) {
    buffer[0] = '\0';
    if (length) *length = 0;
    if (!open_ || capacity < 2 || pos_ >= end_) return false;
    const std::size_t limit = capacity - 1;
    const char* start = data_ + pos_;
    const std::size_t avail = std::min(end_ - pos_, limit);
    const void* nl = std::memchr(start, '\n', avail);
    std::size_t n = nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - start) : avail;
    std::memcpy(buffer, start, n);
    pos_ += n;
    if (nl) {
        ++pos_;                                   // the newline is consumed, not stored
        if (n > 0 && buffer[n - 1] == '\r') --n;  // CR LF is one line end
    } else if (n == limit && pos_ < end_) {
        // Stopped at the limit: a line end right behind belongs to this line.
        if (buffer[n - 1] == '\r' && data_[pos_] == '\n') {
            ++pos_;
            --n;
        } else if (data_[pos_] == '\n') {
            ++pos_;
        } else if (data_[pos_] == '\r' && pos_ + 1 < end_ && data_[pos_ + 1] == '\n') {
            pos_ += 2;
        }
    }
    buffer[n] = '\0';
    if (length) *length = n;
    return true;
}

TextFileWriter::~TextFileWriter() { Close(); }

bool TextFileWriter::Create(const std::string& diskPath) {
    Close();
    file_ = std::fopen(diskPath.c_str(), "wb");
    ok_ = file_ != nullptr;
    return ok_;
}

bool TextFileWriter::Write(std::string_view text) {
    if (!file_) return false;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t nl = text.find('\n', start);
        const std::size_t end = nl == std::string_view::npos ? text.size() : nl;
        if (end > start && std::fwrite(text.data() + start, 1, end - start, file_) != end - start) ok_ = false;
        if (nl == std::string_view::npos) break;
        if (std::fwrite("\r\n", 1, 2, file_) != 2) ok_ = false;
        start = nl + 1;
    }
    return ok_;
}

bool TextFileWriter::Close() {
    if (!file_) return ok_;
    if (std::fflush(file_) != 0) ok_ = false;
    if (std::fclose(file_) != 0) ok_ = false;
    file_ = nullptr;
    return ok_;
}

}  // namespace lorvex::platform
