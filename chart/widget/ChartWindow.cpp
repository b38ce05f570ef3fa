#include "chart/widget/ChartWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSvgGenerator>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "table/widget/CellText.h"
#include "table/widget/TableListView.h"

namespace lorvex {
namespace {

constexpr int kListLetters = 14;  // the column lists' width; their popups show names in full
constexpr int kStartWidth = 720, kStartHeight = 520;
constexpr int kFrameRoom = 48;  // for the frame and title bar the window system adds

QString Decode(std::string_view bytes) { return DecodeCellText(bytes); }
QString FromStd(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

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
    canvas = new ChartCanvas(points_, this);
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
    connect(canvas, &ChartCanvas::rowClicked, this, &ChartWindow::FocusRow);
    connect(canvas, &ChartCanvas::rowsDragged, this, &ChartWindow::HighlightRows);
    canvas->SetPointText([this](int i) { return PointText(i); });

    control.Data().AddObserver(this);
    view->AddFocusCompanion(this);
    // The main window deletes the view, then the table, then its children: let go before the table goes.
    connect(view, &QObject::destroyed, this, [this] {
        if (control_) control_->Data().RemoveObserver(this);
        control_ = nullptr;
        view_ = nullptr;
        canvas->SetAxes(xLog->isChecked(), yLog->isChecked(), QString(), QString());  // no table, no names
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
    if (control_)
        points_ = CollectPoints(control_->Data(), XColumn(), YColumn(), xLog->isChecked(), yLog->isChecked());
    else
        points_ = ChartPoints{};
    const QString xName = ColumnHeading(XColumn()), yName = ColumnHeading(YColumn());
    canvas->SetAxes(xLog->isChecked(), yLog->isChecked(), xName, yName);
    setWindowTitle(xName.isEmpty() ? QStringLiteral("Chart")
                                   : QStringLiteral("Chart - %1 against %2").arg(yName, xName));
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
    return Decode(table.Cell(row, *labelColumn_)) + QLatin1Char('\n') + ColumnHeading(XColumn()) +
           QStringLiteral(": ") + Decode(table.Cell(row, XColumn())) + QLatin1Char('\n') + ColumnHeading(YColumn()) +
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
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive) &&
        !path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive))
        path += svg ? QStringLiteral(".svg") : QStringLiteral(".png");
    if (!SaveImage(path)) QMessageBox::warning(this, windowTitle(), QStringLiteral("Unable to Create File"));
}

}  // namespace lorvex
