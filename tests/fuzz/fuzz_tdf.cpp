// Feeds arbitrary bytes to the TDF reader as a file and calls every accessor on
// every entry: nothing may read or write past the reader's buffers.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

#include "tdf/TdfReader.h"

namespace {

const std::string& InputPath() {
    static const std::string path = "/tmp/lorvex-fuzz-tdf-" + std::to_string(::getpid()) + ".tdf";
    return path;
}

bool WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!WriteFile(InputPath(), data, size)) return 0;
    static lorvex::TdfReader reader;  // long-lived, like the record reader
    if (!reader.Open(InputPath())) return 0;
    volatile std::size_t sink = 0;
    for (;;) {
        const lorvex::TdfResult r = reader.NextEntry();
        sink = sink + static_cast<std::size_t>(reader.EntryLine());
        if (r == lorvex::TdfResult::End) break;
        std::string name = reader.BlockName();
        lorvex::LowercaseAscii(name);
        sink = sink + name.size() + lorvex::TdfNameEquals("numeric", reader.BlockName());
        if (r != lorvex::TdfResult::KeyValue) continue;
        std::string key = reader.Key();
        sink = sink + lorvex::TdfNameEquals("hpifolder", key);
        sink = sink + static_cast<std::size_t>(reader.ValueInt());
        const float f = reader.ValueFloat();
        sink = sink + (f == f ? 1u : 0u);
        for (const char* word : {"symbol", "tagfor", "hpifolder", "", "x"}) {
            if (reader.KeyWithArgument(word)) {
                sink = sink + static_cast<std::size_t>(reader.ArgumentInt()) + std::string(reader.Argument()).size();
                break;
            }
        }
        sink = sink + std::string(reader.ValueText()).size() + std::string(reader.Key()).size();
        sink = sink + static_cast<std::size_t>(reader.ValueInt());
    }
    reader.Close();
    return 0;
}
