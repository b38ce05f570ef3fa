#pragma once
// The commands of lorvex-hpi that make archives: "pack" (a folder into an
// archive, never following a link) and "seeds" (small sample archives).
#include <string>
#include <vector>

namespace lorvex::hpi {

inline constexpr int kOk = 0;
inline constexpr int kFailure = 1;
inline constexpr int kUsage = 2;  // bad arguments: the caller shows the usage

int Pack(const std::vector<std::string>& args);
int Seeds(const std::vector<std::string>& args);

}  // namespace lorvex::hpi
