// Opens arbitrary bytes as an archive and extracts every file it lists: an
// extraction either yields exactly the stated size or fails and leaves nothing.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "hpi/HpiArchive.h"

namespace {

namespace fs = std::filesystem;

const fs::path& PrivateFolder()
{
    static const fs::path folder = fs::temp_directory_path() / ("fuzz_hpi_extract_" + std::to_string(::getpid()));
    return folder;
}

void ExtractAll(const lorvex::hpi::HpiArchive& archive, const std::string& folder, int depth)
{
    if (depth > 100)
        std::abort();
    const fs::path out = PrivateFolder() / "out.bin";
    char name[256];
    for (std::size_t c = archive.Dir(0, folder, name, sizeof name); c != 0; c = archive.Dir(c, folder, name, sizeof name)) {
        const std::string entry = folder + "\\" + name;
        const auto stated = archive.EntrySize(entry);
        const bool ok = archive.ExtractFile(entry, out);
        std::error_code error;
        const bool exists = fs::exists(out, error);
        if (ok != exists)
            std::abort();  // success must leave the file, failure must remove it
        if (ok) {
            if (!stated || fs::file_size(out, error) != *stated)
                std::abort();
            fs::remove(out, error);
        }
    }
    for (std::size_t c = archive.DirFolders(0, folder, name, sizeof name); c != 0;
         c = archive.DirFolders(c, folder, name, sizeof name))
        ExtractAll(archive, folder + "\\" + name, depth + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::error_code error;
    fs::create_directory(PrivateFolder(), error);
    const fs::path path = PrivateFolder() / "input.hpi";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    if (auto archive = lorvex::hpi::HpiArchive::Open(path))
        ExtractAll(*archive, "", 0);
    // libFuzzer ends without running exit handlers: leave nothing behind after each input.
    fs::remove(path, error);
    fs::remove(PrivateFolder(), error);
    return 0;
}
