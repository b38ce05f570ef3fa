#include "chart/ChartPlot.h"

#include <algorithm>

namespace lorvex {
namespace {

// A point on the area's edge stays in it despite the float rounding of its place.
constexpr double kEdgeSlack = 0.5;

}  // namespace

AxisScale ChartPlot::FitX(const ChartPoints& points, bool logarithmic) {
    return points.points.empty() ? AxisScale::Empty(logarithmic) : AxisScale::Fit(points.xLo, points.xHi, logarithmic);
}

AxisScale ChartPlot::FitY(const ChartPoints& points, bool logarithmic) {
    return points.points.empty() ? AxisScale::Empty(logarithmic) : AxisScale::Fit(points.yLo, points.yHi, logarithmic);
}

void ChartPlot::Place(const ChartPoints& points, const AxisScale& x, const AxisScale& y, PlotArea area) {
    points_ = &points;
    x_ = x;
    y_ = y;
    area_ = area;
    px_.resize(points.points.size());
    py_.resize(points.points.size());
    for (std::size_t i = 0; i < points.points.size(); ++i) {
        px_[i] = static_cast<float>(PixelX(points.points[i].x));
        py_[i] = static_cast<float>(PixelY(points.points[i].y));
    }
}

int ChartPlot::PointAt(double x, double y, double radius) const {
    int best = -1;
    double bestDistance = radius * radius;
    // From the last drawn down, so that of equal distances the top one wins.
    for (int i = Count() - 1; i >= 0; --i) {
        if (!InArea(i)) continue;
        const double dx = px_[i] - x, dy = py_[i] - y;
        const double d = dx * dx + dy * dy;
        if (d < bestDistance || (best < 0 && d <= bestDistance)) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

bool ChartPlot::InArea(int i) const {
    return px_[i] >= area_.left - kEdgeSlack && px_[i] <= area_.left + area_.width + kEdgeSlack &&
           py_[i] >= area_.top - kEdgeSlack && py_[i] <= area_.top + area_.height + kEdgeSlack;
}

std::vector<int> ChartPlot::RowsIn(double x0, double y0, double x1, double y1) const {
    if (x0 > x1) std::swap(x0, x1);
    if (y0 > y1) std::swap(y0, y1);
    std::vector<int> rows;
    for (int i = 0; i < Count(); ++i)
        if (InArea(i) && px_[i] >= x0 && px_[i] <= x1 && py_[i] >= y0 && py_[i] <= y1)
            rows.push_back(points_->points[i].row);
    std::sort(rows.begin(), rows.end());
    return rows;
}

ZoomAnchor ChartPlot::AnchorAt(double x, double y) const {
    const PlotArea& a = area_;
    ZoomAnchor at;
    at.x = std::clamp(x, a.left, a.left + a.width);
    at.y = std::clamp(y, a.top, a.top + a.height);
    at.valueX = x_.ValueAt((at.x - a.left) / a.width);
    at.valueY = y_.ValueAt(1 - (at.y - a.top) / a.height);
    return at;
}

AxisScale ChartPlot::ZoomedX(const AxisScale& from, const ZoomAnchor& at, double factor) const {
    return from.Zoomed(at.valueX, std::clamp((at.x - area_.left) / area_.width, 0.0, 1.0), factor);
}

AxisScale ChartPlot::ZoomedY(const AxisScale& from, const ZoomAnchor& at, double factor) const {
    return from.Zoomed(at.valueY, std::clamp(1 - (at.y - area_.top) / area_.height, 0.0, 1.0), factor);
}

}  // namespace lorvex
