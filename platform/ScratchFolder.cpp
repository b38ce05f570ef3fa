#include "platform/ScratchFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "platform/FileSystem.h"
#include "platform/SaveFile.h"

namespace lorvex::platform {
namespace {

constexpr std::size_t kCompareBlock = std::size_t{1} << 20;

// A regular file that has no other name: the only kind written in place.
bool OwnRegularFile(const struct stat& st) { return S_ISREG(st.st_mode) && st.st_nlink == 1; }

}  // namespace

ScratchFolder::~ScratchFolder() { Close(); }

void ScratchFolder::Close() {
    if (folder_ >= 0) ::close(folder_);
    folder_ = -1;
}

bool ScratchFolder::Begin(std::string_view folderText) {
    Close();
    stored_.clear();
    problem_.clear();
    unchanged_ = written_ = 0;
    CreateFolder(folderText);
    const std::filesystem::path path = DiskPath(folderText);
    folder_ = ::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder_ >= 0) return true;
    const int error = errno;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
        problem_ = "it is a symbolic link, and Lorvex never writes through a link it did not make";
    else if (error == ENOTDIR)
        problem_ = "it is a file, not a folder";
    else
        problem_ = std::strerror(error);
    return false;
}

bool ScratchFolder::TryLock() {
    if (folder_ < 0) return false;
    if (::flock(folder_, LOCK_EX | LOCK_NB) == 0) return true;
    // A file system without locks cannot hold two loads apart; it still loads.
    return errno != EWOULDBLOCK && errno != EINTR;
}

bool ScratchFolder::Matches(int fd, const std::uint8_t* bytes, std::size_t size) {
    if (compare_.size() < std::min(size, kCompareBlock)) compare_.resize(std::min(size, kCompareBlock));
    std::size_t done = 0;
    while (done < size) {
        const std::size_t want = std::min(size - done, kCompareBlock);
        const ssize_t n = ::pread(fd, compare_.data(), want, static_cast<off_t>(done));
        if (n <= 0) return false;
        if (std::memcmp(compare_.data(), bytes + done, static_cast<std::size_t>(n)) != 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool ScratchFolder::Store(std::string_view nameText, const std::uint8_t* bytes, std::size_t size) {
    if (folder_ < 0 || nameText.empty() || nameText.find('/') != std::string_view::npos) {
        problem_ = "its name cannot be a file name";
        return false;
    }
    const std::string name(nameText);
    const char* n = name.c_str();
    struct stat st {};
    if (::fstatat(folder_, n, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISDIR(st.st_mode)) {  // a subfolder is never removed
            problem_ = "a folder of that name is in the scratch folder";
            return false;
        }
        if (OwnRegularFile(st)) {
            const int fd = ::openat(folder_, n, O_RDWR | O_NOFOLLOW | O_CLOEXEC);
            struct stat opened {};
            if (fd >= 0 && ::fstat(fd, &opened) == 0 && OwnRegularFile(opened) && opened.st_ino == st.st_ino) {
                if (static_cast<std::uint64_t>(opened.st_size) == size && Matches(fd, bytes, size)) {
                    ::close(fd);
                    stored_.insert(name);
                    ++unchanged_;
                    return true;
                }
                return Fill(fd, name, bytes, size, static_cast<std::uint64_t>(opened.st_size));
            }
            if (fd >= 0) ::close(fd);
        }
        // A link, a hard-linked file, a pipe: replaced, never written through.
        if (::unlinkat(folder_, n, 0) != 0) {
            problem_ = WriteProblem(errno);
            return false;
        }
    } else if (errno != ENOENT) {
        problem_ = WriteProblem(errno);
        return false;
    }
    const int fd = ::openat(folder_, n, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        problem_ = WriteProblem(errno);
        return false;
    }
    return Fill(fd, name, bytes, size, 0);
}

bool ScratchFolder::Fill(int fd, const std::string& name, const std::uint8_t* bytes, std::size_t size,
                         std::uint64_t oldSize) {
    errno = 0;
    bool ok = WriteFromStart(fd, bytes, size);
    if (ok && oldSize > size) ok = ::ftruncate(fd, static_cast<off_t>(size)) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        problem_ = WriteProblem(errno != 0 ? errno : EIO);
        // A file that did not take every byte would pass for this load's copy.
        ::unlinkat(folder_, name.c_str(), 0);
        return false;
    }
    stored_.insert(name);
    ++written_;
    return true;
}

void ScratchFolder::Discard(std::string_view nameText) {
    if (folder_ < 0 || nameText.empty() || nameText.find('/') != std::string_view::npos) return;
    const std::string name(nameText);
    struct stat st {};
    if (::fstatat(folder_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(st.st_mode)) return;
    ::unlinkat(folder_, name.c_str(), 0);
    stored_.erase(name);
}

int ScratchFolder::Finish() {
    if (folder_ < 0) return 0;
    int failures = 0;
    {
        std::vector<std::string> stale;
        if (DIR* dir = ::fdopendir(::dup(folder_))) {
            ::rewinddir(dir);
            while (const dirent* e = ::readdir(dir)) {
                const char* n = e->d_name;
                if (std::strcmp(n, ".") == 0 || std::strcmp(n, "..") == 0 || stored_.count(n)) continue;
                struct stat st {};
                if (::fstatat(folder_, n, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
                if (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) stale.emplace_back(n);
            }
            ::closedir(dir);
        }
        for (const std::string& n : stale)
            if (::unlinkat(folder_, n.c_str(), 0) != 0) ++failures;
    }
    Close();
    return failures;
}

}  // namespace lorvex::platform
