#include "load/LoadReport.h"

namespace lorvex {

std::string SkippedSummary(const LoadReport& report) {
    const std::size_t n = report.skipped.size();
    if (n == 0) return {};
    return std::to_string(n) + (n == 1 ? " record file skipped" : " record files skipped");
}

std::string SkippedLine(const SkippedRecord& skipped) {
    return skipped.archive + ": " + skipped.entry + ": " + skipped.reason;
}

}  // namespace lorvex
