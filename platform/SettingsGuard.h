#pragma once
// The window's settings file is read before any window shows. Anyone who can
// write the user's config folder (an unpacked mod, a shared home) can leave a
// named pipe, a device or a huge file there, and reading it would block the
// start forever or eat memory: it is looked at first, without blocking.
#include <cstdint>
#include <string>

namespace lorvex::platform {

// Far more than the recent games, geometry and column layouts ever take.
inline constexpr std::uint64_t kMaxSettingsFileSize = std::uint64_t{1} << 20;

struct SettingsFileCheck {
    bool usable = false;
    std::string problem;  // why it is not, for a message naming the file; empty when usable
};

// Usable when the file is missing or a regular file of at most
// kMaxSettingsFileSize bytes. Never blocks and never reads or writes the file.
SettingsFileCheck CheckSettingsFile(const std::string& path);

}  // namespace lorvex::platform
