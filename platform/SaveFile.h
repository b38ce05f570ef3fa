#pragma once
// Every file a user names is written through here, whole or not at all. A
// regular file is written beside itself under a short temporary name and
// renamed over the old one only when every byte went out, so that a full disk
// or a failed write leaves the old file as it was. What is not a regular file
// (a device such as /dev/null, a named pipe) is written directly and never
// replaced: renaming a file over it would swap the device for a plain file.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

namespace lorvex::platform {

struct SaveResult {
    bool ok = false;
    std::string error;  // why it failed, as a sentence part the caller can show; empty when ok
    std::string path;   // the absolute path of the file written (a link's target for a link)
};

// Why a write failed (an errno value; 0 for a write that took fewer bytes), in
// words a user can act on: "the disk is full", "permission denied", ...
std::string WriteProblem(int error);

// Hands write a stream opened on the file's new contents; write returns false
// when any of its writes failed. A symbolic link keeps being a link and the file
// it points to gets the contents (a link to nothing creates that file). A
// folder, a missing folder or a named pipe nobody reads from is refused with a reason.
SaveResult SaveFile(const std::filesystem::path& target, const std::function<bool(std::FILE*)>& write);

// Writes every byte to fd from the file's start (a signal does not cut it
// short), whatever the descriptor's own position; false with errno set, 0
// when the disk took no byte at all.
bool WriteFromStart(int fd, const void* bytes, std::size_t size);

}  // namespace lorvex::platform
