#pragma once
// The chart's points placed in a plot rectangle (pixels, y downwards), the
// hit tests on them (the point under the pointer, the rows inside a dragged
// rectangle) and the zoom about the pointer. Free of any window toolkit.
#include <vector>

#include "chart/AxisScale.h"
#include "chart/ChartData.h"

namespace lorvex {

struct PlotArea {
    double left = 0, top = 0, width = 0, height = 0;
    bool operator==(const PlotArea&) const = default;
};

// The place a zoom keeps still: a pixel on the plot and the values there.
struct ZoomAnchor {
    double x = 0, y = 0;
    double valueX = 0, valueY = 0;
};

class ChartPlot {
public:
    // Scales fitted to the points' ranges; an empty set gets the empty axes.
    static AxisScale FitX(const ChartPoints& points, bool logarithmic);
    static AxisScale FitY(const ChartPoints& points, bool logarithmic);

    // Places every point of `points` (which must outlive this plot's use) in area.
    void Place(const ChartPoints& points, const AxisScale& x, const AxisScale& y, PlotArea area);

    int Count() const { return static_cast<int>(px_.size()); }
    float X(int i) const { return px_[i]; }
    float Y(int i) const { return py_[i]; }
    const PlotArea& Area() const { return area_; }
    const AxisScale& XScale() const { return x_; }
    const AxisScale& YScale() const { return y_; }
    double PixelX(double value) const { return area_.left + x_.Fraction(value) * area_.width; }
    double PixelY(double value) const { return area_.top + (1 - y_.Fraction(value)) * area_.height; }

    // The point nearest (x, y) within radius pixels, or -1; of points at the
    // same place, the one drawn last (a highlighted one before a plain one).
    // Points a zoom put outside the area are not there to hit.
    int PointAt(double x, double y, double radius) const;
    // The rows of the points inside the rectangle of two corners, edges
    // included, in row order; the area's points only.
    std::vector<int> RowsIn(double x0, double y0, double x1, double y1) const;
    bool InArea(int i) const;

    // The place to zoom about for the pointer at (x, y); a pointer beside the
    // plot zooms about the nearest place on it.
    ZoomAnchor AnchorAt(double x, double y) const;
    // Axis `from` zoomed by factor (below 1 in) so that the anchor's value
    // lands on its pixel in this plot's area, which may have moved since the
    // anchor was taken (new ticks take another width).
    AxisScale ZoomedX(const AxisScale& from, const ZoomAnchor& at, double factor) const;
    AxisScale ZoomedY(const AxisScale& from, const ZoomAnchor& at, double factor) const;

private:
    const ChartPoints* points_ = nullptr;
    AxisScale x_, y_;
    PlotArea area_;
    std::vector<float> px_, py_;
};

}  // namespace lorvex
