#include "app/game/Placement.h"

#include <algorithm>

namespace lorvex::game {
namespace {

long long Overlap(const Rect& a, const Rect& b) {
    // A saved place read back from the settings may lie anywhere: no int sum may overflow.
    const long long w =
        std::min(static_cast<long long>(a.x) + a.width, static_cast<long long>(b.x) + b.width) - std::max(a.x, b.x);
    const long long h =
        std::min(static_cast<long long>(a.y) + a.height, static_cast<long long>(b.y) + b.height) - std::max(a.y, b.y);
    return (w > 0 && h > 0) ? w * h : 0;
}

Rect Inside(Rect r, const Rect& area) {
    r.width = std::min(r.width, area.width);
    r.height = std::min(r.height, area.height);
    r.x = std::clamp(r.x, area.x, area.x + area.width - r.width);
    r.y = std::clamp(r.y, area.y, area.y + area.height - r.height);
    return r;
}

}  // namespace

std::optional<Rect> RestoredPlacement(const Rect& saved, const std::vector<Rect>& screens) {
    if (saved.width <= 0 || saved.height <= 0) return std::nullopt;
    const Rect* best = nullptr;
    long long bestOverlap = 0;
    for (const Rect& screen : screens) {
        if (screen.width <= 0 || screen.height <= 0) continue;
        const long long overlap = Overlap(saved, screen);
        if (overlap > bestOverlap) {
            bestOverlap = overlap;
            best = &screen;
        }
    }
    if (!best) return std::nullopt;
    return Inside(saved, *best);
}

Rect FirstPlacement(int width, int height, const Rect& available) {
    Rect r{0, 0, std::min(width, available.width), std::min(height, available.height)};
    r.x = available.x + (available.width - r.width) / 2;
    r.y = available.y + (available.height - r.height) / 2;
    return r;
}

}  // namespace lorvex::game
