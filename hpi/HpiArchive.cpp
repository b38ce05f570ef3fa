#include "hpi/HpiArchive.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <vector>

#include "hpi/HpiBytes.h"
#include "hpi/HpiChunk.h"
#include "hpi/HpiCipher.h"
#include "hpi/HpiDirectory.h"
#include "hpi/HpiHeader.h"
#include "hpi/HpiInflate.h"

namespace lorvex::hpi {

namespace {

// Reads and writes go in blocks of this size: large enough that a typical
// record file costs one read and one write, small enough to bound memory for
// any entry size.
constexpr std::size_t kBlock = std::size_t{1} << 20;
static_assert(kBlock % kChunkUnpacked == 0 && kBlock >= kMaxChunkLength);
// No sound directory comes near this; a header claiming more is damage.
constexpr std::uint64_t kMaxDirectory = std::uint64_t{64} << 20;
constexpr std::uint64_t kUnknownPosition = ~std::uint64_t{0};

std::size_t ReportName(std::size_t continuation, const std::string& text, char* name, std::size_t capacity) {
    if (name != nullptr && capacity > 0) {
        const std::size_t n = std::min(text.size(), capacity - 1);
        std::memcpy(name, text.data(), n);
        name[n] = '\0';
    }
    return continuation + 1;
}

}  // namespace

struct HpiArchive::Impl {
    std::FILE* file = nullptr;
    std::string bytes;  // an archive opened from memory: what `file` reads
    std::uint64_t fileSize = 0;
    std::uint64_t filePosition = kUnknownPosition;
    HpiCipher cipher{0};
    std::uint32_t keySeed = 0;
    Directory directory;
    // Reused by every extraction so that a load of many files allocates once.
    std::vector<std::uint8_t> in;
    std::vector<std::uint8_t> out;
    std::unique_ptr<Inflater> inflater;

    ~Impl() {
        if (file != nullptr) std::fclose(file);
    }

    // Reads n bytes at an absolute position and decrypts them; false when they
    // do not all lie inside the file or cannot be read.
    bool ReadAt(std::uint64_t position, std::uint8_t* buffer, std::size_t n) {
        if (position > fileSize || n > fileSize - position) return false;
        if (filePosition != position && std::fseek(file, static_cast<long>(position), SEEK_SET) != 0) {
            filePosition = kUnknownPosition;
            return false;
        }
        if (std::fread(buffer, 1, n, file) != n) {
            filePosition = kUnknownPosition;
            return false;
        }
        filePosition = position + n;
        cipher.Apply(buffer, n, position);
        return true;
    }

    // Where an entry's bytes go: a file in blocks through `out`, or one buffer in memory.
    class FileSink {
    public:
        FileSink(std::vector<std::uint8_t>& block, std::FILE* destination, std::uint64_t size)
            : block_(block),
              destination_(destination),
              room_(static_cast<std::size_t>(std::min<std::uint64_t>(size, kBlock))) {
            if (block_.size() < room_) block_.resize(room_);
        }
        std::uint8_t* Reserve(std::size_t n) {
            if (fill_ + n > room_) {
                if (!Flush()) return nullptr;
            }
            return block_.data() + fill_;
        }
        void Commit(std::size_t n) { fill_ += n; }
        bool Flush() {
            const bool ok = fill_ == 0 || std::fwrite(block_.data(), 1, fill_, destination_) == fill_;
            fill_ = 0;
            return ok;
        }

    private:
        std::vector<std::uint8_t>& block_;
        std::FILE* destination_;
        std::size_t room_;
        std::size_t fill_ = 0;
    };

    class MemorySink {
    public:
        explicit MemorySink(std::vector<std::uint8_t>& bytes) : bytes_(bytes) { bytes_.clear(); }
        // Grows only as chunks decode, so a size the archive merely claims costs nothing.
        std::uint8_t* Reserve(std::size_t n) {
            bytes_.resize(bytes_.size() + n);
            return bytes_.data() + bytes_.size() - n;
        }
        void Commit(std::size_t) {}
        bool Flush() { return true; }

    private:
        std::vector<std::uint8_t>& bytes_;
    };

    template <class Sink>
    bool DecodeStored(const DirFile& entry, Sink& sink) {
        std::uint64_t position = entry.contentsOffset;
        if (position > fileSize || entry.size > fileSize - position) return false;
        for (std::uint64_t left = entry.size; left > 0;) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(left, kBlock));
            std::uint8_t* room = sink.Reserve(n);
            if (room == nullptr || !ReadAt(position, room, n)) return false;
            sink.Commit(n);
            position += n;
            left -= n;
        }
        return sink.Flush();
    }

    template <class Sink>
    bool DecodePacked(const DirFile& entry, Sink& sink) {
        const std::uint64_t count = ChunkCount(entry.size);
        const std::uint64_t tableAt = entry.contentsOffset;
        if (tableAt > fileSize || count * 4 > fileSize - tableAt) return false;
        std::vector<std::uint32_t> lengths(static_cast<std::size_t>(count));
        {
            std::vector<std::uint8_t> table(static_cast<std::size_t>(count * 4));
            if (!ReadAt(tableAt, table.data(), table.size())) return false;
            for (std::size_t i = 0; i < lengths.size(); ++i) lengths[i] = LoadU32(table.data() + 4 * i);
        }
        // Check every chunk's extent before writing anything.
        std::uint64_t position = tableAt + count * 4;
        std::uint64_t total = 0;
        for (std::uint32_t length : lengths) {
            if (length < kChunkHeaderSize || length > kMaxChunkLength) return false;
            total += length;
        }
        if (total > fileSize - position) return false;

        std::uint64_t remaining = entry.size;
        std::size_t i = 0;
        while (i < lengths.size()) {
            // Chunks lie back to back: read as many as fit in one block at once.
            std::size_t j = i;
            std::size_t groupBytes = 0;
            while (j < lengths.size() && (j == i || groupBytes + lengths[j] <= kBlock)) groupBytes += lengths[j++];
            if (in.size() < groupBytes) in.resize(groupBytes);
            if (!ReadAt(position, in.data(), groupBytes)) return false;
            std::size_t offset = 0;
            for (; i < j; ++i) {
                const auto expected = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, kChunkUnpacked));
                std::uint8_t* room = sink.Reserve(expected);
                if (room == nullptr || !DecodeChunk(in.data() + offset, lengths[i], room, expected, *inflater))
                    return false;
                sink.Commit(expected);
                remaining -= expected;
                offset += lengths[i];
            }
            position += groupBytes;
        }
        return sink.Flush();
    }
};

HpiArchive::HpiArchive(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

HpiArchive::~HpiArchive() = default;

void HpiArchive::Close() { impl_.reset(); }

std::unique_ptr<HpiArchive> HpiArchive::Open(const std::filesystem::path& diskPath, InflateBackend backend) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(diskPath, error)) return nullptr;
    const std::uint64_t fileSize = std::filesystem::file_size(diskPath, error);
    if (error || fileSize < kHeaderSize) return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->file = std::fopen(diskPath.string().c_str(), "rb");
    if (impl->file == nullptr) return nullptr;
    impl->fileSize = fileSize;
    return Finish(std::move(impl), backend);
}

std::unique_ptr<HpiArchive> HpiArchive::OpenBytes(std::string_view bytes, InflateBackend backend) {
    if (bytes.size() < kHeaderSize) return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->bytes.assign(bytes.begin(), bytes.end());
    impl->file = ::fmemopen(impl->bytes.data(), impl->bytes.size(), "rb");
    if (impl->file == nullptr) return nullptr;
    impl->fileSize = impl->bytes.size();
    return Finish(std::move(impl), backend);
}

std::unique_ptr<HpiArchive> HpiArchive::Finish(std::unique_ptr<Impl> impl, InflateBackend backend) {
    impl->inflater = std::make_unique<Inflater>(backend);
    const std::uint64_t fileSize = impl->fileSize;
    std::uint8_t headerBytes[kHeaderSize];
    HpiHeader header;
    if (!impl->ReadAt(0, headerBytes, kHeaderSize) || !ReadHeader(headerBytes, kHeaderSize, header)) return nullptr;
    impl->cipher = HpiCipher(header.keySeed);
    impl->keySeed = header.keySeed;

    ByteRange ranges[2];
    const int rangeCount = DirectoryRanges(header, fileSize, ranges);
    // Both readings start at the same offset: read the longer one once.
    std::uint64_t longest = 0;
    for (int r = 0; r < rangeCount; ++r)
        if (ranges[r].end - ranges[r].begin <= kMaxDirectory)
            longest = std::max(longest, ranges[r].end - ranges[r].begin);
    if (longest == 0) return nullptr;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(longest));
    if (!impl->ReadAt(header.directoryStart, bytes.data(), bytes.size())) return nullptr;
    for (int r = 0; r < rangeCount; ++r) {
        const std::uint64_t size = ranges[r].end - ranges[r].begin;
        if (size <= longest && impl->directory.Parse(bytes.data(), ranges[r].begin, size, header.directoryStart))
            return std::unique_ptr<HpiArchive>(new HpiArchive(std::move(impl)));
    }
    return nullptr;
}

std::size_t HpiArchive::Dir(std::size_t continuation, std::string_view folder, char* name, std::size_t capacity) const {
    if (!impl_) return 0;
    const int index = impl_->directory.FindFolder(folder);
    if (index < 0) return 0;
    const auto& files = impl_->directory.Folder(static_cast<std::size_t>(index)).files;
    if (continuation >= files.size()) return 0;
    return ReportName(continuation, impl_->directory.File(files[continuation]).name, name, capacity);
}

std::size_t HpiArchive::DirFolders(std::size_t continuation, std::string_view folder, char* name,
                                   std::size_t capacity) const {
    if (!impl_) return 0;
    const int index = impl_->directory.FindFolder(folder);
    if (index < 0) return 0;
    const auto& folders = impl_->directory.Folder(static_cast<std::size_t>(index)).folders;
    if (continuation >= folders.size()) return 0;
    return ReportName(continuation, impl_->directory.Folder(folders[continuation]).name, name, capacity);
}

std::vector<SkippedEntry> HpiArchive::SkippedIn(std::string_view folder, bool below) const {
    if (!impl_) return {};
    return impl_->directory.SkippedIn(impl_->directory.FindFolder(folder), below);
}

const std::vector<SkippedEntry>& HpiArchive::Skipped() const {
    static const std::vector<SkippedEntry> none;
    return impl_ ? impl_->directory.Skipped() : none;
}

std::optional<std::uint32_t> HpiArchive::EntrySize(std::string_view entryPath) const {
    if (!impl_) return std::nullopt;
    const DirFile* entry = impl_->directory.FindFile(entryPath);
    if (entry == nullptr) return std::nullopt;
    return entry->size;
}

std::optional<HpiArchive::EntryInfo> HpiArchive::Info(std::string_view entryPath) const {
    if (!impl_) return std::nullopt;
    const DirFile* entry = impl_->directory.FindFile(entryPath);
    if (entry == nullptr) return std::nullopt;
    EntryInfo info;
    info.size = entry->size;
    info.compression = entry->compression;
    if (entry->compression == kFileStored) {
        info.packedSize = entry->size;
        info.packedSizeKnown =
            entry->contentsOffset <= impl_->fileSize && entry->size <= impl_->fileSize - entry->contentsOffset;
        return info;
    }
    const std::uint64_t count = ChunkCount(entry->size);
    std::vector<std::uint8_t> table(static_cast<std::size_t>(count * 4));
    if (count * 4 > impl_->fileSize || !impl_->ReadAt(entry->contentsOffset, table.data(), table.size())) return info;
    info.packedSize = count * 4;
    for (std::size_t i = 0; i < count; ++i) info.packedSize += LoadU32(table.data() + 4 * i);
    info.packedSizeKnown = info.packedSize <= impl_->fileSize - entry->contentsOffset;
    return info;
}

bool HpiArchive::ExtractTo(std::string_view entryPath, std::FILE* out) const {
    if (!impl_ || out == nullptr) return false;
    const DirFile* entry = impl_->directory.FindFile(entryPath);
    if (entry == nullptr || entry->compression > kFileZlib) return false;
    Impl::FileSink sink(impl_->out, out, entry->size);
    return entry->compression == kFileStored ? impl_->DecodeStored(*entry, sink) : impl_->DecodePacked(*entry, sink);
}

bool HpiArchive::ExtractFile(std::string_view entryPath, const std::filesystem::path& destination) const {
    if (!impl_) return false;
    const DirFile* entry = impl_->directory.FindFile(entryPath);
    if (entry == nullptr || entry->compression > kFileZlib) return false;
    std::FILE* out = std::fopen(destination.string().c_str(), "wb");
    if (out == nullptr) return false;
    Impl::FileSink sink(impl_->out, out, entry->size);
    bool ok = entry->compression == kFileStored ? impl_->DecodeStored(*entry, sink) : impl_->DecodePacked(*entry, sink);
    ok = (std::fclose(out) == 0) && ok;
    if (!ok) {
        std::error_code ignored;
        std::filesystem::remove(destination, ignored);
    }
    return ok;
}

}  // namespace lorvex::hpi

namespace lorvex::hpi {

std::uint32_t HpiArchive::KeySeed() const { return impl_ ? impl_->keySeed : 0; }

bool HpiArchive::ReadStored(std::string_view entryPath, std::string& bytes, std::uint64_t maxBytes) const {
    bytes.clear();
    if (!impl_) return false;
    const DirFile* entry = impl_->directory.FindFile(entryPath);
    if (entry == nullptr || entry->compression > kFileZlib) return false;
    const std::uint64_t fileSize = impl_->fileSize;
    std::uint64_t extent = entry->size;
    if (entry->compression != kFileStored) {
        const std::uint64_t count = ChunkCount(entry->size);
        if (entry->contentsOffset > fileSize || count * 4 > fileSize - entry->contentsOffset) return false;
        std::vector<std::uint8_t> table(static_cast<std::size_t>(count * 4));
        if (!impl_->ReadAt(entry->contentsOffset, table.data(), table.size())) return false;
        extent = count * 4;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint32_t length = LoadU32(table.data() + 4 * i);
            if (length < kChunkHeaderSize || length > kMaxChunkLength) return false;
            extent += length;
        }
    }
    if (extent > maxBytes || entry->contentsOffset > fileSize || extent > fileSize - entry->contentsOffset)
        return false;
    bytes.resize(static_cast<std::size_t>(extent));
    if (!impl_->ReadAt(entry->contentsOffset, reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size())) {
        bytes.clear();
        return false;
    }
    return true;
}

bool HpiArchive::ExtractToMemory(std::string_view entryPath, std::vector<std::uint8_t>& bytes) const {
    bytes.clear();
    if (!impl_) return false;
    const DirFile* entry = impl_->directory.FindFile(entryPath);
    if (entry == nullptr || entry->compression > kFileZlib) return false;
    Impl::MemorySink sink(bytes);
    const bool ok =
        entry->compression == kFileStored ? impl_->DecodeStored(*entry, sink) : impl_->DecodePacked(*entry, sink);
    if (!ok) bytes.clear();
    return ok;
}

}  // namespace lorvex::hpi
