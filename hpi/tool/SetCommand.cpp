#include "hpi/tool/SetCommand.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string_view>
#include <system_error>

#include "hpi/HpiArchive.h"
#include "hpi/HpiPath.h"
#include "hpi/HpiRewrite.h"
#include "hpi/tool/ArchiveTree.h"
#include "hpi/tool/PackCommands.h"
#include "platform/AsciiText.h"
#include "platform/PrintableText.h"
#include "tdf/TdfEdit.h"

namespace lorvex::hpi {
namespace {

namespace fs = std::filesystem;
using platform::EscapeControls;

constexpr char kNewArchive[] = "--new-archive";
// "BLOCK@LINE" picks one of several blocks sharing a name by the line it opens on.
constexpr char kLineMark = '@';

struct BlockChoice {
    std::string name;
    std::optional<int> line;
};

// "NAME@LINE" when what follows the last '@' is a line number; else the whole text is the name.
BlockChoice ParseBlock(const std::string& text) {
    const std::size_t at = text.rfind(kLineMark);
    if (at == std::string::npos || at + 1 >= text.size()) return {text, std::nullopt};
    const std::string digits = text.substr(at + 1);
    if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9) return {text, std::nullopt};
    return {text.substr(0, at), std::atoi(digits.c_str())};
}

std::string Lines(const std::vector<TdfBlockInfo>& blocks) {
    std::string lines;
    for (const TdfBlockInfo& block : blocks) lines += (lines.empty() ? "" : ", ") + std::to_string(block.line);
    return lines;
}

int Fail(const std::string& message) {
    std::cerr << "lorvex-hpi: " << message << '\n';
    return kFailure;
}

// The archive's own spelling of an entry typed in any case, either separator.
std::string ArchiveSpelling(const HpiArchive& archive, const std::string& typed) {
    std::string wanted;
    ForEachPathComponent(typed, [&](std::string_view part) {
        wanted += (wanted.empty() ? "" : "\\") + std::string(part);
        return true;
    });
    for (const TreeEntry& entry : WalkTree(archive, ""))
        if (!entry.folder && platform::EqualsFolded(entry.path, wanted)) return entry.path;
    return wanted;
}

}  // namespace

int Set(const std::vector<std::string>& given) {
    std::vector<std::string> args;
    std::optional<std::string> newArchive;
    for (std::size_t i = 0; i < given.size(); ++i) {
        const std::string& arg = given[i];
        if (arg == kNewArchive) {
            if (i + 1 >= given.size() || newArchive) return kUsage;
            newArchive = given[++i];
        } else if (arg.rfind(std::string(kNewArchive) + "=", 0) == 0) {
            if (newArchive) return kUsage;
            newArchive = arg.substr(sizeof kNewArchive);
        } else {
            args.push_back(arg);
        }
    }
    if (args.size() != 5 || (newArchive && newArchive->empty())) return kUsage;
    const std::string& archivePath = args[0];
    const std::string& recordFile = args[1];
    const BlockChoice choice = ParseBlock(args[2]);
    const std::string& key = args[3];
    const std::string& value = args[4];
    if (key.empty() || choice.name.empty()) return kUsage;

    auto archive = HpiArchive::Open(archivePath);
    if (!archive)
        return Fail("cannot open archive " + EscapeControls(archivePath) + " (missing, unreadable or damaged)");
    const auto size = archive->EntrySize(recordFile);
    if (!size) return Fail("no record file " + EscapeControls(recordFile) + " in " + EscapeControls(archivePath));
    if (*size > kMaxSetRecordBytes)
        return Fail(EscapeControls(recordFile) + " unpacks to " + std::to_string(*size) +
                    " bytes, more than a record file may have");
    std::vector<std::uint8_t> bytes;
    if (!archive->ExtractToMemory(recordFile, bytes))
        return Fail(EscapeControls(recordFile) + " in " + EscapeControls(archivePath) + " is damaged");
    std::string text(bytes.begin(), bytes.end());
    const std::string entryPath = ArchiveSpelling(*archive, recordFile);
    archive.reset();

    std::vector<TdfBlockInfo> named;
    for (const TdfBlockInfo& block : TdfBlocks(text))
        if (platform::EqualsFolded(block.name, choice.name)) named.push_back(block);
    const std::string shownBlock = "[" + EscapeControls(choice.name) + "]";
    if (named.empty()) return Fail(EscapeControls(entryPath) + " has no block " + shownBlock);
    int line = named.front().line;
    if (choice.line) {
        bool found = false;
        for (const TdfBlockInfo& block : named) found = found || block.line == *choice.line;
        if (!found)
            return Fail("no block " + shownBlock + " opens on line " + std::to_string(*choice.line) + " of " +
                        EscapeControls(entryPath) + "; it opens on line " + Lines(named));
        line = *choice.line;
    } else if (named.size() > 1) {
        return Fail(EscapeControls(entryPath) + " has " + std::to_string(named.size()) + " blocks " + shownBlock +
                    ", opening on lines " + Lines(named) + "; name one as " + EscapeControls(choice.name) + kLineMark +
                    std::to_string(named.front().line));
    }

    const TdfEditResult edit = TdfSetValue(text, line, key, value, kTdfAnyDepth);
    if (edit.outcome == TdfEditOutcome::NoSuchBlock || edit.outcome == TdfEditOutcome::Refused)
        return Fail("cannot set " + EscapeControls(key) + " in " + shownBlock + " of " + EscapeControls(entryPath) +
                    ": " + EscapeControls(edit.problem));
    const std::string where = EscapeControls(entryPath) + " " + shownBlock + " " + EscapeControls(key);
    if (edit.outcome == TdfEditOutcome::Replaced && edit.oldValue == value) {
        std::cout << where << " is already " << EscapeControls(value) << "; nothing written\n";
        return std::cout.flush() ? kOk : kFailure;
    }

    if (newArchive) {
        std::error_code ec;
        if (fs::equivalent(*newArchive, archivePath, ec))
            return Fail("--new-archive must name another file than " + EscapeControls(archivePath));
        const std::string problem = WriteNewArchive(*newArchive, {{entryPath, text}});
        if (!problem.empty())
            return Fail("cannot write " + EscapeControls(*newArchive) + ": " + EscapeControls(problem));
    } else {
        RewriteRequest request;
        request.replace.push_back({entryPath, text});
        const RewriteOutcome outcome = RewriteArchive(archivePath, request);
        if (!outcome.ok)
            return Fail("cannot save " + EscapeControls(archivePath) + ": " + EscapeControls(outcome.problem) +
                        "; it was left as it was");
    }
    if (edit.outcome == TdfEditOutcome::Added)
        std::cout << where << " added as " << EscapeControls(value) << '\n';
    else
        std::cout << where << " " << EscapeControls(edit.oldValue) << " -> " << EscapeControls(value) << '\n';
    return std::cout.flush() ? kOk : kFailure;
}

}  // namespace lorvex::hpi
