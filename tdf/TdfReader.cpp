#include "tdf/TdfReader.h"

#include <climits>
#include <cstring>

#include "tdf/TdfNumber.h"

namespace lorvex {
namespace {

bool IsLineBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsValueBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

TdfReader::TdfReader() : line_(new char[kLineBufferSize]()), blockName_(new char[kBlockNameSize]()) {
    // The last byte of the line buffer is never written by a read (a read
    // stores at most kMaxLineRead characters and their NUL), so it is an empty
    // text that key, value and argument can point at while there is none.
    key_ = argument_ = value_ = line_.get() + kLineBufferSize - 1;
}

TdfReader::~TdfReader() { Close(); }

void TdfReader::Reset() {
    Close();
    commentDepth_ = 0;
    pushback_ = false;
    lineCounter_ = 0;
    entryLine_ = 0;
    line_[0] = '\0';
    key_ = argument_ = value_ = line_.get() + kLineBufferSize - 1;
}

bool TdfReader::Open(std::string_view pathText) {
    Reset();
    fromMemory_ = false;
    open_ = stream_.Open(pathText);
    return open_;
}

void TdfReader::OpenMemory(std::string_view bytes) {
    Reset();
    fromMemory_ = true;
    memory_.Open(bytes);
    open_ = true;
}

void TdfReader::Close() {
    if (stream_.IsOpen()) stream_.Close();
    memory_.Close();
    open_ = false;
    pushback_ = false;
}

bool TdfReader::ReadLine(char* line) {
    // Capacity kMaxLineRead + 1: at most 1,022 characters per read.
    return fromMemory_ ? memory_.ReadLine(line, kMaxLineRead + 1) : stream_.ReadLine(line, kMaxLineRead + 1);
}

char* TdfReader::NextSignificantLine() {
    if (!open_) return nullptr;
    char* const line = line_.get();
    for (;;) {
        if (pushback_) {
            pushback_ = false;  // the line in the buffer is read once more, not counted again
        } else {
            if (!ReadLine(line)) return nullptr;
            if (lineCounter_ < INT32_MAX) ++lineCounter_;
        }
        // A NUL inside the line ends its text here: everything behind it is ignored.
        char* p = line;
        while (IsLineBlank(*p)) ++p;
        if (p[0] == '/' && p[1] == '*') ++commentDepth_;
        if (commentDepth_ > 0) {
            // Only a /* at the start of a line nests; the line is dropped either way.
            if (std::strstr(p, "*/")) --commentDepth_;
            continue;
        }
        if (*p == '\0' || (p[0] == '/' && p[1] == '/')) continue;
        return p;
    }
}

TdfResult TdfReader::NextEntry() {
    char* const empty = line_.get() + kLineBufferSize - 1;
    key_ = argument_ = value_ = empty;
    char* p = NextSignificantLine();
    entryLine_ = lineCounter_;
    if (!p) return TdfResult::End;
    if (*p == '}') return TdfResult::BlockClose;
    if (*p == '[') {
        ++p;
        char* name = blockName_.get();
        int n = 0;
        while (*p && *p != ']') {
            if (n < kBlockNameSize - 1) name[n++] = *p;  // a longer name is cut
            ++p;
        }
        name[n] = '\0';
        if (*p != ']') return TdfResult::Other;
        char* next = NextSignificantLine();
        if (!next) return TdfResult::HeaderOnly;  // the file ends right after the header
        if (*next == '{') return TdfResult::BlockOpen;
        pushback_ = true;
        return TdfResult::HeaderOnly;
    }
    char* eq = std::strchr(p, '=');
    if (!eq || eq == p) return TdfResult::Other;
    char* value = eq + 1;
    while (IsValueBlank(*value)) ++value;
    if (*value == '\0') return TdfResult::Other;
    char* keyEnd = eq;
    while (keyEnd > p && IsValueBlank(keyEnd[-1])) --keyEnd;
    *keyEnd = '\0';
    key_ = p;
    value_ = value;
    return TdfResult::KeyValue;
}

const char* TdfReader::BlockName() const { return blockName_.get(); }

const char* TdfReader::Key() const { return key_; }

const char* TdfReader::ValueText() {
    if (char* semicolon = std::strchr(value_, ';')) *semicolon = '\0';
    return value_;
}

float TdfReader::ValueFloat() const { return ReadTdfFloat(value_); }

std::int32_t TdfReader::ValueInt() const { return ReadTdfInt(value_); }

bool TdfReader::KeyWithArgument(std::string_view word) {
    const char* key = key_;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char t = key[i];
        if (t == '\0') return false;
        if (t != word[i] && platform::FoldAscii(t) != word[i]) return false;
    }
    if (key[word.size()] != '(') return false;
    argument_ = key_ + word.size() + 1;
    if (char* close = std::strchr(argument_, ')')) *close = '\0';
    return true;
}

std::int32_t TdfReader::ArgumentInt() const { return ReadTdfInt(argument_); }

const char* TdfReader::Argument() const { return argument_; }

}  // namespace lorvex
