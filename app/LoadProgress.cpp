#include "app/LoadProgress.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <string>

#include "app/UserInput.h"
#include "ui/DialogText.h"

namespace lorvex {

LoadProgress::LoadProgress(QWidget* window, QWidget* table, QLabel* statusText, QLabel* archiveLabel, QLabel* fileLabel,
                           std::function<void()> started)
    : QObject(window),
      window_(window),
      table_(table),
      statusText_(statusText),
      archiveLabel_(archiveLabel),
      fileLabel_(fileLabel),
      started_(std::move(started)) {}

void LoadProgress::Begin() {
    active_ = true;
    waitCancelled_ = false;
    qApp->installEventFilter(this);
}

void LoadProgress::End() {
    qApp->removeEventFilter(this);
    active_ = false;
}

bool LoadProgress::eventFilter(QObject* watched, QEvent* event) {
    if (active_ && IsUserInput(event->type()) && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == window_) {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            waitCancelled_ = true;  // only a load that waits listens for it
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void LoadProgress::SetProgressVisible(bool visible) {
    if (visible) {
        // The load has begun to replace the table: the labels stand where it
        // was until the rows are in.
        if (started_) started_();
        table_->hide();
        window_->repaint();                         // no event is handled until the load ends
        repaint_.Start(archiveLabel_, fileLabel_);  // at a bounded rate from here on
    } else {
        repaint_.Flush();  // the last texts are shown before the labels go
    }
    archiveLabel_->setVisible(visible);
    fileLabel_->setVisible(visible);
    archiveLabel_->repaint();
    fileLabel_->repaint();
}

void LoadProgress::SetArchiveLabel(std::string_view text) {
    archiveLabel_->setText(BytesToBoxText(text));
    repaint_.Changed();
}

void LoadProgress::SetFileLabel(std::string_view text) {
    fileLabel_->setText(BytesToBoxText(text));
    repaint_.Changed();
}

bool LoadProgress::KeepWaiting(std::string_view text) {
    // The status line says it: the table (still the previous one) stays in view.
    const QString shown = BytesToBoxText(std::string(text) + " (Escape cancels)");
    if (statusText_->text() != shown) {
        statusText_->setText(shown);
        statusText_->repaint();
    }
    QApplication::processEvents(QEventLoop::AllEvents, kWaitStepMs);
    return !waitCancelled_;
}

}  // namespace lorvex
