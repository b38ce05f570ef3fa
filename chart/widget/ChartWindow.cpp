#include "chart/widget/ChartWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSvgGenerator>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "table/widget/CellText.h"
#include "table/widget/PlainTip.h"
#include "table/widget/TableListView.h"

namespace lorvex {
namespace {

constexpr int kPointSize = 5;
constexpr int kHighlightSize = 7;
constexpr int kDragThreshold = 4;
constexpr double kWheelNotch = 120;  // angle delta of one notch
constexpr int kListLetters = 14;     // the column lists' width; their popups show names in full
constexpr int kStartWidth = 720, kStartHeight = 520;
constexpr int kZoomPasses = 3;
constexpr int kFrameRoom = 48;       // for the frame and title bar the window system adds
const char* const kLegend = "highlighted rows";

QString Decode(std::string_view bytes) { return DecodeCellText(bytes); }
QString FromStd(const std::string& text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

// ---- The canvas ----

ChartCanvas::ChartCanvas(ChartWindow* chart) : QWidget(chart), chart_(chart) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);  // Home shows everything again
    setMinimumSize(240, 180);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

QPoint ChartCanvas::PointPosition(int i) const {
    return {static_cast<int>(std::lround(plot_.X(i))), static_cast<int>(std::lround(plot_.Y(i)))};
}

// Room for the tick texts left and below, and for the two column names.
void ChartCanvas::Relayout() {
    const ChartPoints& points = chart_->Points();
    const bool logX = chart_->xLog->isChecked(), logY = chart_->yLog->isChecked();
    const AxisScale x = zoomed_ ? zoomX_ : ChartPlot::FitX(points, logX);
    const AxisScale y = zoomed_ ? zoomY_ : ChartPlot::FitY(points, logY);
    const QFontMetrics m = fontMetrics();
    int tickWidth = 0;
    for (double t : y.Ticks()) tickWidth = std::max(tickWidth, m.horizontalAdvance(FromStd(y.TickText(t))));
    PlotArea area;
    area.left = m.height() + tickWidth + 14;
    area.top = m.height() + 8;  // the legend above
    area.width = std::max(10, width() - static_cast<int>(area.left) - m.horizontalAdvance(QStringLiteral("0000")));
    area.height = std::max(10, height() - static_cast<int>(area.top) - 2 * m.height() - 14);
    plot_.Place(points, x, y, area);
    hovered_ = -1;
}

void ChartCanvas::ZoomAt(const QPointF& at, double factor) {
    const AxisScale x = plot_.XScale(), y = plot_.YScale();
    const PlotArea& a = plot_.Area();
    // A pointer beside the plot zooms about the nearest place on it.
    const QPointF inside(std::clamp(at.x(), a.left, a.left + a.width), std::clamp(at.y(), a.top, a.top + a.height));
    const double vx = x.ValueAt((inside.x() - a.left) / a.width), vy = y.ValueAt(1 - (inside.y() - a.top) / a.height);
    zoomed_ = true;
    // New ticks can take another width and move the plot's left edge: place
    // again until the value under the pointer stays there.
    for (int pass = 0; pass < kZoomPasses; ++pass) {
        const PlotArea before = plot_.Area();
        zoomX_ = x.Zoomed(vx, std::clamp((inside.x() - before.left) / before.width, 0.0, 1.0), factor);
        zoomY_ = y.Zoomed(vy, std::clamp(1 - (inside.y() - before.top) / before.height, 0.0, 1.0), factor);
        Relayout();
        const PlotArea after = plot_.Area();
        if (after.left == before.left && after.width == before.width && after.top == before.top &&
            after.height == before.height)
            break;
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
    const QString xName = chart_->ColumnHeading(chart_->XColumn());
    const QString yName = chart_->ColumnHeading(chart_->YColumn());
    p.drawText(QRectF(frame.left(), frame.bottom() + 6 + m.height(), frame.width(), m.height()), Qt::AlignHCenter, xName);
    p.save();
    p.translate(2, frame.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-frame.height() / 2, 0, frame.height(), m.height()), Qt::AlignHCenter, yName);
    p.restore();

    // The points: plain ones first, the highlighted ones last and larger.
    const ChartPoints& points = chart_->Points();
    const int count = plot_.Count();
    std::vector<QPointF> at(count);
    for (int i = 0; i < count; ++i) at[i] = QPointF(plot_.X(i), plot_.Y(i));
    p.setClipRect(frame.adjusted(-kHighlightSize, -kHighlightSize, kHighlightSize, kHighlightSize));
    QColor plain = pal.color(QPalette::Text);
    plain.setAlpha(150);
    p.setPen(QPen(plain, kPointSize, Qt::SolidLine, Qt::RoundCap));
    p.drawPoints(at.data(), points.firstHighlighted);
    p.setPen(QPen(pal.color(QPalette::Highlight), kHighlightSize, Qt::SolidLine, Qt::RoundCap));
    p.drawPoints(at.data() + points.firstHighlighted, count - points.firstHighlighted);
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
    if (hit >= 0) ShowPlainTip(global, chart_->PointText(hit), this);
    else QToolTip::hideText();
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
        chart_->HighlightRows(plot_.RowsIn(pressAt_.x(), pressAt_.y(), at.x(), at.y()),
                              event->modifiers() & Qt::ControlModifier);
        return;
    }
    const int hit = plot_.PointAt(at.x(), at.y(), kPickRadius);
    if (hit >= 0) chart_->FocusRow(chart_->Points().points[hit].row);
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
    if (event->key() == Qt::Key_Home && event->modifiers() == Qt::NoModifier) ResetZoom();
    else QWidget::keyPressEvent(event);
}

void ChartCanvas::leaveEvent(QEvent*) {
    if (hovered_ < 0) return;
    hovered_ = -1;
    update();
}

// ---- The window ----

ChartWindow::ChartWindow(TableListCtrl& control, TableListView* view, QWidget* parent)
    : QWidget(parent, Qt::Window), control_(&control), view_(view) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Chart"));
    xList = new QComboBox(this);
    yList = new QComboBox(this);
    xLog = new QCheckBox(QStringLiteral("Logarithmic"), this);
    yLog = new QCheckBox(QStringLiteral("Logarithmic"), this);
    saveButton = new QPushButton(QStringLiteral("Save Image..."), this);
    note = new QLabel(this);
    note->setTextFormat(Qt::PlainText);
    canvas = new ChartCanvas(this);
    // Sized to a few letters rather than the longest heading, which can be wider than the screen.
    for (QComboBox* list : {xList, yList}) {
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->setMinimumContentsLength(kListLetters);
    }

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel(QStringLiteral("X:"), this));
    controls->addWidget(xList);
    controls->addWidget(xLog);
    controls->addSpacing(16);
    controls->addWidget(new QLabel(QStringLiteral("Y:"), this));
    controls->addWidget(yList);
    controls->addWidget(yLog);
    controls->addStretch(1);
    controls->addWidget(saveButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(canvas, 1);
    layout->addWidget(note);

    FillLists();
    auto redraw = [this] {
        canvas->ResetZoom();  // a zoom belongs to the axes it was made on
        Refresh();
    };
    connect(xList, &QComboBox::currentIndexChanged, this, redraw);
    connect(yList, &QComboBox::currentIndexChanged, this, redraw);
    connect(xLog, &QCheckBox::toggled, this, redraw);
    connect(yLog, &QCheckBox::toggled, this, redraw);
    connect(saveButton, &QPushButton::clicked, this, [this] { AskAndSave(); });

    control.Data().AddObserver(this);
    view->AddFocusCompanion(this);
    // The main window deletes the view, then the table, then its children: let go before the table goes.
    connect(view, &QObject::destroyed, this, [this] {
        if (control_) control_->Data().RemoveObserver(this);
        control_ = nullptr;
        view_ = nullptr;
    });
    PlaceOnScreen(parent);
    Refresh();
}

ChartWindow::~ChartWindow() {
    if (control_) control_->Data().RemoveObserver(this);
}

int ChartWindow::XColumn() const { return xList->currentIndex() >= 0 ? columns_[xList->currentIndex()] : -1; }
int ChartWindow::YColumn() const { return yList->currentIndex() >= 0 ? columns_[yList->currentIndex()] : -1; }

QString ChartWindow::ColumnHeading(int column) const {
    if (!control_ || column < 0 || column >= control_->Data().ColumnCount()) return {};
    return Decode(control_->Data().Column(column).heading);
}

// The lists keep their choice by heading when columns move, come or go.
void ChartWindow::FillLists() {
    std::vector<int> columns;
    if (control_) columns = ChartableColumns(control_->Data(), control_->ColumnKinds());
    QStringList names;
    for (int c : columns) names << ColumnHeading(c);
    QStringList old;
    for (int i = 0; i < xList->count(); ++i) old << xList->itemText(i);
    if (columns == columns_ && names == old) return;
    const QString x = xList->currentText(), y = yList->currentText();
    columns_ = columns;
    scaledX_ = scaledY_ = -1;  // other columns, or a new load: each axis chooses again
    for (QComboBox* list : {xList, yList}) {
        const QSignalBlocker block(list);
        const QString keep = list == xList ? x : y;
        list->clear();
        list->addItems(names);
        const int at = names.indexOf(keep);
        // New columns: x the first, y the second when there is one.
        const int fresh = list == yList ? std::min<int>(1, names.size() - 1) : (names.isEmpty() ? -1 : 0);
        list->setCurrentIndex(at >= 0 ? at : fresh);
    }
}

// Centred over the main window and inside the free part of its screen,
// however small the screen or far off its edge the main window.
void ChartWindow::PlaceOnScreen(QWidget* over) {
    QScreen* screen = over ? over->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        resize(kStartWidth, kStartHeight);
        return;
    }
    const QRect free = screen->availableGeometry();
    const QSize room = free.size() - QSize(kFrameRoom, kFrameRoom);
    const QSize size = QSize(kStartWidth, kStartHeight).boundedTo(room).expandedTo(minimumSizeHint());
    QRect place(QPoint(0, 0), size);
    place.moveCenter(over ? over->frameGeometry().center() : free.center());
    const int right = free.left() + free.width() - size.width() - kFrameRoom;
    const int bottom = free.top() + free.height() - size.height() - kFrameRoom;
    place.moveTo(std::clamp(place.left(), free.left(), std::max(free.left(), right)),
                 std::clamp(place.top(), free.top(), std::max(free.top(), bottom)));
    resize(size);
    move(place.topLeft());
}

void ChartWindow::Schedule() {
    if (scheduled_) return;
    scheduled_ = true;
    // Changes come a row at a time (a removal, a highlight): follow once they are done.
    QTimer::singleShot(0, this, [this] {
        if (scheduled_) Refresh();
    });
}

void ChartWindow::Refresh() {
    scheduled_ = false;
    labelColumn_.reset();
    FillLists();
    ChooseScales();
    if (control_) points_ = CollectPoints(control_->Data(), XColumn(), YColumn(), xLog->isChecked(), yLog->isChecked());
    else points_ = ChartPoints{};
    const QString xName = ColumnHeading(XColumn()), yName = ColumnHeading(YColumn());
    setWindowTitle(xName.isEmpty() ? QStringLiteral("Chart") : QStringLiteral("Chart - %1 against %2").arg(yName, xName));
    note->setText(FromStd(ChartNote(points_)));
    canvas->Relayout();
    canvas->update();
}

void ChartWindow::ChooseScales() {
    if (!control_) return;
    const int x = XColumn(), y = YColumn();
    if (x != scaledX_) {
        const QSignalBlocker block(xLog);
        xLog->setChecked(StartsLogarithmic(control_->Data(), x));
    }
    if (y != scaledY_) {
        const QSignalBlocker block(yLog);
        yLog->setChecked(StartsLogarithmic(control_->Data(), y));
    }
    if (x != scaledX_ || y != scaledY_) canvas->ResetZoom();
    scaledX_ = x;
    scaledY_ = y;
}

void ChartWindow::FocusRow(int row) {
    if (!control_ || row < 0 || row >= control_->Data().RowCount()) return;
    control_->Data().SetFocusedRow(row);
    view_->EnsureRowVisible(row);
}

void ChartWindow::HighlightRows(const std::vector<int>& rows, bool keepOthers) {
    if (!control_) return;
    TableData& table = control_->Data();
    NotifyHold hold(table);
    if (!keepOthers) table.SelectAll(false);
    for (int row : rows) table.SetSelected(row, true);
}

QString ChartWindow::PointText(int i) const {
    if (!control_ || i < 0 || i >= static_cast<int>(points_.points.size())) return {};
    const TableData& table = control_->Data();
    const int row = points_.points[i].row;
    if (!labelColumn_) labelColumn_ = LabelColumn(table);
    return Decode(table.Cell(row, *labelColumn_)) + QLatin1Char('\n') + ColumnHeading(XColumn()) + QStringLiteral(": ") +
           Decode(table.Cell(row, XColumn())) + QLatin1Char('\n') + ColumnHeading(YColumn()) +
           QStringLiteral(": ") + Decode(table.Cell(row, YColumn()));
}

bool ChartWindow::SaveImage(const QString& path) {
    const QSize size = canvas->size();
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(windowTitle());
        QPainter p;
        if (!p.begin(&svg)) return false;
        canvas->Render(p);
        return p.end();
    }
    QImage image(size, QImage::Format_RGB32);
    {
        QPainter p(&image);
        canvas->Render(p);
    }
    return image.save(path, "PNG");
}

void ChartWindow::AskAndSave() {
    QString filter;
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save Image"), QStringLiteral("chart.png"),
                                                QStringLiteral("PNG image (*.png);;SVG image (*.svg)"), &filter);
    if (path.isEmpty()) return;
    const bool svg = filter.contains(QStringLiteral("svg"));
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive) && !path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive))
        path += svg ? QStringLiteral(".svg") : QStringLiteral(".png");
    if (!SaveImage(path)) QMessageBox::warning(this, windowTitle(), QStringLiteral("Unable to Create File"));
}

}  // namespace lorvex
