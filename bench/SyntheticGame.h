#pragma once
// Synthetic record texts for the benchmarks: records of `keys` key=value lines
// with numbers, words and flags, in files of `perFile` records.
#include <cstdint>
#include <string>
#include <vector>

namespace lorvex::bench {

inline std::string SyntheticRecordFile(int fileIndex, int perFile, int keys) {
    std::string text;
    text.reserve(static_cast<std::size_t>(perFile) * static_cast<std::size_t>(keys) * 16);
    std::uint32_t seed = 2166136261u ^ static_cast<std::uint32_t>(fileIndex);
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int r = 0; r < perFile; ++r) {
        text += "[REC" + std::to_string(fileIndex) + "_" + std::to_string(r) + "]\r\n\t{\r\n";
        for (int k = 0; k < keys; ++k) {
            text += "\tKey";
            text += std::to_string(k);
            text += '=';
            switch (k % 4) {
                case 0: text += std::to_string(next() % 100000); break;
                case 1: text += std::to_string(next() % 1000) + "." + std::to_string(next() % 1000); break;
                case 2: text += (next() & 1) ? "1" : "0"; break;
                default: text += "Word" + std::to_string(next() % 5000); break;
            }
            text += ";\r\n";
        }
        text += "\t}\r\n";
    }
    return text;
}

// A configuration of 30 columns over Key0..Key39: every column type.
inline std::string SyntheticConfiguration(const std::string& folder, const std::string& ending, int showUnused) {
    std::string cfg = "hpifolder=" + folder + ";\nextension=" + ending +
                      ";\nshowunusedtags=" + std::to_string(showUnused) + ";\n[headertext]\n{\nname=Record;\n}\n";
    for (int c = 0; c < 29; ++c) {
        const int k = c;
        switch (c % 6) {
            case 0:
                cfg += "[numeric]\n{\nname=N" + std::to_string(c) + ";\ntag=key" + std::to_string(k) +
                       ";\ndecimals=2;\n}\n";
                break;
            case 1:
                cfg += "[numeric]\n{\nname=F" + std::to_string(c) + ";\ntag=Key" + std::to_string(k) + ";\n}\n";
                break;
            case 2:
                cfg += "[boolean]\n{\nname=B" + std::to_string(c) + ";\ntag=key" + std::to_string(k) + ";\n}\n";
                break;
            case 3:
                cfg += "[string]\n{\nname=S" + std::to_string(c) + ";\ntag=key" + std::to_string(k) + ";\n}\n";
                break;
            case 4:
                cfg += "[symbolic]\n{\nname=Y" + std::to_string(c) + ";\ntag=key" + std::to_string(k) +
                       ";\nsymbol(0)=none;\nsymbol(1)=one;\n}\n";
                break;
            default:
                cfg += "[math]\n{\nname=M" + std::to_string(c) + ";\nequation=key" + std::to_string(k - 5) + " key" +
                       std::to_string(k - 4) + "(1) /;\ndecimals=3;\n}\n";
                break;
        }
    }
    return cfg;
}

}  // namespace lorvex::bench
