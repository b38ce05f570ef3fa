// Feeds arbitrary bytes to the TDF reader's memory source and calls every
// accessor on every entry: nothing may read or write past the reader's buffers
// or the input. (The memory source reads lines exactly as the file source.)
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/AsciiText.h"
#include "tdf/TdfReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static lorvex::TdfReader reader;  // long-lived, like the record reader
    reader.OpenMemory(std::string_view(reinterpret_cast<const char*>(data), size));
    volatile std::size_t sink = 0;
    for (;;) {
        const lorvex::TdfResult r = reader.NextEntry();
        sink = sink + static_cast<std::size_t>(reader.EntryLine());
        if (r == lorvex::TdfResult::End) break;
        std::string name = reader.BlockName();
        lorvex::platform::FoldAsciiInPlace(name);
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
