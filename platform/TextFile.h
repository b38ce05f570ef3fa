#pragma once
// Text files as the game's tools wrote them: a CR LF pair reads as one line
// end, and every LF written is stored as CR LF.
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace lorvex::platform {

class TextFileReader {
public:
    TextFileReader() = default;
    ~TextFileReader();
    TextFileReader(const TextFileReader&) = delete;
    TextFileReader& operator=(const TextFileReader&) = delete;

    // Opens an existing file for reading; never creates one.
    bool Open(std::string_view pathText);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    // Reads one line into buffer (capacity bytes, at least 2), NUL-terminated.
    // Stores at most capacity - 1 characters; when it stops at that limit the
    // rest of the physical line is left for the next read, unless the newline
    // follows at once, in which case it is consumed. Returns false when nothing
    // could be read (end of file or a read error).
    bool ReadLine(char* buffer, std::size_t capacity, std::size_t* length = nullptr);

private:
    int PeekByte();
    int PeekSecondByte();

    std::FILE* file_ = nullptr;
    std::unique_ptr<unsigned char[]> data_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool eof_ = false;
};

// Bytes already in memory, read in lines exactly as TextFileReader reads a file
// holding them. The bytes are not copied: they must outlive the reads.
class TextMemoryReader {
public:
    void Open(std::string_view bytes) {
        data_ = bytes.data();
        pos_ = 0;
        end_ = bytes.size();
        open_ = true;
    }
    void Close() {
        data_ = nullptr;
        pos_ = end_ = 0;
        open_ = false;
    }
    bool IsOpen() const { return open_; }
    bool ReadLine(char* buffer, std::size_t capacity, std::size_t* length = nullptr);

private:
    const char* data_ = nullptr;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool open_ = false;
};

class TextFileWriter {
public:
    TextFileWriter() = default;
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    // Creates (or empties) the file at a disk path.
    bool Create(const std::string& diskPath);
    // Writes text, storing each LF as CR LF. Returns false once any write failed.
    bool Write(std::string_view text);
    // Flushes and closes; false when anything failed since Create.
    bool Close();
    bool Ok() const { return ok_; }

private:
    std::FILE* file_ = nullptr;
    bool ok_ = false;
};

}  // namespace lorvex::platform
