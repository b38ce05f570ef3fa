#include "app/compare/CompareCommands.h"

#include "app/compare/CompareHost.h"

namespace lorvex {

CompareCommands::CompareCommands(CompareHost& window) : window_(window) {}

CompareCommands::~CompareCommands() = default;

void CompareCommands::BeforeLoad() {}

bool CompareCommands::IsOtherGameRow(int row) const {
    (void)row;
    return false;
}

void CompareCommands::AfterLoad(bool replaced) { (void)replaced; }

std::string CompareCommands::StatusSuffix() const { return {}; }

}  // namespace lorvex
