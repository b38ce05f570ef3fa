#pragma once
// The filter line above the table (Ctrl+F): rows the typed filter does not
// hold for are hidden as the user types; a filter that cannot be read shows
// why under the line and hides nothing. Escape in the line clears and closes it.
#include <QWidget>
#include <string>

#include "table/filter/RowFilter.h"

class QLabel;
class QLineEdit;

namespace lorvex {

class FilterBar : public QWidget {
    Q_OBJECT
public:
    FilterBar(TableData& table, QWidget* parent);

    void Open();   // shows the line and puts the cursor in it
    void Close();  // clears the line, shows every row, hides the bar
    // A filter with at least one term holds now.
    bool Active() const { return active_; }
    // Reads the line again against the table's current headings (after a load).
    void Apply();
    // Places the bar at (x, y) with the given width; the height it takes, 0 when closed.
    int Place(int x, int y, int width);

    QLineEdit* line = nullptr;
    QLabel* errorLabel = nullptr;

signals:
    void filterChanged();  // rows were hidden or shown
    void heightChanged();  // opened, closed, or the error line came or went

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TableData& table_;
    bool active_ = false;
};

}  // namespace lorvex
