#pragma once
// One axis of the chart: the range it shows, where a value falls along it,
// and its ticks with their texts. A linear axis widens the data's range to
// round ticks (steps of 1, 2 or 5 times a power of ten); a logarithmic one to
// whole powers of ten. Free of any window toolkit.
#include <string>
#include <vector>

namespace lorvex {

class AxisScale {
public:
    // The axis for values from lo to hi (in either order). A logarithmic axis
    // takes only values above 0: callers leave the others out beforehand; with
    // no such value it shows 1 to 10. Without values (lo > hi after swapping
    // NaNs out), a linear axis shows 0 to 1.
    static AxisScale Fit(double lo, double hi, bool logarithmic, int maxTicks = 8);
    // The axis for no values at all.
    static AxisScale Empty(bool logarithmic) { return Fit(1, 1, logarithmic); }

    bool Logarithmic() const { return log_; }
    double Lo() const { return lo_; }
    double Hi() const { return hi_; }
    // 0 at Lo, 1 at Hi, in between by value (linear) or by its logarithm.
    double Fraction(double value) const;
    double ValueAt(double fraction) const;
    const std::vector<double>& Ticks() const { return ticks_; }
    // A tick's text: as many places as the step needs, none more.
    std::string TickText(double tick) const;

private:
    bool log_ = false;
    double lo_ = 0, hi_ = 1;
    double step_ = 1;  // linear: between ticks; logarithmic: decades between ticks
    std::vector<double> ticks_;
};

}  // namespace lorvex
