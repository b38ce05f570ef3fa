#pragma once
// The chart's plot, drawn with QPainter: 100,000 points are one drawPoints
// call per colour, and the hit tests and the zoom run on the placed points of
// chart/. It draws what its window hands it and tells the window what the
// user picked; it knows nothing of the table.
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

#include "chart/AxisScale.h"
#include "chart/ChartData.h"
#include "chart/ChartPlot.h"

namespace lorvex {

class ChartCanvas : public QWidget {
    Q_OBJECT
public:
    // points must outlive the canvas; it reads them whenever it lays out or draws.
    ChartCanvas(const ChartPoints& points, QWidget* parent);
    const ChartPlot& Plot() const { return plot_; }
    // The axes' kinds and the column names drawn beside them; the kinds count
    // from the next Relayout.
    void SetAxes(bool logX, bool logY, const QString& xName, const QString& yName);
    // The tooltip text of point i (an index into the points).
    void SetPointText(std::function<QString(int)> text) { pointText_ = std::move(text); }
    // Where point i lies on the canvas.
    QPoint PointPosition(int i) const;
    // Places the points again, for the canvas's size.
    void Relayout();
    // Draws the whole chart at the canvas's size, on screen or into a file.
    void Render(QPainter& p);
    int Hovered() const { return hovered_; }
    // factor below 1 zooms in, about the place at `at`, which stays under it.
    void ZoomAt(const QPointF& at, double factor);
    // Everything again: the axes fitted to the points.
    void ResetZoom();
    bool Zoomed() const { return zoomed_; }
    // The legend's dot, above the plot's top right corner.
    QPointF LegendDot() const;

    static constexpr int kPickRadius = 6;
    static constexpr double kZoomPerNotch = 0.8;  // one wheel notch in

signals:
    // A click on a point: its table row.
    void rowClicked(int row);
    // A dragged rectangle: the table rows of the points inside; Ctrl keeps the
    // rows highlighted before.
    void rowsDragged(const std::vector<int>& rows, bool keepOthers);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void Hover(const QPoint& at, const QPoint& global);

    const ChartPoints& points_;
    ChartPlot plot_;
    bool logX_ = false, logY_ = false;
    QString xName_, yName_;
    std::function<QString(int)> pointText_;
    int hovered_ = -1;
    bool pressed_ = false;
    bool dragging_ = false;
    QPoint pressAt_, dragTo_;
    bool zoomed_ = false;
    AxisScale zoomX_, zoomY_;  // the axes shown while zoomed
};

}  // namespace lorvex
