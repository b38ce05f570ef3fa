// Opens arbitrary bytes as an archive, from memory, and extracts every file it
// lists into memory as a load does: an extraction either yields exactly the
// stated size or fails and yields nothing.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "hpi/HpiArchive.h"

namespace {

void ExtractAll(const lorvex::hpi::HpiArchive& archive, const std::string& folder, int depth,
                std::vector<std::uint8_t>& bytes) {
    if (depth > 100) std::abort();
    char name[256];
    for (std::size_t c = archive.Dir(0, folder, name, sizeof name); c != 0;
         c = archive.Dir(c, folder, name, sizeof name)) {
        const std::string entry = folder + "\\" + name;
        const auto stated = archive.EntrySize(entry);
        const bool ok = archive.ExtractToMemory(entry, bytes);
        if (ok ? (!stated || bytes.size() != *stated) : !bytes.empty()) std::abort();
    }
    for (std::size_t c = archive.DirFolders(0, folder, name, sizeof name); c != 0;
         c = archive.DirFolders(c, folder, name, sizeof name))
        ExtractAll(archive, folder + "\\" + name, depth + 1, bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::vector<std::uint8_t> bytes;  // reused, as a load reuses its buffer
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // Both inflaters, alternating by input, so that each meets every kind of damage.
    const auto backend = size % 2 ? lorvex::hpi::InflateBackend::Zlib : lorvex::hpi::InflateBackend::Libdeflate;
    if (auto archive = lorvex::hpi::HpiArchive::OpenBytes(input, backend)) ExtractAll(*archive, "", 0, bytes);
    return 0;
}
