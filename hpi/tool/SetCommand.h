#pragma once
// "lorvex-hpi set": changes one value of one record file inside an archive and
// writes the archive back whole (the original kept once as NAME.bak), or
// writes only the changed record file into a new archive.
#include <string>
#include <vector>

namespace lorvex::hpi {

// A record file larger than this is no record file; set refuses to edit it.
inline constexpr std::size_t kMaxSetRecordBytes = std::size_t{64} << 20;

// args: ARCHIVE RECORD_FILE BLOCK KEY VALUE [--new-archive OUT]. Returns
// kOk, kFailure (with a message on standard error) or kUsage.
int Set(const std::vector<std::string>& args);

}  // namespace lorvex::hpi
