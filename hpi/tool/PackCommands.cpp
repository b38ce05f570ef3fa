#include "hpi/tool/PackCommands.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "hpi/HpiPath.h"
#include "hpi/HpiWriter.h"
#include "platform/PrintableText.h"

namespace lorvex::hpi {
namespace {

namespace fs = std::filesystem;
using lorvex::platform::EscapeControls;

bool ReadWholeFile(const fs::path& path, std::string& contents) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    contents.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool ParseSeed(const std::string& text, std::uint32_t& seed) {
    if (text.empty() || text[0] == '-') return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || value > 0xFFFFFFFFull) return false;
    seed = static_cast<std::uint32_t>(value);
    return true;
}

}  // namespace

int Pack(const std::vector<std::string>& args) {
    if (args.size() < 2) return kUsage;
    PackMethod method = PackMethod::Zlib;
    std::uint32_t seed = 0;
    bool scramble = false;
    for (std::size_t i = 2; i < args.size(); ++i) {
        // Each option takes its value as the next argument or after "=", as lorvex-export's do.
        std::string option = args[i], value;
        const std::size_t equals = option.find('=');
        const bool joined = option.rfind("--", 0) == 0 && equals != std::string::npos;
        if (joined) {
            value = option.substr(equals + 1);
            option.resize(equals);
        }
        const auto take = [&] {
            if (joined) return true;
            if (i + 1 >= args.size()) return false;
            value = args[++i];
            return true;
        };
        if (option == "--scramble" && !joined) {
            scramble = true;
        } else if (option == "--method" && take()) {
            if (value == "stored")
                method = PackMethod::Stored;
            else if (value == "lz77")
                method = PackMethod::Lz77;
            else if (value == "zlib")
                method = PackMethod::Zlib;
            else
                return kUsage;
        } else if (option == "--seed" && take()) {
            if (!ParseSeed(value, seed)) return kUsage;
        } else {
            return kUsage;
        }
    }

    const fs::path source = args[1];
    std::error_code error;
    if (!fs::is_directory(source, error)) {
        std::cerr << "lorvex-hpi: " << EscapeControls(args[1]) << " is not a folder\n";
        return kFailure;
    }
    int skipped = 0;
    const auto skip = [&skipped](const fs::path& path, const char* why) {
        std::cerr << "lorvex-hpi: skipped " << EscapeControls(path.string()) << ": " << why << '\n';
        ++skipped;
    };
    // Sorted by archive path so that the same folder always gives the same bytes.
    // Empty folders are kept too (an empty path marks one), so that packing an
    // extracted archive gives back the same entries.
    std::vector<std::pair<std::string, fs::path>> files;
    for (fs::recursive_directory_iterator it(source, error), end; !error && it != end; it.increment(error)) {
        // A link is never followed, whether to a file or a folder, inside SRC_FOLDER or out
        // of it: what it points at may be anything the user can read, and what the archive
        // holds should be what the folder holds.
        if (it->is_symlink(error)) {
            skip(it->path(), "it is a symbolic link, which is never followed");
            continue;
        }
        const bool folder = it->is_directory(error);
        if (!folder && !it->is_regular_file(error)) {
            skip(it->path(), "it is neither a file nor a folder");
            continue;
        }
        const fs::path relative = fs::relative(it->path(), source, error);
        std::string inside;
        bool storable = !relative.empty();
        // Each disk component must be one archive name: a "\\" in a disk name would
        // otherwise split it into folders.
        for (const fs::path& part : relative) {
            storable = storable && lorvex::hpi::IsPlainName(part.string());
            inside += (inside.empty() ? "" : "\\") + part.string();
        }
        if (!storable) {
            skip(it->path(), "an archive cannot hold its name");
            if (folder) it.disable_recursion_pending();
            continue;
        }
        if (!folder)
            files.emplace_back(std::move(inside), it->path());
        else if (fs::is_empty(it->path(), error))
            files.emplace_back(std::move(inside), fs::path());
    }
    if (error) {
        std::cerr << "lorvex-hpi: cannot read folder " << EscapeControls(args[1]) << ": " << error.message() << '\n';
        return kFailure;
    }
    std::sort(files.begin(), files.end());

    HpiWriter writer;
    for (const auto& [inside, path] : files) {
        if (path.empty()) {
            writer.AddFolder(inside);
            continue;
        }
        std::string contents;
        if (!ReadWholeFile(path, contents)) {
            std::cerr << "lorvex-hpi: cannot read " << EscapeControls(path.string()) << '\n';
            return kFailure;
        }
        if (!writer.AddFile(inside, contents, method, scramble)) skip(path, "an archive cannot hold its name");
    }
    if (!writer.WriteTo(args[0], seed)) {
        std::cerr << "lorvex-hpi: cannot write archive " << EscapeControls(args[0]) << '\n';
        return kFailure;
    }
    return skipped == 0 ? kOk : kFailure;
}

// A handful of small archives covering every method, encryption and
// scrambling, nested folders and multi-chunk files.
int Seeds(const std::vector<std::string>& args) {
    if (args.size() != 1) return kUsage;
    const fs::path folder = args[0];
    std::error_code error;
    fs::create_directories(folder, error);
    const std::string text = "[ARMX]\r\n{\r\n\tname=Sample;\r\n\tbuildcost=120;\r\n}\r\n";
    std::string longer;
    while (longer.size() < 70000) longer += text;
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
        if (s.method != PackMethod::Stored) writer.AddFile("big\\long.tdf", longer, s.method, s.scramble);
        if (!writer.WriteTo(folder / s.name, s.key)) {
            std::cerr << "lorvex-hpi: cannot write " << EscapeControls((folder / s.name).string()) << '\n';
            return kFailure;
        }
    }
    return kOk;
}

}  // namespace lorvex::hpi
