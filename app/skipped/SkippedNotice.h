#pragma once
// "N record files skipped" beside the status line after a load that left
// record files out, with the list of them and why one click away. A load
// that skipped nothing shows nothing.
#include <QString>
#include <QToolButton>

#include "load/LoadReport.h"

class QDialog;
class QLabel;

namespace lorvex {

class SkippedNotice : public QToolButton {
public:
    // A child of statusText's window, at the right end of the status line.
    explicit SkippedNotice(QLabel* statusText);

    // Shows the notice for what report skipped, or hides it.
    void Show(const LoadReport& report);
    // The width the notice takes at the right end of the status line (0 when hidden).
    int ReservedWidth() const;
    // The list as it is shown: one line per skipped record file.
    const QString& ListText() const { return list_; }
    // Opens the list window (the click does the same).
    QDialog* OpenList();

    // Keeps the notice at the right end of the status line as the window changes.
    void Place();

private:
    QLabel* statusText_;
    QString list_;
};

}  // namespace lorvex
