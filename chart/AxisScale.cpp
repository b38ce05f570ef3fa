#include "chart/AxisScale.h"

#include <algorithm>
#include <cmath>

#include "chart/NumberText.h"

namespace lorvex {
namespace {

// Rounding slack for logarithms and divisions that should come out whole.
constexpr double kSlack = 1e-9;
// Below this a zoomed span holds too few doubles to place ticks in.
constexpr double kSmallestZoomSpan = 1e-290;

// The smallest of 1, 2, 5 times a power of ten that is at least raw.
double NiceStep(double raw) {
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= raw * (1 - kSlack)) return m * power;
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
        double a = std::floor(std::log10(lo) + kSlack);
        double b = std::ceil(std::log10(hi) - kSlack);
        if (b <= a) b = a + 1;  // one value, or all inside one decade
        const double decades = b - a;
        const double step = std::max(1.0, std::ceil(decades / (maxTicks - 1)));
        a = std::floor(a / step) * step;
        b = std::ceil(b / step) * step;
        axis.lo_ = std::pow(10.0, a);
        axis.hi_ = std::pow(10.0, b);
        axis.textStep_ = 0;
        for (double e = a; e <= b + kSlack; e += step) axis.ticks_.push_back(std::pow(10.0, e));
        return axis;
    }

    if (hi - lo <= std::abs(hi) * 1e-12) {
        // One value: a span around it, so that the point sits in the middle.
        const double half = lo == 0 ? 1 : std::abs(lo) * 0.1;
        lo -= half;
        hi += half;
    }
    const double step = NiceStep((hi - lo) / (maxTicks - 1));
    const double first = std::floor(lo / step + kSlack);
    const double last = std::ceil(hi / step - kSlack);
    axis.lo_ = first * step;
    axis.hi_ = last * step;
    axis.textStep_ = step;
    // Ticks as whole multiples of the step, so that 0.1 steps give 0.3, not 0.30000000000000004.
    for (double i = first; i <= last; ++i) axis.ticks_.push_back(i * step);
    return axis;
}

bool AxisScale::WantsLogarithmic(double lo, double hi) { return lo > 0 && hi / lo > kLogarithmicSpan; }

void AxisScale::LinearTicksInside(int maxTicks) {
    const double step = NiceStep((hi_ - lo_) / (maxTicks - 1));
    textStep_ = step;
    const double first = std::ceil(lo_ / step - kSlack);
    const double last = std::floor(hi_ / step + kSlack);
    // A span the doubles cannot cut into maxTicks steps gets no ticks rather than endless ones.
    if (!(step > 0) || !std::isfinite(first) || !std::isfinite(last) || last - first > 2 * maxTicks) return;
    for (double i = first; i <= last; ++i) ticks_.push_back(i * step);
}

AxisScale AxisScale::Span(double lo, double hi, bool logarithmic, int maxTicks) {
    AxisScale axis;
    axis.log_ = logarithmic;
    axis.lo_ = lo;
    axis.hi_ = hi;
    maxTicks = std::max(2, maxTicks);
    if (!logarithmic) {
        axis.LinearTicksInside(maxTicks);
        return axis;
    }
    // Whole powers of ten while two or more lie inside; then 1, 2 and 5 times
    // them; within a narrow zoom, round values placed by their logarithm.
    const double a = std::log10(lo), b = std::log10(hi);
    const double first = std::ceil(a - kSlack), last = std::floor(b + kSlack);
    axis.textStep_ = 0;
    if (last - first >= 1) {
        const double step = std::max(1.0, std::ceil((last - first) / (maxTicks - 1)));
        for (double e = std::ceil(first / step) * step; e <= last + kSlack; e += step)
            axis.ticks_.push_back(std::pow(10.0, e));
        if (axis.ticks_.size() >= 2) return axis;
    }
    axis.ticks_.clear();
    for (double e = std::floor(a); e <= std::ceil(b); ++e) {
        for (double m : {1.0, 2.0, 5.0}) {
            const double v = m * std::pow(10.0, e);
            if (v >= lo * (1 - kSlack) && v <= hi * (1 + kSlack)) axis.ticks_.push_back(v);
        }
    }
    if (axis.ticks_.size() >= 2 && axis.ticks_.size() <= static_cast<std::size_t>(maxTicks)) return axis;
    axis.ticks_.clear();
    axis.LinearTicksInside(maxTicks);
    return axis;
}

AxisScale AxisScale::Zoomed(double value, double fraction, double factor, int maxTicks) const {
    if (!(factor > 0) || !std::isfinite(factor) || !(fraction >= 0 && fraction <= 1) || !std::isfinite(value) ||
        (log_ && !(value > 0)))
        return *this;
    // In the axis's own measure: the logarithm on a logarithmic one.
    const double a = log_ ? std::log10(lo_) : lo_, b = log_ ? std::log10(hi_) : hi_;
    const double pivot = log_ ? std::log10(value) : value;
    double lo = pivot - fraction * (b - a) * factor, hi = lo + (b - a) * factor;
    if (log_) {
        lo = std::pow(10.0, lo);
        hi = std::pow(10.0, hi);
    }
    const double widest = std::max(std::abs(lo), std::abs(hi));
    if (!std::isfinite(lo) || !std::isfinite(hi) || widest > kWidestZoomValue || (log_ && !(lo > 0)) ||
        hi - lo <= std::max(widest * kNarrowestZoom, kSmallestZoomSpan))
        return *this;
    return Span(lo, hi, log_, maxTicks);
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
    if (textStep_ > 0) return ShortNumber(tick, textStep_);
    // 1, 2 or 5 times a power of ten: each tells its own power.
    const int e = static_cast<int>(std::floor(std::log10(tick) + kSlack));
    const double power = std::pow(10.0, e);
    if (e < -kMaxShownDecimals) return ShownNumber(tick / power, 0) + "e" + std::to_string(e);
    return ShortNumber(tick, power);
}

}  // namespace lorvex
