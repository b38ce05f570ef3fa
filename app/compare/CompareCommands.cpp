#include "app/compare/CompareCommands.h"

#include "app/compare/CompareHost.h"

namespace lorvex {

CompareCommands::CompareCommands(CompareHost& window) : window_(window) {}

CompareCommands::~CompareCommands() = default;

void CompareCommands::AfterLoad() {}

std::string CompareCommands::StatusSuffix() const { return {}; }

}  // namespace lorvex
