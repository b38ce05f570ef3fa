// Opens arbitrary bytes as an archive and walks every folder's listing.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "hpi/HpiArchive.h"

namespace {

const std::filesystem::path& InputPath()
{
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("fuzz_hpi_open_" + std::to_string(::getpid()) + ".hpi");
    return path;
}

void Walk(const lorvex::hpi::HpiArchive& archive, const std::string& folder, int depth)
{
    char name[256];
    for (std::size_t c = archive.Dir(0, folder, name, sizeof name); c != 0; c = archive.Dir(c, folder, name, sizeof name))
        if (std::memchr(name, 0, sizeof name) == nullptr)
            std::abort();
    // A tiny buffer must be cut, not overrun.
    char small[3];
    archive.Dir(0, folder, small, sizeof small);
    if (depth > 100)
        std::abort();  // the reader bounds the depth far below this
    for (std::size_t c = archive.DirFolders(0, folder, name, sizeof name); c != 0;
         c = archive.DirFolders(c, folder, name, sizeof name))
        Walk(archive, folder + "\\" + name, depth + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto& path = InputPath();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    if (auto archive = lorvex::hpi::HpiArchive::Open(path))
        Walk(*archive, "", 0);
    // libFuzzer ends without running exit handlers: leave nothing behind after each input.
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    return 0;
}
