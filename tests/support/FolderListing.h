#pragma once
// Every file under a folder with its size and modification time: a folder
// that must be left alone lists the same before and after.
#include <filesystem>
#include <map>
#include <string>

namespace lorvex::testkit {

inline std::map<std::string, std::string> FolderListing(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const auto time = entry.last_write_time().time_since_epoch().count();
        files[entry.path().string()] =
            std::to_string(entry.is_regular_file() ? entry.file_size() : 0) + " " + std::to_string(time);
    }
    return files;
}

}  // namespace lorvex::testkit
