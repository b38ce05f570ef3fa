#pragma once
// Changing one value of a record file's text the way a careful person edits it
// by hand: only the value's bytes change, everything else (key spelling,
// indentation, blanks, the ';', a comment behind it, line ends) stays. Blocks,
// lines and values are found with TdfReader, so an edit touches exactly the
// line a load reads, and every edit is read back before it is kept.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lorvex {

// A top-level block: its name and the line a load shows in "Line #".
struct TdfBlockInfo {
    std::string name;
    int line;
};

// Any depth: the depth rule of columns that claim their key wherever it is.
inline constexpr int kTdfAnyDepth = 1 << 30;

// The top-level blocks of a record file's text, in order.
std::vector<TdfBlockInfo> TdfBlocks(std::string_view text);

// The value of key in the top-level block that opens on blockLine, from the
// occurrence a load takes (the last one at depth <= maxDepth; 1 is the block's
// own lines). It is the text behind '=' as the reader reads it, except that
// blanks just before the ';' are left out: they are the line's layout, which an
// edit keeps. nullopt when the block does not hold the key or there is no such
// block. Keys match with A-Z folded, as a load matches them.
std::optional<std::string> TdfReadValue(std::string_view text, int blockLine, std::string_view key, int maxDepth);

// Every occurrence of key the block holds at depth <= maxDepth, in file order.
// A flag column sets its flag when any of them is non-zero, so clearing a flag
// has to reach them all.
struct TdfValueAt {
    int line;
    std::string value;  // as TdfReadValue gives it
};
std::vector<TdfValueAt> TdfReadValues(std::string_view text, int blockLine, std::string_view key, int maxDepth);

enum class TdfEditOutcome { Replaced, Added, NoSuchBlock, Refused };
struct TdfEditResult {
    TdfEditOutcome outcome;
    std::string oldValue;  // as written; empty when Added
    std::string problem;   // why, when Refused or NoSuchBlock
};

// Replaces the value of the occurrence TdfReadValue reads, keeping every other
// byte. A missing key gets a line "key=value;" just before the block's closing
// brace, indented like the block's key lines, ended like the file's lines.
// Refused (text unchanged, problem says why) for a value the reader would not
// read back as the same value: empty, blanks at either end, ';', a line break,
// a bracket or brace, a comment marker, or a line grown past the reader's limit.
TdfEditResult TdfSetValue(std::string& text, int blockLine, std::string_view key, std::string_view value, int maxDepth);

// The same for the occurrence on valueLine (one TdfReadValues listed); never adds.
TdfEditResult TdfSetValueOnLine(std::string& text, int blockLine, int valueLine, std::string_view key,
                                std::string_view value, int maxDepth);

}  // namespace lorvex
