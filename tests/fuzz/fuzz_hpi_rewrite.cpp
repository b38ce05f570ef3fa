// Rewrites arbitrary bytes as an archive with its first file replaced: a
// rewrite is refused, or it writes an archive the reader opens with every other
// file unpacking to the bytes it had. Nothing is ever committed.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "hpi/HpiArchive.h"
#include "hpi/HpiRewrite.h"

namespace {

namespace fs = std::filesystem;

// The files directly in the archive's first folders, as a load lists them.
std::vector<std::string> Files(const lorvex::hpi::HpiArchive& archive) {
    std::vector<std::string> files;
    char name[256];
    for (const std::string folder : {"", "units"})
        for (std::size_t c = archive.Dir(0, folder, name, sizeof name); c != 0; c = archive.Dir(c, folder, name, sizeof name))
            files.push_back(folder.empty() ? std::string(name) : folder + "\\" + name);
    return files;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fs::path folder = fs::temp_directory_path() / ("lorvex-fuzz-rewrite-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const fs::path path = folder / "in.hpi";
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    const auto original = lorvex::hpi::HpiArchive::Open(path);
    if (!original) return 0;
    const std::vector<std::string> files = Files(*original);
    if (files.empty()) return 0;
    lorvex::hpi::RewriteRequest request;
    request.replace.push_back({files[0], "[X]\n{\ncost=1;\n}\n"});
    request.maxBytes = std::uint64_t{64} << 20;
    lorvex::hpi::PreparedRewrite prepared = lorvex::hpi::PrepareRewrite(path, request);
    if (!prepared.pending) return 0;
    const auto rewritten = lorvex::hpi::HpiArchive::Open(prepared.pending->Temporary());
    if (!rewritten) std::abort();
    std::vector<std::uint8_t> was, now;
    if (!rewritten->ExtractToMemory(files[0], now) || std::string(now.begin(), now.end()) != request.replace[0].contents)
        std::abort();
    for (std::size_t i = 1; i < files.size(); ++i) {
        const bool had = original->ExtractToMemory(files[i], was);
        const bool has = rewritten->ExtractToMemory(files[i], now);
        if (had != has || was != now) std::abort();
    }
    prepared.pending->Discard();
    return 0;
}
