#pragma once
// Where the main window goes at start: the place it had when it was last
// closed, kept on a screen that is there now, or on a first start the default
// size made to fit the screen. Plain rectangles in the toolkit's logical
// pixels (at 2x scaling a screen of 2560 device pixels is 1280 of these).
#include <optional>
#include <vector>

namespace lorvex::game {

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
};

// saved moved and, if need be, shrunk to lie inside the available area of the
// screen it overlaps most. Nothing when saved is empty or lies on no screen.
std::optional<Rect> RestoredPlacement(const Rect& saved, const std::vector<Rect>& screens);

// The default size, shrunk to the available area, centred in it.
Rect FirstPlacement(int width, int height, const Rect& available);

}  // namespace lorvex::game
