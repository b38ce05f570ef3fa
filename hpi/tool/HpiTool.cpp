// lorvex-hpi: lists, extracts and packs the game's archives from the command line.
// The demo game is packed with it at build time, so packing is deterministic.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "hpi/HpiArchive.h"
#include "hpi/HpiWriter.h"

namespace {

namespace fs = std::filesystem;
using lorvex::hpi::HpiArchive;
using lorvex::hpi::HpiWriter;
using lorvex::hpi::PackMethod;

constexpr int kOk = 0;
constexpr int kFailure = 1;
constexpr int kUsage = 2;

int Usage()
{
    std::cerr << "usage: lorvex-hpi list ARCHIVE [FOLDER]\n"
                 "       lorvex-hpi extract ARCHIVE ENTRY DEST\n"
                 "       lorvex-hpi pack ARCHIVE SRC_FOLDER [--method stored|lz77|zlib] [--seed N] [--scramble]\n"
                 "       lorvex-hpi seeds FOLDER   (writes small sample archives, e.g. as a fuzzing corpus)\n";
    return kUsage;
}

std::unique_ptr<HpiArchive> OpenOrComplain(const std::string& path)
{
    auto archive = HpiArchive::Open(path);
    if (!archive)
        std::cerr << "lorvex-hpi: cannot open archive " << path << " (missing, unreadable or damaged)\n";
    return archive;
}

void ListTree(const HpiArchive& archive, const std::string& folder)
{
    char name[4096];
    const std::string prefix = folder.empty() ? std::string() : folder + "\\";
    for (std::size_t c = archive.Dir(0, folder, name, sizeof name); c != 0; c = archive.Dir(c, folder, name, sizeof name))
        std::cout << prefix << name << '\n';
    for (std::size_t c = archive.DirFolders(0, folder, name, sizeof name); c != 0;
         c = archive.DirFolders(c, folder, name, sizeof name))
        ListTree(archive, prefix + name);
}

int List(const std::vector<std::string>& args)
{
    if (args.size() < 1 || args.size() > 2)
        return Usage();
    auto archive = OpenOrComplain(args[0]);
    if (!archive)
        return kFailure;
    if (args.size() == 1) {
        ListTree(*archive, "");
    } else {
        char name[4096];
        for (std::size_t c = archive->Dir(0, args[1], name, sizeof name); c != 0;
             c = archive->Dir(c, args[1], name, sizeof name))
            std::cout << name << '\n';
    }
    return std::cout.flush() ? kOk : kFailure;
}

int Extract(const std::vector<std::string>& args)
{
    if (args.size() != 3)
        return Usage();
    auto archive = OpenOrComplain(args[0]);
    if (!archive)
        return kFailure;
    if (!archive->EntrySize(args[1])) {
        std::cerr << "lorvex-hpi: no entry " << args[1] << " in " << args[0] << '\n';
        return kFailure;
    }
    if (!archive->ExtractFile(args[1], args[2])) {
        std::cerr << "lorvex-hpi: cannot extract " << args[1] << " to " << args[2]
                  << " (damaged entry or destination not writable)\n";
        return kFailure;
    }
    return kOk;
}

bool ReadWholeFile(const fs::path& path, std::string& contents)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    contents.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool ParseSeed(const std::string& text, std::uint32_t& seed)
{
    if (text.empty() || text[0] == '-')
        return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || value > 0xFFFFFFFFull)
        return false;
    seed = static_cast<std::uint32_t>(value);
    return true;
}

int Pack(const std::vector<std::string>& args)
{
    if (args.size() < 2)
        return Usage();
    PackMethod method = PackMethod::Zlib;
    std::uint32_t seed = 0;
    bool scramble = false;
    for (std::size_t i = 2; i < args.size(); ++i) {
        if (args[i] == "--scramble") {
            scramble = true;
        } else if (args[i] == "--method" && i + 1 < args.size()) {
            const std::string& m = args[++i];
            if (m == "stored")
                method = PackMethod::Stored;
            else if (m == "lz77")
                method = PackMethod::Lz77;
            else if (m == "zlib")
                method = PackMethod::Zlib;
            else
                return Usage();
        } else if (args[i] == "--seed" && i + 1 < args.size()) {
            if (!ParseSeed(args[++i], seed))
                return Usage();
        } else {
            return Usage();
        }
    }

    const fs::path source = args[1];
    std::error_code error;
    if (!fs::is_directory(source, error)) {
        std::cerr << "lorvex-hpi: " << args[1] << " is not a folder\n";
        return kFailure;
    }
    // Sorted by archive path so that the same folder always gives the same bytes.
    std::vector<std::pair<std::string, fs::path>> files;
    for (fs::recursive_directory_iterator it(source, error), end; !error && it != end; it.increment(error)) {
        if (!it->is_regular_file(error))
            continue;
        std::string inside = fs::relative(it->path(), source, error).generic_string();
        std::replace(inside.begin(), inside.end(), '/', '\\');
        files.emplace_back(std::move(inside), it->path());
    }
    if (error) {
        std::cerr << "lorvex-hpi: cannot read folder " << args[1] << ": " << error.message() << '\n';
        return kFailure;
    }
    std::sort(files.begin(), files.end());

    HpiWriter writer;
    for (const auto& [inside, path] : files) {
        std::string contents;
        if (!ReadWholeFile(path, contents)) {
            std::cerr << "lorvex-hpi: cannot read " << path.string() << '\n';
            return kFailure;
        }
        writer.AddFile(inside, contents, method, scramble);
    }
    if (!writer.WriteTo(args[0], seed)) {
        std::cerr << "lorvex-hpi: cannot write archive " << args[0] << '\n';
        return kFailure;
    }
    return kOk;
}

// A handful of small archives covering every method, encryption and
// scrambling, nested folders and multi-chunk files.
int Seeds(const std::vector<std::string>& args)
{
    if (args.size() != 1)
        return Usage();
    const fs::path folder = args[0];
    std::error_code error;
    fs::create_directories(folder, error);
    const std::string text = "[ARMX]\r\n{\r\n\tname=Sample;\r\n\tbuildcost=120;\r\n}\r\n";
    std::string longer;
    while (longer.size() < 70000)
        longer += text;
    struct Seed {
        const char* name;
        PackMethod method;
        bool scramble;
        std::uint32_t key;
    } seeds[] = {
        {"stored_plain.hpi", PackMethod::Stored, false, 0},
        {"lz77_plain.hpi", PackMethod::Lz77, false, 0},
        {"zlib_plain.hpi", PackMethod::Zlib, false, 0},
        {"lz77_scrambled_key.hpi", PackMethod::Lz77, true, 0x7D},
        {"zlib_scrambled_key.hpi", PackMethod::Zlib, true, 0x12345678},
    };
    for (const Seed& s : seeds) {
        HpiWriter writer;
        writer.AddFile("units\\armx.fbi", text, s.method, s.scramble);
        writer.AddFile("units\\sub\\core.fbi", "[CORE]{a=1;}", s.method, s.scramble);
        writer.AddFile("readme.txt", "hi", s.method, s.scramble);
        writer.AddFolder("empty");
        if (s.method != PackMethod::Stored)
            writer.AddFile("big\\long.tdf", longer, s.method, s.scramble);
        if (!writer.WriteTo(folder / s.name, s.key)) {
            std::cerr << "lorvex-hpi: cannot write " << (folder / s.name).string() << '\n';
            return kFailure;
        }
    }
    return kOk;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "list")
        return List(args);
    if (command == "extract")
        return Extract(args);
    if (command == "pack")
        return Pack(args);
    if (command == "seeds")
        return Seeds(args);
    return Usage();
}
