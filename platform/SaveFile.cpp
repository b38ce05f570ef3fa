#include "platform/SaveFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace fs = std::filesystem;

namespace lorvex::platform {
namespace {

// As many links in a row as the system itself follows before it gives up.
constexpr int kMaxLinkHops = 40;
// Short, so that the temporary name fits in any folder the target's name fits in.
constexpr char kTempPattern[] = ".lorvex-XXXXXX";

using Writer = std::function<bool(std::FILE*)>;

std::string Quoted(const fs::path& p) { return "\"" + p.string() + "\""; }

SaveResult Failed(std::string error) { return {false, std::move(error), {}}; }

SaveResult Written(const fs::path& file) {
    std::error_code ec;
    return {true, {}, fs::absolute(file, ec).lexically_normal().string()};
}

// A reader that goes away must fail the write with EPIPE, not end the program:
// SIGPIPE is held back in this thread while a pipe is written, and one the
// write raised is taken off again before the thread could receive it.
class PipeSignalHeld {
public:
    PipeSignalHeld() {
        ::sigemptyset(&pipe_);
        ::sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        ::sigpending(&pending);
        wasPending_ = ::sigismember(&pending, SIGPIPE) == 1;
        ::pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
    }
    ~PipeSignalHeld() {
        sigset_t pending;
        ::sigpending(&pending);
        if (!wasPending_ && ::sigismember(&pending, SIGPIPE) == 1) {
            const timespec now{0, 0};
            ::sigtimedwait(&pipe_, nullptr, &now);
        }
        ::pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    PipeSignalHeld(const PipeSignalHeld&) = delete;
    PipeSignalHeld& operator=(const PipeSignalHeld&) = delete;

private:
    sigset_t pipe_{};
    sigset_t old_{};
    bool wasPending_ = false;
};

// Runs write on a stream over fd and closes it; false with the system's error
// number in *error when anything failed.
bool WriteAndClose(int fd, const Writer& write, int* error) {
    std::FILE* out = ::fdopen(fd, "wb");
    if (out == nullptr) {
        *error = errno;
        ::close(fd);
        return false;
    }
    errno = 0;
    bool ok = write(out);
    *error = errno;
    if (std::fclose(out) != 0 && ok) {
        ok = false;
        *error = errno;
    }
    return ok;
}

// Devices and pipes are written where they are: nothing created, emptied or replaced.
SaveResult WriteInPlace(const fs::path& target, const struct stat& st, const Writer& write) {
    if (S_ISSOCK(st.st_mode)) return Failed(Quoted(target) + " is a socket, which cannot be written as a file");
    const bool pipe = S_ISFIFO(st.st_mode);
    // Opening a pipe nobody reads from would wait for a reader forever: refused at once instead.
    const int fd = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | (pipe ? O_NONBLOCK : 0));
    if (fd < 0) {
        if (pipe && errno == ENXIO) return Failed("nothing is reading from the pipe " + Quoted(target));
        return Failed("cannot open " + Quoted(target) + ": " + WriteProblem(errno));
    }
    // Once open, a slow reader is waited for rather than taken for a failed write.
    if (pipe) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    const PipeSignalHeld held;
    int error = 0;
    if (!WriteAndClose(fd, write, &error)) return Failed("cannot write " + Quoted(target) + ": " + WriteProblem(error));
    return Written(target);
}

// The name a chain of symbolic links finally stands for; the file there need not exist yet.
bool FollowLinks(fs::path* file, std::string* error) {
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(file->c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        std::error_code ec;
        const fs::path next = fs::read_symlink(*file, ec);
        if (ec) {
            *error = "cannot read the link " + Quoted(*file) + ": " + WriteProblem(ec.value());
            return false;
        }
        *file = next.is_absolute() ? next : file->parent_path() / next;
    }
    *error = Quoted(*file) + " is reached through too many links";
    return false;
}

// What a plainly created file would get under the process's umask.
mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Writes a temporary file beside file and renames it into place only when
// every byte went out; old (when file exists) gives the mode and owner to keep.
SaveResult ReplaceWhole(const fs::path& file, const struct stat* old, const Writer& write) {
    const fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    std::string temp = (folder / kTempPattern).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return Failed("the folder " + Quoted(folder) + " does not exist");
        return Failed("cannot create a file in the folder " + Quoted(folder) + ": " + WriteProblem(errno));
    }
    if (old != nullptr && ::fchown(fd, old->st_uid, old->st_gid) != 0) {
        // Only root may give a file away; anyone else's copy stays theirs.
    }
    int error = 0;
    bool ok = ::fchmod(fd, old != nullptr ? old->st_mode & 07777 : NewFileMode()) == 0;
    if (!ok) {
        error = errno;
        ::close(fd);
    }
    std::string reason = "cannot write ";
    ok = ok && WriteAndClose(fd, write, &error);
    if (ok && ::rename(temp.c_str(), file.c_str()) != 0) {
        ok = false;
        error = errno;
        reason = "cannot replace ";
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return Failed(reason + Quoted(file) + ": " + WriteProblem(error));
    }
    return Written(file);
}

}  // namespace

std::string WriteProblem(int error) {
    switch (error) {
        case 0: return "a write failed";
        case ENOSPC: return "the disk is full";
        case EDQUOT: return "the disk quota is used up";
        case EFBIG: return "the file would be larger than allowed";
        case EACCES:
        case EPERM: return "permission denied";
        case EROFS: return "the disk is read-only";
        case ENAMETOOLONG: return "the name is too long";
        case EPIPE: return "the program reading it stopped";
        default: return std::strerror(error);
    }
}

SaveResult SaveFile(const fs::path& target, const Writer& write) {
    if (!target.has_filename()) return Failed("no file name was given");
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) return Failed("cannot reach " + Quoted(target) + ": " + WriteProblem(errno));
    if (exists && S_ISDIR(st.st_mode)) return Failed(Quoted(target) + " is a folder");
    if (exists && !S_ISREG(st.st_mode)) return WriteInPlace(target, st, write);
    // A link stays a link: the file it points to is replaced, or created when it points to nothing.
    fs::path file = target;
    std::string error;
    if (!FollowLinks(&file, &error)) return Failed(error);
    return ReplaceWhole(file, exists ? &st : nullptr, write);
}

bool WriteFromStart(int fd, const void* bytes, std::size_t size) {
    const auto* data = static_cast<const char*>(bytes);
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = 0;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace lorvex::platform
