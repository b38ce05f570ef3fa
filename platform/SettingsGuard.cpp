#include "platform/SettingsGuard.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace lorvex::platform {
namespace {

std::string KindProblem(mode_t mode) {
    if (S_ISFIFO(mode)) return "is a named pipe";
    if (S_ISDIR(mode)) return "is a folder";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device";
    if (S_ISSOCK(mode)) return "is a socket";
    return "is not a regular file";
}

}  // namespace

SettingsFileCheck CheckSettingsFile(const std::string& path) {
    // O_NONBLOCK: opening a pipe for reading would otherwise wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT) return {true, {}};  // a first run: the settings start empty
        return {false, std::string("cannot be opened: ") + std::strerror(error)};
    }
    struct stat info {};
    const bool statted = ::fstat(fd, &info) == 0;
    const int error = errno;
    ::close(fd);
    if (!statted) return {false, std::string("cannot be examined: ") + std::strerror(error)};
    if (!S_ISREG(info.st_mode)) return {false, KindProblem(info.st_mode)};
    if (static_cast<std::uint64_t>(info.st_size) > kMaxSettingsFileSize)
        return {false, "is larger than " + std::to_string(kMaxSettingsFileSize) + " bytes"};
    return {true, {}};
}

}  // namespace lorvex::platform
