// Feeds arbitrary bytes to every Qt-free reader of what comes back from the
// settings file, which anyone who can write the user's config folder can
// fill: the column layouts (decoded, then applied to a table), the recent
// games and last configuration names, the saved window rectangle, and the
// look at the file itself before it is read.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "app/game/Placement.h"
#include "platform/GameFolder.h"
#include "platform/SettingsGuard.h"
#include "table/ColumnLayout.h"

namespace {

void Layout(std::string_view text) {
    lorvex::ColumnLayout layout;
    if (!lorvex::DecodeLayout(text, &layout)) return;
    // What was read writes back to the same arrangement.
    lorvex::ColumnLayout again;
    if (!lorvex::DecodeLayout(lorvex::EncodeLayout(layout), &again) || !(again == layout)) std::abort();
    lorvex::TableListCtrl table;
    for (const char* heading : {"Name", "Cost", "Name", "", "Energy per metal"})
        table.Data().InsertColumn(table.Data().ColumnCount(), heading, lorvex::Align::Left, 50);
    lorvex::ApplyLayout(table, layout);
    if (table.Data().ColumnCount() != 5) std::abort();  // columns move, none come or go
}

void Games(std::string_view text) {
    std::vector<std::string> recent;
    for (std::size_t at = 0; at <= text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        recent.emplace_back(text.substr(at, end - at));
        at = end + 1;
    }
    for (const std::string& name : recent) lorvex::platform::IsConfigurationName(name);
    const std::string& game = recent.front();
    const std::vector<std::string> kept = lorvex::platform::AddRecentGame(recent, game);
    if (kept.size() > lorvex::platform::kMaxRecentGames || kept.empty() ||
        kept.front() != lorvex::platform::GameKey(game))
        std::abort();
    // The disk is left alone: a game is whatever the stand-in says.
    const auto usable =
        lorvex::platform::UsableRecentGames(recent, [](const std::string& g) { return g.size() % 3 != 0; });
    if (usable.size() > lorvex::platform::kMaxRecentGames) std::abort();
    for (const std::string& g : usable)
        if (g.size() % 3 == 0) std::abort();
}

void Window(const std::uint8_t* data, std::size_t size) {
    int v[4] = {};
    std::memcpy(v, data, std::min(size, sizeof v));
    const std::vector<lorvex::game::Rect> screens = {
        {0, 0, 1920, 1080}, {1920, -200, 1280, 1024}, {-1280, 0, 1280, 1024}};
    const auto placed = lorvex::game::RestoredPlacement({v[0], v[1], v[2], v[3]}, screens);
    if (!placed) return;
    // A restored window lies wholly on one screen.
    const lorvex::game::Rect& p = *placed;
    for (const lorvex::game::Rect& s : screens)
        if (p.width > 0 && p.height > 0 && p.x >= s.x && p.y >= s.y &&
            static_cast<long long>(p.x) + p.width <= static_cast<long long>(s.x) + s.width &&
            static_cast<long long>(p.y) + p.height <= static_cast<long long>(s.y) + s.height)
            return;
    std::abort();
}

void Guard(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/lorvex-fuzz-settings-" + std::to_string(::getpid()) + ".conf";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return;
    const bool written = ::write(fd, data, size) == static_cast<ssize_t>(size);
    ::close(fd);
    // Whatever a small regular file holds, it is read.
    if (written && size <= lorvex::platform::kMaxSettingsFileSize && !lorvex::platform::CheckSettingsFile(path).usable)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Layout(text);
    Games(text);
    Window(data, size);
    Guard(data, size);
    return 0;
}
