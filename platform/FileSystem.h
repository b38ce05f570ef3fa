#pragma once
// The one place where the program's path texts meet the disk. Paths are kept
// as the game writes them ("..\rev31.gp3", "Lorvex temp\armx.fbi"): a backslash
// separates folders, and names match whatever case the files have on disk.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lorvex::platform {

// The disk path for a path text, relative to the current folder. Each
// component that exists on disk in another case is replaced by the name found
// there; components that do not exist (a file about to be created) stay as written.
std::filesystem::path DiskPath(std::string_view pathText);

// The disk path of the file `name` inside the folder (a path text): the name
// is one component whatever it holds, a backslash included, and matches an
// entry of the folder in any case (an exact spelling preferred). Empty for a
// name that cannot be a file's ("", ".", "..", one holding "/").
std::filesystem::path DiskPathOfName(std::string_view folderText, std::string_view name);

// True when the path text names an existing file or folder (any case).
bool Exists(std::string_view pathText);

// Creates the folder; false when it could not be created (including when it exists).
bool CreateFolder(std::string_view pathText);

// True when text matches the wildcard pattern ("*" any run, "?" any one character),
// letters compared without regard to case.
bool WildcardMatch(std::string_view pattern, std::string_view text);

// The names of the regular files directly inside the folder that match the
// wildcard, sorted by byte value after folding A-Z to lower case (ties by raw
// bytes), so that a listing is the same on every run and every machine.
std::vector<std::string> ListFiles(std::string_view folderText, std::string_view wildcard);

// Deletes every regular file and symbolic link directly inside the folder. A link
// is removed itself, never followed; subfolders and everything outside stay.
// Returns the number of entries that could not be removed.
int EmptyFolder(std::string_view folderText);

}  // namespace lorvex::platform
