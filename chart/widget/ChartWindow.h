#pragma once
// "Chart...": a scatter plot of two of the table's number columns, one point
// per shown row. A thin window over chart/: it follows the table (removals,
// loads, highlight), shows a row under the pointer, focuses a clicked row in
// the table, highlights the rows inside a dragged rectangle, zooms with the
// wheel, and saves itself as PNG or SVG. Modeless; several may be open at
// once. While it holds the focus the table shows its highlight.
#include <QWidget>
#include <optional>
#include <vector>

#include "chart/ChartData.h"
#include "chart/widget/ChartCanvas.h"
#include "table/TableListCtrl.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace lorvex {

class TableListView;

class ChartWindow : public QWidget, public TableObserver {
    Q_OBJECT
public:
    // A window of its own over view's table, owned by parent (the main
    // window), placed over it and inside its screen's free area.
    ChartWindow(TableListCtrl& control, TableListView* view, QWidget* parent);
    ~ChartWindow() override;

    QComboBox* xList = nullptr;
    QComboBox* yList = nullptr;
    QCheckBox* xLog = nullptr;
    QCheckBox* yLog = nullptr;
    QPushButton* saveButton = nullptr;
    QLabel* note = nullptr;
    ChartCanvas* canvas = nullptr;  // the window's child

    // The table columns of the two lists' current entries (-1 for none).
    int XColumn() const;
    int YColumn() const;
    const ChartPoints& Points() const { return points_; }
    // Follows the table now instead of after the current event.
    void Refresh();
    // PNG, or SVG for a name ending in .svg; false when the file cannot be written.
    bool SaveImage(const QString& path);

    // What the canvas does to the table.
    void FocusRow(int row);
    void HighlightRows(const std::vector<int>& rows, bool keepOthers);
    // The tooltip of point i: the row's name (its cell in LabelColumn), then
    // its x and y texts.
    QString PointText(int i) const;
    QString ColumnHeading(int column) const;
    bool Attached() const { return control_ != nullptr; }

    void TableRowsChanged() override { Schedule(); }
    void TableColumnsChanged() override { Schedule(); }

private:
    void Schedule();
    void FillLists();
    void ChooseScales();
    void PlaceOnScreen(QWidget* over);
    void AskAndSave();

    TableListCtrl* control_;  // nullptr once the view is gone
    TableListView* view_;
    std::vector<int> columns_;  // the lists' entries, as table columns
    ChartPoints points_;
    bool scheduled_ = false;
    // The columns the logarithmic boxes were last chosen for: a new column
    // starts logarithmic or not by its values; the user's choice holds until then.
    int scaledX_ = -1, scaledY_ = -1;
    mutable std::optional<int> labelColumn_;  // LabelColumn, found on the first hover after a change
};

}  // namespace lorvex
