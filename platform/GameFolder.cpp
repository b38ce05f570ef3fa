#include "platform/GameFolder.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <system_error>

#include "platform/AsciiText.h"
#include "platform/FileSystem.h"

namespace fs = std::filesystem;

namespace lorvex::platform {
namespace {

// The names of the regular files (links followed) in folder that match one of
// the wildcards, sorted; false when the folder could not be read.
bool FilesMatching(const fs::path& folder, std::initializer_list<std::string_view> wildcards,
                   std::vector<std::string>* names) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return false;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) return false;
        std::error_code sec;
        if (!it->is_regular_file(sec) || sec) continue;
        std::string name = it->path().filename().string();
        for (std::string_view w : wildcards)
            if (WildcardMatch(w, name)) {
                names->push_back(std::move(name));
                break;
            }
    }
    std::sort(names->begin(), names->end());
    return true;
}

// Copies from into a new file to: never over anything already there, a
// dangling link included, and never through a link.
bool CopyNewFile(const fs::path& from, const fs::path& to) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    bool ok = out >= 0;
    char buffer[1 << 16];
    for (ssize_t n; ok && (n = ::read(in, buffer, sizeof buffer)) != 0;) {
        ok = n > 0 && ::write(out, buffer, static_cast<std::size_t>(n)) == n;
    }
    ::close(in);
    if (out >= 0) {
        ok = ::close(out) == 0 && ok;
        if (!ok) ::unlink(to.c_str());
    }
    return ok;
}

bool HasConfiguration(const fs::path& folder) {
    std::vector<std::string> names;
    return FilesMatching(folder, {"*.cfg"}, &names) && !names.empty();
}

// game/Lorvex, or the spelling of it that is already there.
fs::path WorkFolderIn(const fs::path& game) {
    std::error_code ec;
    if (fs::symlink_status(game / "Lorvex", ec).type() != fs::file_type::not_found) return game / "Lorvex";
    fs::directory_iterator it(game, ec);
    if (!ec)
        for (; it != fs::directory_iterator(); it.increment(ec)) {
            if (ec) break;
            if (EqualsFolded(it->path().filename().string(), "Lorvex")) return it->path();
        }
    return game / "Lorvex";
}

}  // namespace

GameFolderCheck CheckGameFolder(const fs::path& folder) {
    if (folder.empty()) return GameFolderCheck::Missing;
    std::error_code ec;
    const fs::file_status st = fs::status(folder, ec);
    if (st.type() == fs::file_type::not_found) return GameFolderCheck::Missing;
    if (ec) return GameFolderCheck::Unreadable;
    if (st.type() != fs::file_type::directory) return GameFolderCheck::NotAFolder;
    std::vector<std::string> archives;
    if (!FilesMatching(folder, {"rev31.gp3", "*.ccx", "*.ufo", "*.hpi"}, &archives)) return GameFolderCheck::Unreadable;
    return archives.empty() ? GameFolderCheck::NoArchive : GameFolderCheck::Ok;
}

std::string GameFolderMessage(GameFolderCheck check, std::string_view shown) {
    const std::string name(shown);
    switch (check) {
        case GameFolderCheck::Ok: return {};
        case GameFolderCheck::Missing: return "The folder " + name + " does not exist.";
        case GameFolderCheck::NotAFolder: return name + " is a file, not a game folder.";
        case GameFolderCheck::Unreadable: return "The folder " + name + " cannot be read.";
        case GameFolderCheck::NoArchive:
            return name + " is not a game folder: it holds neither rev31.gp3 nor any *.ccx, *.ufo or *.hpi archive.";
    }
    return {};
}

bool NeedsGameFolder(const fs::path& current) { return !IsGameFolder(current / "..") && !HasConfiguration(current); }

bool CanWriteIn(const fs::path& folder) {
    const fs::path probe = folder / (".lorvex-write-test-" + std::to_string(::getpid()));
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

std::string GameKey(const fs::path& game) {
    std::error_code ec;
    fs::path p = fs::absolute(game, ec);
    if (ec) p = game;
    std::string key = p.lexically_normal().string();
    while (key.size() > 1 && key.back() == '/') key.pop_back();
    return key;
}

std::string PerGameFolderName(const fs::path& game) {
    const std::string key = GameKey(game);
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (unsigned char c : key) hash = (hash ^ c) * 1099511628211ull;
    std::string readable;
    for (char c : fs::path(key).filename().string()) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '_' || c == '.';
        if (readable.size() < 40) readable += plain ? c : '_';
    }
    if (readable.empty() || readable.front() == '.') readable.insert(0, "game");
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return readable + "-" + hex;
}

fs::path ChooseWorkFolder(const fs::path& game, const fs::path& dataLocation,
                          const std::function<bool(const fs::path&)>& writable) {
    std::error_code ec;
    const fs::path inGame = WorkFolderIn(game);
    const fs::file_status st = fs::symlink_status(inGame, ec);
    // A game folder that ships "Lorvex" as a link would have Lorvex write
    // wherever it points: such a game is worked on as one that cannot be written.
    if (fs::is_directory(st)) {
        if (writable(inGame)) return inGame;
    } else if (st.type() == fs::file_type::not_found && writable(game)) {
        if (fs::create_directory(inGame, ec) || fs::is_directory(inGame, ec)) return inGame;
    }
    if (dataLocation.empty()) return {};
    const fs::path perUser = dataLocation / "games" / PerGameFolderName(game);
    fs::create_directories(perUser, ec);
    return fs::is_directory(perUser, ec) ? perUser : fs::path();
}

OpenedGame OpenGameFolder(const fs::path& folder, std::string_view shown, const fs::path& dataLocation,
                          const fs::path& samples, const std::function<bool(const fs::path&)>& writable) {
    OpenedGame opened;
    const GameFolderCheck check = CheckGameFolder(folder);
    if (check != GameFolderCheck::Ok) {
        opened.problem = GameFolderMessage(check, shown);
        return opened;
    }
    const std::string game = GameKey(folder);
    opened.work = ChooseWorkFolder(game, dataLocation, writable);
    std::error_code ec;
    if (opened.work.empty() || !fs::is_directory(opened.work, ec)) {
        opened.problem = "Lorvex found no folder to work in for " + game + ".";
        return opened;
    }
    if (!samples.empty()) opened.samples = CopySampleConfigurations(samples, opened.work);
    opened.game = game;
    return opened;
}

std::vector<std::string> CopySampleConfigurations(const fs::path& samples, const fs::path& current) {
    std::vector<std::string> copied;
    if (HasConfiguration(current)) return copied;
    std::vector<std::string> names;
    if (!FilesMatching(samples, {"*.cfg"}, &names)) return copied;
    for (const std::string& name : names)
        if (CopyNewFile(samples / name, current / name)) copied.push_back(name);
    return copied;
}

bool IsConfigurationName(std::string_view name) {
    return !name.empty() && name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos &&
           name.find("..") == std::string_view::npos;
}

std::optional<std::string> FindConfiguration(const fs::path& folder, std::string_view name) {
    if (!IsConfigurationName(name)) return std::nullopt;
    std::vector<std::string> names;
    if (!FilesMatching(folder, {"*.cfg"}, &names)) return std::nullopt;
    std::optional<std::string> folded;
    for (const std::string& n : names) {
        if (n == name) return n;
        if (!folded && EqualsFolded(n, name)) folded = n;
    }
    return folded;
}

std::vector<std::string> AddRecentGame(const std::vector<std::string>& recent, const std::string& game) {
    std::vector<std::string> list{GameKey(game)};
    for (const std::string& entry : recent) {
        if (list.size() == kMaxRecentGames) break;
        if (entry.empty()) continue;
        const std::string key = GameKey(entry);
        if (std::find(list.begin(), list.end(), key) == list.end()) list.push_back(key);
    }
    return list;
}

std::vector<std::string> UsableRecentGames(const std::vector<std::string>& recent,
                                           const std::function<bool(const std::string&)>& isGame) {
    std::vector<std::string> list;
    for (const std::string& entry : recent) {
        if (list.size() == kMaxRecentGames) break;
        if (entry.empty()) continue;
        const std::string key = GameKey(entry);
        if (std::find(list.begin(), list.end(), key) != list.end() || !isGame(key)) continue;
        list.push_back(key);
    }
    return list;
}

ComparedGame OpenComparedGame(const std::filesystem::path& folder, std::string_view shown,
                              const std::filesystem::path& dataLocation, const std::filesystem::path& configPath) {
    constexpr const char* kComparedFolder = "Compared";
    const OpenedGame opened =
        OpenGameFolder(folder, shown, dataLocation, {}, [](const std::filesystem::path&) { return false; });
    if (opened.game.empty()) return {{}, {}, opened.problem};
    const std::filesystem::path work = opened.work / kComparedFolder;
    std::error_code ec;
    std::filesystem::create_directories(work, ec);
    if (!ec)
        std::filesystem::copy_file(configPath, work / configPath.filename(),
                                   std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) return {{}, {}, "cannot prepare " + work.string() + " for the other game: " + ec.message()};
    return {opened.game, work, {}};
}

}  // namespace lorvex::platform
