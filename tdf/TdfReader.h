#pragma once
// Reads the game's TDF text (bracketed block headers, brace lines, key=value
// entries, // and /* */ comments) one significant line at a time. Key, value
// and argument point into the reader's own line buffer and stay valid only
// until the next NextEntry.
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/AsciiText.h"
#include "platform/TextFile.h"

namespace lorvex {

enum class TdfResult : int {
    End = 0,
    KeyValue = 1,
    BlockOpen = 2,
    BlockClose = 3,
    HeaderOnly = 4,
    Other = 5,
};

// True when text has the pattern's length and each text character equals the
// pattern's, or is a capital A-Z whose lower case equals it. Only text is folded.
bool TdfNameEquals(std::string_view pattern, std::string_view text);

class TdfReader {
public:
    static constexpr int kLineBufferSize = 1024;
    static constexpr int kMaxLineRead = 1022;
    static constexpr int kBlockNameSize = 256;

    TdfReader();
    ~TdfReader();
    TdfReader(const TdfReader&) = delete;
    TdfReader& operator=(const TdfReader&) = delete;

    bool Open(std::string_view pathText);  // a path text in the program's form
    // Reads text already in memory, line by line exactly as Open would read a
    // file holding the same bytes. The bytes are not copied: they must stay
    // unchanged until Close or the next Open.
    void OpenMemory(std::string_view bytes);
    void Close();
    TdfResult NextEntry();

    const char* BlockName() const;
    const char* Key() const;
    const char* ValueText();
    float ValueFloat() const;
    std::int32_t ValueInt() const;
    bool KeyWithArgument(std::string_view word);
    std::int32_t ArgumentInt() const;
    const char* Argument() const;
    std::int32_t EntryLine() const { return entryLine_; }

private:
    char* NextSignificantLine();

    std::unique_ptr<char[]> line_;
    std::unique_ptr<char[]> blockName_;
    char* key_;
    char* argument_;
    char* value_;
    std::int32_t commentDepth_ = 0;
    bool pushback_ = false;
    std::int32_t lineCounter_ = 0;
    std::int32_t entryLine_ = 0;
    bool ReadLine(char* line);
    void Reset();

    platform::TextFileReader stream_;
    platform::TextMemoryReader memory_;
    bool fromMemory_ = false;
    bool open_ = false;
};

}  // namespace lorvex
