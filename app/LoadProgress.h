#pragma once
// What the window shows while a load runs, and what it refuses meanwhile:
// the two progress labels stand where the table was, the user's input to the
// window is swallowed (a blocking load must not be re-entered), and a load
// that waits for another one says so in the status line until Escape.
#include <QObject>
#include <functional>
#include <string_view>

#include "app/ProgressRepaint.h"
#include "load/LoadRun.h"

class QLabel;
class QWidget;

namespace lorvex {

class LoadProgress : public QObject, public LoadView {
public:
    // window: the labels' window; table: the widget the labels stand in for;
    // started: called when the load begins to replace the table.
    LoadProgress(QWidget* window, QWidget* table, QLabel* statusText, QLabel* archiveLabel, QLabel* fileLabel,
                 std::function<void()> started);

    // Between Begin and End the window takes no input.
    void Begin();
    void End();

    void SetProgressVisible(bool visible) override;
    void SetArchiveLabel(std::string_view text) override;
    void SetFileLabel(std::string_view text) override;
    bool KeepWaiting(std::string_view text) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    QWidget* table_;
    QLabel* statusText_;
    QLabel* archiveLabel_;
    QLabel* fileLabel_;
    std::function<void()> started_;
    ProgressRepaint repaint_;
    bool active_ = false;
    bool waitCancelled_ = false;  // Escape while the load waits for another one
};

}  // namespace lorvex
