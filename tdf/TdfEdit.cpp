#include "tdf/TdfEdit.h"

#include <memory>

#include "platform/AsciiText.h"
#include "platform/TextFile.h"
#include "tdf/TdfReader.h"

namespace lorvex {
namespace {

constexpr std::size_t kReadCapacity = TdfReader::kMaxLineRead + 1;
// The indentation a key line gets in a block that has no key line to copy it from.
constexpr const char* kIndentStep = "\t";
// The line end of a file that has none to copy: the game's tools write CR LF.
constexpr const char* kDefaultLineEnd = "\r\n";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLayoutTail(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view TrimLayoutTail(std::string_view value) {
    while (!value.empty() && IsLayoutTail(value.back())) value.remove_suffix(1);
    return value;
}

// Where each line the reader counts starts in the text and how many bytes it
// holds: the reader's own line rules (CR LF, a cut after 1,022 characters).
struct LineSpan {
    std::size_t start;
    std::size_t length;  // without the line end
};

std::vector<LineSpan> ReaderLines(std::string_view text) {
    std::vector<LineSpan> lines;
    platform::TextMemoryReader reader;
    reader.Open(text);
    auto buffer = std::make_unique<char[]>(kReadCapacity);
    std::size_t pos = 0;
    std::size_t length = 0;
    while (reader.ReadLine(buffer.get(), kReadCapacity, &length)) {
        lines.push_back({pos, length});
        pos += length;
        if (pos + 1 < text.size() && text[pos] == '\r' && text[pos + 1] == '\n')
            pos += 2;
        else if (pos < text.size() && text[pos] == '\n')
            ++pos;
    }
    return lines;
}

struct KeyLine {
    int line;
    int depth;
    std::string key;
    std::string value;
};

struct BlockScan {
    std::string name;
    int line = 0;
    int closeLine = 0;  // 0: the file ends inside the block
    std::vector<KeyLine> keys;
};

// Walks the top-level blocks exactly as a load does; visit returns false to stop.
// keys are collected only for the block that opens on keysOf.
template <class Visit>
void WalkBlocks(std::string_view text, int keysOf, Visit visit) {
    TdfReader reader;
    reader.OpenMemory(text);
    TdfResult r = reader.NextEntry();
    for (;;) {
        while (r != TdfResult::BlockOpen && r != TdfResult::End) r = reader.NextEntry();
        if (r == TdfResult::End) break;
        BlockScan block;
        block.name = reader.BlockName();
        block.line = reader.EntryLine();
        const bool wanted = block.line == keysOf;
        r = reader.NextEntry();
        int depth = 1;
        while (depth >= 1 && r != TdfResult::End) {
            if (r == TdfResult::KeyValue && wanted)
                block.keys.push_back(
                    {reader.EntryLine(), depth, reader.Key(), std::string(TrimLayoutTail(reader.ValueText()))});
            if (r == TdfResult::BlockOpen) ++depth;
            if (r == TdfResult::BlockClose && --depth == 0) block.closeLine = reader.EntryLine();
            r = reader.NextEntry();
        }
        if (!visit(std::move(block))) break;
    }
}

std::optional<BlockScan> FindBlock(std::string_view text, int blockLine) {
    std::optional<BlockScan> found;
    WalkBlocks(text, blockLine, [&](BlockScan&& block) {
        if (block.line != blockLine) return true;
        found = std::move(block);
        return false;
    });
    return found;
}

bool KeyMatches(std::string_view a, std::string_view b) { return platform::EqualsFolded(a, b); }

std::vector<const KeyLine*> Occurrences(const BlockScan& block, std::string_view key, int maxDepth) {
    std::vector<const KeyLine*> found;
    for (const KeyLine& k : block.keys)
        if (k.depth <= maxDepth && KeyMatches(k.key, key)) found.push_back(&k);
    return found;
}

// Why the reader could not read value back as written; empty when it can.
std::string ValueProblem(std::string_view value) {
    if (value.empty()) return "an empty value is not read as a value";
    if (IsBlank(value.front()) || IsBlank(value.back())) return "blanks at either end of a value are not kept";
    if (value.find(';') != std::string_view::npos) return "a ';' would end the value";
    if (value.find_first_of("\r\n") != std::string_view::npos) return "a value cannot span lines";
    if (value.find('\0') != std::string_view::npos) return "a NUL byte would end the line";
    if (value.find_first_of("[]{}") != std::string_view::npos) return "brackets and braces mark blocks";
    if (value.find("//") != std::string_view::npos || value.find("/*") != std::string_view::npos)
        return "a comment marker would hide the rest of the line";
    return {};
}

TdfEditResult Refused(std::string problem) { return {TdfEditOutcome::Refused, {}, std::move(problem)}; }

// The bytes of the value on a line as the reader takes them, blanks before the ';' left out.
struct ValueSpan {
    std::size_t start;
    std::size_t end;
};

std::optional<ValueSpan> ValueOnLine(std::string_view text, const LineSpan& line) {
    std::string_view content = text.substr(line.start, line.length);
    content = content.substr(0, content.find('\0'));
    const std::size_t eq = content.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    std::size_t start = eq + 1;
    while (start < content.size() && IsBlank(content[start])) ++start;
    const std::size_t semicolon = content.find(';', start);
    const std::size_t end = semicolon == std::string_view::npos ? content.size() : semicolon;
    const std::size_t core = start + TrimLayoutTail(content.substr(start, end - start)).size();
    return ValueSpan{line.start + start, line.start + core};
}

std::string LineEndOf(std::string_view text) {
    const std::size_t nl = text.find('\n');
    if (nl == std::string_view::npos) return kDefaultLineEnd;
    return nl > 0 && text[nl - 1] == '\r' ? "\r\n" : "\n";
}

std::string LeadingBlanks(std::string_view text, const LineSpan& line) {
    std::size_t n = 0;
    while (n < line.length && IsBlank(text[line.start + n])) ++n;
    return std::string(text.substr(line.start, n));
}

bool SameBlockNames(const std::vector<TdfBlockInfo>& a, const std::vector<TdfBlockInfo>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].name != b[i].name) return false;
    return true;
}

// Keeps an edit only when the text still has the same blocks and the edited
// occurrence reads as value; otherwise puts the text back.
TdfEditResult Checked(std::string& text, std::string before, const std::vector<TdfBlockInfo>& blocksBefore,
                      int blockLine, int valueLine, std::string_view key, std::string_view value, int maxDepth,
                      TdfEditResult done) {
    bool same = SameBlockNames(blocksBefore, TdfBlocks(text));
    std::string read = "nothing";
    if (same) {
        same = false;
        for (const TdfValueAt& at : TdfReadValues(text, blockLine, key, maxDepth))
            if (at.line == valueLine) {
                same = at.value == value;
                read = "\"" + at.value + "\"";
            }
    }
    if (same) return done;
    text = std::move(before);
    return Refused("the file would read back " + read + " instead");
}

TdfEditResult ReplaceOn(std::string& text, const BlockScan& block, const KeyLine& at, std::string_view key,
                        std::string_view value, int maxDepth) {
    const std::vector<LineSpan> lines = ReaderLines(text);
    if (at.line < 1 || static_cast<std::size_t>(at.line) > lines.size()) return Refused("the line is not in the file");
    const std::optional<ValueSpan> span = ValueOnLine(text, lines[static_cast<std::size_t>(at.line) - 1]);
    if (!span || text.compare(span->start, span->end - span->start, at.value) != 0)
        return Refused("the value's bytes could not be found on its line");
    const std::vector<TdfBlockInfo> blocksBefore = TdfBlocks(text);
    std::string before = text;
    text.replace(span->start, span->end - span->start, value);
    return Checked(text, std::move(before), blocksBefore, block.line, at.line, key, value, maxDepth,
                   {TdfEditOutcome::Replaced, at.value, {}});
}

TdfEditResult AddTo(std::string& text, const BlockScan& block, std::string_view key, std::string_view value,
                    int maxDepth) {
    if (ValueProblem(key).size() || key.find('=') != std::string_view::npos)
        return Refused("the key cannot be written as a key");
    if (block.closeLine == 0) return Refused("the block has no closing brace to add the key before");
    const std::vector<LineSpan> lines = ReaderLines(text);
    const LineSpan& brace = lines[static_cast<std::size_t>(block.closeLine) - 1];
    if (brace.start > 0 && text[brace.start - 1] != '\n') return Refused("the closing brace does not start a line");
    std::string indent;
    const KeyLine* model = nullptr;
    for (const KeyLine& k : block.keys)
        if (k.depth == 1) model = &k;
    if (model)
        indent = LeadingBlanks(text, lines[static_cast<std::size_t>(model->line) - 1]);
    else
        indent = LeadingBlanks(text, brace) + kIndentStep;
    const std::string added = indent + std::string(key) + "=" + std::string(value) + ";" + LineEndOf(text);
    const std::vector<TdfBlockInfo> blocksBefore = TdfBlocks(text);
    std::string before = text;
    text.insert(brace.start, added);
    return Checked(text, std::move(before), blocksBefore, block.line, block.closeLine, key, value, maxDepth,
                   {TdfEditOutcome::Added, {}, {}});
}

}  // namespace

std::vector<TdfBlockInfo> TdfBlocks(std::string_view text) {
    std::vector<TdfBlockInfo> blocks;
    WalkBlocks(text, -1, [&](BlockScan&& block) {
        blocks.push_back({std::move(block.name), block.line});
        return true;
    });
    return blocks;
}

std::vector<TdfValueAt> TdfReadValues(std::string_view text, int blockLine, std::string_view key, int maxDepth) {
    std::vector<TdfValueAt> values;
    if (const auto block = FindBlock(text, blockLine))
        for (const KeyLine* k : Occurrences(*block, key, maxDepth)) values.push_back({k->line, k->value});
    return values;
}

std::optional<std::string> TdfReadValue(std::string_view text, int blockLine, std::string_view key, int maxDepth) {
    std::vector<TdfValueAt> values = TdfReadValues(text, blockLine, key, maxDepth);
    if (values.empty()) return std::nullopt;
    return std::move(values.back().value);
}

TdfEditResult TdfSetValue(std::string& text, int blockLine, std::string_view key, std::string_view value,
                          int maxDepth) {
    const auto block = FindBlock(text, blockLine);
    if (!block) return {TdfEditOutcome::NoSuchBlock, {}, "no block opens on line " + std::to_string(blockLine)};
    if (std::string problem = ValueProblem(value); !problem.empty()) return Refused(std::move(problem));
    const std::vector<const KeyLine*> found = Occurrences(*block, key, maxDepth);
    if (found.empty()) return AddTo(text, *block, key, value, maxDepth);
    return ReplaceOn(text, *block, *found.back(), key, value, maxDepth);
}

TdfEditResult TdfSetValueOnLine(std::string& text, int blockLine, int valueLine, std::string_view key,
                                std::string_view value, int maxDepth) {
    const auto block = FindBlock(text, blockLine);
    if (!block) return {TdfEditOutcome::NoSuchBlock, {}, "no block opens on line " + std::to_string(blockLine)};
    if (std::string problem = ValueProblem(value); !problem.empty()) return Refused(std::move(problem));
    for (const KeyLine* k : Occurrences(*block, key, maxDepth))
        if (k->line == valueLine) return ReplaceOn(text, *block, *k, key, value, maxDepth);
    return Refused("the key is not on line " + std::to_string(valueLine));
}

}  // namespace lorvex
