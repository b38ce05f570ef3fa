#pragma once
// The filter line above the table (Ctrl+F): rows the typed filter does not
// hold for are hidden as the user types; a filter that cannot be read shows
// why under the line, in an error colour beside a warning sign, and hides
// nothing. A filter that hides every row says so over the table. Escape in
// the line clears and closes it.
#include <QColor>
#include <QPointer>
#include <QWidget>
#include <string>

#include "app/filter/NoMatchNotice.h"
#include "table/filter/RowFilter.h"

class QAbstractScrollArea;
class QLabel;
class QLineEdit;
class QPalette;

namespace lorvex {

// A red for text on palette's Window colour that keeps at least kErrorContrast
// against it, in light and dark palettes alike.
QColor ErrorTextColor(const QPalette& palette);
// The contrast ratio of two colours as WCAG defines it, from 1 to 21.
double ContrastRatio(const QColor& a, const QColor& b);

class FilterBar : public QWidget {
    Q_OBJECT
public:
    // view shows table; while the filter hides every row it says so over the view.
    FilterBar(TableData& table, QAbstractScrollArea& view, QWidget* parent);

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
    QLabel* errorIcon = nullptr;  // the style's warning sign, the text's height, beside errorLabel
    // Over the table's rows, once the bar has found the table's view.
    NoMatchNotice* Notice() const { return notice_; }

    static constexpr double kErrorContrast = 4.5;  // WCAG's least for body text

signals:
    void filterChanged();  // rows were hidden or shown
    void heightChanged();  // opened, closed, or the error line came or went

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void StyleError();

    TableData& table_;
    bool active_ = false;
    QPointer<NoMatchNotice> notice_;
};

}  // namespace lorvex
