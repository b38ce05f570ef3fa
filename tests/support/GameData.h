#pragma once
// The records and configuration the load tests feed the program, and a chooser that answers without a dialog.
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "hpi/HpiWriter.h"
#include "load/LoadRun.h"

namespace lorvex::testing {

inline std::string Unit(const std::string& block, const std::string& name, const std::string& cost) {
    return "[" + block + "]\r\n\t{\r\n\tName=" + name + ";\r\n\tCost=" + cost + ";\r\n\t}\r\n";
}

inline const char* kUnitsCfg =
    "hpifolder=units;\nextension=.fbi;\n"
    "[string]\n{\nname=Name;\ntag=name;\n}\n"
    "[numeric]\n{\nname=Cost;\ntag=cost;\ndecimals=2;\n}\n";

// Packs (entry, contents) pairs with the default packing into an archive at path.
inline bool WriteArchive(const std::string& path, const std::vector<std::pair<std::string, std::string>>& files) {
    hpi::HpiWriter writer;
    for (const auto& [entry, contents] : files) writer.AddFile(entry, contents);
    return writer.WriteTo(path);
}

class ScriptedChooser : public ConfigChooser {
public:
    std::string name;  // empty: the user cancels
    int calls = 0;
    std::function<void()> during;  // runs inside the load, before the answer
    int RunChooser(char* buffer) override {
        ++calls;
        if (during) during();
        std::snprintf(buffer, kBufferSize, "%s", name.c_str());
        return name.empty() ? 2 : 1;
    }
};

}  // namespace lorvex::testing
