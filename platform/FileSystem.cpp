#include "platform/FileSystem.h"

#include <algorithm>
#include <system_error>

#include "platform/AsciiText.h"

namespace fs = std::filesystem;

namespace lorvex::platform {
namespace {

// Finds an entry of folder whose name equals component without regard to
// case; an exact match is preferred, so a folder holding both spellings is
// read the way it was asked for.
bool FindEntry(const fs::path& folder, const std::string& component, std::string* found) {
    std::error_code ec;
    const fs::path exact = folder / component;
    if (fs::symlink_status(exact, ec).type() != fs::file_type::not_found && !ec) {
        *found = component;
        return true;
    }
    fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec);
    if (ec) return false;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) return false;
        std::string name = it->path().filename().string();
        if (EqualsFolded(name, component)) {
            *found = std::move(name);
            return true;
        }
    }
    return false;
}

}  // namespace

fs::path DiskPath(std::string_view pathText) {
    fs::path result;
    bool resolving = true;  // once a component is missing, the rest cannot exist
    std::size_t start = 0;
    while (start <= pathText.size()) {
        std::size_t end = pathText.find_first_of("\\/", start);
        if (end == std::string_view::npos) end = pathText.size();
        std::string component(pathText.substr(start, end - start));
        if (component.empty()) {
            if (start == 0 && end < pathText.size()) result = "/";
        } else if (component == "." || component == "..") {
            result /= component;
        } else {
            std::string found;
            if (resolving && FindEntry(result, component, &found)) {
                result /= found;
            } else {
                resolving = false;
                result /= component;
            }
        }
        if (end == pathText.size()) break;
        start = end + 1;
    }
    return result;
}

fs::path DiskPathOfName(std::string_view folderText, std::string_view name) {
    const fs::path folder = DiskPath(folderText);
    const std::string component(name);
    if (component.empty() || component == "." || component == ".." || component.find('/') != std::string::npos)
        return {};  // names no file in the folder
    std::string found;
    return folder / (FindEntry(folder, component, &found) ? found : component);
}

bool Exists(std::string_view pathText) {
    std::error_code ec;
    return fs::exists(DiskPath(pathText), ec);
}

bool CreateFolder(std::string_view pathText) {
    std::error_code ec;
    return fs::create_directory(DiskPath(pathText), ec);
}

bool WildcardMatch(std::string_view pattern, std::string_view text) {
    // Iterative match with one backtrack point: linear enough for file names.
    std::size_t p = 0, t = 0, starP = std::string_view::npos, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starT = t;
        } else if (p < pattern.size() && (pattern[p] == '?' || FoldAscii(pattern[p]) == FoldAscii(text[t]))) {
            ++p;
            ++t;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::vector<std::string> ListFiles(std::string_view folderText, std::string_view wildcard) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::path folder = DiskPath(folderText);
    fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec);
    if (ec) return names;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        std::error_code sec;
        if (!it->is_regular_file(sec) || sec) continue;
        std::string name = it->path().filename().string();
        if (WildcardMatch(wildcard, name)) names.push_back(std::move(name));
    }
    // Names that differ only in case tie when folded: raw bytes then decide,
    // so that the order is total and no two runs list them differently.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int folded = CompareFolded(a, b);
        return folded != 0 ? folded < 0 : a < b;
    });
    return names;
}

int EmptyFolder(std::string_view folderText) {
    int failures = 0;
    std::error_code ec;
    const fs::path folder = DiskPath(folderText);
    if (fs::is_symlink(folder, ec)) return 0;  // never empty a folder somewhere else
    fs::directory_iterator it(folder, ec);
    if (ec) return 0;
    std::vector<fs::path> doomed;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        std::error_code sec;
        const fs::file_status st = it->symlink_status(sec);
        if (sec) continue;
        if (st.type() == fs::file_type::regular || st.type() == fs::file_type::symlink) doomed.push_back(it->path());
    }
    for (const fs::path& p : doomed) {
        std::error_code rec;
        if (!fs::remove(p, rec)) ++failures;
    }
    return failures;
}

}  // namespace lorvex::platform
