#include "chart/widget/ChartCanvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "table/widget/PlainTip.h"

namespace lorvex {
namespace {

constexpr int kPointSize = 5;
constexpr int kHighlightSize = 7;
constexpr int kDragThreshold = 4;
constexpr double kWheelNotch = 120;  // angle delta of one notch
constexpr int kZoomPasses = 3;
const char* const kLegend = "highlighted rows";

QString FromStd(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

ChartCanvas::ChartCanvas(const ChartPoints& points, QWidget* parent) : QWidget(parent), points_(points) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);  // Home shows everything again
    setMinimumSize(240, 180);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void ChartCanvas::SetAxes(bool logX, bool logY, const QString& xName, const QString& yName) {
    logX_ = logX;
    logY_ = logY;
    xName_ = xName;
    yName_ = yName;
}

QPoint ChartCanvas::PointPosition(int i) const {
    return {static_cast<int>(std::lround(plot_.X(i))), static_cast<int>(std::lround(plot_.Y(i)))};
}

// Room for the tick texts left and below, and for the two column names.
void ChartCanvas::Relayout() {
    const AxisScale x = zoomed_ ? zoomX_ : ChartPlot::FitX(points_, logX_);
    const AxisScale y = zoomed_ ? zoomY_ : ChartPlot::FitY(points_, logY_);
    const QFontMetrics m = fontMetrics();
    int tickWidth = 0;
    for (double t : y.Ticks()) tickWidth = std::max(tickWidth, m.horizontalAdvance(FromStd(y.TickText(t))));
    PlotArea area;
    area.left = m.height() + tickWidth + 14;
    area.top = m.height() + 8;  // the legend above
    area.width = std::max(10, width() - static_cast<int>(area.left) - m.horizontalAdvance(QStringLiteral("0000")));
    area.height = std::max(10, height() - static_cast<int>(area.top) - 2 * m.height() - 14);
    plot_.Place(points_, x, y, area);
    hovered_ = -1;
}

void ChartCanvas::ZoomAt(const QPointF& at, double factor) {
    const AxisScale x = plot_.XScale(), y = plot_.YScale();
    const ZoomAnchor anchor = plot_.AnchorAt(at.x(), at.y());
    zoomed_ = true;
    // New ticks can take another width and move the plot's left edge: place
    // again until the value under the pointer stays there.
    for (int pass = 0; pass < kZoomPasses; ++pass) {
        const PlotArea before = plot_.Area();
        zoomX_ = plot_.ZoomedX(x, anchor, factor);
        zoomY_ = plot_.ZoomedY(y, anchor, factor);
        Relayout();
        if (plot_.Area() == before) break;
    }
    update();
}

void ChartCanvas::ResetZoom() {
    zoomed_ = false;
    Relayout();
    update();
}

QPointF ChartCanvas::LegendDot() const {
    const PlotArea& a = plot_.Area();
    const QFontMetrics m = fontMetrics();
    const double textLeft = a.left + a.width - m.horizontalAdvance(QString::fromLatin1(kLegend));
    return {textLeft - kHighlightSize - 3, a.top - 4 - m.height() / 2.0};
}

void ChartCanvas::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Relayout();
}

void ChartCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    Render(p);
}

void ChartCanvas::Render(QPainter& p) {
    const QPalette& pal = palette();
    const PlotArea& a = plot_.Area();
    const QRectF frame(a.left, a.top, a.width, a.height);
    const QFontMetrics m = fontMetrics();
    p.fillRect(rect(), pal.color(QPalette::Base));

    // Grid and ticks.
    QColor grid = pal.color(QPalette::Text);
    grid.setAlpha(40);
    p.setPen(pal.color(QPalette::Text));
    for (double t : plot_.XScale().Ticks()) {
        const double px = plot_.PixelX(t);
        p.setPen(grid);
        p.drawLine(QPointF(px, frame.top()), QPointF(px, frame.bottom()));
        p.setPen(pal.color(QPalette::Text));
        const QString text = FromStd(plot_.XScale().TickText(t));
        const int w = m.horizontalAdvance(text);
        p.drawText(QPointF(px - w / 2.0, frame.bottom() + 4 + m.ascent()), text);
    }
    for (double t : plot_.YScale().Ticks()) {
        const double py = plot_.PixelY(t);
        p.setPen(grid);
        p.drawLine(QPointF(frame.left(), py), QPointF(frame.right(), py));
        p.setPen(pal.color(QPalette::Text));
        const QString text = FromStd(plot_.YScale().TickText(t));
        p.drawText(QPointF(frame.left() - 6 - m.horizontalAdvance(text), py + m.ascent() / 2.0 - 1), text);
    }
    p.setPen(pal.color(QPalette::Text));
    p.drawRect(frame);

    // What the highlight colour means, above the top right corner.
    const QPointF dot = LegendDot();
    p.setPen(QPen(pal.color(QPalette::Highlight), kHighlightSize, Qt::SolidLine, Qt::RoundCap));
    p.drawPoint(dot);
    p.setPen(pal.color(QPalette::Text));
    p.drawText(QPointF(dot.x() + kHighlightSize + 3, dot.y() + m.ascent() / 2.0 - 1), QString::fromLatin1(kLegend));

    // Column names: x centred below the ticks, y turned up along the left edge.
    p.drawText(QRectF(frame.left(), frame.bottom() + 6 + m.height(), frame.width(), m.height()), Qt::AlignHCenter,
               xName_);
    p.save();
    p.translate(2, frame.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-frame.height() / 2, 0, frame.height(), m.height()), Qt::AlignHCenter, yName_);
    p.restore();

    // The points: plain ones first, the highlighted ones last and larger.
    const int count = plot_.Count();
    std::vector<QPointF> at(count);
    for (int i = 0; i < count; ++i) at[i] = QPointF(plot_.X(i), plot_.Y(i));
    p.setClipRect(frame.adjusted(-kHighlightSize, -kHighlightSize, kHighlightSize, kHighlightSize));
    QColor plain = pal.color(QPalette::Text);
    plain.setAlpha(150);
    p.setPen(QPen(plain, kPointSize, Qt::SolidLine, Qt::RoundCap));
    p.drawPoints(at.data(), points_.firstHighlighted);
    p.setPen(QPen(pal.color(QPalette::Highlight), kHighlightSize, Qt::SolidLine, Qt::RoundCap));
    p.drawPoints(at.data() + points_.firstHighlighted, count - points_.firstHighlighted);
    if (hovered_ >= 0 && hovered_ < count) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(pal.color(QPalette::Text), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(at[hovered_], kHighlightSize, kHighlightSize);
        p.setRenderHint(QPainter::Antialiasing, false);
    }
    p.setClipping(false);

    if (dragging_) {
        QColor band = pal.color(QPalette::Highlight);
        p.setPen(QPen(band, 1, Qt::DashLine));
        band.setAlpha(40);
        p.setBrush(band);
        p.drawRect(QRect(pressAt_, dragTo_).normalized());
    }
}

void ChartCanvas::Hover(const QPoint& at, const QPoint& global) {
    const int hit = plot_.PointAt(at.x(), at.y(), kPickRadius);
    if (hit == hovered_) return;
    hovered_ = hit;
    update();
    if (hit >= 0)
        ShowPlainTip(global, pointText_ ? pointText_(hit) : QString(), this);
    else
        QToolTip::hideText();
}

void ChartCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    pressed_ = true;
    dragging_ = false;
    pressAt_ = dragTo_ = event->position().toPoint();
}

void ChartCanvas::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (pressed_ && (event->buttons() & Qt::LeftButton)) {
        dragTo_ = at;
        if (!dragging_ && (at - pressAt_).manhattanLength() >= kDragThreshold) dragging_ = true;
        if (dragging_) update();
        return;
    }
    Hover(at, event->globalPosition().toPoint());
}

void ChartCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    const QPoint at = event->position().toPoint();
    if (dragging_) {
        dragging_ = false;
        update();
        emit rowsDragged(plot_.RowsIn(pressAt_.x(), pressAt_.y(), at.x(), at.y()),
                         event->modifiers() & Qt::ControlModifier);
        return;
    }
    const int hit = plot_.PointAt(at.x(), at.y(), kPickRadius);
    if (hit >= 0) emit rowClicked(points_.points[hit].row);
}

void ChartCanvas::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) ResetZoom();
}

void ChartCanvas::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / kWheelNotch;
    if (notches == 0) {
        event->ignore();
        return;
    }
    ZoomAt(event->position(), std::pow(kZoomPerNotch, notches));
}

void ChartCanvas::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Home && event->modifiers() == Qt::NoModifier)
        ResetZoom();
    else
        QWidget::keyPressEvent(event);
}

void ChartCanvas::leaveEvent(QEvent*) {
    if (hovered_ < 0) return;
    hovered_ = -1;
    update();
}

}  // namespace lorvex
