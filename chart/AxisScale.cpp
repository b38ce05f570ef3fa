#include "chart/AxisScale.h"

#include <algorithm>
#include <cmath>

#include "chart/NumberText.h"

namespace lorvex {
namespace {

// The smallest of 1, 2, 5 times a power of ten that is at least raw.
double NiceStep(double raw) {
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= raw * (1 - 1e-9)) return m * power;
    return 10 * power;
}

}  // namespace

AxisScale AxisScale::Fit(double lo, double hi, bool logarithmic, int maxTicks) {
    AxisScale axis;
    axis.log_ = logarithmic;
    maxTicks = std::max(2, maxTicks);
    if (lo > hi) std::swap(lo, hi);
    if (!std::isfinite(lo) || !std::isfinite(hi)) lo = hi = logarithmic ? 1 : 0;

    if (logarithmic) {
        if (!(lo > 0)) lo = hi = 1;
        double a = std::floor(std::log10(lo) + 1e-9);
        double b = std::ceil(std::log10(hi) - 1e-9);
        if (b <= a) b = a + 1;  // one value, or all inside one decade
        const double decades = b - a;
        axis.step_ = std::max(1.0, std::ceil(decades / (maxTicks - 1)));
        a = std::floor(a / axis.step_) * axis.step_;
        b = std::ceil(b / axis.step_) * axis.step_;
        axis.lo_ = std::pow(10.0, a);
        axis.hi_ = std::pow(10.0, b);
        for (double e = a; e <= b + 1e-9; e += axis.step_) axis.ticks_.push_back(std::pow(10.0, e));
        return axis;
    }

    if (hi - lo <= std::abs(hi) * 1e-12) {
        // One value: a span around it, so that the point sits in the middle.
        const double half = lo == 0 ? 1 : std::abs(lo) * 0.1;
        lo -= half;
        hi += half;
    }
    axis.step_ = NiceStep((hi - lo) / (maxTicks - 1));
    const double first = std::floor(lo / axis.step_ + 1e-9);
    const double last = std::ceil(hi / axis.step_ - 1e-9);
    axis.lo_ = first * axis.step_;
    axis.hi_ = last * axis.step_;
    // Ticks as whole multiples of the step, so that 0.1 steps give 0.3, not 0.30000000000000004.
    for (double i = first; i <= last; ++i) axis.ticks_.push_back(i * axis.step_);
    return axis;
}

double AxisScale::Fraction(double value) const {
    if (log_) return value > 0 ? (std::log10(value) - std::log10(lo_)) / (std::log10(hi_) - std::log10(lo_)) : -1;
    return (value - lo_) / (hi_ - lo_);
}

double AxisScale::ValueAt(double fraction) const {
    if (log_) return std::pow(10.0, std::log10(lo_) + fraction * (std::log10(hi_) - std::log10(lo_)));
    return lo_ + fraction * (hi_ - lo_);
}

std::string AxisScale::TickText(double tick) const {
    if (log_) {
        const int e = static_cast<int>(std::lround(std::log10(tick)));
        if (e < -kMaxShownDecimals || e > 9) return "1e" + std::to_string(e);
        return FormatNumber(tick, std::max(0, -e));
    }
    const int places = std::max(0, -static_cast<int>(std::floor(std::log10(step_) + 1e-9)));
    return FormatNumber(tick, places);
}

}  // namespace lorvex
