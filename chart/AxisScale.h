#pragma once
// One axis of the chart: the range it shows, where a value falls along it,
// and its ticks with their texts. A fitted linear axis widens the data's
// range to round ticks (steps of 1, 2 or 5 times a power of ten); a fitted
// logarithmic one to whole powers of ten. A zoomed axis shows exactly the
// range it was given, with round ticks inside. Free of any window toolkit.
#include <string>
#include <vector>

namespace lorvex {

class AxisScale {
public:
    // The axis for values from lo to hi (in either order). A logarithmic axis
    // takes only values above 0: callers leave the others out beforehand; with
    // no such value it shows 1 to 10. Without values (lo > hi after swapping
    // NaNs out), a linear axis shows 0 to 1.
    static AxisScale Fit(double lo, double hi, bool logarithmic, int maxTicks = kMaxTicks);
    // The axis for no values at all.
    static AxisScale Empty(bool logarithmic) { return Fit(1, 1, logarithmic); }
    // Whether values from lo to hi read better on a logarithmic axis: all
    // above 0 and the highest more than kLogarithmicSpan times the lowest, so
    // that a few huge values do not squash the rest into a corner.
    static bool WantsLogarithmic(double lo, double hi);

    // The axis zoomed by factor (below 1 in, above 1 out), with value at
    // fraction (0 to 1) along it: the place under the pointer stays under it
    // even when the plot's edges move. Unchanged when value has no place on
    // the axis, or the result would be too narrow to tell values apart or
    // beyond what a double holds.
    AxisScale Zoomed(double value, double fraction, double factor, int maxTicks = kMaxTicks) const;

    bool Logarithmic() const { return log_; }
    double Lo() const { return lo_; }
    double Hi() const { return hi_; }
    // 0 at Lo, 1 at Hi, in between by value (linear) or by its logarithm.
    double Fraction(double value) const;
    double ValueAt(double fraction) const;
    const std::vector<double>& Ticks() const { return ticks_; }
    // A tick's text, short (ShortNumber): as many places as the ticks' step
    // needs, none more.
    std::string TickText(double tick) const;

    static constexpr int kMaxTicks = 8;
    static constexpr double kLogarithmicSpan = 1000;  // three decades
    // The narrowest zoom, relative to the values shown, and the widest values.
    static constexpr double kNarrowestZoom = 1e-9;
    static constexpr double kWidestZoomValue = 1e300;

private:
    // Exactly lo to hi (lo < hi; above 0 when logarithmic), round ticks inside.
    static AxisScale Span(double lo, double hi, bool logarithmic, int maxTicks);
    void LinearTicksInside(int maxTicks);

    bool log_ = false;
    double lo_ = 0, hi_ = 1;
    // Linear ticks: the difference between ticks, which their texts must tell.
    // Zero for ticks at 1, 2 or 5 times powers of ten on a logarithmic axis,
    // whose texts need each its own power.
    double textStep_ = 1;
    std::vector<double> ticks_;
};

}  // namespace lorvex
