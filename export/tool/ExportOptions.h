#pragma once
// lorvex-export's command line: its options, read into Options, and its exit statuses.
#include <optional>
#include <string>
#include <string_view>

#include "export/ExportWriter.h"

namespace lorvex::exporttool {

inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;  // the load or the write failed
inline constexpr int kUsage = 2;   // the arguments are wrong

struct Options {
    std::string folder, game, config, output, columns, sort, filter;
    bool filtered = false;
    std::optional<lorvex::ExportFormat> format;
    bool verbose = false;
    bool csvFormulas = false;
    std::string compare, match;
    std::string compareFormat;  // "changelog" or "diff": formats of a comparison only
};

// Reads argv into o. done is set when the run ends here (--help, --version);
// the status is kOk, or kUsage after a message on standard error.
int ParseArguments(int argc, char** argv, Options& o, bool& done);

// A heading or value given on the command line, without the blanks around it.
std::string Trimmed(std::string_view text);

// A message on standard error for arguments that cannot be used; kUsage.
int BadArguments(const std::string& why);

}  // namespace lorvex::exporttool
