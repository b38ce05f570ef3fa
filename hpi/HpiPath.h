#pragma once
// Paths inside an archive: folders separated by "\" (a "/" is taken the same
// way), empty components skipped.
#include <cstddef>
#include <string_view>

namespace lorvex::hpi {

inline bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

// Bytes 0x00-0x1F and 0x7F: in a name they could steer a terminal or break a
// line of an export in two.
inline bool IsControlByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

// Why a name cannot stand for one file or folder inside its folder, or null
// when it can. An empty name, "." or "..", a separator or a drive colon would
// name another place once a caller appends the name to a path of its own
// ("Lorvex temp\" + name); a control byte would reach terminals and exports.
inline const char* NameProblem(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return "its name is no plain file name";
    for (char c : name) {
        if (IsPathSeparator(c) || c == ':') return "its name is no plain file name";
        if (IsControlByte(c)) return "its name holds a control character";
    }
    return nullptr;
}

inline bool IsPlainName(std::string_view name) { return NameProblem(name) == nullptr; }

// Calls visit(component) for each non-empty component of path; stops early
// (returning false) when visit does.
template <typename Visit>
bool ForEachPathComponent(std::string_view path, Visit visit) {
    std::size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && IsPathSeparator(path[i])) ++i;
        std::size_t j = i;
        while (j < path.size() && !IsPathSeparator(path[j])) ++j;
        if (j > i && !visit(path.substr(i, j - i))) return false;
        i = j;
    }
    return true;
}

}  // namespace lorvex::hpi
