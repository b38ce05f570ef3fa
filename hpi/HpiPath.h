#pragma once
// Paths inside an archive: folders separated by "\" (a "/" is taken the same
// way), empty components skipped.
#include <cstddef>
#include <string_view>

namespace lorvex::hpi {

inline bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

// Calls visit(component) for each non-empty component of path; stops early
// (returning false) when visit does.
template <typename Visit>
bool ForEachPathComponent(std::string_view path, Visit visit)
{
    std::size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && IsPathSeparator(path[i]))
            ++i;
        std::size_t j = i;
        while (j < path.size() && !IsPathSeparator(path[j]))
            ++j;
        if (j > i && !visit(path.substr(i, j - i)))
            return false;
        i = j;
    }
    return true;
}

}  // namespace lorvex::hpi
