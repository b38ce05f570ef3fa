#pragma once
// What the archive rewrite shares with the file that puts its result on the
// disk: a test's view of the steps, the temporary file, the real file behind a path.
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace lorvex::hpi {

// Tells the hook set by SetRewriteStepHook that a step is done ("written", "synced", ...).
void RewriteStep(std::string_view step);

// Writes bytes to a new temporary file in folder with the given mode, flushed
// to the disk; its path, or empty with problem set.
std::filesystem::path WriteTemporary(const std::filesystem::path& folder, const std::string& bytes, mode_t mode,
                                     std::string& problem);

// The real file behind a path (links followed), or empty with problem set.
std::filesystem::path RegularFile(const std::filesystem::path& path, std::string& problem);

}  // namespace lorvex::hpi
