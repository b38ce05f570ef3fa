#include "load/RepaintPace.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace lorvex {
namespace {

using namespace std::chrono_literals;

// Label changes at given milliseconds ('c'), or the end of the load ('f'),
// and which of them paint, with 30 ms between paints.
TEST(RepaintPace, PaintsAtMostOncePerIntervalAndAlwaysTheLastTexts) {
    struct Case {
        const char* steps;  // "c0 c10 f12": change at 0 ms, change at 10 ms, flush at 12 ms
        const char* painted;
    };
    const Case cases[] = {
        {"c0 c10 c29 c30 c31 f40", "c0 c30 f40"},  // 30 ms after a paint is the first that may paint again
        {"c0 f5", "c0"},                           // nothing left to flush
        {"f0 c1 c2 f3", "c1 f3"},                  // a flush before any change paints nothing
        {"c0 c100 c101 f101 f200", "c0 c100 f101"},
        {"c0 c10 r11 c12 f13", "c0 c12"},  // a new load paints its first text at once
        {"c0 c10 r11 f12", "c0"},          // and has no text of the load before left to flush
    };
    for (const Case& c : cases) {
        RepaintPace pace(30ms);
        std::istringstream steps(c.steps);
        std::string painted;
        for (std::string step; steps >> step;) {
            const auto at = RepaintPace::Clock::time_point{} + std::chrono::milliseconds(std::stoi(step.substr(1)));
            if (step[0] == 'r') pace.Reset();
            if (step[0] == 'c' ? pace.Changed(at) : step[0] == 'f' && pace.Flush(at))
                painted += (painted.empty() ? "" : " ") + step;
        }
        EXPECT_EQ(painted, c.painted) << c.steps;
    }
}

}  // namespace
}  // namespace lorvex
