#pragma once
// A game of real size and shape: 1,500 record files of 1 to 10 KB, one unit
// each, in two archives (zlib and encrypted; LZ77), read with a configuration
// of 30 columns that also shows unclaimed keys, so the table ends at 128 columns.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "bench/SyntheticGame.h"
#include "hpi/HpiWriter.h"

namespace lorvex::bench {

struct RealShapedGame {
    static constexpr int kFiles = 1500;
    std::filesystem::path root;  // the game folder; the configuration lies in root/"cur"
    std::size_t textBytes = 0;

    bool keep = false;  // LORVEX_KEEP_GAME=DIR writes the game there and leaves it, for timing the programs on it

    RealShapedGame() {
        root = std::filesystem::temp_directory_path() / ("lorvex-realgame-" + std::to_string(::getpid()));
        if (const char* dir = std::getenv("LORVEX_KEEP_GAME")) {
            root = dir;
            keep = true;
        }
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root / "cur");
        hpi::HpiWriter base, expansion;
        for (int f = 0; f < kFiles; ++f) {
            // 60 to 660 keys: 1 to 10 KB of text per file.
            const int keys = 60 + (f * 37) % 600;
            const std::string text = SyntheticRecordFile(f, 1, keys);
            textBytes += text.size();
            const std::string entry = "units\\u" + std::to_string(f) + ".fbi";
            if (f % 5 == 4)
                expansion.AddFile(entry, text, hpi::PackMethod::Lz77);
            else
                base.AddFile(entry, text, hpi::PackMethod::Zlib);
        }
        base.WriteTo(root / "rev31.gp3", 0x2c51);
        expansion.WriteTo(root / "expansion.ccx", 0);
        WriteConfiguration(root / "cur");
    }
    ~RealShapedGame() {
        std::error_code ec;
        if (!keep) std::filesystem::remove_all(root, ec);
    }
    static void WriteConfiguration(const std::filesystem::path& folder) {
        std::ofstream(folder / "units.cfg") << SyntheticConfiguration("units", ".fbi", 1);
    }
};

}  // namespace lorvex::bench
