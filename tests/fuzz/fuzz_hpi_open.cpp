// Opens arbitrary bytes as an archive, from memory, and walks every folder's listing.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "hpi/HpiArchive.h"

namespace {

void Walk(const lorvex::hpi::HpiArchive& archive, const std::string& folder, int depth) {
    char name[256];
    for (std::size_t c = archive.Dir(0, folder, name, sizeof name); c != 0;
         c = archive.Dir(c, folder, name, sizeof name))
        if (std::memchr(name, 0, sizeof name) == nullptr) std::abort();
    // A tiny buffer must be cut, not overrun.
    char small[3];
    archive.Dir(0, folder, small, sizeof small);
    if (depth > 100) std::abort();  // the reader bounds the depth far below this
    for (std::size_t c = archive.DirFolders(0, folder, name, sizeof name); c != 0;
         c = archive.DirFolders(c, folder, name, sizeof name))
        Walk(archive, folder + "\\" + name, depth + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (auto archive = lorvex::hpi::HpiArchive::OpenBytes(std::string_view(reinterpret_cast<const char*>(data), size)))
        Walk(*archive, "", 0);
    return 0;
}
