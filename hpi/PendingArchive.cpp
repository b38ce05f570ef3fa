#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>
#include <vector>

#include "hpi/ArchiveFiles.h"
#include "hpi/HpiRewrite.h"
#include "platform/SaveFile.h"

// The disk side of a rewrite: the new archive written beside the original and
// flushed, the original kept once as NAME.bak, and the rename that puts the new
// one in place.
namespace lorvex::hpi {

namespace fs = std::filesystem;
using platform::WriteProblem;

namespace {

// Short, like SaveFile's, and ending in none of the archives' extensions: a
// load running beside a save never reads a half-written archive.
constexpr char kTempPattern[] = ".lorvex-XXXXXX";
// Copying a backup goes in blocks of this size.
constexpr std::size_t kCopyBlock = std::size_t{1} << 20;

RewriteStepHook gStepHook = nullptr;

}  // namespace

void RewriteStep(std::string_view step) {
    if (gStepHook != nullptr) gStepHook(step);
}

namespace {

void SyncFolder(const fs::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // the rename is already done; a folder that cannot be synced still holds it
    ::close(fd);
}

}  // namespace

fs::path WriteTemporary(const fs::path& folder, const std::string& bytes, mode_t mode, std::string& problem) {
    std::string temp = ((folder.empty() ? fs::path(".") : folder) / kTempPattern).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        problem = "cannot create a file in its folder: " + WriteProblem(errno);
        return {};
    }
    bool ok = ::fchmod(fd, mode) == 0 && platform::WriteFromStart(fd, bytes.data(), bytes.size());
    if (ok) RewriteStep("written");
    ok = ok && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        problem = "cannot write its new copy: " + WriteProblem(error);
        return {};
    }
    RewriteStep("synced");
    return temp;
}

namespace {

// Copies the original to backup when the folder's file system keeps no second
// name for a file; the copy is whole before it takes the backup's name.
bool CopyBackup(const fs::path& original, const fs::path& backup, std::string& problem) {
    std::FILE* in = std::fopen(original.c_str(), "rb");
    if (in == nullptr) {
        problem = "cannot read it to keep a backup: " + WriteProblem(errno);
        return false;
    }
    // The project's one writer of whole files; flushed to the disk before it takes the backup's name.
    const platform::SaveResult saved = platform::SaveFile(backup, [&](std::FILE* out) {
        std::vector<char> block(kCopyBlock);
        for (std::size_t n; (n = std::fread(block.data(), 1, block.size(), in)) > 0;)
            if (std::fwrite(block.data(), 1, n, out) != n) return false;
        if (std::ferror(in) || std::fflush(out) != 0) return false;
        return ::fsync(::fileno(out)) == 0 || errno == EINVAL;
    });
    std::fclose(in);
    if (!saved.ok) problem = "cannot keep its backup: " + saved.error;
    return saved.ok;
}

}  // namespace

fs::path RegularFile(const fs::path& path, std::string& problem) {
    std::error_code ec;
    fs::path real = fs::canonical(path, ec);
    if (ec) {
        problem = ec.value() == ENOENT ? "it no longer exists" : "cannot reach it: " + WriteProblem(ec.value());
        return {};
    }
    if (!fs::is_regular_file(real, ec)) {
        problem = "it is not a regular file";
        return {};
    }
    return real;
}

void SetRewriteStepHook(RewriteStepHook hook) { gStepHook = hook; }

fs::path BackupPath(const fs::path& archive) {
    fs::path backup = archive;
    backup += kBackupEnding;
    return backup;
}

PendingArchive::PendingArchive(fs::path target, fs::path temporary)
    : target_(std::move(target)), temporary_(std::move(temporary)) {}

PendingArchive::~PendingArchive() { Discard(); }

void PendingArchive::Discard() {
    if (!open_) return;
    ::unlink(temporary_.c_str());
    open_ = false;
}

bool PendingArchive::Commit(std::string& problem, bool* madeBackup) {
    if (madeBackup != nullptr) *madeBackup = false;
    if (!open_) {
        problem = "its new copy is gone";
        return false;
    }
    // A second name for the original costs no copy and appears whole or not
    // at all; an existing backup (the first save's) makes it fail, and stays.
    const fs::path backup = BackupPath(target_);
    bool made = false;
    if (::link(target_.c_str(), backup.c_str()) == 0) {
        made = true;
    } else if (errno != EEXIST) {
        if (!CopyBackup(target_, backup, problem)) {
            Discard();
            return false;
        }
        made = true;
    }
    RewriteStep("backed-up");
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        problem = "cannot replace it: " + WriteProblem(errno);
        Discard();
        return false;
    }
    open_ = false;
    SyncFolder(target_.parent_path());
    RewriteStep("renamed");
    if (madeBackup != nullptr) *madeBackup = made;
    return true;
}

}  // namespace lorvex::hpi
