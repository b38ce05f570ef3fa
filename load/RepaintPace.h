#pragma once
// How often a load may repaint its progress. The load blocks the window, and a
// synchronous repaint for every extracted file costs more than the file itself;
// a few dozen repaints a second show the same progress. Whatever was skipped is
// painted by Flush, so the last texts are always the ones shown.
#include <chrono>

namespace lorvex {

class RepaintPace {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kDefaultInterval = std::chrono::microseconds(1000000 / 30);

    explicit RepaintPace(Clock::duration interval = kDefaultInterval) : interval_(interval) {}

    // A new text is waiting. True when it is to be painted now: the first
    // change after a paint that lies at least one interval back.
    bool Changed(Clock::time_point now) {
        pending_ = true;
        if (painted_ && now - last_ < interval_) return false;
        Painted(now);
        return true;
    }

    // True when a change has not been painted yet; the caller paints it now.
    bool Flush(Clock::time_point now) {
        if (!pending_) return false;
        Painted(now);
        return true;
    }

    // Forgets the last paint: the next change is painted at once (a new load).
    void Reset() {
        painted_ = false;
        pending_ = false;
    }

private:
    void Painted(Clock::time_point now) {
        last_ = now;
        painted_ = true;
        pending_ = false;
    }

    Clock::duration interval_;
    Clock::time_point last_{};
    bool painted_ = false;
    bool pending_ = false;
};

}  // namespace lorvex
