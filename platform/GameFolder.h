#pragma once
// Game folders: which folders hold a game, where Lorvex works for one, the
// sample configurations a new work folder gets, and the short list of recent
// games. No toolkit here, so the windows and the command-line tools share it.
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lorvex::platform {

// What a look at a would-be game folder found.
enum class GameFolderCheck { Ok, Missing, NotAFolder, Unreadable, NoArchive };

// A game folder holds rev31.gp3 or any *.ccx, *.ufo or *.hpi file, names in any case.
GameFolderCheck CheckGameFolder(const std::filesystem::path& folder);
inline bool IsGameFolder(const std::filesystem::path& folder) { return CheckGameFolder(folder) == GameFolderCheck::Ok; }

// The message for a folder that did not pass, naming it as the user gave it.
std::string GameFolderMessage(GameFolderCheck check, std::string_view shown);

// True when Lorvex, started in current, would find nothing to work with: no
// archive in the parent folder and no *.cfg in current (a start from a desktop menu).
bool NeedsGameFolder(const std::filesystem::path& current);

// True when a file can be created in folder. It is tried, not guessed from
// permission bits: those do not stop an administrator, a read-only mount does.
bool CanWriteIn(const std::filesystem::path& folder);

// The folder Lorvex works in for game: game/Lorvex, created when missing,
// when that can be written; otherwise a folder of this game's own under
// dataLocation (the user's data folder), created when missing. Empty when
// neither can be had.
std::filesystem::path ChooseWorkFolder(const std::filesystem::path& game, const std::filesystem::path& dataLocation,
                                       const std::function<bool(const std::filesystem::path&)>& writable = CanWriteIn);

// The name of game's folder under the data location: readable, and distinct
// for two games of the same folder name.
std::string PerGameFolderName(const std::filesystem::path& game);

// A game folder opened for work, by the window and the command-line tool alike.
struct OpenedGame {
    std::string game;                  // the folder's key (GameKey); empty when it could not be opened
    std::filesystem::path work;        // the folder to work in
    std::vector<std::string> samples;  // the sample configurations copied into work
    std::string problem;               // why it could not be opened, as a sentence naming `shown`
};

// Checks folder, chooses the folder to work in for it (ChooseWorkFolder) and
// gives an empty one the sample configurations of samples (when not empty).
// Nothing else changes: entering the work folder is the caller's step.
OpenedGame OpenGameFolder(const std::filesystem::path& folder, std::string_view shown,
                          const std::filesystem::path& dataLocation, const std::filesystem::path& samples,
                          const std::function<bool(const std::filesystem::path&)>& writable = CanWriteIn);

// Another game compared with the one open. Its folder is never written: it is
// opened as a game that cannot be written (its work goes under dataLocation),
// in a folder of Lorvex's own there that gets a copy of the configuration
// compared, so that the user's own configurations for that game stay as they
// are. Entering `work` is the caller's step; problem says why when game is empty.
struct ComparedGame {
    std::string game;
    std::filesystem::path work;
    std::string problem;
};
ComparedGame OpenComparedGame(const std::filesystem::path& folder, std::string_view shown,
                              const std::filesystem::path& dataLocation, const std::filesystem::path& configPath);

// Copies every *.cfg of samples into current, but only when current holds no
// *.cfg yet. Returns the names copied (none when current had some already).
std::vector<std::string> CopySampleConfigurations(const std::filesystem::path& samples,
                                                  const std::filesystem::path& current);

// A configuration name given on the command line: a bare name, with no
// folder separator and no "..", so that it cannot reach out of the folder.
bool IsConfigurationName(std::string_view name);

// The on-disk name of the configuration name in folder (any case, exact
// spelling preferred), or nothing when there is none.
std::optional<std::string> FindConfiguration(const std::filesystem::path& folder, std::string_view name);

// Recent games, most recent first.
inline constexpr std::size_t kMaxRecentGames = 8;

// The same folder written two ways ("/g/", "/g/./") counts once.
std::string GameKey(const std::filesystem::path& game);

// game put first; older entries after it, without it and without duplicates, at most kMaxRecentGames.
std::vector<std::string> AddRecentGame(const std::vector<std::string>& recent, const std::string& game);

// The entries that are still game folders, in order, without duplicates, at most kMaxRecentGames.
std::vector<std::string> UsableRecentGames(
    const std::vector<std::string>& recent,
    const std::function<bool(const std::string&)>& isGame = [](const std::string& g) { return IsGameFolder(g); });

}  // namespace lorvex::platform
