#pragma once
// Who names the configuration a load reads: the "Configuration Files"
// dialog, the game shell (a game's first or last configuration), or a test.
#include <string>

namespace lorvex {

class ConfigChooser {
public:
    virtual ~ConfigChooser() = default;
    // The bare file name chosen, or "" when nothing was.
    virtual std::string ChooseConfiguration() = 0;
};

}  // namespace lorvex
