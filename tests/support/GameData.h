#pragma once
// The records and configuration the load tests feed the program.
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "hpi/HpiWriter.h"

namespace lorvex::testkit {

inline std::string Unit(const std::string& block, const std::string& name, const std::string& cost) {
    return "[" + block + "]\r\n\t{\r\n\tName=" + name + ";\r\n\tCost=" + cost + ";\r\n\t}\r\n";
}

inline const char* kUnitsCfg =
    "hpifolder=units;\nextension=.fbi;\n"
    "[string]\n{\nname=Name;\ntag=name;\n}\n"
    "[numeric]\n{\nname=Cost;\ntag=cost;\ndecimals=2;\n}\n";

// Packs (entry, contents) pairs into an archive at path, every file the same way.
inline bool WriteArchive(const std::string& path, const std::vector<std::pair<std::string, std::string>>& files,
                         hpi::PackMethod method = hpi::PackMethod::Zlib, std::uint32_t keySeed = 0,
                         bool scramble = false) {
    hpi::HpiWriter writer;
    for (const auto& [entry, contents] : files) writer.AddFile(entry, contents, method, scramble);
    return writer.WriteTo(path, keySeed);
}

}  // namespace lorvex::testkit
