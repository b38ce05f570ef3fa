#pragma once
// Writing an archive again with some entries' contents replaced, every other
// entry carried over byte for byte (its chunks, method and scrambling, and the
// archive's key seed), and putting it in place whole or not at all: the new
// bytes go to a temporary file beside the original, are flushed to the disk,
// and only then renamed over it. The first rewrite keeps the original beside
// it as NAME.bak; later rewrites leave that first copy alone.
//
// Preparing and committing are apart so that a caller saving several archives
// can write every one of them before it replaces any.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lorvex::hpi {

// The most bytes one rewrite may hold and write. The archive is assembled in
// memory beside the entries read from the original, so this also bounds what
// it allocates (about twice this); archives the game ships are far smaller.
inline constexpr std::uint64_t kMaxRewriteBytes = std::uint64_t{512} << 20;

// The ending of the copy the first rewrite keeps: "units.hpi" -> "units.hpi.bak",
// which no load reads (it ends in none of the archives' extensions).
inline constexpr char kBackupEnding[] = ".bak";

struct EntryText {
    std::string path;      // inside the archive, "units\armx.fbi"; any case, "\" or "/"
    std::string contents;  // the whole new contents
};

struct RewriteRequest {
    // Entries that must exist (matched in any case); each keeps the archive's
    // spelling and its packing (stored, LZ77 or zlib, scrambled or not).
    std::vector<EntryText> replace;
    // Entries that must not exist yet; packed with zlib.
    std::vector<EntryText> add;
    std::uint64_t maxBytes = kMaxRewriteBytes;
};

// A rewritten archive lying beside its original under a temporary name until
// Commit; dropping it unused removes the temporary file.
class PendingArchive {
public:
    PendingArchive(std::filesystem::path target, std::filesystem::path temporary);
    ~PendingArchive();
    PendingArchive(const PendingArchive&) = delete;
    PendingArchive& operator=(const PendingArchive&) = delete;

    // The file that will be replaced (a link's target for a link).
    const std::filesystem::path& Target() const { return target_; }
    const std::filesystem::path& Temporary() const { return temporary_; }

    // Keeps the original as NAME.bak when there is none yet, then renames the
    // new archive over the original. False with problem set (a sentence part:
    // "cannot replace it: permission denied") when it could not; the original
    // is then unchanged and the temporary file removed.
    bool Commit(std::string& problem, bool* madeBackup = nullptr);
    // Removes the temporary file (done by the destructor too unless committed).
    void Discard();

private:
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    bool open_ = true;
};

struct PreparedRewrite {
    std::unique_ptr<PendingArchive> pending;  // null when the rewrite was refused or failed
    std::string problem;                      // why, as a sentence part about the archive
};

// Reads the archive, builds its new bytes and writes them (flushed to the
// disk) beside it. Refused, with nothing left behind, when the archive cannot
// be read, holds entries its directory left out (they would be lost), holds
// an entry whose contents cannot be located, would pass request.maxBytes, or
// when a replaced entry is missing or an added one exists.
PreparedRewrite PrepareRewrite(const std::filesystem::path& archive, const RewriteRequest& request);

struct RewriteOutcome {
    bool ok = false;
    bool madeBackup = false;
    std::string problem;
};

// PrepareRewrite and Commit in one.
RewriteOutcome RewriteArchive(const std::filesystem::path& archive, const RewriteRequest& request);

// Writes a new archive holding only these files (zlib, in the clear) to target
// through the same temporary file, flushed before it is renamed into place.
// Empty when done, else why not (a sentence part).
std::string WriteNewArchive(const std::filesystem::path& target, const std::vector<EntryText>& files,
                            std::uint64_t maxBytes = kMaxRewriteBytes);

// The backup's path for an archive: the same folder, the name with kBackupEnding added.
std::filesystem::path BackupPath(const std::filesystem::path& archive);

// Called at each step of a rewrite with the step's name ("written", "synced",
// "backed-up", "renamed"), so that a test can end the process between any two
// of them; null (the default) calls nothing.
using RewriteStepHook = void (*)(std::string_view step);
void SetRewriteStepHook(RewriteStepHook hook);

}  // namespace lorvex::hpi
