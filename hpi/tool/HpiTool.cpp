// lorvex-hpi: lists, extracts and packs the game's archives from the command line.
// The demo game is packed with it at build time, so packing is deterministic.
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "hpi/HpiArchive.h"
#include "hpi/HpiPath.h"
#include "hpi/tool/ArchiveTree.h"
#include "hpi/tool/PackCommands.h"
#include "hpi/tool/SetCommand.h"
#include "platform/PrintableText.h"
#include "platform/ToolMain.h"

namespace {

namespace fs = std::filesystem;
using lorvex::hpi::HpiArchive;
using lorvex::platform::EscapeControls;

using lorvex::hpi::kFailure;
using lorvex::hpi::kOk;
using lorvex::hpi::kUsage;

constexpr const char* kUsageText =
    "usage: lorvex-hpi list [-l] ARCHIVE [FOLDER]\n"
    "       lorvex-hpi extract ARCHIVE DEST_FOLDER [FOLDER_IN_ARCHIVE] [--max-bytes N]\n"
    "       lorvex-hpi extract ARCHIVE ENTRY DEST [--max-bytes N]\n"
    "       lorvex-hpi pack ARCHIVE SRC_FOLDER [--method stored|lz77|zlib] [--seed N] [--scramble]\n"
    "       lorvex-hpi set ARCHIVE RECORD_FILE BLOCK KEY VALUE [--new-archive OUT]\n"
    "       lorvex-hpi seeds FOLDER\n"
    "       lorvex-hpi --help | --version\n"
    "\n"
    "  list     names every file (with FOLDER: the files directly in it); -l adds the\n"
    "           unpacked size, the packed size and the method before each name.\n"
    "           Control characters in names are shown as \\x1b and the like on a terminal\n"
    "  extract  unpacks the whole archive, or one folder of it, into DEST_FOLDER keeping\n"
    "           the tree; names that would land outside DEST_FOLDER are reported and\n"
    "           skipped. When the third argument names a file in the archive, that one\n"
    "           file is written to DEST instead. --max-bytes N (K, M or G for KiB, MiB,\n"
    "           GiB) skips, and reports, each file whose stated size would take the\n"
    "           bytes unpacked by this run past N; without it there is no limit\n"
    "  pack     packs every file and empty folder below SRC_FOLDER (the same folder\n"
    "           always gives the same bytes); symbolic links are never followed but\n"
    "           reported and skipped, as are names an archive cannot hold\n"
    "  set      sets KEY to VALUE in the top-level block BLOCK (any case) of the record\n"
    "           file RECORD_FILE (its path in the archive, any case): the key's last\n"
    "           occurrence at any depth is changed, a missing key is added at the end\n"
    "           of the block. When several blocks share the name, BLOCK@LINE picks the\n"
    "           one opening on LINE. ARCHIVE is written again whole (every other entry\n"
    "           as it was) and replaces the old one only once complete; the first set\n"
    "           keeps the original as ARCHIVE.bak. --new-archive OUT writes only the\n"
    "           changed record file into a new archive OUT and leaves ARCHIVE alone\n"
    "  seeds    writes small sample archives, e.g. as a fuzzing corpus\n"
    "\n"
    "  Entries of the archive whose name is no plain file name (empty, \".\", \"..\",\n"
    "  holding \\, /, : or a control character) or repeats an earlier one are\n"
    "  reported by list and extract and left out.\n"
    "\n"
    "  Exit status: 0 done, 1 an archive or file could not be read or written\n"
    "  (or an entry was skipped), 2 bad arguments.\n";

int Usage() {
    std::cerr << kUsageText;
    return kUsage;
}

std::unique_ptr<HpiArchive> OpenOrComplain(const std::string& path) {
    auto archive = HpiArchive::Open(path);
    if (!archive)
        std::cerr << "lorvex-hpi: cannot open archive " << EscapeControls(path)
                  << " (missing, unreadable or damaged)\n";
    return archive;
}

const char* MethodName(std::uint8_t compression) {
    switch (compression) {
        case 0: return "stored";
        case 1: return "lz77";
        case 2: return "zlib";
    }
    return "unknown";
}

// With -l: unpacked size, packed size ("?" when the archive cannot say) and method before the name.
void ListLine(const HpiArchive& archive, const std::string& path, const std::string& shown, bool details, bool escape) {
    if (details) {
        const auto info = archive.Info(path);
        char line[64];
        if (info && info->packedSizeKnown)
            std::snprintf(line, sizeof line, "%10lu %10llu %-7s ", static_cast<unsigned long>(info->size),
                          static_cast<unsigned long long>(info->packedSize), MethodName(info->compression));
        else
            std::snprintf(line, sizeof line, "%10lu %10s %-7s ", static_cast<unsigned long>(info ? info->size : 0), "?",
                          MethodName(info ? info->compression : 255));
        std::cout << line;
    }
    std::cout << (escape ? EscapeControls(shown) : shown) << '\n';
}

// Reports each entry left out of what a command lists or extracts; true when there was none.
bool ReportSkipped(const std::vector<lorvex::hpi::SkippedEntry>& skipped) {
    for (const auto& entry : skipped) std::cerr << lorvex::hpi::SkippedMessage(entry);
    return skipped.empty();
}

int List(std::vector<std::string> args) {
    const auto flag = std::find(args.begin(), args.end(), "-l");
    const bool details = flag != args.end();
    if (details) args.erase(flag);
    if (args.size() < 1 || args.size() > 2) return Usage();
    auto archive = OpenOrComplain(args[0]);
    if (!archive) return kFailure;
    // A name is written as the archive holds it into a pipe or file (scripts get
    // the real bytes), but a terminal would obey the controls in it.
    const bool escape = ::isatty(STDOUT_FILENO) == 1;
    bool clean = true;
    if (args.size() == 1) {
        for (const auto& entry : lorvex::hpi::WalkTree(*archive, ""))
            if (!entry.folder) ListLine(*archive, entry.path, entry.path, details, escape);
        std::cout.flush();
        clean = ReportSkipped(archive->Skipped());
    } else {
        const auto folder = lorvex::hpi::FindArchiveFolder(*archive, args[1]);
        if (!folder) {
            std::cerr << "lorvex-hpi: no folder " << EscapeControls(args[1]) << " in " << EscapeControls(args[0])
                      << '\n';
            return kFailure;
        }
        char name[4096];
        for (std::size_t c = archive->Dir(0, *folder, name, sizeof name); c != 0;
             c = archive->Dir(c, *folder, name, sizeof name))
            ListLine(*archive, *folder + "\\" + name, name, details, escape);
        std::cout.flush();
        clean = ReportSkipped(archive->SkippedIn(*folder));
    }
    return std::cout.flush() && clean ? kOk : kFailure;
}

// Bytes with an optional K, M or G suffix (powers of 1024); empty for anything else.
std::optional<std::uint64_t> ParseByteCount(const std::string& text) {
    if (text.empty() || text[0] < '0' || text[0] > '9') return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (errno != 0) return std::nullopt;
    int shift = 0;
    const std::string suffix = end;
    if (suffix == "K" || suffix == "k")
        shift = 10;
    else if (suffix == "M" || suffix == "m")
        shift = 20;
    else if (suffix == "G" || suffix == "g")
        shift = 30;
    else if (!suffix.empty())
        return std::nullopt;
    if (value > (std::numeric_limits<std::uint64_t>::max() >> shift)) return std::nullopt;
    return static_cast<std::uint64_t>(value) << shift;
}

int ExtractTree(const HpiArchive& archive, const std::vector<std::string>& args, std::uint64_t maxBytes) {
    const auto folder = lorvex::hpi::FindArchiveFolder(archive, args.size() > 2 ? args[2] : "");
    if (!folder) {
        std::cerr << "lorvex-hpi: no folder " << EscapeControls(args[2]) << " in " << EscapeControls(args[0]) << '\n';
        return kFailure;
    }
    const fs::path destination = args[1];
    std::error_code error;
    fs::create_directories(destination, error);
    if (!fs::is_directory(destination, error)) {
        std::cerr << "lorvex-hpi: cannot create folder " << EscapeControls(args[1]) << '\n';
        return kFailure;
    }
    const auto counts = lorvex::hpi::ExtractTree(archive, *folder, destination, std::cerr, maxBytes);
    if (counts.skipped != 0 || counts.failed != 0) {
        std::cerr << "lorvex-hpi: " << counts.written << " files written, " << counts.skipped << " skipped, "
                  << counts.failed << " failed\n";
        return kFailure;
    }
    return kOk;
}

int Extract(std::vector<std::string> args) {
    std::uint64_t maxBytes = lorvex::hpi::kNoByteLimit;
    for (auto it = args.begin(); it != args.end();) {
        std::optional<std::string> value;
        if (*it == "--max-bytes") {
            value = it + 1 != args.end() ? *(it + 1) : std::string();
            it = args.erase(it, it + (it + 1 != args.end() ? 2 : 1));
        } else if (it->rfind("--max-bytes=", 0) == 0) {
            value = it->substr(std::string("--max-bytes=").size());
            it = args.erase(it);
        } else {
            ++it;
            continue;
        }
        const auto parsed = ParseByteCount(*value);
        if (!parsed) {
            std::cerr << "lorvex-hpi: --max-bytes takes a number of bytes, optionally followed by K, M or G\n";
            return Usage();
        }
        maxBytes = *parsed;
    }
    if (args.size() != 2 && args.size() != 3) return Usage();
    auto archive = OpenOrComplain(args[0]);
    if (!archive) return kFailure;
    // Three arguments whose second names a file: the one-entry form.
    const auto size = args.size() == 3 ? archive->EntrySize(args[1]) : std::nullopt;
    if (!size) return ExtractTree(*archive, args, maxBytes);
    if (*size > maxBytes) {
        std::cerr << "lorvex-hpi: skipped " << EscapeControls(args[1]) << ": its " << *size
                  << " bytes would take this run past --max-bytes " << maxBytes << '\n';
        return kFailure;
    }
    if (!archive->ExtractFile(args[1], args[2])) {
        std::cerr << "lorvex-hpi: cannot extract " << EscapeControls(args[1]) << " to " << EscapeControls(args[2])
                  << " (damaged entry or destination not writable)\n";
        return kFailure;
    }
    return kOk;
}

int Run(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    if (command == "--help" || command == "-h") {
        std::cout << kUsageText;
        return std::cout.flush() ? kOk : kFailure;
    }
    if (command == "--version") {
        std::cout << "lorvex-hpi " << LORVEX_VERSION << '\n';
        return kOk;
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "list") return List(args);
    if (command == "extract") return Extract(args);
    if (command == "pack" || command == "seeds" || command == "set") {
        const int status = command == "pack"  ? lorvex::hpi::Pack(args)
                           : command == "set" ? lorvex::hpi::Set(args)
                                              : lorvex::hpi::Seeds(args);
        return status == kUsage ? Usage() : status;
    }
    return Usage();
}

}  // namespace

int main(int argc, char** argv) {
    return lorvex::platform::RunTool("lorvex-hpi", [&] { return Run(argc, argv); });
}
